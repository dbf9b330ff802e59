#!/usr/bin/env python3
"""Damaged files through the real programs under wine64 on a private Xvfb (`make soak`).

Generates damaged inputs from whole ones: vantel.ini, vantelmsg.ini and a skin file cut
short at many points, with bits flipped, with over-long values and binary noise; bitmaps
of every depth and form (1, 4, 8, 24 and 32 bits, RLE, top-down, zero width, wrong sizes,
cut short) named as the clock's background and digits, a skin's background and the
message window's picture; wave files with each chunk damaged in turn; a settings file
that is a folder; settings files, bitmaps, skin files and waves held by another program
without sharing or for reading only (the closest to a read-only file that root can
make), some of them let go while the program runs. Skins are loaded through the Load
skin dialog with real keys. For each case the program is started, every box it shows is
answered, its window must appear (or it must end with 0), it is closed as the taskbar
closes a window, and it must end with 0. What a program writes back must keep every
event and setting of the damaged file that was readable, and a settings file it could
not read, or could not write, must keep what it held.

Prints the cases tried, survived, and anything lost; ends with "soak: N passed, N failed".
SOAK_LIMIT=N runs only the first N cases, SOAK_ONLY=TEXT only those whose name holds it."""

import os
import random
import re
import struct
import subprocess
import sys
import time
from pathlib import Path

TOP = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(TOP / "tests" / "e2e"))

import rig  # noqa: E402

WM_CLOSE = 0x10
CLOCK = ("Vantel", "Vantel - Digital clock")
MESSAGE = ("Vantel Message", "Vantel - Message")
DATE = re.compile(r"^(\d{4})-(\d{2})-(\d{2}) (\d{2}):(\d{2}):(\d{2})$")
SEED = 20261208
SKINS = TOP / "resources" / "skins"


def clock_ini(background="", digits="", due=None):
    """A whole vantel.ini with twelve events; due=(message, calendar time) adds a one-time
    event at that time, missed since a minute before it and shown at the start."""
    last_check, past = "2026-12-01 10:00:00", 0
    if due:
        last_check, past = time.strftime("%Y-%m-%d %H:%M:%S", time.localtime(due[1] - 60)), 1
    lines = ["[Settings]", "ClockMode=1", f"LastEventCheck={last_check}", "LastOfMonthMode=1",
             f"DisplayPastEvents={past}", "[Countdown]", "Date=2027-01-01 00:00:00", "[Appearance]",
             f"BackgroundBMP={background}", "WindowPos=40,30", "AlwaysOnTop=0", f"DigitsBMP={digits}",
             "TransparentColor=FF00FF", "FirstDigit=4", "LastDigit=9"]
    lefts = [0, 0, 0, 0, 20, 45, 80, 105, 140, 165, 0, 0]
    lines += [f"Digit{n}={left},{15 if left else 0}" for n, left in enumerate(lefts, 1)]
    for n in range(1, 13):
        lines += [f"[Event{n}]", f"Date=2030-0{1 + n % 9}-1{n % 10} 0{n % 10}:1{n % 6}:2{n % 6}",
                  f"RecurrencePattern={['<none>', 'Daily', 'Weekly', 'Monthly', 'Yearly'][n % 5]}",
                  "SoundFile=", f"Message=Soak event {n}", "AppFile="]
    if due:
        lines += ["[Event13]", f"Date={time.strftime('%Y-%m-%d %H:%M:%S', time.localtime(due[1]))}",
                  "RecurrencePattern=<none>", "SoundFile=", f"Message={due[0]}", "AppFile="]
    return "\r\n".join(lines) + "\r\n"


def message_ini(background=""):
    lines = ["[Message]", "Date=2026-12-08 10:00:00", "Text=Soak message<br>second line", "[Settings]",
             "DisplayDate=1", "CharactersPerSecond=200", "WindowPos=40,30", "AlwaysOnTop=0", "PlaySound=1",
             "[Appearance]", f"BackgroundBMP={background}", "UseTransparency=1", "TransparentColor=FF00FF",
             "TextArea=15,12,410,132", "FontFaceName=Arial", "FontHeight=-19", "FontColor=AAFFBB",
             "FontWeight=400", "FontItalic=0", "FontCharSet=0"]
    return "\r\n".join(lines) + "\r\n"


