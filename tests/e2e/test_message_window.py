"""The message program's window: a reminder the clock fires appears and types its text out;
Escape, a double click and Exit close it and save its settings; several run at once, each
with its own message; a window saved off the screen comes back on it; a missing background
picture and a missing sound device are each reported once and saved as such; a picture
named relative to the program folder sizes the window and, with transparency, shapes it.

The text is read from the screen by its ink: the pixels of the font colour (AAFFBB, light
green), which the built-in background never shows and which the program draws without
anti-aliasing. Texts whose lines are counted avoid letters with descenders, so that the
lines of ink stay apart.

The helpers above the test classes serve the other message tests too.
"""

import os
import re
import time
import unittest.mock

import rig
from rig import Rect

CLASS = "Vantel Message"
TITLE = "Vantel - Message"
BOX_CLASS, BOX_TITLE = rig.BOX_CLASS, rig.ERROR_BOX_TITLE
SIZE = (440, 160)  # the built-in background picture
TEXT_AREA = Rect(15, 12, 410, 132)  # the default text area, window pixels
INK = bytes((0xBB, 0xFF, 0xAA))  # FontColor AAFFBB is 0x00BBGGRR: red BB, green FF, blue AA

WS_POPUP = 0x80000000
WS_SYSMENU = 0x00080000
WS_CAPTION = 0x00C00000
WS_THICKFRAME = 0x00040000
WS_EX_TOPMOST = 0x00000008

# What a message window writes when it closes, but for WindowPos, with no settings file.
DEFAULT_SETTINGS = {"DisplayDate": "1", "CharactersPerSecond": "25", "AlwaysOnTop": "1", "PlaySound": "1"}
DEFAULT_APPEARANCE = {"BackgroundBMP": "", "UseTransparency": "0", "TransparentColor": "FF00FF",
                      "TextArea": "15,12,410,132", "FontFaceName": "Arial", "FontHeight": "-19",
                      "FontColor": "AAFFBB", "FontWeight": "400", "FontItalic": "0", "FontCharSet": "0"}

# The context menu's rows from top to bottom: Settings, Appearance, Font, Font Color, Exit.
MENU_LAYOUT = ["text"] * 4 + ["separator", "text"]

# The most a set-up moves a window from its saved place, on each axis.
SHIFT_LIMIT = 45


def message_ini(text=None, date=None, settings=None, appearance=None):
    """vantelmsg.ini text: the Message section with the keys given, then the Settings and
    Appearance keys of the dicts."""
    lines = ["[Message]"]
    if date is not None:
        lines.append(f"Date={date}")
    if text is not None:
        lines.append(f"Text={text}")
    for name, keys in (("Settings", settings), ("Appearance", appearance)):
        if keys:
            lines.append(f"[{name}]")
            lines += [f"{key}={value}" for key, value in keys.items()]
    return "\n".join(lines) + "\n"


def text_area(window, area=TEXT_AREA):
    """The text area of a message window on the screen."""
    return area.moved(window.rect.left, window.rect.top)


def ink_rows(picture):
    """For every row of the picture, the number of its pixels in the font colour."""
    data, width = picture.data, picture.width * 3
    rows = []
    for top in range(0, len(data), width):
        rows.append(sum(1 for i in range(top, top + width, 3)
                        if data[i] == 0xBB and data[i + 1] == 0xFF and data[i + 2] == 0xAA))
    return rows


def ink(picture):
    """The number of pixels in the font colour."""
    return sum(ink_rows(picture))


def text_lines(picture):
    """The lines of text the picture shows: bands of rows with ink, as (top, bottom) rows."""
    bands, top = [], None
    for y, count in enumerate(ink_rows(picture) + [0]):
        if count and top is None:
            top = y
        elif not count and top is not None:
            bands.append((top, y))
            top = None
    return bands


def watch_typing(window, settle=0.6, timeout=rig.ACTION_TIMEOUT, area=TEXT_AREA):
    """Captures the window's text area (or another area, window pixels) again and again until
    it shows ink and has not changed for settle seconds (the text is complete: after that a
    tick draws nothing new). Returns the samples as (monotonic time, ink) and the last picture."""
    area = text_area(window, area)
    samples, state = [], {"picture": None, "since": None}

    def complete():
        picture = rig.capture(area)
        now = time.monotonic()
        samples.append((now, ink(picture)))
        if state["picture"] is None or picture.data != state["picture"].data:
            state["picture"], state["since"] = picture, now
            return False
        return samples[-1][1] > 0 and now - state["since"] >= settle

    rig.wait_until(complete, timeout, lambda: f"the typed text to be complete (ink seen: {samples[-6:]})",
                   interval=0.02)
    return samples, state["picture"]


