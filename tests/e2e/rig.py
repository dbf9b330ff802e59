"""Rig for end-to-end tests of the real Windows programs under wine64 on a private Xvfb.

One session serves a whole run: an Xvfb display, the Wine prefix of the build (made once)
and its wineserver, kept alive between programs so each start is quick. Every test gets a
fresh program folder (a temporary directory with copies of the executables and the files
it chooses) and a HOME of its own whose ALSA configuration writes every played sample to
a file. Tests start programs, find their windows through winprobe (a Windows console
program of this repository that sees Win32 classes, styles and regions), drive them with
real X input (xdotool), capture the screen (ImageMagick) and read what the programs wrote.

A test case looks like this:

    class ClockTest(rig.TestCase):
        def test_escape_ends_the_clock(self):
            clock = self.start_program("vantel.exe")
            window = rig.wait_window("Vantel", "Vantel - Digital clock")
            rig.key(window, "Escape")
            self.assertEqual(clock.wait_exit(), 0)

What there is, at a glance:
  rig.TestCase             make_folder(programs, files) -> ProgramFolder; start_program(name, folder) -> Program;
                           answer_box(text, title) checks and answers a message box, gives its owner
  ProgramFolder            path, home, file(), exists(), write(), read_text(), read_ini(), windows_path(),
                           played() (bytes the programs played), processes(), remove()
  Program                  pid, running(), wait_exit() -> exit code, kill(), log()
  wait_window(class, title, rects=, points=), find_window(...), list_windows(class), wait_menu()
                           -> Window: class_name, title, rect, style, exstyle, visible, foreground,
                              region_type, region_box, region_rects, in_region[(x, y)]
  wait_window_moved(window, rect); x_window(window); x_geometry(xid); x_shape(xid)
  key(window, *keys); click(x, y, button); double_click(x, y); drag(start, end); move_pointer(x, y)
  capture(rect) -> Image; Image.load(path); differences(actual, expected, tolerance, skip);
  menu_rows(picture) -> MenuRow items of a captured popup menu; DESKTOP_COLOUR; ART (resources/art)
  wait_until(condition, timeout, what); session(depth) (24 unless a test asks for 16 or 8)

VANTEL_E2E_ARCH=32 runs the same tests against the shipped 32-bit programs (build/win32)
under the emulated 32-bit Wine, with the 32-bit probe and stand-in (build/win32-tests);
every program copied into a folder must be of that build's machine type.

Every wait is bounded (WaitTimeout when it runs out). Every process a test starts is
ended by id in the test's clean-up, whether it passed or not; tests/e2e/run.py shuts the
session down (wineserver and Xvfb) at the end of the run. VANTEL_E2E_TRACE=1 shows each
tool the rig runs and how long it took.

    python3 rig.py free-display    prints the number of a free X display
"""

import ctypes
import ctypes.util
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

TOP = Path(__file__).resolve().parents[2]
# VANTEL_BUILD_DIR runs the tests against another build folder than the repository's.
BUILD = Path(os.environ.get("VANTEL_BUILD_DIR") or TOP / "build")
ART = TOP / "resources" / "art"
WINESERVER = "/usr/lib/wine/wineserver"  # serves 32-bit Wine as well as 64-bit

# VANTEL_E2E_ARCH=32 runs the shipped 32-bit programs under the emulated 32-bit Wine of
# scripts/wine32.sh (set up by scripts/emu32-setup.sh); otherwise the 64-bit build runs
# under wine64. Everything that depends on it is chosen here.
ARCH = os.environ.get("VANTEL_E2E_ARCH") or "64"
if ARCH not in ("32", "64"):
    raise SystemExit(f"VANTEL_E2E_ARCH is {ARCH!r}; 32 or 64")
if ARCH == "32":
    PROGRAMS = BUILD / "win32"  # vantel.exe and vantelmsg.exe
    TOOLS = BUILD / "win32-tests" / "tests" / "tools"  # winprobe.exe, standin_message.exe
    WINE = str(TOP / "scripts" / "wine32.sh")
    WINEARCH = "win32"
    DEFAULT_PREFIX = BUILD / "wineprefix32"
    # The emulated 32-bit Wine reads the time through glibc's 64-bit-time functions,
    # which Debian's libfaketime (0.9.10) does not wrap: its clock cannot be shifted.
    FAKETIME = None
else:
    PROGRAMS = BUILD / "win64"
    TOOLS = BUILD / "win64" / "tests" / "tools"
    WINE = "/usr/lib/wine/wine64"
    WINEARCH = "win64"
    DEFAULT_PREFIX = BUILD / "wineprefix"
    # The synchronised build: the plain one, reading its offset file anew from several
    # threads at once, now and then gives one of them the unshifted time, and a Wine
    # sleep that began on the shifted time then lasts for the whole offset.
    FAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1"
PROBE = TOOLS / "winprobe.exe"
MACHINE = 0x14C if ARCH == "32" else 0x8664  # PE machine type of the programs under test


def pe_machine(image):
    """The machine type in a Windows program's PE header (bytes of the file), or None."""
    if len(image) < 0x40 or image[:2] != b"MZ":
        return None
    at = int.from_bytes(image[0x3C:0x40], "little")
    if image[at:at + 4] != b"PE\0\0":
        return None
    return int.from_bytes(image[at + 4:at + 6], "little")


def check_machine(path):
    """Fails unless the program at path is built for the architecture under test: a run
    that mixes builds would test something else than it says."""
    machine = pe_machine(Path(path).read_bytes())
    if machine != MACHINE:
        found = "no PE header" if machine is None else f"machine {machine:#x}"
        raise RuntimeError(f"{path} is not a {ARCH}-bit Windows program ({found}, want {MACHINE:#x})")

# What the screen shows where no window is (in the holes of a shaped window, for instance).
DESKTOP_COLOUR = (58, 110, 165)

# The classes of the programs' main windows: the time from a program's start to one of
# them is its start (slowest_start).
MAIN_CLASSES = ("Vantel", "Vantel Message")