def profile(text):
    """The keys of a settings text as the private-profile calls find them: names without
    case, values trimmed, a line ending at either line-end character; only the first
    section of a name is searched, and in it the first key of a name."""
    sections, current = {}, None
    for line in text.replace("\r", "\n").split("\n"):
        match = re.match(r"^\s*\[([^\]]*)\]", line)
        if match:
            name = match.group(1).strip().lower()
            current = None if name in sections else sections.setdefault(name, {})
        elif current is not None and "=" in line:
            key, value = line.split("=", 1)
            current.setdefault(key.strip().lower(), value.strip())
    return sections


def readable_date(date):
    match = DATE.match(date)
    if not match:
        return False
    year, month, day, hour, minute, second = map(int, match.groups())
    return 1971 <= year <= 2037 and 1 <= month <= 12 and 1 <= day <= 28 and hour < 24 and minute < 60 \
        and second < 60


def readable_events(text):
    """The event sections the clock's loader can read from a settings text: Event1,
    Event2... up to the first without a Date, each with a whole date; (name, date)."""
    sections = profile(text)
    events = []
    for n in range(1, 33):
        date = sections.get(f"event{n}", {}).get("date", "")
        if not date:
            break
        if readable_date(date):
            events.append((f"event{n}", date))
    return events


# Settings each read on its own, whatever else the file holds.
CLOCK_KEYS = [("settings", "clockmode"), ("settings", "lastofmonthmode"), ("settings", "displaypastevents"),
              ("countdown", "date"), ("appearance", "windowpos"), ("appearance", "alwaysontop")]
# The clock's look: all of it or none (the default skin when a digit position is missing
# or a bitmap named cannot be found); the digit range as a pair.
CLOCK_LOOK = [("appearance", "transparentcolor")] + [("appearance", f"digit{n}") for n in range(1, 13)]
DIGIT_RANGE = [("appearance", "firstdigit"), ("appearance", "lastdigit")]
EVENT_KEYS = ["recurrencepattern", "soundfile", "message", "appfile"]
# (A message window stands shifted from its saved place by design: its WindowPos moves.)
MESSAGE_KEYS = [("settings", key) for key in ("displaydate", "characterspersecond", "alwaysontop", "playsound")] + \
    [("appearance", key) for key in ("backgroundbmp", "usetransparency", "transparentcolor", "textarea",
                                     "fontfacename", "fontheight", "fontcolor", "fontweight", "fontitalic",
                                     "fontcharset")]


def lost_settings(whole_text, damaged_text, written_text, program, look_changes=False, sound_fails=False):
    """What the written settings text lost of what the damaged one held as the whole one
    did: "section/key=value" for settings, "EventN date" for events."""
    whole, damaged, written = profile(whole_text), profile(damaged_text), profile(written_text)

    def intact(keys):
        return all(key in whole.get(section, {}) and damaged.get(section, {}).get(key) == whole[section][key]
                   for section, key in keys)

    if program == "vantel.exe":
        keys = list(CLOCK_KEYS)
        appearance = damaged.get("appearance", {})
        if not look_changes and all(appearance.get(f"digit{n}") for n in range(1, 13)) \
                and not appearance.get("backgroundbmp") and not appearance.get("digitsbmp"):
            keys += CLOCK_LOOK + (DIGIT_RANGE if intact(DIGIT_RANGE) else [])
    else:
        # A sound set-up that fails turns PlaySound off for good, as it should; a picture
        # is kept by its full path, and the text area is held inside it.
        keys = [key for key in MESSAGE_KEYS if not (sound_fails and key[1] == "playsound")
                and not (look_changes and key[1] in ("backgroundbmp", "textarea"))]
    lost = [f"{section}/{key}={whole[section][key]}" for section, key in keys
            if intact([(section, key)]) and written.get(section, {}).get(key) != whole[section][key]]
    if program == "vantel.exe":
        kept = [values for name, values in written.items() if name.startswith("event")]
        for name, date in readable_events(damaged_text):
            fields = {key: whole[name][key] for key in EVENT_KEYS if intact([(name, key)])}
            if not any(values.get("date") == date and all(values.get(k) == v for k, v in fields.items())
                       for values in kept):
                lost.append(f"{name} {date}")
    return lost


