#!/usr/bin/env python3
"""Damaged files through the real programs under wine64 on a private Xvfb (`make soak`).

Generates damaged inputs from whole ones: vantel.ini, vantelmsg.ini and a skin file cut
short at many points, with bits flipped, with over-long values and binary noise; bitmaps
of every depth and form (1, 4, 8, 24 and 32 bits, RLE, top-down, zero width, wrong sizes,
cut short) named as the clock's background and digits, a skin's background and the
message window's picture; wave files with each chunk damaged in turn; a settings file
that is a folder. Skins are loaded through the Load skin dialog with real keys. For each case the
program is started, every box it shows is answered, its window must appear (or it must
end with 0), it is closed as the taskbar closes a window, and it must end with 0. What
the clock writes back must keep every event of the damaged file that was readable.

Prints the cases tried, survived, and anything lost; ends with "soak: N passed, N failed".
SOAK_LIMIT=N runs only the first N cases, SOAK_ONLY=TEXT only those whose name holds it."""

import os
import random
import re
import struct
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


def clock_ini(background="", digits=""):
    lines = ["[Settings]", "ClockMode=1", "LastEventCheck=2026-12-01 10:00:00", "LastOfMonthMode=1",
             "DisplayPastEvents=0", "[Countdown]", "Date=2027-01-01 00:00:00", "[Appearance]",
             f"BackgroundBMP={background}", "WindowPos=40,30", "AlwaysOnTop=0", f"DigitsBMP={digits}",
             "TransparentColor=FF00FF", "FirstDigit=4", "LastDigit=9"]
    lefts = [0, 0, 0, 0, 20, 45, 80, 105, 140, 165, 0, 0]
    lines += [f"Digit{n}={left},{15 if left else 0}" for n, left in enumerate(lefts, 1)]
    for n in range(1, 13):
        lines += [f"[Event{n}]", f"Date=2030-0{1 + n % 9}-1{n % 10} 0{n % 10}:1{n % 6}:2{n % 6}",
                  f"RecurrencePattern={['<none>', 'Daily', 'Weekly', 'Monthly', 'Yearly'][n % 5]}",
                  "SoundFile=", f"Message=Soak event {n}", "AppFile="]
    return "\r\n".join(lines) + "\r\n"


def message_ini(background=""):
    lines = ["[Message]", "Date=2026-12-08 10:00:00", "Text=Soak message<br>second line", "[Settings]",
             "DisplayDate=1", "CharactersPerSecond=200", "WindowPos=40,30", "AlwaysOnTop=0", "PlaySound=1",
             "[Appearance]", f"BackgroundBMP={background}", "UseTransparency=1", "TransparentColor=FF00FF",
             "TextArea=15,12,410,132", "FontFaceName=Arial", "FontHeight=-19", "FontColor=AAFFBB",
             "FontWeight=400", "FontItalic=0", "FontCharSet=0"]
    return "\r\n".join(lines) + "\r\n"


def readable_events(text):
    """The event dates the clock's loader can read from a settings text: sections Event1,
    Event2... up to the first without a Date, each with a whole date."""
    sections, current = {}, None
    for line in text.replace("\r", "").split("\n"):
        match = re.match(r"^\s*\[([^\]]*)\]", line)
        if match:
            current = sections.setdefault(match.group(1).strip().lower(), {})
        elif current is not None and "=" in line:
            key, value = line.split("=", 1)
            current.setdefault(key.strip().lower(), value.strip())
    dates = []
    for n in range(1, 33):
        date = sections.get(f"event{n}", {}).get("date", "")
        if not date:
            break
        match = DATE.match(date)
        if match:
            year, month, day, hour, minute, second = map(int, match.groups())
            if 1971 <= year <= 2037 and 1 <= month <= 12 and 1 <= day <= 28 and hour < 24 and minute < 60 \
                    and second < 60:
                dates.append(date)
    return dates


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


