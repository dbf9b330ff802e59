"""CPU time the message program uses while it types its text and once the text is complete,
next to a window that does nothing.

    python3 tests/bench/message_cpu_bench.py [--seconds N]

Runs, one after another under the same Wine session (the end-to-end rig's Xvfb and Wine
prefix; WINEPREFIX, VANTEL_BUILD_DIR and VANTEL_E2E_ARCH are honoured as there: with
VANTEL_E2E_ARCH=32 the 32-bit programs run under the emulated Wine), the idle window and
the message program
in four states: typing a message of 511 characters at 25 characters a second (a tick every
40 ms that draws), and complete (started at 512 characters a second, measured once the text
stands still: the ticks go on but draw nothing), each with the sound on and off. Each is
measured N seconds (10 by default; typing lasts about 21 s, so at most 20). The Windows
process is a Linux process under wine64, so its CPU time is the user and system time of
/proc/<pid>/stat; the wineserver's and the X server's are shown beside it.

With the sound on, Wine runs the sound device in threads of the program's process that
mix and write all the time (silence once the sound stops); their share is shown apart, so
that what is left is mostly the animation.
"""

import argparse
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "e2e"))
sys.path.insert(0, str(HERE))

import rig  # noqa: E402  (needs the path above)
from clock_cpu_bench import IDLE_WINDOW, measure_window  # noqa: E402
from test_message_window import CLASS, TITLE, message_ini, watch_typing  # noqa: E402

# 511 characters, the most a message holds; wrapped to the text area, the lines below its
# bottom are typed (and clipped) too.
LONG_TEXT = ("A reminder long enough to keep the message window typing for the whole measurement. "
             * 7)[:511]
TYPING_SECONDS = (19 + 1 + len(LONG_TEXT)) / 25  # the date line, a line feed and the text

# (name, speed, sound on, phase): phase "typing" is measured from the window's appearance,
# "complete" once the text stands still.
CASES = [
    ("idle window", None, None, None),
    ("message, typing", 25, 1, "typing"),
    ("message, complete", 512, 1, "complete"),
    ("message, typing", 25, 0, "typing"),
    ("message, complete", 512, 0, "complete"),
]


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
    ready = watch_typing if phase == "complete" else None
    return measure_window(session, folder, name, window_class, title, seconds, ready)


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
        wine = "emulated 32-bit Wine" if rig.ARCH == "32" else "wine64"
        print(f"Message program CPU use under {wine} ({seconds:g} s each, one after another, same session)")
        print(f"{'program':<18} {'speed':>6} {'sound':>5} {'CPU s':>6} {'CPU %':>6} {'sound s':>8} {'rest s':>7}"
              f" {'rest %':>7} {'wineserver s':>13} {'Xvfb s':>7}")
        for name, speed, sound, phase in CASES:
            (program, sound_threads, server, xvfb), wall = measure(session, speed, sound, phase, seconds)
            rest = program - sound_threads
            print(f"{name:<18} {speed or '-':>6} {('on' if sound else 'off') if speed else '-':>5} {program:6.2f}"
                  f" {100 * program / wall:5.1f}% {sound_threads:8.2f} {rest:7.2f} {100 * rest / wall:6.1f}%"
                  f" {server:13.2f} {xvfb:7.2f}", flush=True)
        print("typing: 25 characters a second, a tick every 40 ms; complete: the ticks draw nothing")
        print("sound: the threads Wine runs for the program's sound device; rest: the rest of the process")
    finally:
        rig.shutdown()


if __name__ == "__main__":
    main()
