"""The Preferences and Digits dialogs, driven with real keys and clicks: what the clock shows
at once, and what it saves in vantel.ini at its end."""

import os
import unittest.mock

import rig
from test_reminders import TZ
from test_skins import DEFAULT_POSITIONS, MAGENTA, assert_face, wait_size

CLASS = "Vantel"
TITLE = "Vantel - Digital clock"
PREFERENCES = "Vantel - Preferences"
DIGITS = "Vantel - Digits"
COLOR = "Color"  # the system's colour chooser
CHOOSER_RGB = (706, 707, 708)  # its red, green and blue fields

# Preferences
BACKGROUND, DIGITS_FIELD, DATE, TIME, CURRENT, COUNTDOWN, STOPWATCH = 1016, 1018, 1032, 1050, 1029, 1028, 1031
PAST_EVENTS, LAST_DAY, ON_TOP = 1062, 1063, 1030
# Digits
LEFT, TOP, PICTURE = 1101, 1201, 1301
DISTRIBUTE_LEFT, DISTRIBUTE_TOP, SPACE, UNIT_SPACE = 1113, 1213, 1055, 1057

WM_ENDSESSION = 0x16
SEEDED_COUNTDOWN = "2031-05-06 07:08:09"


def settings(background="", countdown=SEEDED_COUNTDOWN):
    """A whole vantel.ini; the clock stands clear of the dialogs, which open at the top left."""
    lines = ["[Settings]", "ClockMode=1", "DisplayPastEvents=1", "LastOfMonthMode=1", "[Countdown]",
             f"Date={countdown}", "[Appearance]", f"BackgroundBMP={background}", "DigitsBMP=", "WindowPos=560,450",
             "TransparentColor=FF00FF", "FirstDigit=4", "LastDigit=9"]
    lines += [f"Digit{n}={left},{top}" for n, (left, top) in enumerate(DEFAULT_POSITIONS, 1)]
    return "\r\n".join(lines) + "\r\n"