def bmp(width, height, bits, top_down=False, rle=False, colours=None):
    """A BMP file of the size and depth, with a simple pattern; colours for palettes."""
    palette_size = (1 << bits) if bits <= 8 else 0
    stride = ((width * bits + 31) // 32) * 4
    rows = []
    for y in range(abs(height)):
        row = bytearray(stride)
        for x in range(width):
            value = (x * 7 + y * 3) % (palette_size or 256)
            if bits == 1:
                row[x // 8] |= (value & 1) << (7 - x % 8)
            elif bits == 4:
                row[x // 2] |= (value & 15) << (4 if x % 2 == 0 else 0)
            elif bits == 8:
                row[x] = value
            else:
                step = bits // 8
                row[x * step:x * step + 3] = bytes((value, 255 - value, (value * 3) % 256))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    compression = 0
    if rle and bits == 8:
        compression = 1
        pixels = b"".join(b"".join(bytes((1, b)) for b in row[:width]) + b"\0\0" for row in rows) + b"\0\1"
    palette = b"".join(struct.pack("<BBBB", i % 256, (i * 5) % 256, (i * 9) % 256, 0)
                       for i in range(palette_size)) if colours is None else colours
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits, compression,
                       len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(info) + len(palette)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + info + palette + pixels


def wave():
    """A whole PCM wave file: RIFF, fmt, a list chunk, data."""
    fmt = struct.pack("<HHIIHH", 1, 1, 22050, 44100, 2, 16)
    data = b"".join(struct.pack("<h", int(8000 * ((i // 20) % 2 * 2 - 1))) for i in range(4410))
    chunks = b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"LIST" + struct.pack("<I", 4) + b"INFO" + \
        b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", 4 + len(chunks)) + b"WAVE" + chunks


def damaged_texts(text, rng, count_cuts, count_flips):
    raw = text.encode("latin-1")
    cases = []
    for i in range(count_cuts):
        cases.append((f"cut at {i * len(raw) // count_cuts}", raw[:i * len(raw) // count_cuts]))
    for i in range(count_flips):
        flipped = bytearray(raw)
        for _ in range(1 + i % 8):
            at = rng.randrange(len(flipped))
            flipped[at] ^= 1 << rng.randrange(8)
        cases.append((f"{1 + i % 8} bits flipped ({i})", bytes(flipped)))
    long_value = "x" * 5000
    cases.append(("over-long values", re.sub(r"=([^\r\n]*)", "=" + long_value, text).encode("latin-1")))
    cases.append(("binary noise", bytes(rng.randrange(256) for _ in range(4096))))
    cases.append(("empty", b""))
    cases.append(("no line ends", text.replace("\r\n", "").encode("latin-1")))
    return cases


def bitmap_variants():
    good = bmp(216, 71, 24)
    variants = [(f"{bits}-bit", bmp(216, 71, bits)) for bits in (1, 4, 8, 24, 32)]
    variants += [("8-bit RLE", bmp(216, 71, 8, rle=True)), ("top-down", bmp(216, 71, 24, top_down=True)),
                 ("zero width", bmp(0, 71, 24)), ("one pixel", bmp(1, 1, 24)), ("huge claimed", bmp(4000, 3000, 24)[:200]),
                 ("cut short", good[:len(good) // 2]), ("header only", good[:54]), ("not a bitmap", b"BM" + b"?" * 100)]
    return variants


def wave_variants():
    whole = wave()
    variants = []
    for name, start in (("RIFF size", 4), ("WAVE tag", 8), ("fmt size", 16), ("fmt format", 20),
                        ("fmt channels", 22), ("fmt rate", 24), ("fmt block align", 32), ("fmt bits", 34),
                        ("LIST size", 40), ("data size", 56)):
        for value in (b"\0\0\0\0", b"\xff\xff\xff\x7f"):
            damaged = bytearray(whole)
            damaged[start:start + len(value)] = value[:len(whole) - start]
            variants.append((f"{name} = {value.hex()}", bytes(damaged)))
    variants.append(("cut in fmt", whole[:24]))
    variants.append(("cut in data", whole[:len(whole) // 2]))
    return variants


def case(name, program, files, whole=None, hold=None, look_changes=False, sound_fails=False, read_only=False,
         told=("Cannot write the settings file",)):
    """One case: the program started, the files of its folder; whole is the settings text
    the damaged one was made from (the settings file itself when it is whole); hold names
    a file another program holds: (file, "none" or "read" sharing, let go while running);
    look_changes when a skin is loaded; sound_fails when the message sound cannot play;
    read_only for a program folder on a read-only mount: nothing may be written, and the
    boxes must begin with the texts of told, one each."""
    settings = "vantel.ini" if program == "vantel.exe" else "vantelmsg.ini"
    if whole is None and isinstance(files.get(settings), str):
        whole = files[settings]
    return {"name": name, "program": program, "files": files, "settings": settings, "whole": whole,
            "hold": hold, "look_changes": look_changes, "sound_fails": sound_fails, "read_only": read_only,
            "told": told}


def cases():
    """Every case, as case() makes them."""
    rng = random.Random(SEED)
    found = []
    for name, content in damaged_texts(clock_ini(), rng, 40, 60):
        found.append(case(f"vantel.ini {name}", "vantel.exe", {"vantel.ini": content}, whole=clock_ini()))
    for name, content in damaged_texts(message_ini(), rng, 15, 25):
        found.append(case(f"vantelmsg.ini {name}", "vantelmsg.exe", {"vantelmsg.ini": content}, whole=message_ini()))
    for name, content in bitmap_variants():
        found.append(case(f"background {name}", "vantel.exe",
                          {"vantel.ini": clock_ini(background="\\pic.bmp"), "pic.bmp": content}))
        found.append(case(f"digits {name}", "vantel.exe",
                          {"vantel.ini": clock_ini(digits="\\pic.bmp"), "pic.bmp": content}))
        found.append(case(f"message picture {name}", "vantelmsg.exe",
                          {"vantelmsg.ini": message_ini(background="\\pic.bmp"), "pic.bmp": content},
                          look_changes=True))
    for name, content in wave_variants():
        found.append(case(f"vantelmsg.wav {name}", "vantelmsg.exe",
                          {"vantelmsg.ini": message_ini(), "vantelmsg.wav": content}, sound_fails=True))
    skin = (SKINS / "Graphite Chrono.ini").read_bytes().decode("latin-1").replace(
        "SkinName=Graphite Chrono", "SkinName=Soak").replace("Graphite Chrono_", "Soak_")
    pictures = {f"skins/Soak_{part}.bmp": SKINS / f"Graphite Chrono_{part}.bmp" for part in "bd"}
    for name, content in damaged_texts(skin, rng, 10, 20):
        found.append(case(f"skin file {name}", "vantel.exe",
                          {"vantel.ini": clock_ini(), "skins/Soak.ini": content, **pictures}, look_changes=True))
    for name, content in bitmap_variants():
        found.append(case(f"skin background {name}", "vantel.exe",
                          {"vantel.ini": clock_ini(), "skins/Soak.ini": skin, **pictures, "skins/Soak_b.bmp": content},
                          look_changes=True))
    long_path = "\\" + "p" * 400 + ".bmp"
    found.append(case("over-long bitmap path", "vantel.exe", {"vantel.ini": clock_ini(background=long_path)}))
    found.append(case("settings file is a folder", "vantel.exe", {"vantel.ini/keep": b""}))
    found.append(case("message settings file is a folder", "vantelmsg.exe", {"vantelmsg.ini/keep": b""}))
    # Held by another program: a backup or a virus scanner that opened the file.
    for sharing, how in (("none", "unshared"), ("read", "for reading only")):
        for let_go in (False, True):
            when = ", let go while running" if let_go else ""
            found.append(case(f"vantel.ini held {how}{when}", "vantel.exe", {"vantel.ini": clock_ini()},
                              hold=("vantel.ini", sharing, let_go)))
            found.append(case(f"vantelmsg.ini held {how}{when}", "vantelmsg.exe", {"vantelmsg.ini": message_ini()},
                              hold=("vantelmsg.ini", sharing, let_go)))
    found.append(case("read-only program folder", "vantel.exe", {"vantel.ini": clock_ini()}, read_only=True))
    found.append(case("read-only program folder without vantel.ini", "vantel.exe", {}, read_only=True))
    # A reminder missed a minute ago, carried out at the first tick: it cannot be handed over.
    found.append(case("read-only program folder with a reminder due", "vantel.exe",
                      {"vantel.ini": clock_ini(due=("Due while the folder is read-only", time.time() - 60))},
                      read_only=True, told=("Cannot write the settings file", "Cannot write the message to")))
    found.append(case("read-only message program folder", "vantelmsg.exe", {"vantelmsg.ini": message_ini()}, read_only=True))
    found.append(case("background held unshared", "vantel.exe",
                      {"vantel.ini": clock_ini(background="\\pic.bmp"), "pic.bmp": bmp(216, 71, 24)},
                      hold=("pic.bmp", "none", False)))
    found.append(case("vantelmsg.wav held unshared", "vantelmsg.exe",
                      {"vantelmsg.ini": message_ini(), "vantelmsg.wav": wave()},
                      hold=("vantelmsg.wav", "none", False), sound_fails=True))
    found.append(case("skin file held unshared", "vantel.exe",
                      {"vantel.ini": clock_ini(), "skins/Soak.ini": skin, **pictures},
                      hold=("skins/Soak.ini", "none", False), look_changes=True))
    found.append(case("skin background held unshared", "vantel.exe",
                      {"vantel.ini": clock_ini(), "skins/Soak.ini": skin, **pictures},
                      hold=("skins/Soak_b.bmp", "none", False), look_changes=True))
    return found


def window_of(program):
    return CLOCK if program == "vantel.exe" else MESSAGE


class SoakCase(rig.TestCase):
    def runTest(self):
        pass


def answer_boxes_until(done, seconds=40, texts=None):
    """Answers every box the programs show (OK) until done() holds; returns the number of
    boxes answered and done()'s last value, and adds their texts to texts when given. A
    box is found while it is being made: it is answered once it shows, and counted once."""
    deadline = time.monotonic() + seconds
    answered, result = set(), None
    while time.monotonic() < deadline:
        box = rig.find_window(rig.BOX_CLASS, "Vantel - Error") or rig.find_window(rig.BOX_CLASS, "Vantel - Warning")
        if box and box.visible:
            answered.add(box.handle)
            if texts is not None:
                texts += [child.text for child in rig.window_children(box)[1] if child.control_id == 0xFFFF]
            rig.session().run_probe(["post", hex(box.handle), "-", str(0x0111), "1"])  # WM_COMMAND IDOK
            rig.wait_until(lambda: not [b for b in rig.list_windows(rig.BOX_CLASS) if b.handle == box.handle],
                           what="the box to close", note=False)
            continue
        if not box:
            result = done()
            if result:
                break
        time.sleep(0.1)
    return len(answered), result


def load_skin(window):
    """Picks the skin "Soak" in the Load skin dialog (or what the list offers when its name
    is damaged), answers the boxes, and leaves the dialog with Escape if it stays open.
    Returns the number of boxes answered."""

    def placed():
        # Found while the clock was still being placed, the window has no X window there yet.
        found = rig.find_window(*CLOCK)
        try:
            return found if found and rig.x_window(found) else None
        except AssertionError:
            return None

    window = rig.wait_until(placed, what="the clock in its place", note=False)
    rig.key(window, "Menu")
    rig.wait_menu()
    rig.key(window, "l")
    dialog = rig.find_window(rig.BOX_CLASS, "Vantel - Load skin", wait=rig.WINDOW_TIMEOUT)
    if not dialog:
        return 0
    rig.key_inside(dialog, "s", "Return")
    boxes, _ = answer_boxes_until(lambda: rig.find_window(rig.BOX_CLASS, "Vantel - Load skin") is None, 5)
    if rig.find_window(rig.BOX_CLASS, "Vantel - Load skin"):
        rig.key_inside(dialog, "Escape")
    more, _ = answer_boxes_until(lambda: rig.find_window(rig.BOX_CLASS, "Vantel - Load skin") is None, 10)
    return boxes + more


class Holder:
    """Another program that holds a file of the folder open (winprobe hold)."""

    def __init__(self, folder, name, sharing):
        self.output = folder.root / "holder.txt"
        with open(self.output, "wb") as out:
            self.process = subprocess.Popen([rig.WINE, str(rig.PROBE), "hold", folder.windows_path(name), sharing],
                                            env=rig.session().env(), stdin=subprocess.DEVNULL, stdout=out,
                                            stderr=subprocess.DEVNULL)
        held = rig.wait_until(lambda: self.output.read_bytes().strip() or None, what=f"{name} to be held", note=False)
        if held != b"held 1":
            self.let_go()
            raise RuntimeError(f"{name} could not be held: {held!r}")

    def let_go(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait(rig.ACTION_TIMEOUT)


def mount_read_only(tester, folder):
    """Makes the program folder a read-only mount of itself (root alone can); False where
    mounts cannot be made."""
    path = str(folder.path)
    bound = subprocess.run(["mount", "--bind", path, path], capture_output=True).returncode == 0
    if not bound:
        return False
    tester.addCleanup(subprocess.run, ["umount", path], capture_output=True)
    return subprocess.run(["mount", "-o", "remount,bind,ro", path], capture_output=True).returncode == 0


def run_case(tester, trial):
    """Runs one case; returns (survived, what was lost, note); survived is None for a
    case this machine cannot set up."""
    name, program, files = trial["name"], trial["program"], trial["files"]
    folder = tester.make_folder(programs=(program,), files=files)
    if trial["read_only"] and not mount_read_only(tester, folder):
        return None, [], "skipped: no read-only mount can be made here"
    holder = None
    if trial["hold"]:
        holder = Holder(folder, trial["hold"][0], trial["hold"][1])
        tester.addCleanup(holder.let_go)
    started = tester.start_program(program, folder)
    class_name, title = window_of(program)

    def shown():
        # The window is found while it is created, and the boxes of its creation come
        # before it is shown.
        found = rig.find_window(class_name, title)
        return found if found and found.visible else None

    texts = []
    boxes, window = answer_boxes_until(lambda: shown() or not started.running(), texts=texts)
    window = rig.find_window(class_name, title)
    if window and trial["read_only"] and boxes < len(trial["told"]):
        boxes += answer_boxes_until(lambda: len(texts) >= len(trial["told"]), 20, texts)[0]
    if holder and trial["hold"][2]:
        holder.let_go()
    if window and any(name.startswith("skins/") for name in files):
        boxes += load_skin(window)
        window = rig.find_window(class_name, title)
    if window:
        rig.session().run_probe(["post", hex(window.handle), "-", str(WM_CLOSE)])
    try:
        code = started.wait_exit(timeout=20)
    except rig.WaitTimeout:
        return False, [], f"hangs ({boxes} boxes)"
    if holder:
        holder.let_go()
    if code != 0:
        return False, [], f"ended with {code} ({boxes} boxes)"
    if not window:
        return False, [], f"ended without a window ({boxes} boxes)"
    settings = trial["settings"]
    if trial["read_only"]:
        # Told once that the settings cannot be written; nothing written.
        kept = files.get(settings) == (folder.read_bytes(settings) if folder.exists(settings) else None)
        as_told = len(texts) == len(trial["told"]) and all(text.startswith(start)
                                                           for text, start in zip(texts, trial["told"]))
        return as_told and kept, [] if kept else [f"{settings} changed"], f"{boxes} boxes: {texts}"
    if not isinstance(files.get(settings), bytes) or not folder.file(settings).is_file():
        return True, [], f"{boxes} boxes"
    written = folder.read_bytes(settings)
    hold = trial["hold"]
    if hold and hold[0] == settings and (hold[1] == "none" or not hold[2]):
        # Not read, or not writable to the end: the file keeps what it held.
        lost = [] if written == files[settings] else [f"{settings} changed"]
    else:
        lost = lost_settings(trial["whole"], files[settings].decode("latin-1"), written.decode("latin-1"), program,
                             trial["look_changes"], trial["sound_fails"])
    return not lost, lost, f"{boxes} boxes"


def main():
    # The programs and the dates written for them read one zone, whatever the machine's.
    os.environ["TZ"] = "UTC0"
    time.tzset()
    all_cases = [trial for trial in cases() if os.environ.get("SOAK_ONLY", "") in trial["name"]]
    limit = int(os.environ.get("SOAK_LIMIT", "0")) or len(all_cases)
    tester = SoakCase()
    tried = survived = skipped = 0
    failures = []
    started = time.monotonic()
    for trial in all_cases[:limit]:
        trial["files"] = {key: value.encode("latin-1") if isinstance(value, str) else value
                          for key, value in trial["files"].items()}
        tried += 1
        try:
            ok, lost, note = run_case(tester, trial)
        except Exception as error:  # a case that breaks the rig counts as failed
            ok, lost, note = False, [], f"error: {error}"
        finally:
            tester.doCleanups()
        if ok is None:
            tried -= 1
            skipped += 1
            print(f"  SKIPPED {trial['name']}: {note}", flush=True)
            continue
        survived += ok
        if not ok:
            failures.append((trial["name"], note, lost))
            print(f"  FAILED {trial['name']}: {note}{'; lost ' + ', '.join(lost) if lost else ''}", flush=True)
    rig.shutdown()
    print(f"{tried} cases tried, {survived} survived, {sum(len(lost) for _, _, lost in failures)} events or "
          f"settings lost, {skipped} skipped, {time.monotonic() - started:.0f} s")
    print(f"soak: {survived} passed, {tried - survived} failed")
    return 0 if survived == tried else 1


if __name__ == "__main__":
    sys.exit(main())
