"""The clock's Events dialog, driven with real keys; what it changed is read from vantel.ini
at exit. The clock runs in a fixed time zone, and expected dates are computed here from
time.time() in that zone (as in test_reminders), the clock the pickers start from."""

import calendar
import os
import re
import time
import unittest.mock

import rig
from test_reminders import ACTION_BOUND, DISPLAY_FORM, SOUND, STAND_IN, TZ, UTC_OFFSET, Record, local_text, \
    settings_file

CLASS = "Vantel"
TITLE = "Vantel - Digital clock"
DIALOG = "Vantel - Events"
WARNING = "Vantel - Warning"

DATE, TIME, APP, SOUND_FIELD, MESSAGE, LIST, RECURRENCE = 1031, 1033, 1035, 1036, 1038, 1039, 1045
# The mnemonic that focuses each field (and selects its whole text).
MNEMONIC = {DATE: "alt+d", TIME: "alt+t", RECURRENCE: "alt+r", MESSAGE: "alt+i", SOUND_FIELD: "alt+p", APP: "alt+u"}
PATTERNS = ["<none>", "Hourly", "Daily", "Weekly", "Monthly", "Yearly"]

# The dialog's controls in tab order (id, class, text); None: a text that changes.
CONTROLS = [(65535, "Button", "Event settings"), (65535, "Static", "&Date:"), (DATE, "SysDateTimePick32", None),
            (65535, "Static", "&Time:"), (TIME, "SysDateTimePick32", None),
            (65535, "Static", "&Recurrence pattern:"), (RECURRENCE, "ComboBox", "<none>"),
            (65535, "Static", "D&isplay message:"), (MESSAGE, "Edit", ""), (65535, "Static", "&Play sound:"),
            (SOUND_FIELD, "Edit", ""), (1042, "Button", "..."), (65535, "Static", "R&un application:"),
            (APP, "Edit", ""), (1043, "Button", "..."), (65535, "Static", "E&vents:"), (LIST, "SysListView32", ""),
            (1040, "Button", "&Add"), (1044, "Button", "&Edit"), (1041, "Button", "Re&move"), (1, "Button", "OK"),
            (2, "Button", "Cancel")]
PARTS = ("msctls_updown32", "SysHeader32")  # the time picker's spin buttons, the list's header

NO_NOTIFICATION = "Specify a notification (Message, sound or application)."
NO_SOUND_FILE = "Cannot find the sound file.\n\nCheck the filename and try again."
LIST_FULL = "The event list already contains the max. number of items."
DISCARD = "You specified a new event but did not add it to the event list\nDo you want to discard it?"


def local_now():
    return time.gmtime(time.time() + UTC_OFFSET)


def at(*fields):
    """The calendar time of a local date (year, month, day, hour, minute, second)."""
    return calendar.timegm(fields) - UTC_OFFSET


def saved_events(folder):
    """The events of vantel.ini in file order: (Date, RecurrencePattern, SoundFile, Message, AppFile)."""
    ini = folder.read_ini("vantel.ini")
    keys = ("Date", "RecurrencePattern", "SoundFile", "Message", "AppFile")
    events = [tuple(ini.get(f"Event{n}", key, "") for key in keys) for n in range(1, 33)]
    return [event for event in events if event[0]]


