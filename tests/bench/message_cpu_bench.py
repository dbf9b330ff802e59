"""CPU time the message program uses while it types its text and once the text is complete,
next to a window that does nothing.

    python3 tests/bench/message_cpu_bench.py [--seconds N]

Runs, one after another under the same Wine session (the end-to-end rig's Xvfb and Wine
prefix; WINEPREFIX, VANTEL_BUILD_DIR and VANTEL_E2E_ARCH are honoured as there: with
VANTEL_E2E_ARCH=32 the 32-bit programs run under the emulated Wine), the idle window and
the message program
in four states: typing a message of 511 characters at 25 characters a second (a tick every
40 ms that draws), and complete (started at 512 characters a second, measured once the text
stands still and the program has let its sound device go, at most 10 s later: the ticks go
on but draw nothing), each with the sound on and off. Typing is measured N seconds (10 by
default; typing lasts about 21 s, so at most 20), the complete window twice as long. The
Windows process is a Linux process under wine64, so its CPU time is the user and system
time of /proc/<pid>/stat; the wineserver's and the X server's are shown beside it.

While a sound device is open, Wine runs it in threads of the program's process that mix
and write all the time (silence once the sound stops); their share is shown apart, so that
what is left is mostly the animation. The complete window with the sound on has a goal for
the whole process; the last column says whether it holds. The X server has a desktop
session's resource database, as in clock_cpu_bench.py.
"""

import argparse
import os
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "e2e"))
sys.path.insert(0, str(HERE))

import rig  # noqa: E402  (needs the path above)
from clock_cpu_bench import IDLE_WINDOW, desktop_resources, measure_window, sound_threads  # noqa: E402
from test_message_window import CLASS, TITLE, message_ini, watch_typing  # noqa: E402

# 511 characters, the most a message holds; wrapped to the text area, the lines below its
# bottom are typed (and clipped) too.
LONG_TEXT = ("A reminder long enough to keep the message window typing for the whole measurement. "
             * 7)[:511]
TYPING_SECONDS = (19 + 1 + len(LONG_TEXT)) / 25  # the date line, a line feed and the text

# (name, speed, sound on, phase, goal): phase "typing" is measured from the window's
# appearance, "complete" once the text stands still; the goal is the most percent of a core
# for the whole process.
CASES = [
    ("idle window", None, None, None, None),
    ("message, typing", 25, 1, "typing", None),
    ("message, complete", 512, 1, "complete", 0.2),
    ("message, typing", 25, 0, "typing", None),
    ("message, complete", 512, 0, "complete", None),
]
DEVICE_RELEASE_BOUND = 10.0  # seconds the sound device may stay after the text is complete


def completed(window, pid):
    """Waits for the typed text to stand still, then (bounded) for the sound device to go."""
    watch_typing(window)
    try:
        rig.wait_until(lambda: sound_threads(pid) == 0, DEVICE_RELEASE_BOUND, "the sound device to be released",
                       note=False)
    except rig.WaitTimeout:
        print(f"(the sound device was still open {DEVICE_RELEASE_BOUND:g} s after the text was complete)")


def measure(session, speed, sound, phase, seconds):
    """Starts the program, lets it run for the given time in its phase, ends it; returns
    (program, its sound threads, wineserver, X server) CPU seconds and the wall time."""
    if speed is None:
        folder = rig.ProgramFolder(session, (), {"idle_window.exe": IDLE_WINDOW})
        name, window_class, title = "idle_window.exe", "Vantel Idle", "Vantel - Idle window"
    else:
        folder = rig.ProgramFolder(session, ("vantelmsg.exe",), {"vantelmsg.ini": message_ini(
            LONG_TEXT if phase == "typing" else "Done.", "07.12.2026 21:00:00",
            settings={"CharactersPerSecond": speed, "PlaySound": sound})})
        name, window_class, title = "vantelmsg.exe", CLASS, TITLE
    ready = completed if phase == "complete" else None
    return measure_window(session, folder, name, window_class, title, seconds * (2 if phase == "complete" else 1),
                          ready)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=10.0, help="time measured per case (default 10, at most 20)")
    seconds = parser.parse_args().seconds
    if seconds > TYPING_SECONDS - 1:
        sys.exit(f"--seconds: the message is typed in {TYPING_SECONDS:.1f} s; measure at most {TYPING_SECONDS - 1:.0f}")
    for program in (IDLE_WINDOW, rig.PROGRAMS / "vantelmsg.exe"):
        if not program.exists():
            sys.exit(f"{program} is missing (make build; for 32 bits also make build32-tests)")
    try:
        session = rig.session()
        desktop_resources(session)
        wine = "emulated 32-bit Wine" if rig.ARCH == "32" else "wine64"
        print(f"Message program CPU use under {wine} ({seconds:g} s typing, {2 * seconds:g} s complete, one after"
              f" another, same session; load average {os.getloadavg()[0]:.1f})")
        print(f"{'program':<18} {'speed':>6} {'sound':>5} {'CPU s':>6} {'CPU %':>6} {'sound s':>8} {'rest s':>7}"
              f" {'rest %':>7} {'wineserver s':>13} {'Xvfb s':>7}  goal")
        results = []
        for name, speed, sound, phase, goal in CASES:
            (program, sound_seconds, server, xvfb), wall = measure(session, speed, sound, phase, seconds)
            rest = program - sound_seconds
            text = "-"
            if goal is not None:
                results.append(100 * program / wall <= goal)
                text = f"whole <= {goal:.1f}%: {'holds' if results[-1] else 'MISSED'}"
            print(f"{name:<18} {speed or '-':>6} {('on' if sound else 'off') if speed else '-':>5} {program:6.2f}"
                  f" {100 * program / wall:5.2f}% {sound_seconds:8.2f} {rest:7.2f} {100 * rest / wall:6.2f}%"
                  f" {server:13.2f} {xvfb:7.2f}  {text}", flush=True)
        print("typing: 25 characters a second, a tick every 40 ms; complete: the ticks draw nothing")
        print("sound: the threads Wine runs for the program's sound device; rest: the rest of the process")
        print(f"message goals: {sum(results)} of {len(results)} hold (load average now {os.getloadavg()[0]:.1f})")
    finally:
        rig.shutdown()


if __name__ == "__main__":
    main()
