#!/usr/bin/env python3
"""Takes the README's screenshots from the real programs under wine64 on a private Xvfb:
the clock with its built-in look and with each sample skin, and a reminder window once its
text is typed out. Writes docs/screenshots/*.png (run by `make screenshots`)."""

import sys
import time
import unittest.mock
from pathlib import Path

TOP = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(TOP / "tests" / "e2e"))

import rig  # noqa: E402
import test_message_window  # noqa: E402
import test_skins  # noqa: E402

OUT = TOP / "docs" / "screenshots"
MARGIN = 12  # desktop around each window


class Shooter(rig.TestCase):
    """Uses the test rig's folders and programs; runs as one test so its clean-ups run."""

    def runTest(self):
        OUT.mkdir(parents=True, exist_ok=True)
        self.shoot_clock("clock-default.png", {f"Digit{n}": f"{left},{top}" for n, (left, top)
                                               in enumerate(test_skins.DEFAULT_POSITIONS, 1)})
        for skin in test_skins.samples():
            keys = {key: skin.ini.get("VANTEL", key) for key in
                    ["BackgroundBMP", "DigitsBMP", "TransparentColor", "FirstDigit", "LastDigit"] +
                    [f"Digit{n}" for n in range(1, 13)]}
            self.shoot_clock(f"clock-{skin.stem.lower().replace(' ', '-')}.png", keys, skin)
        self.shoot_reminder("reminder.png")

    def save(self, window, name):
        rect = rig.Rect(window.rect.left - MARGIN, window.rect.top - MARGIN, window.rect.right + MARGIN,
                        window.rect.bottom + MARGIN)
        rig.capture(rect).save(OUT / name)
        print(OUT / name)

    def shoot_clock(self, name, appearance, skin=None):
        lines = ["[Appearance]", "WindowPos=40,40"] + [f"{key}={value}" for key, value in appearance.items()]
        files = {"vantel.ini": "\n".join(lines) + "\n", **(skin.files() if skin else {})}
        folder = self.make_folder(files=files)
        clock = self.start_program("vantel.exe", folder)
        window = rig.wait_window(test_skins.CLASS, test_skins.TITLE)
        if skin:
            test_skins.assert_face(window, skin.background, skin.digits, skin.transparent, skin.first, skin.last,
                                   skin.positions)
        else:
            test_skins.assert_face(window, rig.ART / "clock_background.bmp", rig.ART / "clock_digits.bmp",
                                   test_skins.MAGENTA, 4, 9, test_skins.DEFAULT_POSITIONS)
        self.save(window, name)
        rig.key(window, "Escape")
        clock.wait_exit()

    def shoot_reminder(self, name):
        date = time.strftime("%Y-%m-%d %H:%M:%S")
        text = "Stand-up in five minutes<br>Room 2 - bring the release notes"
        ini = test_message_window.message_ini(text=text, date=date, settings={"WindowPos": "40,40"})
        folder = self.make_folder(programs=("vantelmsg.exe",), files={"vantelmsg.ini": ini})
        program = self.start_program("vantelmsg.exe", folder)
        window = rig.wait_window(test_message_window.CLASS, "Vantel - Message")
        test_message_window.typed_text(window, timeout=30)
        self.save(window, name)
        program.kill()


def main():
    # The zone the face is read in (about noon when the run starts).
    with unittest.mock.patch.dict("os.environ", {"TZ": test_skins.TZ}):
        result = unittest.TextTestRunner(verbosity=0).run(Shooter())
    rig.shutdown()
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
