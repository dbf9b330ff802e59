"""CPU time the clock uses at each display-timer period, next to a window that does nothing.

    python3 tests/bench/clock_cpu_bench.py [--seconds N]

Runs, one after another under the same wine64 session (the end-to-end rig's Xvfb and Wine
prefix; WINEPREFIX, VANTEL_BUILD_DIR and VANTEL_E2E_ARCH are honoured as there: with
VANTEL_E2E_ARCH=32 the 32-bit programs run under the emulated Wine), the idle window
(build/win64/tests/bench/idle_window.exe, or build/win32-tests') and the clock showing the
current time with its last shown slot 9, 10 and 11, which sets the display timer to 125, 50 and 25 ms. Each runs
N seconds (30 by default) after its window is up. The Windows process is a Linux process
under wine64, so its CPU time is the user and system time of /proc/<pid>/stat; the
wineserver's and the X server's are shown beside it, as the clock's drawing and timers
make them work too. Prints a table of CPU seconds and percent of the time measured.

While a sound device is open, Wine runs it in threads of the clock's process that mix and
write silence all the time; their share is shown apart (Wine names them winealsa_timer and
wine_dsound_mix), so that what is left is mostly the display and event timers. The clock
opens its device only around an event's sound, so with no event there should be none.

The X server is given a resource database first (the root window's RESOURCE_MANAGER), as
a desktop session's always has one (Debian's Xsession loads /etc/X11/Xresources with
xrdb): without one, Wine's X11 driver looks for ~/.Xdefaults anew for every device context
it makes, nine failed file look-ups per drawing tick of the clock, which a user's desktop
does not pay.

Each clock row has a goal: the whole process at 125 ms, the rest (the clock's own threads)
at 50 and 25 ms; the last column says whether it holds. The load average is printed, as
the machine may be shared: CPU time is what is measured, but a loaded machine still
makes every piece of work cost more.
"""

import argparse
import os
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))

import rig  # noqa: E402  (needs the path above)

IDLE_WINDOW = rig.TOOLS.parent / "bench" / "idle_window.exe"
TICKS = os.sysconf("SC_CLK_TCK")

# Eight slots side by side fill the 216 pixels of the default background.
ROW_OF_EIGHT = [(8 + 25 * i, 15) for i in range(8)]
DEFAULT_POSITIONS = [(0, 0)] * 4 + [(left, 15) for left in (20, 45, 80, 105, 140, 165)] + [(0, 0)] * 2


def clock_settings(first, last, positions):
    """A settings file for the current time with slots first..last shown."""
    digits = "".join(f"Digit{n}={x},{y}\n" for n, (x, y) in enumerate(positions, 1))
    return ("[Settings]\nClockMode=1\nDisplayPastEvents=0\n[Appearance]\nWindowPos=10,10\n"
            f"FirstDigit={first}\nLastDigit={last}\n{digits}")


# (name, display-timer period, settings file or None for the idle window, goal): the goal
# is (figure, most percent of a core), the figure "whole" (the process) or "rest".
CASES = [
    ("idle window", "-", None, None),
    ("clock, slots 4-9", "125 ms", clock_settings(4, 9, DEFAULT_POSITIONS), ("whole", 0.3)),
    ("clock, slots 3-10", "50 ms", clock_settings(3, 10, [(0, 0)] * 3 + ROW_OF_EIGHT + [(0, 0)]), ("rest", 0.4)),
    ("clock, slots 4-11", "25 ms", clock_settings(4, 11, [(0, 0)] * 4 + ROW_OF_EIGHT), ("rest", 1.0)),
]


def goal_text(goal, whole, rest):
    """The goal column: the figure and its limit, and whether it holds; '-' for none."""
    if not goal:
        return "-", None
    figure, limit = goal
    value = whole if figure == "whole" else rest
    holds = value <= limit
    return f"{figure} <= {limit:.1f}%: {'holds' if holds else 'MISSED'}", holds

SOUND_THREADS = ("winealsa", "wine_dsound")


def _stat_seconds(path):
    """Name and user plus system CPU seconds from a /proc stat file."""
    text = Path(path).read_text()
    name, fields = text[text.index("(") + 1:text.rindex(")")], text.rsplit(")", 1)[1].split()
    # After the name's closing parenthesis: state is field 3, utime 14, stime 15.
    return name, (int(fields[11]) + int(fields[12])) / TICKS


def cpu_seconds(pid):
    """User plus system CPU time of the process (all its threads) so far, in seconds."""
    return _stat_seconds(f"/proc/{pid}/stat")[1]