class EventsDialogTest(rig.TestCase):
    def start_clock(self, events):
        # The zone puts the run about noon: every date the pickers start from is today's.
        folder = self.make_folder(files={"vantelmsg.exe": STAND_IN, "ding.wav": SOUND})
        folder.write("vantel.ini", settings_file(time.time(), events, display_past_events=0))
        with unittest.mock.patch.dict(os.environ, {"TZ": TZ}):
            clock = self.start_program("vantel.exe", folder)
        return folder, clock, rig.wait_window(CLASS, TITLE)

    def open_dialog(self, window):
        return self.open_menu_dialog(window, "e", DIALOG)

    def close_dialog(self, dialog, *keys):
        rig.key_inside(dialog, *keys)
        rig.wait_until(lambda: rig.find_window(rig.BOX_CLASS, DIALOG) is None, what="the Events dialog to close")

    @staticmethod
    def fields(dialog):
        return {child.control_id: child.text for child in rig.window_children(dialog)[1]}

    def wait_fields(self, dialog, expected, timeout=rig.ACTION_TIMEOUT):
        """Waits until the controls (id: text, or a test of the text) show what is expected."""
        seen = {}

        def shown():
            seen.update(self.fields(dialog))
            return all(want(seen.get(control)) if callable(want) else seen.get(control) == want
                       for control, want in expected.items())

        rig.wait_until(shown, timeout, lambda: f"the fields {expected} (shown: {seen})")

    def type_text(self, dialog, control, text, shown=None):
        """Focuses the field by its mnemonic, which selects its text, and types over it."""
        rig.key_inside(dialog, MNEMONIC[control])
        if text:
            rig.session().run_tool(["xdotool", "type", "--delay", "10", text])
        else:
            rig.session().run_tool(["xdotool", "key", "BackSpace"])
        # Under emulation each key takes its time.
        self.wait_fields(dialog, {control: text if shown is None else shown}, rig.ACTION_TIMEOUT + 0.05 * len(text))

    def set_time(self, dialog, hour, minute, second):
        keys = ["Right", *f"{hour:02d}", "Right", *f"{minute:02d}", "Right", *f"{second:02d}"]
        rig.key_inside(dialog, MNEMONIC[TIME], *keys)
        self.wait_fields(dialog, {TIME: f"{hour:02d}:{minute:02d}:{second:02d}"})

    def year_keys(self, dialog, *keys, year):
        """Types the keys into the date picker's year field (wherever the locale puts it);
        the picker then shows the year."""
        numbers = re.findall(r"\d+", self.fields(dialog)[DATE])
        field = next(i for i, number in enumerate(numbers) if len(number) == 4)
        rig.key_inside(dialog, MNEMONIC[DATE], *["Right"] * (field + 1), *keys)
        self.wait_fields(dialog, {DATE: lambda text: str(year) in re.findall(r"\d+", text or "")})

    def set_pattern(self, dialog, code):
        rig.key_inside(dialog, MNEMONIC[RECURRENCE], "Home", *["Down"] * code)
        self.wait_fields(dialog, {RECURRENCE: PATTERNS[code]})

    @staticmethod
    def select_row(dialog, row, *keys):
        rig.key_inside(dialog, "alt+v", "Home", *["Down"] * row, *keys)

    def answer(self, dialog, text, keys=("Return",), title=rig.ERROR_BOX_TITLE):
        """Waits for the box, checks that the dialog owns it and what it says, answers it."""
        box = rig.find_window(rig.BOX_CLASS, title, wait=rig.WINDOW_TIMEOUT)
        self.assertIsNotNone(box, f"no box saying {text!r}")
        owner, children = rig.window_children(box)
        self.assertEqual(owner, dialog.handle, "the box belongs to the Events dialog")
        self.assertIn(text, [child.text for child in children])
        rig.key_inside(box, *keys)
        rig.wait_until(lambda: rig.find_window(rig.BOX_CLASS, title) is None, what="the box to close")

    def exit_clock(self, clock, window):
        rig.key(window, "Escape")
        self.assertEqual(clock.wait_exit(), 0)
        return saved_events(clock.folder)

    def test_add_edit_and_discard_keep_the_events_in_time_order(self):
        year = local_now().tm_year
        weekly = (year + 2, 6, 15, 10, 0, 0)
        yearly = (year + 5, 1, 2, 8, 0, 0)
        self.assertLess(year + 5, 2038, "the test's dates fit calendar time")
        # In the file out of order: the dialog sorts what it loads too.
        folder, clock, window = self.start_clock([
            {"start": at(*yearly), "pattern": "Yearly", "message": "Seeded yearly"},
            {"start": at(*weekly), "pattern": "Weekly", "message": "Seeded weekly"}])
        ding, missing = folder.windows_path("ding.wav"), folder.windows_path("missing.wav")

        dialog = self.open_dialog(window)
        today = local_now()
        owner, children = rig.window_children(dialog)
        self.assertEqual(owner, window.handle, "the dialog belongs to the clock window")
        controls = [(c.control_id, c.class_name, c.text) for c in children if c.class_name not in PARTS]
        self.assertEqual([(i, k, text if want is not None else None) for (i, k, text), (_, _, want)
                          in zip(controls, CONTROLS)] + controls[len(CONTROLS):], CONTROLS)
        self.assertIn("msctls_updown32", [c.class_name for c in children], "the time picker has spin buttons")
        shown = self.fields(dialog)
        self.assertRegex(shown[TIME], r"^\d\d:\d\d:\d\d$", "the time shows its seconds")
        self.assertEqual(sorted(map(int, re.findall(r"\d+", shown[DATE]))),
                         sorted([today.tm_year, today.tm_mon, today.tm_mday]), "the date picker starts at today")
        month, day = today.tm_mon, today.tm_mday
        if (month, day) == (2, 29):
            self.skipTest("29 February has no date in the years ahead")

        # Refused: no notification, then a sound file that is not there.
        rig.key_inside(dialog, "alt+a")
        self.answer(dialog, NO_NOTIFICATION)
        self.type_text(dialog, MESSAGE, "Kettle")
        self.type_text(dialog, SOUND_FIELD, missing)
        rig.key_inside(dialog, "alt+a")
        self.answer(dialog, NO_SOUND_FILE)

        # Years the clock cannot hold are not taken: after each the year steps from this one.
        self.year_keys(dialog, "3", "0", "0", "1", "Up", year=year + 1)
        self.year_keys(dialog, "1", "9", "6", "9", "Up", year=year + 2)
        self.year_keys(dialog, "Down", "Down", year=year)

        # Out of order, the later first; the fields of one row stay together.
        self.type_text(dialog, SOUND_FIELD, "")
        block_started = time.monotonic()
        self.year_keys(dialog, "Up", "Up", "Up", year=year + 3)
        self.set_time(dialog, 7, 8, 9)
        self.set_pattern(dialog, 4)
        self.type_text(dialog, MESSAGE, "Later")
        self.type_text(dialog, SOUND_FIELD, ding)  # longer than the field is wide
        self.type_text(dialog, APP, "later.exe --now")
        rig.key_inside(dialog, "alt+a")
        block = time.monotonic() - block_started
        self.year_keys(dialog, "Down", "Down", year=year + 1)
        self.set_time(dialog, 21, 22, 23)
        self.set_pattern(dialog, 2)
        self.type_text(dialog, MESSAGE, "Sooner")
        self.type_text(dialog, SOUND_FIELD, "")
        self.type_text(dialog, APP, "")
        rig.key_inside(dialog, "alt+a")

        # Rows: sooner, weekly, later, yearly. Edit moves the weekly event into the editor;
        # an Add refused for its sound leaves it pending there.
        self.select_row(dialog, 1, "alt+e")
        self.wait_fields(dialog, {MESSAGE: "Seeded weekly", RECURRENCE: "Weekly", TIME: "10:00:00", SOUND_FIELD: "",
                                  DATE: lambda text: sorted(map(int, re.findall(r"\d+", text or ""))) == [6, 15, year + 2]})
        self.type_text(dialog, SOUND_FIELD, missing)
        rig.key_inside(dialog, "alt+a")
        self.answer(dialog, NO_SOUND_FILE)
        rig.key_inside(dialog, "alt+i", "Return")
        self.answer(dialog, DISCARD, ("Return",), WARNING)  # No is the default
        self.assertIsNotNone(rig.find_window(rig.BOX_CLASS, DIALOG), "No keeps the dialog open")
        self.wait_fields(dialog, {MESSAGE: "Seeded weekly", RECURRENCE: "Weekly", SOUND_FIELD: missing})
        self.type_text(dialog, SOUND_FIELD, "")
        rig.key_inside(dialog, "alt+a")
        # Added back: OK asks nothing.
        self.close_dialog(dialog, "alt+i", "Return")

        # Edit, then OK answering Yes: the yearly event is gone.
        dialog = self.open_dialog(window)
        self.select_row(dialog, 3, "alt+e")
        self.wait_fields(dialog, {MESSAGE: "Seeded yearly", RECURRENCE: "Yearly"})
        rig.key_inside(dialog, "alt+i", "Return")
        self.answer(dialog, DISCARD, ("y",), WARNING)
        rig.wait_until(lambda: rig.find_window(rig.BOX_CLASS, DIALOG) is None, what="Yes to close the dialog")

        # The longest texts the event keeps, typed one character too many; what the
        # fields show is what is saved.
        dialog = self.open_dialog(window)
        message = "abcdefghij" * 52
        app = "C:\\apps\\" + "x" * 260
        self.type_text(dialog, MESSAGE, message, message[:511])
        self.type_text(dialog, APP, app, app[:259])
        self.year_keys(dialog, "Up", "Up", "Up", "Up", year=year + 4)
        self.set_time(dialog, 12, 0, 0)
        rig.key_inside(dialog, "alt+a")

        # Today (the dialog started at today), a little ahead: it falls due while the rest
        # goes on. Setting it and closing the dialog take less time than the block of fields
        # of the first dialog took: twice that is ahead enough.
        due = int(time.time()) + max(10, int(2 * block) + 5)
        hour, minute, second = time.gmtime(due + UTC_OFFSET)[3:6]
        self.year_keys(dialog, "Down", "Down", "Down", "Down", year=year)
        self.set_time(dialog, hour, minute, second)
        self.type_text(dialog, MESSAGE, "Due soon")
        self.type_text(dialog, APP, "")
        rig.key_inside(dialog, "alt+a")
        self.close_dialog(dialog, "alt+i", "Return")
        self.assertLess(time.time(), due, "the dialog was closed before the added event's time")

        found = []

        def handed_over():
            found[:] = [Record(path) for path in folder.path.glob("standin-*.txt")]
            return found

        rig.wait_until(lambda: time.time() >= due, max(due - time.time(), 0) + 1, "the event's time", note=False)
        rig.wait_until(handed_over, ACTION_BOUND, lambda: f"the reminder of the added event (records: {found})")
        self.assertEqual([(r.text, r.date) for r in found], [("Due soon", local_text(due, DISPLAY_FORM))])
        self.assertGreaterEqual(found[0].started, due, "not before its time")

        self.assertEqual(self.exit_clock(clock, window), [
            (local_text(due), "<none>", "", "Due soon", ""),
            (local_text(at(year + 1, month, day, 21, 22, 23)), "Daily", "", "Sooner", ""),
            (local_text(at(*weekly)), "Weekly", "", "Seeded weekly", ""),
            (local_text(at(year + 3, month, day, 7, 8, 9)), "Monthly", ding, "Later", "later.exe --now"),
            (local_text(at(year + 4, month, day, 12, 0, 0)), "<none>", "", message[:511], app[:259])])

    def test_a_33rd_event_is_refused_and_cancel_changes_nothing(self):
        first = at(local_now().tm_year + 1, 1, 1, 9, 0, 0)
        seeded = [{"start": first + n * 86400 + n, "pattern": PATTERNS[n % 6], "message": f"Event {n + 1}",
                   "app": f"app{n}.exe" if n % 4 == 0 else ""} for n in range(32)]
        _, clock, window = self.start_clock(seeded)
        dialog = self.open_dialog(window)
        self.type_text(dialog, MESSAGE, "One too many")
        rig.key_inside(dialog, "alt+a")
        self.answer(dialog, LIST_FULL)

        # Remove the first row, move the third (now second) into the editor, add it back
        # and one more: Cancel keeps the table as it was.
        self.select_row(dialog, 0, "alt+m")
        self.select_row(dialog, 1, "alt+e")
        self.wait_fields(dialog, {MESSAGE: "Event 3", RECURRENCE: PATTERNS[2]})
        rig.key_inside(dialog, "alt+a")
        self.type_text(dialog, MESSAGE, "Extra")
        rig.key_inside(dialog, "alt+a")
        # The "..." after each path opens the open-file dialog with its own filter.
        for field, kinds in ((SOUND_FIELD, "Audio files (*.wav)"), (APP, "Executable files (*.exe;*.com;*.bat)")):
            rig.key_inside(dialog, MNEMONIC[field], "Tab", "space")
            chooser = rig.find_window(rig.BOX_CLASS, "Open", wait=rig.WINDOW_TIMEOUT)
            self.assertIsNotNone(chooser, "the open-file dialog opened")
            owner, children = rig.window_children(chooser)
            self.assertEqual(owner, dialog.handle)
            self.assertIn(kinds, [child.text for child in children])
            rig.key_inside(chooser, "Escape")
            rig.wait_until(lambda: rig.find_window(rig.BOX_CLASS, "Open") is None, what="the chooser to close")
        self.close_dialog(dialog, "Escape")

        self.assertEqual(self.exit_clock(clock, window), [
            (local_text(event["start"]), event["pattern"], "", event["message"], event["app"]) for event in seeded])

    def test_a_confirmed_event_is_saved_at_once_and_its_path_with_blanks_starts_that_program(self):
        # "my tools\marker.exe" beside a decoy "my.exe": started unquoted, the line would
        # run the decoy with "tools\marker.exe" as its argument. Both are the stand-in,
        # which records a start without arguments beside itself, and one with other
        # arguments as well: the decoy's record would lie in the program folder.
        folder, clock, window = self.start_clock([])
        folder.write("my tools/marker.exe", STAND_IN)
        folder.write("my.exe", STAND_IN)
        marker = folder.windows_path("my tools\\marker.exe")
        dialog = self.open_dialog(window)
        # Ahead by what a few actions in the dialog and a start may take on this run.
        due = int(time.time()) + max(10, int(4 * rig.start_cost()) + 6)
        self.set_time(dialog, *time.gmtime(due + UTC_OFFSET)[3:6])
        self.type_text(dialog, APP, marker)
        rig.key_inside(dialog, "alt+a")
        self.close_dialog(dialog, "alt+i", "Return")
        self.assertLess(time.time(), due, "the event was confirmed before its time")
        event = (local_text(due), "<none>", "", "", marker)
        rig.wait_until(lambda: saved_events(folder) == [event], what="the confirmed event in vantel.ini")

        started = lambda: list(folder.path.glob("my tools/standin-*.txt"))
        rig.wait_until(started, max(due - time.time(), 0) + ACTION_BOUND, "the marker program to start", note=False)
        self.assertEqual(len(started()), 1)
        self.assertEqual(list(folder.path.glob("standin-*.txt")), [], "the decoy my.exe did not run")
        # Ended without closing: what OK saved stays, the path as it was typed.
        clock.kill()
        self.assertEqual(saved_events(folder), [event])