# Message boxes and dialogs are of this class; the programs' warnings carry this title.
BOX_CLASS = "#32770"
ERROR_BOX_TITLE = "Vantel - Error"

# Bounds of the waits, in seconds.
WINDOW_TIMEOUT = 20.0  # a program's window appears (the first start of a run is the slowest)
ACTION_TIMEOUT = 10.0  # a window reacts to input, a process ends
TOOL_TIMEOUT = 30.0  # one run of a helper tool (xdotool, import, convert, winprobe)


# How long the programs of this run took from their start to a visible window: the
# slowest start seen, in seconds (None before the first). Tests that put an event a
# moment ahead of a program's start take their lead from it (start_lead).
slowest_start = None
_last_start = None  # time.monotonic() of the latest program start, until its window is seen


def start_cost():
    """What a program start costs in this run: the slowest seen, or before any was seen what
    one costs on a loaded machine, 2 s under wine64 and 8 s under emulation."""
    return slowest_start if slowest_start is not None else (8.0 if ARCH == "32" else 2.0)


def start_lead(least=3):
    """Seconds ahead of now to put an event that a program about to start must see coming:
    twice the cost of a start and a second more, and at least `least`."""
    return max(least, int(2 * start_cost() + 1.999))


class WaitTimeout(AssertionError):
    """A bounded wait ran out; a test that meets it fails."""


# The successful wait that came closest to its bound in this run: (share of the bound,
# seconds waited, bound, what was waited for, in which test). run.py prints it, so a
# bound that gets tight (under emulation, say) shows before it fails.
tightest_wait = (0.0, 0.0, 0.0, "", "")
current_test = ""  # id of the running test, set by run.py


def note_wait(started, timeout, what):
    """Records a wait that succeeded after starting at started (time.monotonic())."""
    global tightest_wait
    waited = time.monotonic() - started
    if timeout > 0 and waited / timeout > tightest_wait[0]:
        tightest_wait = (waited / timeout, waited, timeout, what if isinstance(what, str) else "a condition",
                         current_test)


def wait_until(condition, timeout=ACTION_TIMEOUT, what="a condition", interval=0.05, note=True):
    """Calls condition() until it returns a true value, which is returned, for at most timeout s.
    what names the condition in the failure; a callable what is asked at the failure, so it
    can tell what was last seen. note=False leaves the wait out of tightest_wait (a wait
    that lets a fixed time pass on purpose)."""
    started = time.monotonic()
    deadline = started + timeout
    while True:
        value = condition()
        if value:
            if note:
                note_wait(started, timeout, what)
            return value
        if time.monotonic() >= deadline:
            raise WaitTimeout(f"gave up after {timeout:g} s waiting for {what() if callable(what) else what}")
        time.sleep(interval)


class Rect:
    """A rectangle in screen or window pixels; right and bottom are exclusive."""

    def __init__(self, left, top, right, bottom):
        self.left, self.top, self.right, self.bottom = left, top, right, bottom

    @property
    def width(self):
        return self.right - self.left

    @property
    def height(self):
        return self.bottom - self.top

    @property
    def centre(self):
        return (self.left + self.right) // 2, (self.top + self.bottom) // 2

    def moved(self, dx, dy):
        return Rect(self.left + dx, self.top + dy, self.right + dx, self.bottom + dy)

    def pixels(self):
        """The set of (x, y) pixels the rectangle covers."""
        return {(x, y) for y in range(self.top, self.bottom) for x in range(self.left, self.right)}

    def __eq__(self, other):
        return isinstance(other, Rect) and self.as_tuple() == other.as_tuple()

    def __hash__(self):
        return hash(self.as_tuple())

    def as_tuple(self):
        return (self.left, self.top, self.right, self.bottom)

    def __repr__(self):
        return f"Rect({self.left}, {self.top}, {self.right}, {self.bottom})"


def pixels_of(rects):
    """The set of (x, y) pixels covered by a list of Rects."""
    covered = set()
    for rect in rects:
        covered |= rect.pixels()
    return covered


# ---------------------------------------------------------------------------------------
# Session: display, prefix and wineserver

def free_display(first=90, last=400):
    """Number of an X display that has neither a lock file nor a socket."""
    for number in range(first, last):
        if not os.path.exists(f"/tmp/.X{number}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{number}"):
            return number
    raise RuntimeError(f"no free X display between :{first} and :{last - 1}")


