"""Skins, loaded and saved through the clock's context menu with real keys: the window's
size, shape and digits on captures, the files written, and the warnings about open message
windows with a real message program open. The clock runs in a fixed zone, so the face's
time is computed here from time.time()."""

import calendar
import os
import time
import unittest.mock

import rig
from test_reminders import TZ, UTC_OFFSET

WS_EX_TOPMOST = 0x8

CLASS = "Vantel"
TITLE = "Vantel - Digital clock"
LOAD_DIALOG = "Vantel - Load skin"
SAVE_DIALOG = "Vantel - Save skin"
WARNING = "Vantel - Warning"
SAMPLES = rig.TOP / "resources" / "skins"
DEFAULT_POSITIONS = [(0, 0)] * 4 + [(20, 15), (45, 15), (80, 15), (105, 15), (140, 15), (165, 15), (0, 0), (0, 0)]
MAGENTA = (255, 0, 255)

LOAD_WARNING = ("Vantel has found open Vantel Message windows.\n\nIt is not possible to update the skin for the "
                "Vantel Message module while Vantel Message windows are open.\n\nYou should close all Vantel "
                "Message windows before loading a new skin.")
SAVE_WARNING = ("Vantel has found open Vantel Message windows.\n\nIt is possible that Vantel is unable to save "
                "the most recent skin information for the Vantel Message module  while Vantel Message windows "
                "are open.\n\nYou should close all Vantel Message windows before saving a skin.")
MESSAGE_KEYS = ("BackgroundBMP", "UseTransparency", "TransparentColor", "TextArea", "FontFaceName", "FontHeight",
                "FontColor", "FontWeight", "FontItalic", "FontCharSet")
MESSAGE_DEFAULTS = ("", "0", "FF00FF", "15,12,410,132", "Arial", "-19", "AAFFBB", "400", "0", "0")


def colour(text):
    """The RGB of a "%06X" COLORREF text (red in the low byte)."""
    value = int(text, 16)
    return value & 0xFF, value >> 8 & 0xFF, value >> 16 & 0xFF


class Skin:
    """A skin file as the clock should take it."""

    def __init__(self, ini_path):
        ini = rig.IniFile(ini_path.read_bytes().decode("latin-1").replace("\r\n", "\n"))
        self.ini = ini
        self.name = ini.get("VANTEL", "SkinName")
        self.stem = ini_path.stem
        folder = ini_path.parent
        self.background = folder / (self.stem + "_b.bmp")
        self.digits = folder / (self.stem + "_d.bmp")
        self.transparent = colour(ini.get("VANTEL", "TransparentColor"))
        self.first, self.last = int(ini.get("VANTEL", "FirstDigit")), int(ini.get("VANTEL", "LastDigit"))
        self.positions = [tuple(map(int, ini.get("VANTEL", f"Digit{n}").split(","))) for n in range(1, 13)]
        self.carries_message = ini.get("VANTEL_MSG", "UseSkinData", "0") == "1"

    def files(self):
        """The skin's files, for a program folder."""
        return {f"skins/{path.name}": path for path in SAMPLES.glob(self.stem + "*")}


def samples():
    return [Skin(path) for path in sorted(SAMPLES.glob("*.ini"))]


def face_time(moment):
    """The digits slots 0 to 9 show for the current time: day of the year, hours, minutes, seconds."""
    local = time.gmtime(moment + UTC_OFFSET)
    return f"{local.tm_yday:04d}{local.tm_hour:02d}{local.tm_min:02d}{local.tm_sec:02d}"


def wait_size(size, topmost=None):
    """The clock window once it has the size (width, height) and, when topmost is given, is
    topmost or not: an appearance is applied size first, topmost last."""
    found = []

    def sized():
        shown = rig.find_window(CLASS, TITLE)
        found[:] = [shown]
        return shown if shown and (shown.rect.width, shown.rect.height) == size and (
            topmost is None or bool(shown.exstyle & WS_EX_TOPMOST) == topmost) else None

    return rig.wait_until(sized, what=lambda: f"the clock at {size} (now {found})")


