"""Dates past 2038: the clock running through 2038-01-19 03:14:07 UTC (its clock shifted
there with libfaketime), and a countdown to 1 January 2040 set in the Preferences dialog.

The clock runs in UTC (TZ "UTC0", as Wine and the C runtime both read it); every date in
its files is computed here in UTC from time.time(), the clock the programs read, plus the
shift written for libfaketime."""

import calendar
import os
import re
import time
import unittest.mock

import rig
from test_clock_time import ROW_OF_EIGHT, slots_shown, span_text
from test_reminders import APPEARANCE, SOUND, STAND_IN, WM_CLOSE, Record

CLASS = "Vantel"
TITLE = "Vantel - Digital clock"
PREFERENCES = "Vantel - Preferences"
DATE, TIME = 1032, 1050  # the Preferences dialog's pickers
MESSAGE = 1038  # the Events dialog's message field
FILE_FORM = "%Y-%m-%d %H:%M:%S"
DISPLAY_FORM = "%d.%m.%Y %H:%M:%S"
# Hours, minutes and seconds on the built-in skin's slots 4 to 9.
HMS_SLOTS = rig.digit_slots([(20, 15), (45, 15), (80, 15), (105, 15), (140, 15), (165, 15)])


def utc(text):
    return calendar.timegm(time.strptime(text, FILE_FORM))


def utc_text(seconds, form=FILE_FORM):
    return time.strftime(form, time.gmtime(seconds))