def _sound_thread_times(pid):
    """CPU seconds so far of each of the process's threads that Wine runs for its sound device."""
    times = []
    for thread in os.listdir(f"/proc/{pid}/task"):
        try:
            name, seconds = _stat_seconds(f"/proc/{pid}/task/{thread}/stat")
        except OSError:
            continue
        if name.startswith(SOUND_THREADS):
            times.append(seconds)
    return times


def sound_seconds(pid):
    """CPU seconds so far of the process's threads that Wine runs for its sound device."""
    return sum(_sound_thread_times(pid))


def sound_threads(pid):
    """How many of the process's threads Wine runs for a sound device."""
    return len(_sound_thread_times(pid))


# What Debian's Xsession puts there from /etc/X11/Xresources/x11-common.
DESKTOP_RESOURCES = "*customization:\t-color\n"


def desktop_resources(session):
    """Gives the session's X server the resource database of a desktop session."""
    session.run_tool(["xprop", "-root", "-f", "RESOURCE_MANAGER", "8s", "-set", "RESOURCE_MANAGER",
                      DESKTOP_RESOURCES])


def wineserver_pid(prefix):
    """The wineserver serving the prefix, or None."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            command = Path(f"/proc/{entry}/cmdline").read_bytes()
            if b"wineserver" not in command.split(b"\0")[0]:
                continue
            environment = Path(f"/proc/{entry}/environ").read_bytes().split(b"\0")
        except OSError:
            continue
        if f"WINEPREFIX={prefix}".encode() in environment:
            return int(entry)
    return None


def measure_window(session, folder, name, window_class, title, seconds, ready=None):
    """Starts the folder's program, waits for its window (and for ready(window, pid), when given),
    lets it run for the given time, ends it with Escape; returns (program, its sound threads,
    wineserver, X server) CPU seconds and the wall time measured. Removes the folder."""
    program = None
    try:
        program = rig.Program(session, folder, name)
        window = rig.wait_window(window_class, title)
        if ready:
            ready(window, program.pid)
        server = wineserver_pid(session.prefix)

        def sample():
            return [cpu_seconds(program.pid), sound_seconds(program.pid),
                    cpu_seconds(server) if server else 0.0, cpu_seconds(session.xvfb.pid)]

        before = sample()
        started = time.monotonic()
        time.sleep(seconds)  # the measured span itself
        after = sample()
        wall = time.monotonic() - started
        if not program.running():
            raise RuntimeError(f"{name} ended during the measurement: {program.log()[-500:]}")
        rig.key(window, "Escape")
        program.wait_exit()
        return [b - a for a, b in zip(before, after)], wall
    finally:
        if program:
            program.kill()
        folder.remove()


def measure(session, name, settings, seconds):
    """The clock with the settings, or the idle window without: see measure_window."""
    if not settings:
        folder = rig.ProgramFolder(session, (), {"idle_window.exe": IDLE_WINDOW})
        return measure_window(session, folder, "idle_window.exe", "Vantel Idle", "Vantel - Idle window", seconds)
    folder = rig.ProgramFolder(session, ("vantel.exe",), {"vantel.ini": settings})
    return measure_window(session, folder, "vantel.exe", "Vantel", "Vantel - Digital clock", seconds)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=30.0, help="time measured per program (default 30)")
    seconds = parser.parse_args().seconds
    if not IDLE_WINDOW.exists():
        sys.exit(f"{IDLE_WINDOW} is missing (cmake --build {IDLE_WINDOW.parents[2]} --target idle_window)")
    try:
        session = rig.session()
        desktop_resources(session)
        wine = "emulated 32-bit Wine" if rig.ARCH == "32" else "wine64"
        print(f"Clock CPU use under {wine} ({seconds:g} s each, one after another, same session; "
              f"load average {os.getloadavg()[0]:.1f})")
        print(f"{'program':<18} {'timer':>6} {'CPU s':>6} {'CPU %':>6} {'sound s':>8} {'rest s':>7} {'rest %':>7}"
              f" {'wineserver s':>13} {'Xvfb s':>7}  goal")
        results = []
        for name, period, settings, goal in CASES:
            (program, sound, server, xvfb), wall = measure(session, name, settings, seconds)
            rest = program - sound
            text, holds = goal_text(goal, 100 * program / wall, 100 * rest / wall)
            if holds is not None:
                results.append(holds)
            print(f"{name:<18} {period:>6} {program:6.2f} {100 * program / wall:5.2f}% {sound:8.2f} {rest:7.2f}"
                  f" {100 * rest / wall:6.2f}% {server:13.2f} {xvfb:7.2f}  {text}", flush=True)
        print("sound: the threads Wine runs for the clock's sound device; rest: the rest of the process")
        print(f"clock goals: {sum(results)} of {len(results)} hold (load average now {os.getloadavg()[0]:.1f})")
    finally:
        rig.shutdown()


if __name__ == "__main__":
    main()
