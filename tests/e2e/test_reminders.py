"""Reminders: events of vantel.ini that fall due while the clock runs, or fell due while it
did not, play their sound, hand their message to the message program and start their
application; a failed application start is reported without stopping the face.

The message program is played by the stand-in (tests/tools/StandInMessage.cpp) copied
into the clock's folder as vantelmsg.exe: each start of it records the Message section it
found in standin-<pid>.txt; started as "vantelmsg.exe app <name>" it writes <name>.started.
Both record their start time from the system clock, the clock the clock program reads.

The clock runs in a fixed time zone (TZ) and every date in its files is computed here from
time.time() in that zone, so nothing depends on the machine's own zone.
"""

import calendar
import os
import re
import time
import unittest.mock
from pathlib import Path

import rig

CLASS = "Vantel"
TITLE = "Vantel - Digital clock"
STAND_IN = rig.TOOLS / "standin_message.exe"
SOUND = Path("/usr/share/sounds/alsa/Front_Center.wav")



def noon_zone():
    """A zone without daylight saving, half an hour off the whole hours, in which it is
    about noon when the run starts: no test of a run meets the local midnight, whatever
    the time of day the run has. Written as the C runtime reads TZ ("VTL-5:30" is UTC+5:30),
    so that its reading and Wine's choice of the Windows time zone agree (a name like
    Asia/Kolkata means UTC to the C runtime). Returns TZ and the offset in seconds."""
    hours = 12 - time.gmtime().tm_hour  # -11 to 12
    offset = hours * 3600 + (1800 if hours >= 0 else -1800)
    sign = "-" if offset >= 0 else ""
    return f"VTL{sign}{abs(offset) // 3600}:30", offset


TZ, UTC_OFFSET = noon_zone()

FILE_FORM = "%Y-%m-%d %H:%M:%S"
DISPLAY_FORM = "%d.%m.%Y %H:%M:%S"

# How long past its time the tests wait for an event's actions. How far ahead of the
# clock's start an event is put comes from the starts of this run (rig.start_lead()).
ACTION_BOUND = 8.0

# The built-in skin, written out: without digit positions the clock reports them missing.
APPEARANCE = "[Appearance]\nWindowPos=10,10\nAlwaysOnTop=0\nBackgroundBMP=\nDigitsBMP=\n" \
             "TransparentColor=FF00FF\nFirstDigit=4\nLastDigit=9\n" + "".join(
                 f"Digit{n}={x},{y}\n" for n, (x, y) in enumerate(
                     [(0, 0)] * 4 + [(20, 15), (45, 15), (80, 15), (105, 15), (140, 15), (165, 15)] + [(0, 0)] * 2,
                     start=1))

WM_CLOSE = 0x10
WM_ENDSESSION = 0x16
WM_TIMECHANGE = 0x1E
WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC = 0x218, 0x12

SECONDS_SLOTS = rig.Rect(140, 15, 190, 45)  # the two seconds digits of the built-in skin, window pixels


def local_text(seconds, form=FILE_FORM):
    """A calendar time as the clock writes it in its time zone."""
    return time.strftime(form, time.gmtime(seconds + UTC_OFFSET))


def calendar_time(text):
    """The calendar time of a file-form date written by the clock in its time zone."""
    return calendar.timegm(time.strptime(text, FILE_FORM)) - UTC_OFFSET


def unix_time(filetime):
    """A Windows system time (100 ns units since 1601) as Unix seconds."""
    return filetime / 1e7 - 11644473600


def settings_file(last_check, events, display_past_events=1):
    """vantel.ini text: current-time mode, the last check at last_check, and the events,
    each a dict with start (calendar time) and any of pattern, sound, message, app."""
    text = (f"[Settings]\nClockMode=1\nLastEventCheck={local_text(last_check)}\nLastOfMonthMode=1\n"
            f"DisplayPastEvents={display_past_events}\n" + APPEARANCE)
    for n, event in enumerate(events, start=1):
        text += (f"[Event{n}]\nDate={local_text(event['start'])}\n"
                 f"RecurrencePattern={event.get('pattern', '<none>')}\nSoundFile={event.get('sound', '')}\n"
                 f"Message={event.get('message', '')}\nAppFile={event.get('app', '')}\n")
    return text