def typed_text(window, settle=0.6, timeout=rig.ACTION_TIMEOUT, area=TEXT_AREA):
    """The picture of the text area (or another area) once the text is complete."""
    return watch_typing(window, settle, timeout, area)[1]


def key_to(window, *keys):
    """rig.key for one message window among several: Wine gives keys only to its foreground
    window, and without a window manager focusing another X window does not change that. A
    click on the window does (as a user's would); a click without a move drags nothing."""
    def foreground():
        shown = [found for found in rig.list_windows(CLASS) if found.handle == window.handle]
        return shown and shown[0].foreground

    if not foreground():
        rig.click(*window.rect.centre)
        rig.wait_until(foreground, what=f"{window} to become the foreground window")
    rig.key(window, *keys)


def non_silent(samples):
    """True when the recorded output holds a byte that is not silence (zero)."""
    return re.search(rb"[^\0]", samples) is not None


class MessageTestCase(rig.TestCase):
    """Starting message programs and checking what they save. No tests of its own."""

    def start_message(self, folder, wait=True):
        """Starts the folder's vantelmsg.exe; with wait, returns it with its window, which
        must be new (another message window may be open already)."""
        before = {window.handle for window in rig.list_windows(CLASS)}
        program = self.start_program("vantelmsg.exe", folder)
        if not wait:
            return program, None
        found = []

        def appeared():
            found[:] = [window for window in rig.list_windows(CLASS) if window.handle not in before]
            return found

        rig.wait_until(appeared, rig.WINDOW_TIMEOUT, "a new message window")
        return program, found[0]

    def assert_closes(self, program, window):
        """The program ends with exit code 0 and its window goes away."""
        self.assertEqual(program.wait_exit(), 0)
        self.assertNotIn(window.handle, [shown.handle for shown in rig.list_windows(CLASS)])

    def assert_saved(self, folder, window, settings=None, appearance=None, message=None):
        """vantelmsg.ini holds the Settings and Appearance keys (defaults, changed by the
        dicts), WindowPos where the window was, and the Message keys given (none when
        message is None: then the file has no Message section)."""
        saved = folder.read_ini("vantelmsg.ini")
        expected_settings = dict(DEFAULT_SETTINGS, **(settings or {}))
        expected_settings["WindowPos"] = f"{window.rect.left},{window.rect.top}"
        self.assertEqual(saved.section("Settings"), expected_settings)
        self.assertEqual(saved.section("Appearance"), dict(DEFAULT_APPEARANCE, **(appearance or {})))
        self.assertEqual(saved.section("Message"), message)

    def menu_rows(self, menu):
        """The rows of the open context menu, once it is painted with all of them."""
        rig.move_pointer(menu.rect.right + 200, menu.rect.bottom + 100)  # no item highlighted
        found = []

        def painted():
            found[:] = rig.menu_rows(rig.capture(menu.rect))
            return [row.kind for row in found] == MENU_LAYOUT

        rig.wait_until(painted, what=lambda: f"the message menu's rows {MENU_LAYOUT} (last seen {found})")
        return found


# ---------------------------------------------------------------------------------------

