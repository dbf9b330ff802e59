"""Skin bitmaps that cannot be loaded: the clock warns, falls back to its built-in
bitmap and names the built-in one from then on."""

import rig

CLASS = "Vantel"
TITLE = "Vantel - Digital clock"
BOX_CLASS, BOX_TITLE = rig.BOX_CLASS, rig.ERROR_BOX_TITLE


def settings(background="", digits=""):
    lines = ["[Appearance]", f"BackgroundBMP={background}", f"DigitsBMP={digits}", "WindowPos=40,30"]
    lefts = [0, 0, 0, 0, 20, 45, 80, 105, 140, 165, 0, 0]
    lines += [f"Digit{n}={left},{15 if left else 0}" for n, left in enumerate(lefts, 1)]
    return "\r\n".join(lines) + "\r\n"


class ClockBitmapsTest(rig.TestCase):
    def test_files_that_are_no_bitmaps_give_the_built_in_ones_and_are_forgotten(self):
        folder = self.make_folder(files={"not_a.bmp": "just text\r\n", "also_not.bmp": "BM?"})
        background = folder.windows_path("not_a.bmp")
        digits = folder.windows_path("also_not.bmp")
        folder.write("vantel.ini", settings(background, digits))
        clock = self.start_program("vantel.exe", folder)

        self.answer_box(f'Cannot load bitmap "{background}".\nTrying to load default background bitmap.')
        self.answer_box(f'Cannot load bitmap "{digits}".\nTrying to load default digits bitmap.')
        window = rig.wait_window(CLASS, TITLE)
        self.assertEqual((window.rect.width, window.rect.height), (216, 71), "the built-in background's size")
        self.assertEqual((window.rect.left, window.rect.top), (40, 30))

        rig.key(window, "Escape")
        self.assertEqual(clock.wait_exit(), 0)
        saved = folder.read_ini("vantel.ini")
        self.assertEqual(saved.get("Appearance", "BackgroundBMP"), "")
        self.assertEqual(saved.get("Appearance", "DigitsBMP"), "")

        # The next start names the built-in bitmaps: no warning any more.
        clock = self.start_program("vantel.exe", folder)
        window = rig.wait_window(CLASS, TITLE)
        self.assertIsNone(rig.find_window(BOX_CLASS, BOX_TITLE))
        rig.key(window, "Escape")
        self.assertEqual(clock.wait_exit(), 0)