class Session:
    """One Xvfb display and the Wine prefix of the build, with its wineserver kept alive."""

    def __init__(self, depth=24, width=1024, height=768):
        self.depth, self.width, self.height = depth, width, height
        self.display = None
        self.xvfb = None
        self.prefix = Path(os.environ.get("WINEPREFIX") or DEFAULT_PREFIX)
        self.scratch = None  # temporary folder holding the test folders
        self.probe = None  # the winprobe process that answers the run_probe commands
        self.probe_output = b""  # what it wrote past the last answer read
        self.probe_errors = None  # file of its standard error

    def start(self):
        for tool in ("Xvfb", "xdotool", "xdpyinfo", "xwininfo", "xsetroot", "import", "convert", "identify"):
            if not shutil.which(tool):
                raise RuntimeError(f"{tool} is not installed (scripts/install-deps.sh installs it)")
        for path in (WINE, PROBE):
            if not Path(path).exists():
                raise RuntimeError(f"{path} is missing (build with 'make build')")
        check_machine(PROBE)
        self.scratch = Path(tempfile.mkdtemp(prefix="vantel-e2e-"))
        try:
            self._start_xvfb()
            subprocess.run([str(TOP / "scripts" / "wine-prefix.sh"), str(self.prefix), ARCH], check=True,
                           timeout=300, stdout=subprocess.DEVNULL)
            self._start_wineserver()
            # The first program of a prefix also starts Wine's own services, which keep the
            # output handles they were started with: let a probe with no pipes pay for that
            # (so the tests' first start is as quick as the others), then start the server.
            subprocess.run([WINE, str(PROBE), "list", "#none"], env=self.env(), stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)
            self.run_probe(["list", "#none"])
            # Wine's desktop paints the whole screen black when it starts; from now on the
            # screen shows the root window's colour wherever no window covers it.
            self.run_tool(["xsetroot", "-solid", "#%02x%02x%02x" % DESKTOP_COLOUR])
        except BaseException:
            self.stop()
            raise

    def _start_xvfb(self):
        # Xvfb picks a free display itself and writes its number to the pipe once it is
        # ready: no race with another run looking for a free number at the same time.
        read_end, write_end = os.pipe()
        try:
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{self.width}x{self.height}x{self.depth}",
                 "-nolisten", "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            os.close(write_end)
            write_end = None
            answer = b""
            deadline = time.monotonic() + 20
            while not answer.endswith(b"\n") and time.monotonic() < deadline:
                ready, _, _ = select.select([read_end], [], [], max(deadline - time.monotonic(), 0))
                chunk = os.read(read_end, 32) if ready else b""
                if not chunk:
                    break
                answer += chunk
        finally:
            os.close(read_end)
            if write_end is not None:
                os.close(write_end)
        if not answer.strip().isdigit():
            raise RuntimeError("Xvfb did not start")
        self.display = f":{int(answer)}"

    def _start_wineserver(self):
        # -p keeps the wineserver (and with it Wine's services) alive between programs.
        deadline = time.monotonic() + 30
        while True:
            # No pipes: the wineserver goes on in the background and would keep them open.
            result = subprocess.run([WINESERVER, "-p"], env=self.env(), timeout=TOOL_TIMEOUT,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if result.returncode == 0:
                return
            # A wineserver of the prefix is still running, for instance one that is ending
            # after an earlier run: wait for it, then start ours.
            if time.monotonic() >= deadline:
                raise RuntimeError(f"cannot start the wineserver of {self.prefix}: another one keeps running")
            subprocess.run([WINESERVER, "-w"], env=self.env(), timeout=TOOL_TIMEOUT)

    def _end_xvfb(self):
        if self.xvfb and self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait(10)
        self.xvfb = None

    def stop(self):
        """Shuts down the prefix's wineserver (ending any program still in it) and Xvfb."""
        self._end_probe()
        if self.display:
            subprocess.run([WINESERVER, "-k"], env=self.env(), timeout=TOOL_TIMEOUT,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self._end_xvfb()
        if self.scratch:
            shutil.rmtree(self.scratch, ignore_errors=True)
            self.scratch = None

    def env(self, home=None):
        """Environment of the programs and tools of this session."""
        env = dict(os.environ)
        env.update(DISPLAY=self.display or "", WINEPREFIX=str(self.prefix), WINEARCH=WINEARCH,
                   WINEDEBUG="-all", WINE_D3D_CONFIG="renderer=no3d",
                   WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        if home:
            env["HOME"] = str(home)
        return env

    def run_tool(self, args, timeout=TOOL_TIMEOUT, check=True):
        """Runs a helper tool on the display; returns its standard output as bytes."""
        started = time.monotonic()
        result = subprocess.run(args, env=self.env(), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                timeout=timeout)
        _trace(started, args)
        if check and result.returncode != 0:
            raise RuntimeError(f"{' '.join(map(str, args))} failed ({result.returncode}): "
                               f"{result.stderr.decode(errors='replace').strip()}")
        return result.stdout

    def run_probe(self, args, timeout=TOOL_TIMEOUT):
        """Runs a winprobe command with the arguments; returns its lines. One winprobe process
        ("serve") answers every command of the session: a start of Wine costs a few tenths of
        a second under wine64, and seconds under emulation."""
        args = [str(a) for a in args]
        if any("\t" in a or "\n" in a for a in args):
            raise ValueError(f"winprobe arguments with a tab or line break: {args}")
        started = time.monotonic()
        lines = self._ask_probe(args, timeout)
        _trace(started, ["winprobe"] + args)
        code = int(lines.pop()[len("exit "):])
        if code not in (0, 1):
            raise RuntimeError(f"winprobe {' '.join(args)} failed ({code})")
        return lines

    def _ask_probe(self, args, timeout):
        """Sends one command to the probe server (started on first use) and reads its answer up
        to its "exit N" line, for at most timeout seconds."""
        if self.probe is None or self.probe.poll() is not None:
            # Its errors go to a file: a pipe left unread could fill up and stall it.
            self.probe_errors = tempfile.TemporaryFile()
            self.probe = subprocess.Popen([WINE, str(PROBE), "serve"], env=self.env(), stdin=subprocess.PIPE,
                                          stdout=subprocess.PIPE, stderr=self.probe_errors)
            self.probe_output = b""
        self.probe.stdin.write(("\t".join(args) + "\n").encode("latin-1"))
        self.probe.stdin.flush()
        deadline = time.monotonic() + timeout
        out = self.probe.stdout.fileno()
        while True:
            lines = self.probe_output.decode("latin-1").split("\n")
            for i, line in enumerate(lines):
                if line.rstrip("\r").startswith("exit "):
                    self.probe_output = "\n".join(lines[i + 1:]).encode("latin-1")
                    return [entry.rstrip("\r") for entry in lines[:i + 1]]
            left = deadline - time.monotonic()
            ready = select.select([out], [], [], max(left, 0))[0] if left > 0 else []
            chunk = os.read(out, 65536) if ready else b""
            if not chunk:
                self._end_probe()
                what = "ended" if ready else f"did not answer within {timeout:g} s"
                raise RuntimeError(f"winprobe {' '.join(args)}: the probe {what}")
            self.probe_output += chunk

    def _end_probe(self):
        if self.probe is not None:
            if self.probe.poll() is None:
                self.probe.kill()
            self.probe.wait(ACTION_TIMEOUT)
            for stream in (self.probe.stdin, self.probe.stdout, self.probe_errors):
                stream.close()
            self.probe = None


def _trace(started, args):
    """With VANTEL_E2E_TRACE=1 in the environment, every tool run is shown with its time."""
    if os.environ.get("VANTEL_E2E_TRACE") == "1":
        sys.stderr.write(f"    [{time.monotonic() - started:5.2f} s] {' '.join(map(str, args))}\n")


_session = None
_start_failure = {}  # colour depth -> why a session of it could not start


def session(depth=None):
    """The session of the run, started (24 bits per pixel unless depth says otherwise) at the
    first call. A call with another colour depth ends the current session and starts one of
    that depth (as in a test class's setUp: rig.session(16)); calls without a depth keep the
    current one."""
    global _session
    if depth is not None and _session and _session.depth != depth:
        shutdown()
    depth = depth or 24
    if not _session:
        if depth in _start_failure:
            raise RuntimeError(f"the test session could not start: {_start_failure[depth]}")
        started = Session(depth)
        try:
            started.start()
        except Exception as error:
            _start_failure[depth] = error
            raise
        _session = started
    return _session


def shutdown():
    """Ends the session: the wineserver of the prefix and the Xvfb. Safe to call twice."""
    global _session
    if _session:
        _session.stop()
        _session = None


# ---------------------------------------------------------------------------------------
# Program folders and programs

ASOUNDRC = 'pcm.!default {{ type file slave.pcm "null" file "{}" format "raw" }}\n'


class ProgramFolder:
    """A fresh folder with copies of the programs, beside a HOME of its own.

    files maps a file name in the program folder to its content: bytes, a str (written as
    ANSI text, Windows line ends) or a Path of a file to copy (for bitmaps and waves).
    """

    def __init__(self, session, programs=("vantel.exe",), files=None):
        self.root = Path(tempfile.mkdtemp(prefix="test-", dir=session.scratch))
        self.path = self.root / "program"
        self.home = self.root / "home"
        self.logs = self.root / "logs"
        for folder in (self.path, self.home, self.logs):
            folder.mkdir()
        for name in programs:
            built = PROGRAMS / name
            if not built.exists():
                raise RuntimeError(f"{built} is missing (build with 'make build')")
            check_machine(built)
            shutil.copy2(built, self.path / name)
        for name, content in (files or {}).items():
            self.write(name, content)
        self.played_path = self.home / "played.raw"
        (self.home / ".asoundrc").write_text(ASOUNDRC.format(self.played_path))

    def file(self, name):
        return self.path / name

    def exists(self, name):
        return self.file(name).exists()

    def write(self, name, content):
        target = self.file(name)
        target.parent.mkdir(parents=True, exist_ok=True)
        if isinstance(content, Path):
            if name.lower().endswith(".exe"):
                check_machine(content)
            shutil.copy2(content, target)
        elif isinstance(content, str):
            target.write_bytes(content.replace("\r\n", "\n").replace("\n", "\r\n").encode("latin-1"))
        else:
            target.write_bytes(content)

    def read_bytes(self, name):
        return self.file(name).read_bytes()

    def read_text(self, name):
        """A file as the programs write it: ANSI text, Windows line ends turned into \\n."""
        return self.read_bytes(name).decode("latin-1").replace("\r\n", "\n")

    def read_ini(self, name):
        return IniFile(self.read_text(name))

    def windows_path(self, name=""):
        """The Windows path (drive Z:) of a file in the program folder, for settings files."""
        return "Z:" + str(self.path / name).rstrip("/").replace("/", "\\")

    def played(self):
        """Every sample the programs of this folder played so far (raw bytes)."""
        return self.played_path.read_bytes() if self.played_path.exists() else b""

    def processes(self):
        """Ids of the running processes of this folder: those whose command line names it (the
        programs started from it, also by another program that named their path), and its
        programs that run with its HOME (one started by another by file name alone, as the
        clock starts vantelmsg.exe, inherits it; Wine's own services are left alone)."""
        needles = (str(self.path).lower(), self.windows_path().lower())
        home = f"HOME={self.home}".encode()
        programs = [path.name.lower() for path in self.path.glob("*.exe")]
        found = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                command = Path(f"/proc/{entry}/cmdline").read_bytes().decode("latin-1").lower()
                environment = Path(f"/proc/{entry}/environ").read_bytes().split(b"\0")
            except OSError:
                continue
            if any(needle in command for needle in needles) or (
                    home in environment and any(program in command for program in programs)):
                found.append(int(entry))
        return found

    def remove(self):
        """Ends every process still running from the folder (by id), then deletes the folder."""
        for pid in self.processes():
            try:
                os.kill(pid, 9)
            except ProcessLookupError:
                pass
        wait_until(lambda: not self.processes(), what=f"the processes of {self.path} to end")
        shutil.rmtree(self.root, ignore_errors=True)


def faketime_env(offset_file):
    """Environment that makes a program read the system clock shifted by the number of
    seconds written in offset_file ("+3600", "-10"), read anew at every reading; the
    monotonic clocks (timers, tick counts) stay true. Skips the test where that cannot be."""
    if FAKETIME is None:
        raise unittest.SkipTest("libfaketime cannot shift the clock of the emulated 32-bit Wine")
    if not Path(FAKETIME).exists():
        raise RuntimeError(f"{FAKETIME} is missing (scripts/install-deps.sh installs faketime)")
    return {"LD_PRELOAD": FAKETIME, "FAKETIME_TIMESTAMP_FILE": str(offset_file), "FAKETIME_NO_CACHE": "1",
            "FAKETIME_DONT_FAKE_MONOTONIC": "1"}


class Program:
    """A program started from a program folder; its Unix process is the Windows process."""

    def __init__(self, session, folder, name):
        self.name = name
        self.folder = folder
        log = open(folder.logs / f"{name}.log", "ab")
        try:
            self.process = subprocess.Popen([WINE, str(folder.file(name))], cwd=folder.path,
                                            env=session.env(home=folder.home), stdin=subprocess.DEVNULL,
                                            stdout=log, stderr=log)
        finally:
            log.close()
        self.pid = self.process.pid
        global _last_start
        _last_start = time.monotonic()

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=ACTION_TIMEOUT):
        """Waits for the process to end; returns its exit code."""
        started = time.monotonic()
        try:
            code = self.process.wait(timeout)
            note_wait(started, timeout, f"{self.name} to end")
            return code
        except subprocess.TimeoutExpired:
            raise WaitTimeout(f"{self.name} (pid {self.pid}) still runs after {timeout:g} s") from None

    def kill(self):
        if self.running():
            self.process.kill()
        self.process.wait(ACTION_TIMEOUT)

    def log(self):
        """What Wine and the program wrote to standard output and error."""
        return (self.folder.logs / f"{self.name}.log").read_text(errors="replace")


class TestCase(unittest.TestCase):
    """A test case whose folders and programs are cleaned up after each test, pass or fail."""

    def open_menu_dialog(self, window, menu_key, title):
        """Opens the window's context menu with the menu key, picks the item of the menu_key
        mnemonic and returns the dialog with the title once it is open."""
        key(window, "Menu")
        wait_menu()
        key(window, menu_key)
        dialog = find_window(BOX_CLASS, title, wait=WINDOW_TIMEOUT)
        self.assertIsNotNone(dialog, f"the dialog {title!r} opened")
        return dialog

    def make_folder(self, programs=("vantel.exe",), files=None):
        folder = ProgramFolder(session(), programs, files)
        self.addCleanup(folder.remove)
        return folder

    def start_program(self, name="vantel.exe", folder=None):
        """Starts a program from folder (default: a fresh folder with only that program)."""
        folder = folder or self.make_folder((name,))
        if not folder.exists(name):
            raise RuntimeError(f"{name} is not in the program folder {folder.path}")
        program = Program(session(), folder, name)
        self.addCleanup(program.kill)
        return program

    def answer_box(self, text, title=ERROR_BOX_TITLE):
        """Waits for a message box of the programs with the title, checks that it says text and
        answers it with Return; returns the box's owner (a window handle, 0 for none)."""
        box = find_window(BOX_CLASS, title, wait=WINDOW_TIMEOUT)
        self.assertIsNotNone(box, f"no box saying {text!r}")
        owner, children = window_children(box)
        self.assertIn(text, [child.text for child in children])
        key_inside(box, "Return")

        def closed():
            shown = find_window(BOX_CLASS, title)
            return shown is None or shown.handle != box.handle  # the next box has the same title

        wait_until(closed, what="the box to close")
        return owner


# ---------------------------------------------------------------------------------------
# Windows, as the Windows side sees them (winprobe)

class Window:
    """One window as winprobe reported it."""

    def __init__(self, facts):
        self.handle = int(facts["window"][0], 16)
        self.class_name = facts.get("class", [""])[0]
        self.title = facts.get("title", [""])[0]
        self.rect = Rect(*map(int, facts["rect"][0].split()))
        self.style = int(facts["style"][0], 16)
        self.exstyle = int(facts["exstyle"][0], 16)
        self.visible = facts["visible"][0] == "1"
        self.enabled = facts["enabled"][0] == "1"
        self.foreground = facts["foreground"][0] == "1"
        region = facts["region"][0].split()
        self.region_type = region[0]  # none, null, simple, complex or error
        self.region_box = Rect(*map(int, region[1:])) if len(region) == 5 else None
        self.region_rects = [Rect(*map(int, r.split())) for r in facts.get("regionrect", [])]
        self.in_region = {}
        for line in facts.get("point", []):
            x, y, inside = map(int, line.split())
            self.in_region[(x, y)] = inside == 1

    def __repr__(self):
        return f"Window({self.class_name!r}, {self.title!r}, {self.rect})"


def _parse_windows(lines):
    windows, facts = [], None
    for line in lines:
        key, _, value = line.rstrip("\r").partition(" ")
        if key == "window":
            facts = {}
        if facts is None:
            continue
        if key == "end":
            windows.append(Window(facts))
            facts = None
        else:
            facts.setdefault(key, []).append(value)
    return windows


def find_window(class_name, title, rects=False, points=(), wait=0.0):
    """The top-level window of that Win32 class and title (None for any), or None.
    rects lists its region's rectangles; points are (x, y) in window coordinates to test
    against its region (Window.in_region); wait polls up to that many seconds for it to be
    visible."""
    args = ["window", class_name or "-", title or "-"]
    if wait:
        args += ["--wait", int(wait * 1000)]
    if rects:
        args.append("--rects")
    for x, y in points:
        args += ["--point", f"{x},{y}"]
    found = _parse_windows(session().run_probe(args, timeout=wait + TOOL_TIMEOUT))
    return found[0] if found else None


def wait_window(class_name, title, timeout=WINDOW_TIMEOUT, rects=False, points=()):
    """Waits until the window exists and is visible; returns it."""
    started = time.monotonic()
    window = find_window(class_name, title, rects, points, wait=timeout)
    if not window or not window.visible:
        raise WaitTimeout(f"no visible window of class {class_name!r} and title {title!r} "
                          f"after {timeout:g} s")
    note_wait(started, timeout, f"window {title!r}")
    global _last_start, slowest_start
    if _last_start is not None and class_name in MAIN_CLASSES:
        took = time.monotonic() - _last_start
        slowest_start = took if slowest_start is None else max(slowest_start, took)
        _last_start = None
    return window


def list_windows(class_name, wait=0.0):
    """Every visible top-level window of the class; wait polls up to that many seconds for one."""
    args = ["list", class_name] + (["--wait", int(wait * 1000)] if wait else [])
    return _parse_windows(session().run_probe(args, timeout=wait + TOOL_TIMEOUT))


POPUP_MENU_CLASS = "#32768"


def wait_menu(timeout=ACTION_TIMEOUT):
    """Waits for an open popup menu; returns its window (the first when several are open)."""
    started = time.monotonic()
    menus = list_windows(POPUP_MENU_CLASS, wait=timeout)
    if not menus:
        raise WaitTimeout(f"no popup menu opened within {timeout:g} s")
    note_wait(started, timeout, "a popup menu")
    return menus[0]


def wait_window_moved(window, rect, timeout=ACTION_TIMEOUT):
    """Waits until the window's rectangle is rect; returns the window as then probed."""
    found = [None]

    def moved():
        found[0] = find_window(window.class_name, window.title)
        return found[0] is not None and found[0].rect == rect

    wait_until(moved, timeout, lambda: f"{window.title!r} to be at {rect} (last seen: {found[0]})")
    return found[0]


# ---------------------------------------------------------------------------------------
# The X side: windows, shapes, input

def x_window(window, timeout=ACTION_TIMEOUT):
    """The X window id of a Wine top-level window: the mapped one with its title and place.
    Waits for it: Wine maps the X window a moment after the Win32 window turns visible, and
    a window that is being set up anew may still move; its place is probed anew each time."""
    seen = [window]

    def found():
        current = find_window(hex(window.handle), None) or window
        seen[0] = current
        return _find_x_window(window.title, lambda rect: rect == current.rect)

    def what():
        out = session().run_tool(["xdotool", "search", "--name", "^" + _regex(window.title) + "$"], check=False)
        return (f"the X window of {window} (last probed: {seen[0]}, visible {seen[0].visible}; "
                f"X windows of the title: {[(xid, x_geometry(int(xid))) for xid in out.split()]})")

    return wait_until(found, timeout, what)


def _find_x_window(title, fits):
    """The first mapped X window with the title whose rectangle fits, or None."""
    out = session().run_tool(["xdotool", "search", "--onlyvisible", "--name", "^" + _regex(title) + "$"],
                             check=False)
    for xid in out.split():
        try:
            if fits(x_geometry(int(xid))):
                return int(xid)
        except RuntimeError:  # gone between the search and the look at it
            pass
    return None


def _regex(text):
    return "".join("\\" + c if c in ".^$*+?()[]{}|\\" else c for c in text)


def x_geometry(xid):
    """The X window's rectangle on the screen, as the X server has it."""
    facts = {}
    for line in session().run_tool(["xwininfo", "-id", str(xid)]).decode().splitlines():
        key, _, value = line.strip().partition(":")
        facts[key] = value.strip()
    left, top = int(facts["Absolute upper-left X"]), int(facts["Absolute upper-left Y"])
    return Rect(left, top, left + int(facts["Width"]), top + int(facts["Height"]))


class _XRectangle(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort)]


def x_shape(xid):
    """The bounding shape the X server holds for the window, as Rects in window coordinates,
    or None when the window is not shaped (then it is its whole rectangle)."""
    x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
    xext = ctypes.CDLL(ctypes.util.find_library("Xext"))
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XFree.argtypes = [ctypes.c_void_p]
    integer = ctypes.POINTER(ctypes.c_int)
    uinteger = ctypes.POINTER(ctypes.c_uint)
    xext.XShapeQueryExtents.argtypes = [ctypes.c_void_p, ctypes.c_ulong, integer, integer, integer,
                                        uinteger, uinteger, integer, integer, integer, uinteger, uinteger]
    xext.XShapeGetRectangles.restype = ctypes.POINTER(_XRectangle)
    xext.XShapeGetRectangles.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, integer, integer]
    display = x11.XOpenDisplay(session().display.encode())
    if not display:
        raise RuntimeError(f"cannot open display {session().display}")
    try:
        shaped, clip_shaped = ctypes.c_int(), ctypes.c_int()
        ints = [ctypes.c_int() for _ in range(4)]
        uints = [ctypes.c_uint() for _ in range(4)]
        if not xext.XShapeQueryExtents(display, xid, ctypes.byref(shaped), ctypes.byref(ints[0]),
                                       ctypes.byref(ints[1]), ctypes.byref(uints[0]), ctypes.byref(uints[1]),
                                       ctypes.byref(clip_shaped), ctypes.byref(ints[2]), ctypes.byref(ints[3]),
                                       ctypes.byref(uints[2]), ctypes.byref(uints[3])):
            raise RuntimeError("the X server has no SHAPE extension")
        if not shaped.value:
            return None
        count, ordering = ctypes.c_int(), ctypes.c_int()
        rects = xext.XShapeGetRectangles(display, xid, 0, ctypes.byref(count), ctypes.byref(ordering))
        try:
            return [Rect(r.x, r.y, r.x + r.width, r.y + r.height) for r in rects[:count.value]]
        finally:
            if rects:
                x11.XFree(rects)
    finally:
        x11.XCloseDisplay(display)