def assert_face(window, background, digits, transparent, first, last, positions):
    """The window's shape is the background less its transparent colour, and its shown
    slots read the current time."""
    picture = rig.Image.load(background)
    opaque = {(x, y) for y in range(picture.height) for x in range(picture.width)
              if picture.pixel(x, y) != transparent}
    rig.wait_until(lambda: rig.pixels_of(rig.x_shape(rig.x_window(window)) or
                                         [rig.Rect(0, 0, picture.width, picture.height)]) == opaque,
                   what="the window's shape to follow the background")
    strip = rig.Image.load(digits)
    slots = rig.digit_slots(positions[first:last + 1], strip.width // 10, strip.height)
    reader = rig.FaceReader(slots, background, digits, transparent)
    seen = []

    def shows_time():
        started = time.time()
        text = reader.read(rig.capture(window.rect))
        seen.append(text)
        shown = text and text[:max(0, 10 - first)]
        return text and any(face_time(t)[first:last + 1][:len(shown)] == shown
                            for t in range(int(started) - 1, int(time.time()) + 2))

    rig.wait_until(shows_time, what=lambda: f"slots {first}..{last} to show the time (read {seen[-3:]})")


class SkinsTest(rig.TestCase):
    def setUp(self):
        zone = unittest.mock.patch.dict(os.environ, {"TZ": TZ})
        zone.start()
        self.addCleanup(zone.stop)

    def start_clock(self, files, programs=("vantel.exe",)):
        folder = self.make_folder(programs=programs, files=files)
        clock = self.start_program("vantel.exe", folder)
        return folder, clock, rig.wait_window(CLASS, TITLE)

    def stop_clock(self, clock, window):
        rig.key(window, "Escape")
        self.assertEqual(clock.wait_exit(), 0)

    def wait_closed(self, title):
        rig.wait_until(lambda: rig.find_window(rig.BOX_CLASS, title) is None, what=f"{title!r} to close")

    def load(self, window, letter, size):
        """Loads the list entry that the letter selects and waits for the window to take the size."""
        dialog = self.open_menu_dialog(window, "l", LOAD_DIALOG)
        rig.key_inside(dialog, letter, "Return")
        self.wait_closed(LOAD_DIALOG)
        return wait_size(size)

    def message_look(self, folder):
        ini = folder.read_ini("vantelmsg.ini")
        return tuple(ini.get("Appearance", key) for key in MESSAGE_KEYS)

    def test_each_sample_skin_loads_and_skins_go_back_and_forth_while_hundredths_tick(self):
        skins = samples()
        self.assertGreaterEqual(len(skins), 3, "the sample skins")
        letters = [skin.name[0].lower() for skin in skins]
        self.assertEqual(len(set(letters)), len(letters), "each sample skin has its own first letter")
        hundredths = next(skin for skin in skins if skin.last == 11)
        carrier = next(skin for skin in skins if skin.carries_message)
        files = {name: path for skin in skins for name, path in skin.files().items()}
        folder, clock, window = self.start_clock(files)

        for skin in skins:
            picture = rig.Image.load(skin.background)
            window = self.load(window, skin.name[0].lower(), (picture.width, picture.height))
            assert_face(window, skin.background, skin.digits, skin.transparent, skin.first, skin.last,
                             skin.positions)
            if skin is carrier:
                look = self.message_look(folder)
                self.assertEqual(look[0], folder.windows_path(f"skins/{skin.stem}_m.bmp"))
                self.assertEqual(look[1:], tuple(skin.ini.get("VANTEL_MSG", key) for key in MESSAGE_KEYS[1:]))

        # Back and forth between hundredths at 25 ms and the default face at 125 ms.
        default_size = (216, 71)
        hundredths_size = (rig.Image.load(hundredths.background).width,
                           rig.Image.load(hundredths.background).height)
        for _ in range(4):
            window = self.load(window, hundredths.name[0].lower(), hundredths_size)
            window = self.load(window, "less", default_size)
        self.assertTrue(clock.running())
        self.assertEqual(self.message_look(folder), MESSAGE_DEFAULTS, "<default> writes the message defaults")
        assert_face(window, rig.ART / "clock_background.bmp", rig.ART / "clock_digits.bmp", MAGENTA, 4, 9,
                         DEFAULT_POSITIONS)
        self.stop_clock(clock, window)
        saved = folder.read_ini("vantel.ini")
        self.assertEqual((saved.get("Appearance", "BackgroundBMP"), saved.get("Appearance", "FirstDigit"),
                          saved.get("Appearance", "LastDigit")), ("", "4", "9"))

    def test_damaged_skins_leave_the_clock_as_it_was(self):
        built_in = {"pictures/face.bmp": rig.ART / "clock_background.bmp",
                    "pictures/digits.bmp": rig.ART / "clock_digits.bmp"}
        files = {
            # A picture that is not there: the dialog says so and stays open.
            "skins/a.ini": "[VANTEL]\nSkinName=Gone\nBackgroundBMP=\\skins\\gone_b.bmp\n",
            # Pictures that are there but are no bitmaps, and message data: nothing may change.
            "skins/b.ini": "[VANTEL]\nSkinName=Text\nBackgroundBMP=\\skins\\text_b.bmp\nTransparentColor=00FF00\n"
                           "FirstDigit=0\nLastDigit=11\nDigit5=1,1\n[VANTEL_MSG]\nUseSkinData=1\n"
                           "BackgroundBMP=\\skins\\text_b.bmp\nFontFaceName=Courier\n",
            "skins/text_b.bmp": "just text\n",
            # Values out of every range, with pictures that load.
            "skins/c.ini": "[VANTEL]\nSkinName=Wild\nBackgroundBMP=\\pictures\\face.bmp\n"
                           "DigitsBMP=\\pictures\\digits.bmp\nFirstDigit=-40\nLastDigit=2147483648\n"
                           "Digit1=-99999,99999\nDigit5=2147483647,-2147483648\nDigit12=x\n",
            **built_in,
        }
        folder, clock, window = self.start_clock(files)
        before_rect = window.rect

        dialog = self.open_menu_dialog(window, "l", LOAD_DIALOG)
        rig.key_inside(dialog, "Return")
        self.answer_box("Select a skin name.")
        rig.key_inside(dialog, "g", "Return")
        self.answer_box(f'Cannot find file "{folder.windows_path("skins/gone_b.bmp")}".\nSkin is damaged.')
        self.assertIsNotNone(rig.find_window(rig.BOX_CLASS, LOAD_DIALOG), "the dialog stays open")
        rig.key_inside(dialog, "t", "Return")
        self.answer_box(f'Cannot load "{folder.windows_path("skins/text_b.bmp")}".')
        self.wait_closed(LOAD_DIALOG)
        window = rig.find_window(CLASS, TITLE)
        self.assertEqual(window.rect, before_rect)
        assert_face(window, rig.ART / "clock_background.bmp", rig.ART / "clock_digits.bmp", MAGENTA, 4, 9,
                         DEFAULT_POSITIONS)
        self.assertFalse(folder.exists("vantelmsg.ini"), "a skin the clock did not take writes no message look")

        window = self.load(window, "w", (216, 71))
        self.assertTrue(clock.running())
        self.stop_clock(clock, window)
        saved = folder.read_ini("vantel.ini")
        self.assertEqual((saved.get("Appearance", "FirstDigit"), saved.get("Appearance", "LastDigit"),
                          saved.get("Appearance", "TransparentColor")), ("0", "11", "FF00FF"))
        for n in (1, 5, 12):
            left, top = map(int, saved.get("Appearance", f"Digit{n}").split(","))
            self.assertTrue(0 <= left <= 216 - 25 and 0 <= top <= 71 - 30, f"Digit{n} {left},{top} inside")

    def test_save_replaces_characters_and_loads_back_and_open_message_windows_are_warned_of(self):
        skin = next(skin for skin in samples() if not skin.carries_message)
        picture = rig.Image.load(skin.background)
        size = (picture.width, picture.height)
        folder, clock, window = self.start_clock(skin.files(), programs=("vantel.exe", "vantelmsg.exe"))

        # The built-in pictures have no files to copy.
        dialog = self.open_menu_dialog(window, "s", SAVE_DIALOG)
        rig.key_inside(dialog, "x", "Return")
        self.answer_box("Cannot find the background bitmap.")
        rig.key_inside(dialog, "Escape")
        self.wait_closed(SAVE_DIALOG)

        window = self.load(window, skin.name[0].lower(), size)
        dialog = self.open_menu_dialog(window, "s", SAVE_DIALOG)
        rig.key_inside(dialog, "c", "o", "n", "Return")
        self.answer_box('"con" cannot be used as a file name.\n\nEnter another skin name.')
        rig.key_inside(dialog, "alt+s")  # selects the whole name
        rig.session().run_tool(["xdotool", "type", "--delay", "10", "<default>"])  # Load skin's built-in look
        rig.key_inside(dialog, "Return")
        self.answer_box('"<default>" is the name of the built-in skin.\n\nEnter another skin name.')
        rig.key_inside(dialog, "alt+s")
        rig.session().run_tool(["xdotool", "type", "--delay", "10", "Night/Day:1"])
        rig.key_inside(dialog, "Return")
        self.wait_closed(SAVE_DIALOG)
        self.assertEqual([path.name for path in folder.path.glob("skins/*.[no][el][wd]")], [],
                         "no file of the save is left aside")
        saved = folder.read_ini("skins/Night_Day_1.ini")
        self.assertEqual(saved.get("VANTEL", "SkinName"), "Night/Day:1")
        self.assertEqual(saved.get("VANTEL", "BackgroundBMP"), "\\skins\\Night_Day_1_b.bmp")
        for part in ("b", "d"):
            self.assertEqual(folder.read_bytes(f"skins/Night_Day_1_{part}.bmp"),
                             folder.read_bytes(f"skins/{skin.stem}_{part}.bmp"))

        window = self.load(window, "less", (216, 71))
        window = self.load(window, "n", size)
        assert_face(window, skin.background, skin.digits, skin.transparent, skin.first, skin.last,
                         skin.positions)

        # With a message window open, both commands warn; the Load skin command goes on. The
        # message window stands clear of the clock.
        folder.write("vantelmsg.ini", "[Settings]\nWindowPos=500,400\n")
        message = self.start_program("vantelmsg.exe", folder)
        rig.wait_window("Vantel Message", "Vantel - Message")
        # The message window has the focus now: a click on a digit brings the clock to the
        # front again (a click without a move drags nothing), and its menu takes the keys.
        left, top = skin.positions[skin.first]
        rig.click(window.rect.left + left + 2, window.rect.top + top + 2)
        rig.wait_until(lambda: rig.find_window(CLASS, TITLE).foreground, what="the clock in front")
        rig.key(window, "Menu")
        rig.wait_menu()
        rig.key(window, "l")
        self.answer_box(LOAD_WARNING, WARNING)
        dialog = rig.find_window(rig.BOX_CLASS, LOAD_DIALOG, wait=rig.WINDOW_TIMEOUT)
        self.assertIsNotNone(dialog, "the Load skin dialog opens after the warning")
        rig.key_inside(dialog, "Escape")
        self.wait_closed(LOAD_DIALOG)
        dialog = self.open_menu_dialog(window, "s", SAVE_DIALOG)
        rig.key_inside(dialog, "alt+i")
        self.answer_box(SAVE_WARNING, WARNING)
        rig.key_inside(dialog, "alt+i")  # unticked: no warning
        rig.key_inside(dialog, "Escape")
        self.wait_closed(SAVE_DIALOG)
        self.assertIsNone(rig.find_window(rig.BOX_CLASS, WARNING))
        self.assertTrue(message.running())
        message.kill()
        self.stop_clock(clock, window)