class MessageFromClockTest(MessageTestCase):
    def test_reminder_of_the_clock_appears_and_types_its_message(self):
        # Imported here: the reminder tests' clock settings, time zone and date forms.
        from test_reminders import CLASS as CLOCK_CLASS, TITLE as CLOCK_TITLE, DISPLAY_FORM, TZ, \
            local_text, settings_file

        # The message window stands apart from the clock's (at 10,10); no sound, as the
        # clock's sound device writes to the same output.
        folder = self.make_folder(programs=("vantel.exe", "vantelmsg.exe"), files={
            "vantelmsg.ini": message_ini(settings={"WindowPos": "400,300", "PlaySound": "0"})})
        text = "Tea time: the kettle has boiled"
        now = time.time()
        due = int(now) + rig.start_lead()
        folder.write("vantel.ini", settings_file(now, [{"start": due, "message": text}]))
        with unittest.mock.patch.dict(os.environ, {"TZ": TZ}):
            clock = self.start_program("vantel.exe", folder)
        clock_window = rig.wait_window(CLOCK_CLASS, CLOCK_TITLE)
        self.assertLess(time.time(), due, "the clock took too long to start for the test's event")
        self.assertIsNone(rig.find_window(CLASS, TITLE), "no message before the event's time")

        window = rig.wait_window(CLASS, TITLE, timeout=due - time.time() + rig.WINDOW_TIMEOUT)
        first = rig.capture(text_area(window))
        self.assertGreaterEqual(time.time(), due, "the message appears at the event's time, not before")
        self.assertEqual((window.class_name, window.title), (CLASS, TITLE))
        self.assertEqual(window.style & (WS_POPUP | WS_SYSMENU), WS_POPUP | WS_SYSMENU)
        self.assertFalse(window.style & (WS_CAPTION | WS_THICKFRAME), "the window has no caption or frame")
        self.assertTrue(window.exstyle & WS_EX_TOPMOST, "always on top by default")
        self.assertEqual((window.rect.width, window.rect.height), SIZE)
        self.assertTrue(400 - SHIFT_LIMIT <= window.rect.left <= 400 and 300 - SHIFT_LIMIT <= window.rect.top <= 300,
                        f"the window stands up to {SHIFT_LIMIT} px left and up of 400,300: {window.rect}")

        # Typed progressively: a later picture differs and has more ink, up to the end.
        later = rig.wait_until(lambda: (shown := rig.capture(text_area(window))).data != first.data and shown,
                               what="the text area to change")
        self.assertGreater(ink(later), ink(first), "the later picture has more of the text")
        complete = typed_text(window)
        self.assertGreater(ink(complete), ink(later), "the text was still being typed")
        self.assertEqual(len(text_lines(complete)), 2, "the date line above the one line of the message")

        rig.key(window, "Escape")
        rig.wait_until(lambda: rig.find_window(CLASS, TITLE) is None, what="the message window to close")
        rig.key(clock_window, "Escape")
        self.assertEqual(clock.wait_exit(), 0)
        self.assert_saved(folder, window, settings={"PlaySound": "0"},
                          message={"Date": local_text(due, DISPLAY_FORM), "Text": text})


