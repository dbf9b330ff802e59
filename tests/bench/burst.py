#!/usr/bin/env python3
"""A burst of reminders through the real clock under wine64 on a private Xvfb (`make burst`).

1. 32 events due within one minute, eight of them in its first second and four in the
   next, each with its own message, every second one with a sound, each starting an
   application. The stand-in message program records every hand-over and the stand-in
   application every start. Checked: every event carried out exactly once with its own
   text, the face read again and again through the burst, and the clock's handles, GDI
   and USER objects, open files and memory before the burst and once it is over.
2. Sixteen real message windows open at once: each closes when asked (WM_CLOSE, as the
   taskbar sends it), ends with 0, and the settings file they share is whole afterwards.

Prints its figures; ends with "burst: N passed, N failed"."""

import os
import sys
import time
import unittest
import unittest.mock
from pathlib import Path

TOP = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(TOP / "tests" / "e2e"))

import rig  # noqa: E402
import test_message_window  # noqa: E402
from test_reminders import SOUND, STAND_IN, TZ, Record, settings_file  # noqa: E402

CLASS, TITLE = "Vantel", "Vantel - Digital clock"
MESSAGE_CLASS = "Vantel Message"
EVENTS = 32
OFFSETS = [0] * 8 + [1] * 4 + list(range(2, 22))  # seconds after the minute's start
WINDOWS = 16
WM_CLOSE = 0x10
DEFAULT_SLOTS = rig.digit_slots([(20, 15), (45, 15), (80, 15), (105, 15), (140, 15), (165, 15)])


def process_figures(class_name, title, pid):
    """The resources of the process that owns the window: what Windows reports through
    winprobe (handles, GDI and USER objects, working set; Wine reports 0 for what it does
    not count), and what Linux sees of the same process (open files, resident and data
    memory); pid is its Unix process."""
    lines = rig.session().run_probe(["process", class_name, title])
    figures = {key: int(value) for key, value in (line.split() for line in lines)}
    figures.pop("process")
    figures["files"] = len(os.listdir(f"/proc/{pid}/fd"))
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        key, _, value = line.partition(":")
        if key in ("VmRSS", "VmData"):
            figures[key] = int(value.split()[0]) * 1024
    return figures


