"""Time from a program's start to its visible window: the clock next to a bare window.

    python3 tests/bench/start_bench.py [--starts N]

Starts the bare window (build/win64/tests/bench/idle_window.exe: a borderless tool window
of the clock's default size that only waits for messages) and the clock (default
settings) one after the other, N times each (9 by default), under the end-to-end rig's
session, whose wineserver stays up between them (a warm start, as a user's second
program is). A start is timed from just before the Wine process is made to the moment
the X server maps the program's window (its MapNotify on the root window, read through
Xlib as it happens): that is when the window shows on the screen. Prints the median of
each and their ratio, with the load average beside them, as the machine may be shared,
and whether the ratio holds its goal. Beside the wall time, the CPU time the program's
process had used when its window was mapped (user and system time of /proc/<pid>/stat),
which a loaded machine disturbs less.
"""

import argparse
import ctypes
import ctypes.util
import os
import select
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))

import rig  # noqa: E402  (needs the path above)
from clock_cpu_bench import cpu_seconds  # noqa: E402

IDLE_WINDOW = rig.TOOLS.parent / "bench" / "idle_window.exe"
WM_CLOSE = 0x0010
MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
START_BOUND = 20.0  # seconds a window may take to show
RATIO_GOAL = 1.5  # the clock's start, at most this many times the bare window's

# (name, program, Win32 class, title, files of its folder)
PROGRAMS = [
    ("bare window", "idle_window.exe", "Vantel Idle", "Vantel - Idle window", {"idle_window.exe": IDLE_WINDOW}),
    ("clock", "vantel.exe", "Vantel", "Vantel - Digital clock", {}),
]


class _MapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong), ("window", ctypes.c_ulong),
                ("override_redirect", ctypes.c_int)]


class _Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("map", _MapEvent), ("pad", ctypes.c_long * 24)]


class MapWatch:
    """An Xlib connection told of every window mapped on the root window."""

    def __init__(self, display_name):
        self.x11 = x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
        x11.XPending.argtypes = [ctypes.c_void_p]
        x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(_Event)]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
        x11.XFree.argtypes = [ctypes.c_void_p]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.display = x11.XOpenDisplay(display_name.encode())
        if not self.display:
            raise RuntimeError(f"cannot open display {display_name}")
        x11.XSelectInput(self.display, x11.XDefaultRootWindow(self.display), SUBSTRUCTURE_NOTIFY_MASK)
        x11.XSync(self.display, 0)
        self.socket = x11.XConnectionNumber(self.display)

    def drain(self):
        """Forgets the events so far."""
        self.x11.XSync(self.display, 0)
        event = _Event()
        while self.x11.XPending(self.display):
            self.x11.XNextEvent(self.display, ctypes.byref(event))

    def name(self, window):
        text = ctypes.c_char_p()
        if not self.x11.XFetchName(self.display, window, ctypes.byref(text)) or not text.value:
            return None
        name = text.value.decode("latin-1")
        self.x11.XFree(text)
        return name

    def wait_mapped(self, title, deadline):
        """The time (time.monotonic()) the X server mapped a window with the title. Wine names
        its X window before mapping it; a window mapped before its name was read is looked at
        again on the next event."""
        event = _Event()
        mapped = []  # (time, X window) of maps not yet matched
        while True:
            while self.x11.XPending(self.display):
                self.x11.XNextEvent(self.display, ctypes.byref(event))
                if event.type == MAP_NOTIFY:
                    mapped.append((time.monotonic(), event.map.window))
            for at, window in mapped:
                if self.name(window) == title:
                    return at
            left = deadline - time.monotonic()
            if left <= 0:
                raise rig.WaitTimeout(f"no window {title!r} mapped")
            select.select([self.socket], [], [], min(left, 0.05))

    def close(self):
        self.x11.XCloseDisplay(self.display)


def time_start(session, watch, program, window_class, title, files):
    """Seconds from the start of the program to its mapped window, and the CPU seconds its
    process had used by then; ends it afterwards."""
    folder = rig.ProgramFolder(session, () if program in files else (program,), files)
    started = None
    try:
        watch.drain()
        started = time.monotonic()
        running = rig.Program(session, folder, program)
        shown = watch.wait_mapped(title, started + START_BOUND)
        used = cpu_seconds(running.pid)
        rig.wait_window(window_class, title)
        session.run_probe(["post", window_class, title, str(WM_CLOSE)])
        running.wait_exit()
        return shown - started, used
    finally:
        folder.remove()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--starts", type=int, default=9, help="starts of each program (default 9)")
    starts = parser.parse_args().starts
    if not IDLE_WINDOW.exists():
        sys.exit(f"{IDLE_WINDOW} is missing (cmake --build {IDLE_WINDOW.parents[2]} --target idle_window)")
    try:
        session = rig.session()
        watch = MapWatch(session.display)
        times = {name: [] for name, *_ in PROGRAMS}
        used = {name: [] for name, *_ in PROGRAMS}
        load = os.getloadavg()[0]
        for _ in range(starts):
            for name, program, window_class, title, files in PROGRAMS:
                wall, cpu = time_start(session, watch, program, window_class, title, files)
                times[name].append(wall)
                used[name].append(cpu)
        watch.close()
        load = max(load, os.getloadavg()[0])
        bare, clock = (statistics.median(times[name]) for name, *_ in PROGRAMS)
        print(f"Start to visible window ({starts} alternated starts each, warm wineserver, load average up to {load:.1f})")
        for name, *_ in PROGRAMS:
            runs = " ".join(f"{1000 * t:.0f}" for t in times[name])
            print(f"{name:<12} median {1000 * statistics.median(times[name]):5.0f} ms, CPU"
                  f" {1000 * statistics.median(used[name]):4.0f} ms   ({runs})")
        cpu_bare, cpu_clock = (statistics.median(used[name]) for name, *_ in PROGRAMS)
        print(f"CPU time to the window: clock / bare window = {cpu_clock / cpu_bare:.2f}")
        ratio = clock / bare
        print(f"start ratio: clock / bare window = {ratio:.2f}   goal <= {RATIO_GOAL}: "
              f"{'holds' if ratio <= RATIO_GOAL else 'MISSED'}")
        return ratio
    finally:
        rig.shutdown()


if __name__ == "__main__":
    main()