def key(window, *keys):
    """Gives the window the keyboard focus and types the keys (xdotool names: Escape, F5,
    shift+F10, Menu, x...). While a window's popup menu is open, keys to the window go to
    the menu."""
    session().run_tool(["xdotool", "windowfocus", "--sync", str(x_window(window))])
    session().run_tool(["xdotool", "key", "--delay", "50"] + list(keys))


def pointer():
    """Where the pointer is: (x, y) on the screen."""
    facts = dict(line.split("=", 1) for line in
                 session().run_tool(["xdotool", "getmouselocation", "--shell"]).decode().split())
    return int(facts["X"]), int(facts["Y"])


def move_pointer(x, y):
    """Moves the pointer to the screen point (kept on the screen)."""
    x = min(max(x, 0), session().width - 1)
    y = min(max(y, 0), session().height - 1)
    # xdotool's --sync waits for the pointer to move: long, when it is there already.
    if pointer() != (x, y):
        session().run_tool(["xdotool", "mousemove", "--sync", str(x), str(y)])


def click(x, y, button=1):
    """Moves the pointer to the screen point and clicks (1 left, 3 right)."""
    move_pointer(x, y)
    session().run_tool(["xdotool", "click", str(button)])


def double_click(x, y, button=1):
    move_pointer(x, y)
    session().run_tool(["xdotool", "click", "--repeat", "2", "--delay", "80", str(button)])