class BurstTest(rig.TestCase):
    def setUp(self):
        zone = unittest.mock.patch.dict(os.environ, {"TZ": TZ})
        zone.start()
        self.addCleanup(zone.stop)

    def test_thirty_two_reminders_in_one_minute_each_carried_out_once(self):
        folder = self.make_folder(files={"vantelmsg.exe": STAND_IN, "app.exe": STAND_IN, "ding.wav": SOUND})
        app = folder.windows_path("app.exe")
        minute = (int(time.time()) // 60 + 1) * 60
        if minute - time.time() < 15:
            minute += 60  # time for the clock to start and settle before the burst
        events = [{"start": minute + offset, "message": f"Burst reminder {n:02d} of {EVENTS}",
                   "app": f"{app} app e{n:02d}", **({"sound": folder.windows_path("ding.wav")} if n % 2 else {})}
                  for n, offset in enumerate(OFFSETS, 1)]
        folder.write("vantel.ini", settings_file(time.time(), events))
        clock = self.start_program("vantel.exe", folder)
        window = rig.wait_window(CLASS, TITLE)
        reader = rig.FaceReader(DEFAULT_SLOTS)
        rig.wait_until(lambda: reader.read(rig.capture(window.rect)), what="the face to show the time")
        before = process_figures(CLASS, TITLE, clock.pid)

        # The face through the burst: read as often as captures allow.
        readings, gaps, last_change = [], [], None
        end = minute + OFFSETS[-1] + 5
        rig.wait_until(lambda: time.time() >= minute - 1, timeout=minute - time.time() + 5, note=False,
                       what="the minute of the burst")
        while time.time() < end:
            text = reader.read(rig.capture(window.rect))
            now = time.monotonic()
            if text and (not readings or text != readings[-1]):
                if last_change is not None:
                    gaps.append(now - last_change)
                last_change = now
                readings.append(text)

        def carried_out():
            return len(list(folder.path.glob("standin-*.txt"))) >= EVENTS and \
                len(list(folder.path.glob("e*.started"))) >= EVENTS

        rig.wait_until(carried_out, timeout=120, what="every hand-over and application start", note=False)
        records = [Record(path) for path in folder.path.glob("standin-*.txt")]
        texts = sorted(record.text for record in records)
        self.assertEqual(texts, sorted(event["message"] for event in events), "each text handed over once")
        started = sorted(path.stem for path in folder.path.glob("e*.started"))
        self.assertEqual(started, [f"e{n:02d}" for n in range(1, EVENTS + 1)], "each application once")
        self.assertTrue(folder.played(), "the sounds played")
        self.assertGreaterEqual(len(readings), OFFSETS[-1], "the face kept counting the seconds")

        # Back at rest: the stand-ins have ended; the launcher and sounds have let go.
        rig.wait_until(lambda: not [p for p in folder.processes() if p != clock.pid], timeout=60,
                       what="the stand-ins to end", note=False)
        let_time_pass(5)
        after = process_figures(CLASS, TITLE, clock.pid)
        print(f"\n  {EVENTS} reminders: {len(records)} hand-overs, {len(started)} applications, "
              f"{len(folder.played())} sound bytes; face changed {len(readings)} times, "
              f"longest gap {max(gaps, default=0):.2f} s")
        for key in ("handles", "gdi", "user", "files", "private", "workingset", "VmRSS", "VmData"):
            unit = " KB" if key in ("private", "workingset", "VmRSS", "VmData") else ""
            scale = 1024 if unit else 1
            print(f"  clock {key}: before {before[key] // scale}{unit}, after {after[key] // scale}{unit}")
        for key, slack in (("handles", 4), ("gdi", 2), ("user", 2), ("files", 2)):
            self.assertLessEqual(after[key], before[key] + slack, f"the clock's {key} come back")
        self.assertLess(after["VmData"], before["VmData"] + 8 * 1024 * 1024, "the clock's memory comes back")
        rig.key(window, "Escape")
        self.assertEqual(clock.wait_exit(), 0)

    def test_sixteen_message_windows_at_once_answer_and_close_cleanly(self):
        ini = test_message_window.message_ini(text="Sixteen at once", date="2026-01-02 03:04:05")
        folder = self.make_folder(programs=("vantelmsg.exe",), files={"vantelmsg.ini": ini})
        programs = [self.start_program("vantelmsg.exe", folder) for _ in range(WINDOWS)]
        started = time.monotonic()
        rig.wait_until(lambda: len(rig.list_windows(MESSAGE_CLASS)) == WINDOWS, timeout=60,
                       what=f"{WINDOWS} message windows", note=False)
        print(f"\n  {WINDOWS} message windows open after {time.monotonic() - started:.1f} s")
        # Each answers: closed one after the other as the taskbar closes a window, each one
        # goes before the next is asked.
        started = time.monotonic()
        for window in rig.list_windows(MESSAGE_CLASS):
            posted = rig.session().run_probe(["post", hex(window.handle), "-", str(WM_CLOSE)])
            self.assertEqual(posted, ["posted 1"])
            rig.wait_until(lambda: window.handle not in [w.handle for w in rig.list_windows(MESSAGE_CLASS)],
                           what=f"{window} to close", note=False)
        for program in programs:
            self.assertEqual(program.wait_exit(timeout=30), 0)
        print(f"  all closed with exit code 0 within {time.monotonic() - started:.1f} s")
        saved = folder.read_ini("vantelmsg.ini")
        self.assertIsNotNone(saved.get("Settings", "WindowPos"))
        self.assertIsNotNone(saved.get("Appearance", "FontFaceName"))


def let_time_pass(seconds):
    end = time.monotonic() + seconds
    rig.wait_until(lambda: time.monotonic() >= end, timeout=seconds + 1, note=False, what=f"{seconds} s")


def main():
    suite = unittest.defaultTestLoader.loadTestsFromNames(sys.argv[1:], BurstTest) if sys.argv[1:] else \
        unittest.defaultTestLoader.loadTestsFromTestCase(BurstTest)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    rig.shutdown()
    bad = len(result.failures) + len(result.errors)
    print(f"burst: {result.testsRun - bad} passed, {bad} failed")
    return 0 if bad == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