class FarDatesTest(rig.TestCase):
    def setUp(self):
        zone = unittest.mock.patch.dict(os.environ, {"TZ": "UTC0"})
        zone.start()
        self.addCleanup(zone.stop)
        rig.session()  # up before a test computes times for the clock to start with

    def records(self, folder):
        return sorted((Record(path) for path in folder.path.glob("standin-*.txt")), key=lambda r: r.started)

    def test_the_clock_runs_through_the_end_of_32_bit_time(self):
        # Started at 03:13:40 UTC on 19 January 2038, 27 s before a 32-bit count of seconds
        # ends: a reminder due at 03:14:25 and an hourly one that started at 02:14:35.
        folder = self.make_folder(files={"vantelmsg.exe": STAND_IN, "ding.wav": SOUND})
        offset = folder.root / "clock-offset"
        shift = utc("2038-01-19 03:13:40") - int(time.time())
        offset.write_text(f"{shift:+d}\n")
        folder.write("vantel.ini", (
            "[Settings]\nClockMode=1\nLastEventCheck=2038-01-19 03:13:39\nLastOfMonthMode=1\n"
            "DisplayPastEvents=1\n" + APPEARANCE +
            "[Event1]\nDate=2038-01-19 02:14:35\nRecurrencePattern=Hourly\nMessage=Hourly past 2038\n"
            "[Event2]\nDate=2038-01-19 03:14:25\nRecurrencePattern=<none>\nMessage=Once past 2038\n"))
        with unittest.mock.patch.dict(os.environ, rig.faketime_env(offset)):
            clock = self.start_program("vantel.exe", folder)
        window = rig.wait_window(CLASS, TITLE)
        reader = rig.FaceReader(HMS_SLOTS)

        # The face goes on from 03:14:07 to 03:14:08 and on, not to a date in 1901.
        seen = []

        def past_the_end():
            text = reader.read(rig.capture(window.rect))
            seen.append(text)
            return text is not None and "031408" <= text <= "031459"

        lead = max(utc("2038-01-19 03:14:08") - (time.time() + shift), 0)
        started = time.monotonic()
        rig.wait_until(past_the_end, lead + 8.0, lambda: f"the face to show 03:14:08 or later (shown: {seen[-5:]})",
                       note=False)
        rig.note_wait(started + lead, 8.0, "the face to pass 03:14:07")

        # Both reminders, each once, at their times past the end.
        def arrived():
            return len(self.records(folder)) >= 2

        lead = max(utc("2038-01-19 03:14:35") - (time.time() + shift), 0)
        started = time.monotonic()
        rig.wait_until(arrived, lead + 8.0, lambda: f"two reminders (records: {self.records(folder)})", note=False)
        rig.note_wait(started + lead, 8.0, "the reminders past 2038")
        rig.wait_until(lambda: time.time() + shift >= utc("2038-01-19 03:14:37"), 10.0,
                       "the clock to pass the hourly reminder by two seconds", note=False)
        found = self.records(folder)
        self.assertEqual([(r.text, r.date) for r in found],
                         [("Once past 2038", "19.01.2038 03:14:25"), ("Hourly past 2038", "19.01.2038 03:14:35")])

        # The last check saved at the end is in 2038.
        asked = int(time.time()) + shift
        self.assertEqual(rig.session().run_probe(["post", CLASS, TITLE, str(WM_CLOSE)]), ["posted 1"])
        self.assertEqual(clock.wait_exit(), 0)
        saved = folder.read_ini("vantel.ini")
        last_check = utc(saved.get("Settings", "LastEventCheck"))
        self.assertLessEqual(asked - 2, last_check)
        self.assertLessEqual(last_check, int(time.time()) + shift)
        self.assertEqual(saved.get("Event2", "Date"), "2038-01-19 03:14:25", "the event is kept")

    def test_a_countdown_to_2040_set_in_the_preferences_counts_the_days(self):
        # Slots 0 to 7 side by side: days (4 digits), hours, minutes.
        positions = ROW_OF_EIGHT + [(0, 0)] * 4
        ini = ("[Settings]\nClockMode=1\nLastOfMonthMode=1\nDisplayPastEvents=1\n[Appearance]\n"
               "WindowPos=560,450\nBackgroundBMP=\nDigitsBMP=\nTransparentColor=FF00FF\nFirstDigit=0\n"
               "LastDigit=7\n" + "".join(f"Digit{n}={x},{y}\n" for n, (x, y) in enumerate(positions, 1)))
        folder = self.make_folder(files={})
        folder.write("vantel.ini", ini)
        clock = self.start_program("vantel.exe", folder)
        window = rig.wait_window(CLASS, TITLE)
        dialog = self.open_menu_dialog(window, "p", PREFERENCES)

        # Remaining time, then 1 January 2040 at 00:00:00 in the pickers, field by field
        # (wherever the locale puts them; they start at the default date, next New Year).
        rig.key_inside(dialog, "alt+r")
        numbers = re.findall(r"\d+", self.picker_text(dialog, DATE))
        for field, number in enumerate(numbers):
            keys = "2040" if len(number) == 4 else "01" if int(number) != 1 else ""
            if keys:
                rig.key_inside(dialog, "alt+r", "Tab", *["Right"] * (field + 1), *keys)
        rig.wait_until(lambda: sorted(map(int, re.findall(r"\d+", self.picker_text(dialog, DATE)))) == [1, 1, 2040],
                       what=lambda: f"the date picker to show 1 January 2040 ({self.picker_text(dialog, DATE)!r})")
        rig.key_inside(dialog, "alt+r", "Tab", "Tab", "Right", "0", "0", "Right", "0", "0", "Right", "0", "0")
        rig.wait_until(lambda: self.picker_text(dialog, TIME) == "00:00:00",
                       what=lambda: f"the time picker to show 00:00:00 ({self.picker_text(dialog, TIME)!r})")
        rig.key_inside(dialog, "Return")
        rig.wait_until(lambda: rig.find_window(rig.BOX_CLASS, PREFERENCES) is None, what="the dialog to close")

        target = utc("2040-01-01 00:00:00")
        reader = rig.FaceReader(slots_shown(0, 7, positions))
        seen = []

        def counted():
            started = time.time()
            text = reader.read(rig.capture(window.rect))
            seen.append(text)
            spans = {span_text(target - t, 0, 7) for t in range(int(started) - 1, int(time.time()) + 2)}
            return text in spans

        rig.wait_until(counted, rig.ACTION_TIMEOUT, lambda: f"the days, hours and minutes to 2040 (shown: {seen[-5:]}, "
                                                            f"{(target - time.time()) / 86400:.3f} days to go)")
        rig.key(window, "Escape")
        self.assertEqual(clock.wait_exit(), 0)
        saved = folder.read_ini("vantel.ini")
        self.assertEqual(saved.get("Countdown", "Date"), "2040-01-01 00:00:00")
        self.assertEqual(saved.get("Settings", "ClockMode"), "0")

    def test_dates_the_pickers_cannot_show_are_kept_unless_changed(self):
        # Before 2 January 1970 and after 31 December 3000, yet calendar times in UTC.
        kept = ["1970-01-01 12:00:00", "3001-01-01 05:00:00"]
        folder = self.make_folder(files={})
        folder.write("vantel.ini", (
            "[Settings]\nClockMode=1\nLastOfMonthMode=1\nDisplayPastEvents=0\n[Countdown]\n"
            "Date=1970-01-01 06:00:00\n" + APPEARANCE + "".join(
                f"[Event{n}]\nDate={date}\nRecurrencePattern=Daily\nMessage=Kept {n}\n"
                for n, date in enumerate(kept, 1))))
        clock = self.start_program("vantel.exe", folder)
        window = rig.wait_window(CLASS, TITLE)

        # Each event moved into the editor and added back unchanged, then OK.
        dialog = self.open_menu_dialog(window, "e", "Vantel - Events")
        for row in (0, 1):
            rig.key_inside(dialog, "alt+v", "Home", *["Down"] * row, "alt+e")
            rig.wait_until(lambda: self.picker_text(dialog, MESSAGE) == f"Kept {row + 1}",
                           what=f"event {row + 1} in the editor")
            rig.key_inside(dialog, "alt+a")
        # Had an Add been refused, a box would stand in the way, or OK would ask to discard.
        rig.key_inside(dialog, "alt+i", "Return")
        rig.wait_until(lambda: rig.find_window(rig.BOX_CLASS, "Vantel - Events") is None, what="the dialog to close")

        # Preferences: OK without touching the pickers.
        dialog = self.open_menu_dialog(window, "p", PREFERENCES)
        rig.key_inside(dialog, "Return")
        rig.wait_until(lambda: rig.find_window(rig.BOX_CLASS, PREFERENCES) is None, what="the dialog to close")
        rig.key(window, "Escape")
        self.assertEqual(clock.wait_exit(), 0)
        saved = folder.read_ini("vantel.ini")
        self.assertEqual([saved.get(f"Event{n}", "Date", "") for n in (1, 2, 3)], kept + [""])
        self.assertEqual(saved.get("Countdown", "Date"), "1970-01-01 06:00:00")

    @staticmethod
    def picker_text(dialog, control):
        return {child.control_id: child.text for child in rig.window_children(dialog)[1]}.get(control) or ""