def cases():
    """(name, program, files) for every case."""
    rng = random.Random(SEED)
    found = []
    for name, content in damaged_texts(clock_ini(), rng, 40, 60):
        found.append((f"vantel.ini {name}", "vantel.exe", {"vantel.ini": content}))
    for name, content in damaged_texts(message_ini(), rng, 15, 25):
        found.append((f"vantelmsg.ini {name}", "vantelmsg.exe", {"vantelmsg.ini": content}))
    for name, content in bitmap_variants():
        found.append((f"background {name}", "vantel.exe",
                      {"vantel.ini": clock_ini(background="\\pic.bmp"), "pic.bmp": content}))
        found.append((f"digits {name}", "vantel.exe", {"vantel.ini": clock_ini(digits="\\pic.bmp"), "pic.bmp": content}))
        found.append((f"message picture {name}", "vantelmsg.exe",
                      {"vantelmsg.ini": message_ini(background="\\pic.bmp"), "pic.bmp": content}))
    for name, content in wave_variants():
        found.append((f"vantelmsg.wav {name}", "vantelmsg.exe", {"vantelmsg.ini": message_ini(), "vantelmsg.wav": content}))
    skin = (SKINS / "Graphite Chrono.ini").read_bytes().decode("latin-1").replace(
        "SkinName=Graphite Chrono", "SkinName=Soak").replace("Graphite Chrono_", "Soak_")
    pictures = {f"skins/Soak_{part}.bmp": SKINS / f"Graphite Chrono_{part}.bmp" for part in "bd"}
    for name, content in damaged_texts(skin, rng, 10, 20):
        found.append((f"skin file {name}", "vantel.exe", {"vantel.ini": clock_ini(), "skins/Soak.ini": content,
                                                           **pictures}))
    for name, content in bitmap_variants():
        found.append((f"skin background {name}", "vantel.exe",
                      {"vantel.ini": clock_ini(), "skins/Soak.ini": skin, **pictures, "skins/Soak_b.bmp": content}))
    long_path = "\\" + "p" * 400 + ".bmp"
    found.append(("over-long bitmap path", "vantel.exe", {"vantel.ini": clock_ini(background=long_path)}))
    found.append(("settings file is a folder", "vantel.exe", {"vantel.ini/keep": b""}))
    found.append(("message settings file is a folder", "vantelmsg.exe", {"vantelmsg.ini/keep": b""}))
    return found


def window_of(program):
    return CLOCK if program == "vantel.exe" else MESSAGE


class SoakCase(rig.TestCase):
    def runTest(self):
        pass


def answer_boxes_until(done, seconds=40):
    """Answers every box the programs show (OK) until done() holds; returns the number of
    boxes answered and done()'s last value."""
    deadline = time.monotonic() + seconds
    boxes, result = 0, None
    while time.monotonic() < deadline:
        box = rig.find_window(rig.BOX_CLASS, "Vantel - Error") or rig.find_window(rig.BOX_CLASS, "Vantel - Warning")
        if box:
            boxes += 1
            rig.session().run_probe(["post", hex(box.handle), "-", str(0x0111), "1"])  # WM_COMMAND IDOK
            rig.wait_until(lambda: not [b for b in rig.list_windows(rig.BOX_CLASS) if b.handle == box.handle],
                           what="the box to close", note=False)
            continue
        result = done()
        if result:
            break
        time.sleep(0.1)
    return boxes, result


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


def run_case(tester, name, program, files):
    """Runs one case; returns (survived, lost dates, note)."""
    folder = tester.make_folder(programs=(program,), files=files)
    started = tester.start_program(program, folder)
    class_name, title = window_of(program)
    boxes, window = answer_boxes_until(lambda: rig.find_window(class_name, title) or not started.running())
    window = rig.find_window(class_name, title)
    if window and any(name.startswith("skins/") for name in files):
        boxes += load_skin(window)
        window = rig.find_window(class_name, title)
    if window:
        rig.session().run_probe(["post", hex(window.handle), "-", str(WM_CLOSE)])
    try:
        code = started.wait_exit(timeout=20)
    except rig.WaitTimeout:
        return False, [], f"hangs ({boxes} boxes)"
    if code != 0:
        return False, [], f"ended with {code} ({boxes} boxes)"
    if not window:
        return False, [], f"ended without a window ({boxes} boxes)"
    lost = []
    if "vantel.ini" in files and isinstance(files["vantel.ini"], bytes) and folder.exists("vantel.ini") \
            and folder.file("vantel.ini").is_file():
        written = folder.read_bytes("vantel.ini").decode("latin-1")
        kept = set(readable_events(written))
        lost = [date for date in readable_events(files["vantel.ini"].decode("latin-1")) if date not in kept]
    return not lost, lost, f"{boxes} boxes"


def main():
    all_cases = [case for case in cases() if os.environ.get("SOAK_ONLY", "") in case[0]]
    limit = int(os.environ.get("SOAK_LIMIT", "0")) or len(all_cases)
    tester = SoakCase()
    tried = survived = 0
    failures = []
    started = time.monotonic()
    for name, program, files in all_cases[:limit]:
        files = {key: value.encode("latin-1") if isinstance(value, str) else value for key, value in files.items()}
        tried += 1
        try:
            ok, lost, note = run_case(tester, name, program, files)
        except Exception as error:  # a case that breaks the rig counts as failed
            ok, lost, note = False, [], f"error: {error}"
        finally:
            tester.doCleanups()
        survived += ok
        if not ok:
            failures.append((name, note, lost))
            print(f"  FAILED {name}: {note}{'; lost ' + ', '.join(lost) if lost else ''}", flush=True)
    rig.shutdown()
    print(f"{tried} cases tried, {survived} survived, {sum(len(lost) for _, _, lost in failures)} events lost, "
          f"{time.monotonic() - started:.0f} s")
    print(f"soak: {survived} passed, {tried - survived} failed")
    return 0 if survived == tried else 1


if __name__ == "__main__":
    sys.exit(main())