def drag(start, end, steps=8, button=1):
    """Presses the button at start, moves in steps to end and releases it there."""
    move_pointer(*start)
    session().run_tool(["xdotool", "mousedown", str(button)])
    for step in range(1, steps + 1):
        move_pointer(start[0] + (end[0] - start[0]) * step // steps,
                     start[1] + (end[1] - start[1]) * step // steps)
    session().run_tool(["xdotool", "mouseup", str(button)])


# ---------------------------------------------------------------------------------------
# Pictures

class Image:
    """An RGB picture: width, height and 3 bytes a pixel, rows from the top."""

    def __init__(self, width, height, data):
        if len(data) != width * height * 3:
            raise ValueError(f"{len(data)} bytes for a {width}x{height} picture")
        self.width, self.height, self.data = width, height, data

    def pixel(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self.data[at:at + 3])

    def crop(self, rect):
        rows = [self.data[(y * self.width + rect.left) * 3:(y * self.width + rect.right) * 3]
                for y in range(rect.top, rect.bottom)]
        return Image(rect.width, rect.height, b"".join(rows))

    @staticmethod
    def load(path):
        """Any picture file ImageMagick reads (BMP, PNG...)."""
        size = subprocess.run(["identify", "-format", "%w %h", str(path)], stdout=subprocess.PIPE, check=True,
                              timeout=TOOL_TIMEOUT).stdout.split()
        data = subprocess.run(["convert", str(path), "-depth", "8", "rgb:-"], stdout=subprocess.PIPE, check=True,
                              timeout=TOOL_TIMEOUT).stdout
        return Image(int(size[0]), int(size[1]), data)

    def save(self, path):
        """Writes the picture as a PNG (for looking at a failure)."""
        subprocess.run(["convert", "-size", f"{self.width}x{self.height}", "-depth", "8", "rgb:-", str(path)],
                       input=self.data, check=True, timeout=TOOL_TIMEOUT)


def capture(rect):
    """What the screen shows in the rectangle."""
    data = session().run_tool(["import", "-silent", "-window", "root", "-crop",
                               f"{rect.width}x{rect.height}+{rect.left}+{rect.top}", "-depth", "8", "rgb:-"])
    return Image(rect.width, rect.height, data)


def differences(actual, expected, tolerance=8, skip=None):
    """Pixels where the pictures differ by more than tolerance in some channel, as a list of
    (x, y, actual, expected). skip(x, y, expected_pixel) true leaves a pixel out."""
    if (actual.width, actual.height) != (expected.width, expected.height):
        raise ValueError("pictures of different sizes")
    found = []
    for y in range(expected.height):
        for x in range(expected.width):
            want, got = expected.pixel(x, y), actual.pixel(x, y)
            if skip and skip(x, y, want):
                continue
            if max(abs(a - b) for a, b in zip(got, want)) > tolerance:
                found.append((x, y, got, want))
    return found


class MenuRow:
    """A horizontal band of a captured popup menu: kind is "text" or "separator"; top and
    bottom are rows of the picture (bottom exclusive); darkest is the lowest brightness
    (0-255) of its ink, the text colour of the item."""

    def __init__(self, kind, top, bottom, darkest):
        self.kind, self.top, self.bottom, self.darkest = kind, top, bottom, darkest

    def __repr__(self):
        return f"MenuRow({self.kind}, {self.top}-{self.bottom}, darkest {self.darkest})"


def menu_rows(picture, border=4, gap=3):
    """Splits a captured popup menu into its items, top to bottom, from the pixels alone:
    rows with ink (pixels unlike the menu's background colour) form bands; a band whose
    ink spans most of the width is a separator; text bands closer than gap rows are one
    item (a text and its underlined mnemonic). border pixels at each edge are ignored.
    Hover the pointer elsewhere first: a highlighted item has another background."""
    inner = picture.crop(Rect(border, border, picture.width - border, picture.height - border))
    counts = {}
    for i in range(0, len(inner.data), 3):
        colour = inner.data[i:i + 3]
        counts[colour] = counts.get(colour, 0) + 1
    background = tuple(max(counts, key=counts.get))

    def brightness(pixel):
        return (pixel[0] * 299 + pixel[1] * 587 + pixel[2] * 114) // 1000

    rows, band = [], None
    for y in range(inner.height + 1):
        ink = []
        if y < inner.height:
            ink = [p for p in (inner.pixel(x, y) for x in range(inner.width))
                   if max(abs(a - b) for a, b in zip(p, background)) > 40]
        if ink and band is None:
            band = [y, len(ink), 255]
        if ink:
            band[1] = max(band[1], len(ink))
            band[2] = min(band[2], min(brightness(p) for p in ink))
        elif band is not None:
            kind = "separator" if band[1] > inner.width * 0.6 else "text"
            last = rows[-1] if rows else None
            if kind == "text" and last and last.kind == "text" and band[0] + border - last.bottom < gap:
                last.bottom, last.darkest = y + border, min(last.darkest, band[2])
            else:
                rows.append(MenuRow(kind, band[0] + border, y + border, band[2]))
            band = None
    return rows


# ---------------------------------------------------------------------------------------
# Settings files

class IniFile:
    """A private-profile file as Windows reads it: sections and keys match without regard to
    case; the first of repeated keys counts."""

    def __init__(self, text):
        self.sections = {}  # section name as written -> {key as written: value}
        current = None
        for line in text.splitlines():
            line = line.strip()
            if line.startswith("[") and "]" in line:
                current = self.sections.setdefault(line[1:line.index("]")], {})
            elif current is not None and "=" in line:
                name, _, value = line.partition("=")
                current.setdefault(name.strip(), value.strip())

    def section(self, name):
        for section, keys in self.sections.items():
            if section.lower() == name.lower():
                return keys
        return None

    def get(self, section, key, default=None):
        keys = self.section(section) or {}
        for name, value in keys.items():
            if name.lower() == key.lower():
                return value
        return default


if __name__ == "__main__":
    if sys.argv[1:] == ["free-display"]:
        print(free_display())
    else:
        sys.exit(__doc__)


# ---------------------------------------------------------------------------------------
# Digit faces: reading the digits a clock face shows on a screen capture.

def digit_slots(positions, cell_width=25, cell_height=30):
    """Rects (window pixels) of digit slots at the (left, top) positions."""
    return [Rect(left, top, left + cell_width, top + cell_height) for left, top in positions]


class FaceReader:
    """Reads the digits shown in digit slots of a captured face, by comparing each slot with
    the ten pictures it can show: the background at the slot with that digit's cell of the
    digits strip drawn over it (transparent colour left out; where the background itself is
    transparent the window has a hole, and the desktop shows)."""

    def __init__(self, slots, background=None, digits=None, transparent=(255, 0, 255), tolerance=40):
        self.background = Image.load(background or ART / "clock_background.bmp")
        self.strip = Image.load(digits or ART / "clock_digits.bmp")
        self.slots = list(slots)
        self.tolerance = tolerance
        width, height = self.strip.width // 10, self.strip.height
        self.pictures = []  # per slot: ten lists of pixels, row by row
        for slot in self.slots:
            if (slot.width, slot.height) != (width, height):
                raise ValueError(f"{slot} is not the size of a digit cell ({width}x{height})")
            shown = []
            for digit in range(10):
                pixels = []
                for y in range(height):
                    for x in range(width):
                        ink = self.strip.pixel(digit * width + x, y)
                        under = self.background.pixel(slot.left + x, slot.top + y)
                        if ink != transparent:
                            pixels.append(ink)
                        else:
                            pixels.append(DESKTOP_COLOUR if under == transparent else under)
                shown.append(pixels)
            self.pictures.append(shown)

    def _unlike(self, picture, slot, expected):
        tolerance, count, i = self.tolerance, 0, 0
        for y in range(slot.top, slot.bottom):
            for x in range(slot.left, slot.right):
                got, want = picture.pixel(x, y), expected[i]
                i += 1
                if abs(got[0] - want[0]) > tolerance or abs(got[1] - want[1]) > tolerance \
                        or abs(got[2] - want[2]) > tolerance:
                    count += 1
        return count

    def scores(self, picture, index):
        """For slot index: the number of pixels unlike each digit's picture, digits 0 to 9."""
        return [self._unlike(picture, self.slots[index], shown) for shown in self.pictures[index]]

    def read_slot(self, picture, index, most_unlike=0.02, margin=0.04):
        """The digit slot index shows, or None when no digit's picture matches clearly: the
        best may differ in at most most_unlike of the slot's pixels and the second best in
        margin more (a slot caught between its wipe and its new digit matches none)."""
        scores = self.scores(picture, index)
        order = sorted(range(10), key=scores.__getitem__)
        area = self.slots[index].width * self.slots[index].height
        best, second = scores[order[0]], scores[order[1]]
        if best <= most_unlike * area and second - best >= margin * area:
            return order[0]
        return None

    def read(self, picture):
        """The shown digits as a text, one character a slot, or None when a slot is unclear.
        picture is a capture of the whole window (window pixels)."""
        digits = [self.read_slot(picture, i) for i in range(len(self.slots))]
        return None if None in digits else "".join(map(str, digits))


# ---------------------------------------------------------------------------------------
# Child windows: the texts of a message box or dialog, and its owner (winprobe --children).

class ChildWindow:
    """One child window as winprobe reported it: handle, control id, class and text; its
    rect on the screen, whether it is enabled, and its check state (buttons; else 0)."""

    def __init__(self, handle, control_id, class_name, text):
        self.handle, self.control_id, self.class_name, self.text = handle, control_id, class_name, text
        self.rect, self.enabled, self.checked = None, True, 0

    def __repr__(self):
        return f"ChildWindow({self.control_id}, {self.class_name!r}, {self.text!r})"


def _unescape(text):
    """winprobe's text: line breaks written as \\n, backslashes doubled."""
    return re.sub(r"\\(.)", lambda m: "\n" if m.group(1) == "n" else m.group(1), text)


def window_children(window):
    """The owner's handle (0 for none) and the child windows of a top-level window, as
    (owner, [ChildWindow...]); (None, []) once the window is gone."""
    lines = session().run_probe(["window", window.class_name or "-", window.title or "-", "--children"])
    owner, children, inside = None, [], False
    for line in lines:
        key, _, value = line.rstrip("\r").partition(" ")
        if key == "window":
            inside = int(value, 16) == window.handle
        elif inside and key == "owner":
            owner = int(value, 16)
        elif inside and key == "child":
            handle, control_id, class_name, text = (value.split(" ", 3) + [""])[:4]
            children.append(ChildWindow(int(handle, 16), int(control_id), class_name, _unescape(text)))
        elif inside and key == "state" and children:
            left, top, right, bottom, enabled, checked = map(int, value.split())
            children[-1].rect = Rect(left, top, right, bottom)
            children[-1].enabled, children[-1].checked = bool(enabled), checked
        elif key == "end":
            inside = False
    return owner, children


def x_window_inside(window, timeout=ACTION_TIMEOUT):
    """The X window of a Wine top-level window with a frame (a dialog, a message box): the
    mapped one with its title that lies inside the window's rectangle (without a window
    manager, the X window of a framed window may cover less than its Win32 rectangle).
    Waits for it, as x_window does."""
    def inside(rect):
        return window.rect.left <= rect.left and rect.right <= window.rect.right \
            and window.rect.top <= rect.top and rect.bottom <= window.rect.bottom

    return wait_until(lambda: _find_x_window(window.title, inside), timeout, f"the X window inside {window}")


def key_inside(window, *keys):
    """As key(), for a window with a frame (found with x_window_inside)."""
    session().run_tool(["xdotool", "windowfocus", "--sync", str(x_window_inside(window))])
    session().run_tool(["xdotool", "key", "--delay", "50"] + list(keys))