class AppearanceDialogsTest(rig.TestCase):
    def setUp(self):
        zone = unittest.mock.patch.dict(os.environ, {"TZ": TZ})
        zone.start()
        self.addCleanup(zone.stop)

    def start_clock(self, files):
        folder = self.make_folder(files=files)
        clock = self.start_program("vantel.exe", folder)
        return folder, clock, rig.wait_window(CLASS, TITLE)

    def open_preferences(self, window):
        return self.open_menu_dialog(window, "p", PREFERENCES)

    def wait_dialog(self, title):
        dialog = rig.find_window(rig.BOX_CLASS, title, wait=rig.WINDOW_TIMEOUT)
        self.assertIsNotNone(dialog, f"{title!r} opened")
        return dialog

    def close_dialog(self, dialog, *keys):
        rig.key_inside(dialog, *keys)
        rig.wait_until(lambda: rig.find_window(rig.BOX_CLASS, dialog.title) is None,
                       what=f"{dialog.title!r} to close")

    @staticmethod
    def controls(dialog):
        return {child.control_id: child for child in rig.window_children(dialog)[1]}

    def wait_fields(self, dialog, expected):
        seen = {}

        def shown():
            seen.update({key: child.text for key, child in self.controls(dialog).items()})
            return all(seen.get(control) == text for control, text in expected.items())

        rig.wait_until(shown, what=lambda: f"the fields {expected} (shown: "
                                           f"{ {key: seen.get(key) for key in expected} })")

    def type_into(self, dialog, mnemonic, text):
        rig.key_inside(dialog, mnemonic)  # focuses the field and selects its text
        rig.session().run_tool(["xdotool", "type", "--delay", "10", text])

    def assert_time_face(self, window, positions, first=4, last=9):
        assert_face(window, rig.ART / "clock_background.bmp", rig.ART / "clock_digits.bmp", MAGENTA,
                    first, last, positions)

    def test_preferences_take_the_mode_the_pictures_and_the_options_and_survive_a_logoff(self):
        wide = rig.TOP / "resources" / "skins" / "Graphite Chrono_b.bmp"
        folder, clock, window = self.start_clock({"vantel.ini": settings(), "pictures/wide.bmp": wide})

        # A double click opens it with the settings shown; OK keeps the countdown date to the second.
        left, top = DEFAULT_POSITIONS[4]
        rig.double_click(window.rect.left + left + 5, window.rect.top + top + 5)
        dialog = self.wait_dialog(PREFERENCES)
        shown = self.controls(dialog)
        self.assertEqual((shown[BACKGROUND].text, shown[DIGITS_FIELD].text), ("", ""))
        self.assertEqual(shown[TIME].text, "07:08:09")
        self.assertIn("2031", shown[DATE].text)
        self.assertEqual([shown[i].checked for i in (CURRENT, COUNTDOWN, STOPWATCH)], [1, 0, 0])
        self.assertEqual([shown[i].enabled for i in (DATE, TIME)], [False, False])
        self.assertEqual([shown[i].checked for i in (PAST_EVENTS, LAST_DAY, ON_TOP)], [1, 1, 0])
        self.assert_swatch(dialog, MAGENTA)
        self.close_dialog(dialog, "Return")

        # The stopwatch shows zeros at once, and F5 starts it.
        dialog = self.open_preferences(window)
        rig.key_inside(dialog, "alt+s")
        self.wait_until_checked(dialog, STOPWATCH)
        self.close_dialog(dialog, "Return")
        reader = rig.FaceReader(rig.digit_slots(DEFAULT_POSITIONS[4:10]))
        rig.wait_until(lambda: reader.read(rig.capture(window.rect)) == "000000", what="the stopwatch's zeros")
        rig.key(window, "F5")
        rig.wait_until(lambda: (reader.read(rig.capture(window.rect)) or "000000") != "000000",
                       what="the stopwatch to count")

        # A missing picture is named once and the dialog stays; a new background resizes the
        # window; always on top makes it topmost.
        dialog = self.open_preferences(window)
        self.type_into(dialog, "alt+b", "\\missing.bmp")
        rig.key_inside(dialog, "Return")
        self.answer_box('Cannot find file "\\missing.bmp".\n\nCheck the filename and try again.')
        self.assertIsNone(rig.find_window(rig.BOX_CLASS, rig.ERROR_BOX_TITLE), "one message")
        self.assertIsNotNone(rig.find_window(rig.BOX_CLASS, PREFERENCES), "the dialog stays")
        self.type_into(dialog, "alt+b", "\\pictures\\wide.bmp")
        rig.key_inside(dialog, "alt+a")
        self.close_dialog(dialog, "Return")
        window = wait_size((240, 74), topmost=True)

        # A colour chosen reshapes the window at once, and stays though the dialog is cancelled.
        shape_before = rig.pixels_of(rig.x_shape(rig.x_window(window)))
        dialog = self.open_preferences(window)
        self.choose_colour(dialog, (255, 255, 255))
        rig.wait_until(lambda: rig.x_shape(rig.x_window(window)) is None or
                       rig.pixels_of(rig.x_shape(rig.x_window(window))) != shape_before,
                       what="the window's shape to change with the colour")
        rig.key_inside(dialog, "Escape")
        rig.wait_until(lambda: rig.find_window(rig.BOX_CLASS, PREFERENCES) is None, what="the dialog to close")

        # A logoff while the dialog is open ends the clock cleanly, with everything saved. The
        # swatch shows the new colour: the brush of the last opening was forgotten with it.
        dialog = self.open_preferences(window)
        self.assert_swatch(dialog, (255, 255, 255))
        self.assertEqual(rig.session().run_probe(["post", CLASS, TITLE, str(WM_ENDSESSION), "1"]), ["posted 1"])
        self.assertEqual(clock.wait_exit(), 0)
        saved = folder.read_ini("vantel.ini")
        self.assertEqual(saved.get("Countdown", "Date"), SEEDED_COUNTDOWN)
        self.assertEqual(saved.get("Settings", "ClockMode"), "2")
        self.assertEqual(saved.get("Appearance", "AlwaysOnTop"), "1")
        self.assertEqual(saved.get("Appearance", "BackgroundBMP"), folder.windows_path("pictures/wide.bmp"))
        self.assertEqual(saved.get("Appearance", "TransparentColor"), "FFFFFF")

    def assert_swatch(self, dialog, rgb):
        swatch = self.controls(dialog)[1060].rect
        centre = rig.Rect(swatch.centre[0], swatch.centre[1], swatch.centre[0] + 1, swatch.centre[1] + 1)
        rig.wait_until(lambda: rig.capture(centre).pixel(0, 0) == rgb, what=f"the colour swatch to show {rgb}")

    def wait_until_checked(self, dialog, control):
        rig.wait_until(lambda: self.controls(dialog)[control].checked == 1, what=f"{control} to be checked")

    def choose_colour(self, dialog, rgb):
        """Opens the colour chooser from the dialog and confirms the colour typed into its
        red, green and blue fields."""
        self.click_button(dialog, 1027)
        chooser = self.wait_dialog(COLOR)
        fields = self.controls(chooser)
        for control, value in zip(CHOOSER_RGB, rgb):
            rig.click(*fields[control].rect.centre)
            rig.key_inside(chooser, "End", "shift+Home", *str(value))
        rig.wait_until(lambda: [self.controls(chooser)[c].text for c in CHOOSER_RGB] == list(map(str, rgb)),
                       what=f"the chooser to show {rgb}")
        self.close_dialog(chooser, "Return")

    def test_digits_dialog_places_shows_and_cancels(self):
        folder, clock, window = self.start_clock({"vantel.ini": settings()})
        preferences = self.open_preferences(window)
        rig.key_inside(preferences, "alt+i")
        dialog = self.wait_dialog(DIGITS)
        self.wait_fields(dialog, {DISTRIBUTE_LEFT: "20", DISTRIBUTE_TOP: "15", SPACE: "0", UNIT_SPACE: "10"})

        rig.key_inside(dialog, "alt+c")
        centred = [21, 46, 83, 108, 145, 170]
        self.wait_fields(dialog, {**{LEFT + 4 + i: str(x) for i, x in enumerate(centred)},
                                  **{TOP + 4 + i: "20" for i in range(6)}})
        positions = DEFAULT_POSITIONS[:4] + [(x, 20) for x in centred] + DEFAULT_POSITIONS[10:]
        self.assert_time_face(window, positions)

        self.type_into(dialog, "alt+l", "10")
        self.type_into(dialog, "alt+t", "5")
        self.type_into(dialog, "alt+s", "2")
        self.type_into(dialog, "alt+a", "8")
        rig.key_inside(dialog, "alt+d")
        distributed = [12, 39, 74, 101, 136, 163]
        self.wait_fields(dialog, {**{LEFT + 4 + i: str(x) for i, x in enumerate(distributed)},
                                  **{TOP + 4 + i: "5" for i in range(6)}})
        positions = DEFAULT_POSITIONS[:4] + [(x, 5) for x in distributed] + DEFAULT_POSITIONS[10:]
        self.assert_time_face(window, positions)

        # Slot clicks: 7 inside the range ends it at 6; 11 after it extends it to 11.
        self.click_slot(dialog, 7)
        self.wait_shown(dialog, 4, 6)
        self.click_slot(dialog, 11)
        self.wait_shown(dialog, 4, 11)
        self.click_slot(dialog, 5)
        self.wait_shown(dialog, 6, 11)
        self.close_dialog(dialog, "Return")
        self.close_dialog(preferences, "Escape")  # the Digits dialog's OK stays

        # Moves and clicks, then Cancel: the layout of the opening comes back.
        preferences = self.open_preferences(window)
        rig.key_inside(preferences, "alt+i")
        dialog = self.wait_dialog(DIGITS)
        self.click_slot(dialog, 11)
        self.click_slot(dialog, 2)
        self.click_button(dialog, 1060)  # Left
        self.click_button(dialog, 1059)  # Up
        self.wait_fields(dialog, {LEFT + 6: "73", TOP + 6: "4"})
        self.close_dialog(dialog, "Escape")
        self.close_dialog(preferences, "Escape")

        rig.key(window, "Escape")
        self.assertEqual(clock.wait_exit(), 0)
        saved = folder.read_ini("vantel.ini")
        self.assertEqual((saved.get("Appearance", "FirstDigit"), saved.get("Appearance", "LastDigit")), ("6", "11"))
        self.assertEqual([saved.get("Appearance", f"Digit{n}") for n in range(5, 11)],
                         [f"{x},5" for x in distributed])

    def click_slot(self, dialog, slot):
        self.click_button(dialog, PICTURE + slot)

    def click_button(self, dialog, control):
        rect = self.controls(dialog)[control].rect
        rig.click(*rect.centre)

    def wait_shown(self, dialog, first, last):
        want = [first <= i <= last for i in range(12)]
        seen = []

        def shown():
            controls = self.controls(dialog)
            seen[:] = [controls[LEFT + i].enabled for i in range(12)]
            return seen == want

        rig.wait_until(shown, what=lambda: f"slots {first}..{last} shown (edits enabled: {seen})")