class MessageWindowTest(MessageTestCase):
    def test_several_at_once_each_closed_its_own_way_saves_its_settings(self):
        # A program without a settings file: the defaults. Dragged out of the way of the
        # others, then closed with a double click.
        fresh = self.make_folder(programs=("vantelmsg.exe",))
        unset, unset_window = self.start_message(fresh)
        self.assertEqual(unset_window.rect.width, SIZE[0])
        start = unset_window.rect.centre
        dx, dy = 560 - unset_window.rect.left, 400 - unset_window.rect.top
        rig.drag(start, (start[0] + dx, start[1] + dy))
        unset_window = rig.wait_window_moved(unset_window, unset_window.rect.moved(dx, dy))

        # Two programs of one folder, each started with its own message.
        shared = self.make_folder(programs=("vantelmsg.exe",))
        shared.write("vantelmsg.ini", message_ini("Happy New Year!", "01.01.2000 00:00:00",
                                                  settings={"PlaySound": "0"}))
        first, first_window = self.start_message(shared)
        second_text = "The second reminder is this one: it is much too wide to stand on a line. " \
                      "It breaks at blanks and takes three lines."
        second_date = "07.12.2026 21:30:00"
        shared.write("vantelmsg.ini", message_ini(second_text, second_date,
                                                  settings={"PlaySound": "0", "WindowPos": "20,400"}))
        second, second_window = self.start_message(shared)
        self.assertEqual(len(rig.list_windows(CLASS)), 3, "three message windows at once")
        self.assertIsNotNone(rig.find_window(CLASS, TITLE))
        for window in (first_window, second_window, unset_window):
            self.assertEqual((window.title, window.rect.width, window.rect.height), (TITLE,) + SIZE)

        # The defaults show what the explicit values show; the second its own message.
        first_text = typed_text(first_window)
        self.assertEqual(typed_text(unset_window).data, first_text.data,
                         "without a settings file: Happy New Year! under 01.01.2000 00:00:00")
        self.assertEqual(len(text_lines(first_text)), 2)
        self.assertEqual(len(text_lines(typed_text(second_window))), 4, "the date line and three lines")

        # Double click.
        rig.double_click(*unset_window.rect.centre)
        self.assert_closes(unset, unset_window)
        self.assert_saved(fresh, unset_window)

        # Exit from the menu opened with a right click (it opens at the pointer).
        x, y = first_window.rect.centre
        rig.click(x, y, button=3)
        menu = rig.wait_menu()
        self.assertEqual((menu.rect.left, menu.rect.top), (x, y), "the menu opens at the pointer")
        exit_row = self.menu_rows(menu)[-1]
        rig.click(menu.rect.centre[0], menu.rect.top + (exit_row.top + exit_row.bottom) // 2)
        self.assert_closes(first, first_window)
        handed_over = {"Date": second_date, "Text": second_text}
        self.assert_saved(shared, first_window, settings={"PlaySound": "0"}, message=handed_over)

        # Escape: the last one closed leaves its settings; the Message section stays.
        self.assertEqual(rig.list_windows(CLASS)[0].handle, second_window.handle)
        key_to(second_window, "Escape")
        self.assert_closes(second, second_window)
        self.assert_saved(shared, second_window, settings={"PlaySound": "0"}, message=handed_over)
        self.assertFalse(non_silent(shared.played()), "PlaySound=0: nothing is played")

    def test_window_saved_off_the_screen_missing_picture_and_no_sound_device(self):
        folder = self.make_folder(programs=("vantelmsg.exe",))
        folder.write("vantelmsg.ini", message_ini(
            "Line one<br>Line two", settings={"WindowPos": "-3000,-3000", "AlwaysOnTop": "0"},
            appearance={"BackgroundBMP": "\\missing\\nothing.bmp"}))
        # No sound device: the default ALSA device names a card that does not exist.
        (folder.home / ".asoundrc").write_text("pcm.!default { type hw card 31 }\n")
        program, _ = self.start_message(folder, wait=False)
        # Both boxes come while the window is being made, before it is shown. A relative
        # path is read against the program folder.
        owners = [self.answer_box(f'Cannot find file "{folder.windows_path("missing")}\\nothing.bmp".\n'
                                  "Loading default background bitmap."),
                  self.answer_box("Could not create DirectSound object.\n\n"
                                  "Vantel requires DirectX(TM) 5 (or better).")]

        window = rig.wait_window(CLASS, TITLE)
        self.assertEqual(owners, [window.handle] * 2, "the boxes belong to the message window")
        self.assertEqual(window.rect, Rect(0, 0, *SIZE), "moved the least distance into the screen's work area")
        self.assertFalse(window.exstyle & WS_EX_TOPMOST, "AlwaysOnTop=0")
        lines = text_lines(typed_text(window))
        self.assertEqual(len(lines), 3, "the date line, then the two lines the <br> marker makes")
        self.assertIsNone(rig.find_window(BOX_CLASS, BOX_TITLE), "each warning is shown once")

        # Shift+F10 opens the menu at the window's corner; its Exit item's mnemonic ends it.
        rig.key(window, "shift+F10")
        menu = rig.wait_menu()
        self.assertEqual((menu.rect.left, menu.rect.top), (window.rect.left, window.rect.top))
        self.menu_rows(menu)
        rig.key(window, "x")
        self.assert_closes(program, window)
        # The missing picture is saved empty, the failed sound as switched off.
        self.assert_saved(folder, window, settings={"AlwaysOnTop": "0", "PlaySound": "0"},
                          message={"Text": "Line one<br>Line two"})

    def test_picture_named_relative_to_the_program_folder_sizes_and_shapes_the_window(self):
        # The clock's background: 216 x 71 with magenta corners.
        picture = rig.ART / "clock_background.bmp"
        folder = self.make_folder(programs=("vantelmsg.exe",), files={"pictures/face.bmp": picture})
        folder.write("vantelmsg.ini", message_ini("Shaped", settings={"PlaySound": "0", "CharactersPerSecond": "512"},
                                                  appearance={"BackgroundBMP": "\\pictures\\face.bmp",
                                                              "UseTransparency": "1"}))
        background = rig.Image.load(picture)
        opaque = {(x, y) for y in range(background.height) for x in range(background.width)
                  if background.pixel(x, y) != (255, 0, 255)}
        program, _ = self.start_message(folder)
        window = rig.wait_window(CLASS, TITLE, rects=True)
        self.assertEqual((window.rect.width, window.rect.height), (background.width, background.height))
        self.assertEqual(window.region_type, "complex")
        self.assertEqual(rig.pixels_of(window.region_rects), opaque, "the magenta pixels are cut out")
        self.assertEqual(rig.pixels_of(rig.x_shape(rig.x_window(window)) or []), opaque, "the X window's shape")
        self.assertGreater(ink(typed_text(window, area=Rect(0, 0, background.width, background.height))), 0)
        rig.key(window, "Escape")
        self.assert_closes(program, window)
        # Saved as the full path; the text area as limited to the smaller window.
        self.assert_saved(folder, window, settings={"PlaySound": "0", "CharactersPerSecond": "512"},
                          appearance={"BackgroundBMP": folder.windows_path("pictures/face.bmp"),
                                      "UseTransparency": "1", "TextArea": "15,12,216,71"},
                          message={"Text": "Shaped"})