def non_silent(samples):
    """True when the recorded output holds a sample that is not silence (all bytes zero)."""
    return re.search(rb"[^\0]", samples) is not None


class Record:
    """What one start of the stand-in message program found: its start time (Unix seconds)
    and the handed-over Date and Text."""

    def __init__(self, path):
        lines = path.read_text(encoding="latin-1").split("\n")
        self.name = path.name
        self.started = unix_time(int(lines[0]))
        self.date, self.text = lines[1], lines[2]

    def __repr__(self):
        return f"Record({self.name}, {self.started:.3f}, {self.date!r}, {self.text!r})"


class RemindersTest(rig.TestCase):
    def reminder_folder(self):
        """A program folder with the clock, the stand-in as vantelmsg.exe and a wave file.
        Made before any date is computed: the first folder of a run waits for the session."""
        return self.make_folder(files={"vantelmsg.exe": STAND_IN, "ding.wav": SOUND})

    def start_clock(self, folder, settings, first_due, env=None):
        """Writes vantel.ini and starts the clock of the folder in the test's time zone (with
        env added); returns it and its window, which must be there before first_due (when
        given)."""
        folder.write("vantel.ini", settings)
        with unittest.mock.patch.dict(os.environ, {"TZ": TZ, **(env or {})}):
            clock = self.start_program("vantel.exe", folder)
        window = rig.wait_window(CLASS, TITLE)
        if first_due is not None:
            self.assertLess(time.time(), first_due, "the clock took too long to start for the test's events")
        return clock, window

    @staticmethod
    def records(folder):
        """The stand-in's records so far, in the order the message programs started."""
        return sorted((Record(path) for path in folder.path.glob("standin-*.txt")), key=lambda r: r.started)

    def wait_records(self, folder, texts, until):
        """Waits until the stand-in records hold the texts (in start order), at most until the
        calendar time until plus the action bound; returns the records."""
        found = []

        def arrived():
            found[:] = self.records(folder)
            return len(found) >= len(texts)

        lead = max(until - time.time(), 0)
        started = time.monotonic()
        # Each message program starts once the one before has read its hand-over.
        bound = ACTION_BOUND + (len(texts) - 1) * rig.start_cost()
        rig.wait_until(arrived, lead + bound, lambda: f"message programs with {texts} (records: {found})",
                       note=False)
        # The margin that matters is the one left after the due time, not the planned lead.
        rig.note_wait(started + lead, bound, f"message programs with {texts}")
        self.assertEqual([record.text for record in found], texts)
        return found

    def close_clock(self, clock, window):
        """Ends the clock with Escape; the saved last check is about the exit time."""
        self.close_clock_at(clock, window, 0)

    def close_clock_at(self, clock, window, shift):
        """close_clock for a clock that reads the system time shifted by `shift` seconds; such
        a clock is closed by a WM_CLOSE as the taskbar would send it (under libfaketime an
        Escape typed into it was lost now and then)."""
        asked = time.time() + shift
        if shift:
            self.assertEqual(rig.session().run_probe(["post", CLASS, TITLE, str(WM_CLOSE)]), ["posted 1"])
        else:
            rig.key(window, "Escape")
        self.assertEqual(clock.wait_exit(), 0)
        ended = time.time() + shift
        last_check = calendar_time(clock.folder.read_ini("vantel.ini").get("Settings", "LastEventCheck"))
        # The event check runs once a second until the timers stop at exit.
        self.assertLessEqual(int(asked) - 2, last_check, "the last check is about the exit time")
        self.assertLessEqual(last_check, ended)

    def test_due_event_plays_its_sound_hands_over_its_message_then_starts_its_application(self):
        folder = self.reminder_folder()
        now = time.time()
        due = int(now) + rig.start_lead()
        clock, window = self.start_clock(folder, settings_file(now, [
            {"start": due, "sound": folder.windows_path("ding.wav"), "message": "Tea is ready",
             "app": "vantelmsg.exe app kettle"}]), due)
        before = folder.played()
        self.assertFalse(non_silent(before), "nothing is played before the event's time")

        record, = self.wait_records(folder, ["Tea is ready"], due)
        self.assertEqual(record.date, local_text(due, DISPLAY_FORM))
        self.assertGreaterEqual(record.started, due, "the message program starts at the event's time, not before")

        started = rig.wait_until(lambda: folder.exists("kettle.started") and folder.read_text("kettle.started"),
                                 ACTION_BOUND, "the event's application to start")
        self.assertLess(record.started, unix_time(int(started)),
                        "the message program starts before the application")
        rig.wait_until(lambda: non_silent(folder.played()), ACTION_BOUND, "the event's sound in the played output")
        self.assertEqual(len(self.records(folder)), 1, "one message program for one event")
        self.close_clock(clock, window)

    def test_two_events_in_one_second_hand_over_each_its_own_text(self):
        folder = self.reminder_folder()
        now = time.time()
        due = int(now) + rig.start_lead()
        clock, window = self.start_clock(folder, settings_file(now, [
            {"start": due, "message": "First reminder"}, {"start": due, "message": "Second reminder"}]), due)
        first, second = self.wait_records(folder, ["First reminder", "Second reminder"], due)
        self.assertEqual([first.date, second.date], [local_text(due, DISPLAY_FORM)] * 2)
        self.assertNotEqual(first.name, second.name, "two message programs")
        self.close_clock(clock, window)

    def missed_events_run(self, display_past_events):
        """A start three hours after the last check, with a daily event due an hour ago, an
        hourly one due half an hour ago and a one-shot event two hours ago, then a one-shot
        marker event a moment ahead. Returns the records up to the marker's."""
        folder = self.reminder_folder()
        base = int(time.time())
        marker = base + rig.start_lead()
        clock, window = self.start_clock(folder, settings_file(base - 3 * 3600, [
            {"start": base - 3600 - 5 * 86400, "pattern": "Daily", "message": "Daily stand-up"},
            {"start": base - 1800 - 2 * 86400, "pattern": "Hourly", "message": "Hourly stretch"},
            {"start": base - 7200, "message": "One-off call"},
            {"start": marker, "message": "Marker"}], display_past_events), marker)
        expected = ["Daily stand-up", "One-off call", "Marker"] if display_past_events else ["Marker"]
        # The missed occurrences are carried out at the first check, in list order, each
        # message program after the one before has read its section: once the marker's
        # record is there, every record of the missed occurrences is.
        found = self.wait_records(folder, expected, marker)
        self.assertEqual(found[-1].date, local_text(marker, DISPLAY_FORM))
        self.close_clock(clock, window)
        return base, found

    def test_missed_daily_and_one_shot_events_are_carried_out_at_start_not_hourly_ones(self):
        base, (daily, one_shot, _) = self.missed_events_run(1)
        # The hand-over carries the missed occurrence's time, not the time of the check.
        self.assertEqual(daily.date, local_text(base - 3600, DISPLAY_FORM))
        self.assertEqual(one_shot.date, local_text(base - 7200, DISPLAY_FORM))

    def test_missed_events_are_left_out_without_display_past_events(self):
        self.missed_events_run(0)

    def test_events_due_while_the_clock_starts_are_all_carried_out(self):
        # One event a second from now on: whatever moment the clock's window is made,
        # the seconds before it count as missed and the one right after it (due before
        # the first check's rebuild) must not be passed over either.
        folder = self.reminder_folder()
        now = int(time.time())
        dues = [now + i for i in range(1, 6)]
        texts = [f"Reminder {i}" for i in range(1, 6)]
        settings = settings_file(now - 60, [{"start": due, "message": text} for due, text in zip(dues, texts)])
        clock, window = self.start_clock(folder, settings, None)
        found = self.wait_records(folder, texts, dues[-1])
        self.assertEqual([record.date for record in found], [local_text(due, DISPLAY_FORM) for due in dues])
        self.close_clock(clock, window)

    def test_application_that_cannot_start_is_reported_while_the_face_ticks(self):
        folder = self.reminder_folder()
        now = time.time()
        due = int(now) + rig.start_lead()
        command = "no-such-program.exe --now"
        clock, window = self.start_clock(folder, settings_file(now, [{"start": due, "app": command}]), due)
        box = rig.find_window("#32770", "Vantel - Error", wait=due - time.time() + ACTION_BOUND)
        self.assertIsNotNone(box, "no message box about the application")
        owner, children = rig.window_children(box)
        self.assertEqual(owner, window.handle, "the box belongs to the clock window")
        self.assertIn(f'Cannot start the application "{command}".', [child.text for child in children])

        # The face goes on ticking under the open box: the seconds digits change, twice.
        seconds = SECONDS_SLOTS.moved(window.rect.left, window.rect.top)
        self.assertFalse(rig.pixels_of([seconds]) & rig.pixels_of([box.rect]), "the box covers the seconds")
        shown = [rig.capture(seconds).data]
        for _ in range(2):
            shown.append(rig.wait_until(lambda: (data := rig.capture(seconds).data) != shown[-1] and data, 3.0,
                                        "the seconds on the face to change"))
        self.assertIsNotNone(rig.find_window("#32770", "Vantel - Error"), "the box stays open meanwhile")

        rig.key_inside(box, "Return")
        rig.wait_until(lambda: rig.find_window("#32770", "Vantel - Error") is None, what="the box to close")
        self.assertTrue(clock.running())
        self.close_clock(clock, window)

    def test_a_jump_of_the_clock_carries_out_what_it_passed_once_and_a_step_back_repeats_nothing(self):
        # The clock reads the system time shifted by what the test writes in a file, as if
        # the user set the time; the test then sends WM_TIMECHANGE, as Windows does.
        folder = self.reminder_folder()
        offset = folder.root / "clock-offset"
        offset.write_text("+0\n")
        base = int(time.time())
        # Live once the clock is an hour ahead: the jump comes once the clock has started.
        after = base + 3600 + rig.start_lead() + 3
        clock, window = self.start_clock(folder, settings_file(base, [
            {"start": base + 1800, "message": "Passed by the jump"},
            {"start": base + 1200 - 5 * 3600, "pattern": "Hourly", "message": "Hourly, passed"},
            {"start": after, "message": "After the jump"},
            {"start": after + 4, "message": "Marker"}]), after - 3600, rig.faketime_env(offset))

        def time_changed(seconds, *notice):
            offset.write_text(f"{seconds:+d}\n")
            self.assertEqual(rig.session().run_probe(["post", CLASS, TITLE, *map(str, notice)]), ["posted 1"])

        time_changed(3600, WM_TIMECHANGE)
        passed, = self.wait_records(folder, ["Passed by the jump"], time.time())
        self.assertEqual(passed.date, local_text(base + 1800, DISPLAY_FORM), "the occurrence passed, once")
        # "After the jump" is due a few seconds after the jump by the shifted clock.
        _, live = self.wait_records(folder, ["Passed by the jump", "After the jump"], after - 3600)
        self.assertEqual(live.date, local_text(after, DISPLAY_FORM))
        # Back to 3 s before "After the jump", noticed at a resume from sleep: the clock passes
        # it again, then the marker, which proves the checks went past it.
        back = int(time.time()) + 3600 - after + 3
        time_changed(3600 - back, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC)
        found = self.wait_records(folder, ["Passed by the jump", "After the jump", "Marker"], after + 4 - 3600 + back)
        self.assertEqual(found[-1].date, local_text(after + 4, DISPLAY_FORM))
        self.close_clock_at(clock, window, 3600 - back)

    def test_logoff_saves_the_settings_before_waiting_for_a_start_under_way(self):
        # An application that never waits for input holds the launcher's start for 20 s.
        # At logoff the clock saves at once, then waits a few seconds for the start.
        folder = self.reminder_folder()
        now = time.time()
        due = int(now) + rig.start_lead()
        clock, window = self.start_clock(folder, settings_file(now - 3600, [
            {"start": due, "app": "vantelmsg.exe busy hold"}]), due)
        rig.wait_until(lambda: folder.exists("hold.started"), due - time.time() + ACTION_BOUND,
                       "the application to start")
        seeded = folder.file("vantel.ini").stat().st_mtime_ns
        asked = int(time.time())
        self.assertEqual(rig.session().run_probe(["post", CLASS, TITLE, str(WM_ENDSESSION), "1"]), ["posted 1"])
        rig.wait_until(lambda: folder.file("vantel.ini").stat().st_mtime_ns != seeded, 4.0, "vantel.ini to be saved")
        self.assertTrue(clock.running(), "saved while the clock waits for the start under way")
        self.assertEqual(clock.wait_exit(), 0)
        last_check = calendar_time(folder.read_ini("vantel.ini").get("Settings", "LastEventCheck"))
        self.assertGreaterEqual(last_check, asked - 2, "the last check is that of the logoff")

    def test_starts_still_queued_at_exit_come_back_at_the_next_start(self):
        # Each start of the message program holds the launcher 4 s: of four reminders due
        # in one second, the clock closed at once makes two in its 5 s of waiting. The
        # last check it saves lies before the rest, so the next start carries them out as
        # missed (with those of the same second already shown: the file tells seconds,
        # not which of one second's reminders came).
        folder = self.reminder_folder()
        folder.write("hold-ms.txt", "4000")
        now = time.time()
        due = int(now) + rig.start_lead()
        texts = [f"Queued {n}" for n in range(1, 5)]
        clock, window = self.start_clock(folder, settings_file(now, [
            {"start": due, "message": text} for text in texts]), due)
        self.wait_records(folder, texts[:1], due)
        rig.key(window, "Escape")
        self.assertEqual(clock.wait_exit(rig.ACTION_TIMEOUT + 5), 0)  # the launcher waits 5 s for its starts
        shown = [record.text for record in self.records(folder)]
        self.assertLess(len(shown), 4, f"a start was still queued at exit (shown: {shown})")
        last_check = calendar_time(folder.read_ini("vantel.ini").get("Settings", "LastEventCheck"))
        self.assertLess(last_check, due, "the last check saved lies before the starts not made")

        folder.file("hold-ms.txt").unlink()
        with unittest.mock.patch.dict(os.environ, {"TZ": TZ}):
            clock = self.start_program("vantel.exe", folder)
        window = rig.wait_window(CLASS, TITLE)
        found = self.wait_records(folder, shown + texts, time.time())
        self.assertEqual({record.date for record in found}, {local_text(due, DISPLAY_FORM)})
        self.close_clock(clock, window)

    def test_a_second_start_from_the_folder_brings_its_clock_forward_and_other_folders_run_their_own(self):
        folder, other = self.reminder_folder(), self.reminder_folder()
        due = int(time.time()) + max(10, int(4 * rig.start_cost()) + 6)  # after three starts
        clock, window = self.start_clock(folder, settings_file(time.time(), [
            {"start": due, "message": "Once"}, {"start": due + 2, "message": "Marker"}]), due)
        # Apart from the first: the rig tells a clock's X window by its title and place.
        other.write("vantel.ini", settings_file(time.time(), []).replace("WindowPos=10,10", "WindowPos=300,300"))
        with unittest.mock.patch.dict(os.environ, {"TZ": TZ}):
            beside = self.start_program("vantel.exe", other)
        rig.wait_until(lambda: len(rig.list_windows(CLASS)) == 2, what="the clock of another folder beside it")
        in_front = lambda: [c.handle for c in rig.list_windows(CLASS) if c.foreground]
        rig.wait_until(lambda: in_front() and in_front() != [window.handle], what="the other folder's clock in front")
        started = time.monotonic()
        with unittest.mock.patch.dict(os.environ, {"TZ": TZ}):
            second = self.start_program("vantel.exe", folder)
        self.assertEqual(second.wait_exit(), 0)
        print(f"\n    a second start handed over to the running clock in {time.monotonic() - started:.2f} s", end=" ")
        self.assertEqual(len(rig.list_windows(CLASS)), 2, "one clock per folder")
        self.assertEqual(in_front(), [window.handle], "the folder's clock is brought to the front")
        self.assertLess(time.time(), due, "the starts took too long for the test's events")
        # Handed over once: twice would show "Once" again before the marker.
        self.wait_records(folder, ["Once", "Marker"], due + 2)
        self.close_clock(clock, window)
        self.assertTrue(beside.running())
