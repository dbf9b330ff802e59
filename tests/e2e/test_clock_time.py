"""The clock keeping time: the settings file it writes, the digits it shows in each clock
mode (current time, countdown, stopwatch) read back from the screen, and its settings kept
unchanged across restarts.

The programs run with TZ set to a zone nine hours east of UTC without daylight saving (for
Wine the Windows time zone, for the C runtime the local time), and the expectations are
computed in the same zone from the same system clock the programs read."""

import os
import re
import time
import unittest.mock
from datetime import datetime, timedelta, timezone

import rig

CLASS = "Vantel"
TITLE = "Vantel - Digital clock"

# Valid both as a POSIX zone (Wine) and in the C runtime's "name, hours west" form.
TZ = "JST-9"
ZONE = timezone(timedelta(hours=9))

DATE_FORM = "%Y-%m-%d %H:%M:%S"
DATE_TEXT = re.compile(r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$")

# The default digit slots: hours, minutes, seconds (slots 4 to 9).
DEFAULT_LEFTS = (20, 45, 80, 105, 140, 165)
DEFAULT_POSITIONS = [(0, 0)] * 4 + [(left, 15) for left in DEFAULT_LEFTS] + [(0, 0)] * 2
# Eight slots side by side fill the 216 pixels of the background.
ROW_OF_EIGHT = [(8 + 25 * i, 15) for i in range(8)]


def local(seconds):
    """The local date and time, in the tests' zone, of a time in seconds since 1970."""
    return datetime.fromtimestamp(seconds, ZONE)


def file_date(seconds):
    return local(seconds).strftime(DATE_FORM)


def parse_file_date(text):
    return datetime.strptime(text, DATE_FORM).replace(tzinfo=ZONE).timestamp()


def appearance(first, last, positions, **keys):
    """The Appearance section's keys: slots first..last shown, twelve positions."""
    values = {"BackgroundBMP": "", "WindowPos": "10,10", "AlwaysOnTop": "0", "DigitsBMP": "",
              "TransparentColor": "FF00FF", "FirstDigit": str(first), "LastDigit": str(last)}
    values.update({f"Digit{n}": f"{x},{y}" for n, (x, y) in enumerate(positions, 1)})
    values.update(keys)
    return values


def ini_text(sections):
    """A settings file from {section: {key: value}}, in the given order."""
    lines = []
    for name, keys in sections.items():
        lines.append(f"[{name}]")
        lines += [f"{key}={value}" for key, value in keys.items()]
    return "\n".join(lines) + "\n"


def settings_file(clock_mode=1, countdown=None, shown=(4, 9), positions=DEFAULT_POSITIONS):
    """A complete settings file without events; countdown is a time in seconds."""
    now = time.time()
    return ini_text({
        "Settings": {"ClockMode": str(clock_mode), "LastEventCheck": file_date(now), "LastOfMonthMode": "1",
                     "DisplayPastEvents": "1"},
        "Countdown": {"Date": file_date(countdown if countdown is not None else now + 86400)},
        "Appearance": appearance(shown[0], shown[1], positions),
    })


def slots_shown(first, last, positions):
    return rig.digit_slots(positions[first:last + 1])


class Reading:
    """What the face showed in one capture, and when (system clock and monotonic clock,
    before and after the capture)."""

    def __init__(self, text, started, ended, monotonic_started, monotonic_ended):
        self.text = text
        self.started, self.ended = started, ended
        self.monotonic_started, self.monotonic_ended = monotonic_started, monotonic_ended

    def __repr__(self):
        return f"Reading({self.text!r} at {self.started:.2f})"


def stopwatch_seconds(text):
    """The time a stopwatch face of minutes, seconds and hundredths shows, in seconds."""
    return int(text[0:2]) * 60 + int(text[2:4]) + int(text[4:6]) / 100


def span_text(seconds, first, last):
    """The digits a span of whole seconds gives slots first..last (days, hours, minutes,
    seconds; hundredths 0)."""
    days, rest = divmod(int(seconds), 86400)
    text = f"{days:04d}{rest // 3600:02d}{rest % 3600 // 60:02d}{rest % 60:02d}00"
    return text[first:last + 1]


def let_time_pass(seconds):
    """Lets the given time go by, to see that something does not change over it."""
    end = time.monotonic() + seconds
    rig.wait_until(lambda: time.monotonic() >= end, timeout=seconds + 1, what=f"{seconds} s to pass",
                   interval=0.1, note=False)


class ClockTimeCase(rig.TestCase):
    def setUp(self):
        zone = unittest.mock.patch.dict(os.environ, {"TZ": TZ})
        zone.start()
        self.addCleanup(zone.stop)
        rig.session()  # up before a test computes times for the clock to start with

    def start_clock(self, files=None):
        folder = self.make_folder(files=files)
        clock = self.start_program("vantel.exe", folder)
        return folder, clock, self.wait_clock_window(clock)

    def wait_clock_window(self, clock):
        try:
            return rig.wait_window(CLASS, TITLE)
        except rig.WaitTimeout as error:
            state = "still runs" if clock.running() else f"ended with {clock.process.returncode}"
            raise rig.WaitTimeout(f"{error}; the clock {state}; its output: {clock.log()[-2000:]!r}") from None

    def stop_clock(self, clock, window):
        rig.key(window, "Escape")
        self.assertEqual(clock.wait_exit(), 0)

    def read_face(self, window, reader, timeout=rig.ACTION_TIMEOUT):
        """The digits the face shows as soon as every shown slot can be read."""
        last = {}

        def readable():
            started, monotonic_started = time.time(), time.monotonic()
            picture = rig.capture(window.rect)
            last["picture"] = picture
            text = reader.read(picture)
            if text is None:
                return None
            return Reading(text, started, time.time(), monotonic_started, time.monotonic())

        def unclear():
            picture = last.get("picture")
            if picture is None:
                return "a capture of the face"
            scores = [reader.scores(picture, i) for i in range(len(reader.slots))]
            return f"every digit slot to be readable (pixels unlike digits 0-9, per slot: {scores})"

        return rig.wait_until(readable, timeout, unclear, interval=0.02)

    def wait_face(self, window, reader, condition, what, timeout=rig.ACTION_TIMEOUT):
        """Reads the face until condition(reading) holds; returns that reading."""
        seen = []

        def holds():
            reading = self.read_face(window, reader, timeout)
            seen.append(reading.text)
            return reading if condition(reading) else None

        return rig.wait_until(holds, timeout, lambda: f"{what} (last shown: {seen[-5:]})", interval=0.02)


class SettingsFileTest(ClockTimeCase):
    def test_fresh_start_writes_every_setting_and_32_empty_event_sections(self):
        started = time.time()
        folder, clock, window = self.start_clock()
        self.stop_clock(clock, window)
        ended = time.time()
        ini = folder.read_ini("vantel.ini")
        events = [f"Event{n}" for n in range(1, 33)]
        self.assertEqual(list(ini.sections), ["Settings", "Countdown", "Appearance"] + events)

        settings = ini.section("Settings")
        self.assertEqual(list(settings), ["ClockMode", "LastEventCheck", "LastOfMonthMode", "DisplayPastEvents"])
        self.assertEqual((settings["ClockMode"], settings["LastOfMonthMode"], settings["DisplayPastEvents"]),
                         ("1", "1", "1"))
        self.assertRegex(settings["LastEventCheck"], DATE_TEXT)
        checked = parse_file_date(settings["LastEventCheck"])
        self.assertTrue(int(started) - 1 <= checked <= ended + 1,
                        f"LastEventCheck {settings['LastEventCheck']} is the time of the run "
                        f"({file_date(started)} to {file_date(ended)})")

        # The default countdown date: next 1 January, midnight, local time.
        new_years = {f"{local(t).year + 1}-01-01 00:00:00" for t in (started, ended)}
        self.assertEqual(list(ini.section("Countdown")), ["Date"])
        self.assertIn(ini.get("Countdown", "Date"), new_years)

        self.assertEqual(ini.section("Appearance"), appearance(4, 9, DEFAULT_POSITIONS))
        self.assertEqual(list(ini.section("Appearance")), list(appearance(4, 9, DEFAULT_POSITIONS)),
                         "the Appearance keys in the order they are saved")
        for name in events:
            self.assertEqual(ini.section(name), {}, f"{name} is empty")

    def test_dragged_position_is_saved(self):
        folder, clock, window = self.start_clock()
        self.assertEqual((window.rect.left, window.rect.top), (10, 10))
        start = window.rect.centre
        dx, dy = 237, 151
        rig.drag(start, (start[0] + dx, start[1] + dy))
        moved = rig.wait_window_moved(window, window.rect.moved(dx, dy))
        self.stop_clock(clock, moved)
        self.assertEqual(folder.read_ini("vantel.ini").get("Appearance", "WindowPos"), f"{10 + dx},{10 + dy}")

    def test_settings_survive_restarts_unchanged(self):
        # Every value differs from its default; the events lie in the future, so none falls due.
        background, digits = rig.ART / "clock_background.bmp", rig.ART / "clock_digits.bmp"
        folder = self.make_folder(files={"skin_b.bmp": background, "skin_d.bmp": digits})
        shown = [(8 + 25 * i, 15 + 3 * i) for i in range(8)]  # slots 3 to 10, all inside the background
        positions = [(500, -7), (3, 4), (0, 0)] + shown + [(1000, 1000)]
        events = [
            {"Date": "2030-02-28 12:00:00", "RecurrencePattern": "Monthly", "SoundFile": r"C:\Sounds\chime.wav",
             "Message": "Pay the rent, then water the plants: 1 + 1 = 2", "AppFile": r"notepad.exe C:\notes.txt"},
            {"Date": "2031-07-04 06:30:15", "RecurrencePattern": "Hourly", "SoundFile": "",
             "Message": "Stretch", "AppFile": ""},
            {"Date": "2032-02-29 23:59:59", "RecurrencePattern": "Daily", "SoundFile": folder.windows_path("ring.wav"),
             "Message": "", "AppFile": "calc.exe"},
            {"Date": "2035-01-01 00:00:01", "RecurrencePattern": "Weekly", "SoundFile": "", "Message": "Weekly review",
             "AppFile": ""},
            {"Date": "2036-12-31 18:00:00", "RecurrencePattern": "Yearly", "SoundFile": "",
             "Message": "New Year's Eve", "AppFile": ""},
            {"Date": "2037-06-15 08:00:00", "RecurrencePattern": "<none>", "SoundFile": "", "Message": "Once",
             "AppFile": r"C:\Tools\remind.exe /quiet"},
        ]
        written = {
            "Settings": {"ClockMode": "0", "LastEventCheck": file_date(time.time() - 3600), "LastOfMonthMode": "0",
                         "DisplayPastEvents": "0"},
            "Countdown": {"Date": "2031-05-17 08:09:10"},
            "Appearance": appearance(3, 10, positions, BackgroundBMP=folder.windows_path("skin_b.bmp"),
                                     WindowPos="321,234", AlwaysOnTop="1",
                                     DigitsBMP=folder.windows_path("skin_d.bmp")),
        }
        written.update({f"Event{n}": keys for n, keys in enumerate(events, 1)})
        written.update({f"Event{n}": {} for n in range(len(events) + 1, 33)})
        folder.write("vantel.ini", ini_text(written))

        files = []
        for run in range(2):
            started = time.time()
            clock = self.start_program("vantel.exe", folder)
            window = self.wait_clock_window(clock)
            self.assertEqual((window.rect.left, window.rect.top), (321, 234), f"run {run + 1} starts where saved")
            self.stop_clock(clock, window)
            ended = time.time()
            files.append(folder.read_text("vantel.ini"))
            ini = rig.IniFile(files[-1])
            # The time of the last event check is the one value a run changes: the event
            # check records it every second.
            checked = ini.get("Settings", "LastEventCheck")
            self.assertRegex(checked, DATE_TEXT)
            if checked != written["Settings"]["LastEventCheck"]:
                self.assertTrue(int(started) - 1 <= parse_file_date(checked) <= ended + 1,
                                f"run {run + 1}: LastEventCheck {checked} is the time of the run")
            expected = {name: dict(keys) for name, keys in written.items()}
            expected["Settings"]["LastEventCheck"] = checked
            self.assertEqual(ini.sections, expected, f"run {run + 1} writes back what it read")

        def without_last_check(text):
            return re.sub(r"(?im)^LastEventCheck=.*$", "LastEventCheck=", text)

        self.assertEqual(without_last_check(files[1]), without_last_check(files[0]),
                         "the second run writes the same file as the first")


class CurrentTimeTest(ClockTimeCase):
    def expected_texts(self, reading, form):
        """The texts the face may show for a reading: the time at the capture, give or take
        a second, in the form (a function of a local datetime)."""
        return {form(local(t)) for t in range(int(reading.started) - 1, int(reading.ended) + 2)}

    def test_face_shows_the_local_time_and_keeps_it(self):
        folder, clock, window = self.start_clock()
        reader = rig.FaceReader(slots_shown(4, 9, DEFAULT_POSITIONS))

        def hms(moment):
            return moment.strftime("%H%M%S")

        first = self.read_face(window, reader)
        self.assertIn(first.text, self.expected_texts(first, hms))
        later = self.wait_face(window, reader, lambda r: r.text != first.text, "the seconds to move on", timeout=5)
        self.assertIn(later.text, self.expected_texts(later, hms))
        self.stop_clock(clock, window)

    def test_day_of_year_hours_and_minutes(self):
        # Slots 0 to 7: the four digits of the day of the year, hours and minutes.
        positions = ROW_OF_EIGHT + [(0, 0)] * 4
        folder, clock, window = self.start_clock({"vantel.ini": settings_file(shown=(0, 7), positions=positions)})
        self.assertEqual(window.rect.width, 216)
        reader = rig.FaceReader(slots_shown(0, 7, positions))
        reading = self.read_face(window, reader)
        expected = self.expected_texts(reading, lambda m: f"{m.timetuple().tm_yday:04d}{m:%H%M}")
        self.assertIn(reading.text, expected, f"day of the year, hours and minutes on {local(reading.started)}")
        self.stop_clock(clock, window)


class CountdownTest(ClockTimeCase):
    def test_countdown_ends_in_zeros_and_stays_frozen(self):
        # Slots 4 to 11: hours, minutes, seconds and hundredths (the 25 ms display timer).
        positions = [(0, 0)] * 4 + ROW_OF_EIGHT
        target = int(time.time()) + rig.start_lead()  # a little ahead, so that the clock is up before it
        folder, clock, window = self.start_clock({"vantel.ini": settings_file(0, target, (4, 11), positions)})
        self.assertLess(time.time(), target, "the clock took too long to start for the countdown")
        reader = rig.FaceReader(slots_shown(4, 11, positions))
        seen = []

        def remaining(reading):
            seen.append(reading)
            return reading.text == "00000000"

        zeros = self.wait_face(window, reader, remaining, "the countdown to reach zero",
                               max(target - time.time(), 0) + rig.ACTION_TIMEOUT)
        counting = [r for r in seen if r.text != "00000000"]
        self.assertTrue(counting, "the face counted down before reaching zero")
        for reading in counting:
            # Whole seconds: the countdown date minus the time in seconds, give or take one.
            seconds = int(reading.text[4:6])
            self.assertTrue(reading.text[:4] == "0000" and target - int(reading.ended) - 1 <= seconds
                            <= target - int(reading.started) + 1, f"{reading} shows the time to {file_date(target)}")
        self.assertGreaterEqual(zeros.ended, target - 1, "zero came when the countdown date was reached")
        # Frozen: three seconds later the face still shows zeros; had it gone on to the elapsed
        # time, it would show 00000300 by now.
        let_time_pass(3)
        self.assertEqual(self.read_face(window, reader).text, "00000000")
        self.assertTrue(clock.running())
        self.stop_clock(clock, window)

    def test_past_date_counts_up_the_elapsed_time(self):
        # Slots 2 to 9: days (tens, units), hours, minutes, seconds.
        positions = [(0, 0)] * 2 + ROW_OF_EIGHT + [(0, 0)] * 2
        since = int(time.time()) - (12 * 86400 + 3 * 3600 + 4 * 60 + 5)
        folder, clock, window = self.start_clock({"vantel.ini": settings_file(0, since, (2, 9), positions)})
        reader = rig.FaceReader(slots_shown(2, 9, positions))

        def elapsed_texts(reading):
            return {span_text(t - since, 2, 9) for t in range(int(reading.started) - 1, int(reading.ended) + 2)}

        first = self.read_face(window, reader)
        self.assertIn(first.text, elapsed_texts(first), f"the time elapsed since {file_date(since)}")
        later = self.wait_face(window, reader, lambda r: r.text != first.text, "the elapsed time to move on",
                               timeout=5)
        self.assertGreater(later.text, first.text, "the elapsed time counts up")
        self.assertIn(later.text, elapsed_texts(later))
        self.stop_clock(clock, window)


class StopwatchTest(ClockTimeCase):
    """Stopwatch mode with slots 6 to 11 (minutes, seconds, hundredths) at the default lefts."""

    # The stopwatch counts from the moment the clock takes the key; the test knows only
    # when it sent it, and tick and capture add their delays.
    SLACK = 0.4

    POSITIONS = [(0, 0)] * 6 + [(left, 15) for left in DEFAULT_LEFTS]

    def start_stopwatch(self):
        folder, clock, window = self.start_clock(
            {"vantel.ini": settings_file(2, shown=(6, 11), positions=self.POSITIONS)})
        reader = rig.FaceReader(slots_shown(6, 11, self.POSITIONS))
        return clock, window, reader

    def press(self, window, key):
        """Sends the key; returns the monotonic times before and after sending."""
        before = time.monotonic()
        rig.key(window, key)
        return before, time.monotonic()

    def wait_value(self, window, reader, condition, what):
        reading = self.wait_face(window, reader, lambda r: condition(stopwatch_seconds(r.text)), what)
        return stopwatch_seconds(reading.text), reading

    def assert_counted_since(self, value, reading, pressed, start=0.0):
        """value is what a stopwatch counting from start at the key press shows at the reading."""
        low = start + reading.monotonic_started - pressed[1] - self.SLACK
        high = start + reading.monotonic_ended - pressed[0] + self.SLACK
        self.assertTrue(low <= value <= high, f"{reading} shows {value:.2f} s, counted from {start:.2f} s "
                                              f"at the key: between {low:.2f} and {high:.2f}")

    def wait_frozen(self, window, reader):
        """Waits for two readings in a row to be equal, then checks the face still shows that
        value a second later; returns the value."""
        previous = [None]

        def settled(reading):
            same = reading.text == previous[0]
            previous[0] = reading.text
            return same

        held = self.wait_face(window, reader, settled, "the stopwatch to stop")
        let_time_pass(1)
        self.assertEqual(self.read_face(window, reader).text, held.text, "the stopped stopwatch holds its value")
        return stopwatch_seconds(held.text)

    def test_start_stop_continue_and_reset(self):
        clock, window, reader = self.start_stopwatch()
        self.assertEqual(self.wait_frozen(window, reader), 0, "the stopwatch starts stopped at zero")

        pressed = self.press(window, "F5")
        value, reading = self.wait_value(window, reader, lambda v: v >= 1.0, "F5 to start the stopwatch")
        self.assert_counted_since(value, reading, pressed)
        started = pressed

        stopping = self.press(window, "F6")
        frozen = self.wait_frozen(window, reader)
        self.assertTrue(value <= frozen <= stopping[1] - started[0] + self.SLACK,
                        f"the stopwatch stopped at {frozen} s, the time between F5 and F6")

        pressed = self.press(window, "F7")
        value, reading = self.wait_value(window, reader, lambda v: v != frozen, "F7 to continue")
        self.assertGreater(value, frozen, "F7 continues from the value shown")
        self.assert_counted_since(value, reading, pressed, start=frozen)
        before, _ = self.wait_value(window, reader, lambda v: v >= frozen + 1.0, "the stopwatch to count on")

        pressed = self.press(window, "F8")
        value, reading = self.wait_value(window, reader, lambda v: v < before, "F8 to reset the running stopwatch")
        self.assert_counted_since(value, reading, pressed)
        later, _ = self.wait_value(window, reader, lambda v: v > value + 0.5, "the reset stopwatch to keep running")

        self.press(window, "F6")
        self.assertGreaterEqual(self.wait_frozen(window, reader), later)
        self.press(window, "F8")
        self.wait_face(window, reader, lambda r: r.text == "000000", "F8 to show zero on the stopped stopwatch")
        let_time_pass(1)
        self.assertEqual(self.read_face(window, reader).text, "000000", "the reset stopwatch stays stopped")
        self.stop_clock(clock, window)

    def test_continue_without_start_counts_from_zero(self):
        clock, window, reader = self.start_stopwatch()
        self.assertEqual(stopwatch_seconds(self.read_face(window, reader).text), 0)
        pressed = self.press(window, "F7")
        value, reading = self.wait_value(window, reader, lambda v: v > 0, "F7 to start the stopwatch")
        self.assert_counted_since(value, reading, pressed)
        self.wait_value(window, reader, lambda v: v >= value + 1.0, "the stopwatch to count on")
        self.stop_clock(clock, window)
