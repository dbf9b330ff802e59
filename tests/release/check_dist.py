#!/usr/bin/env python3
"""Checks the release zip that `make dist` packs: the files a user gets, and that both
programs are 32-bit GUI executables that import only DLLs every Windows has.

    check_dist.py [ZIP]     default: build/vantel.zip

Ends with the line "release: N passed, N failed"."""

import struct
import sys
import tempfile
import unittest
import zipfile
from pathlib import Path

TOP = Path(__file__).resolve().parents[2]
ZIP = Path(sys.argv[1]) if len(sys.argv) > 1 else TOP / "build" / "vantel.zip"
SKINS = TOP / "resources" / "skins"

I386 = 0x14C
GUI = 2  # IMAGE_SUBSYSTEM_WINDOWS_GUI
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "ddraw.dll", "dsound.dll", "winmm.dll",
               "comctl32.dll", "comdlg32.dll", "msvcrt.dll", "shell32.dll", "ole32.dll"}


class PeImage:
    """The facts of a PE file that a release depends on."""

    def __init__(self, data):
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        directories = optional + (96 if self.magic == 0x10B else 112)
        import_rva = struct.unpack_from("<I", data, directories + 8)[0]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<8sIIII", data, table + 40 * i) for i in range(sections)]

        def offset(rva):
            for _, size, address, raw_size, raw in self.sections:
                if address <= rva < address + max(size, raw_size):
                    return raw + rva - address
            raise ValueError(f"RVA {rva:#x} lies in no section")

        self.imports = []
        at = offset(import_rva) if import_rva else None
        while at is not None:
            name_rva = struct.unpack_from("<I", data, at + 12)[0]
            if name_rva == 0:
                break
            name = data[offset(name_rva):].split(b"\0", 1)[0].decode("ascii")
            self.imports.append(name.lower())
            at += 20


class ReleaseTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        with zipfile.ZipFile(ZIP) as archive:
            cls.names = sorted(archive.namelist())
            archive.extractall(cls.folder.name)
        cls.root = Path(cls.folder.name) / "Vantel"

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def test_the_zip_holds_the_programs_the_readme_and_the_sample_skins(self):
        files = sorted(str(p.relative_to(self.root)) for p in self.root.rglob("*") if p.is_file())
        skins = sorted(f"skins/{p.name}" for p in SKINS.iterdir())
        self.assertEqual(files, sorted(["vantel.exe", "vantelmsg.exe", "README.txt"] + skins))
        for name in skins:
            self.assertEqual((self.root / name).read_bytes(), (SKINS / Path(name).name).read_bytes(), name)
        self.assertTrue(all(name.startswith("Vantel/") for name in self.names), "one folder in the zip")

    def test_both_programs_are_32_bit_gui_executables_importing_only_system_dlls(self):
        for name in ("vantel.exe", "vantelmsg.exe"):
            image = PeImage((self.root / name).read_bytes())
            self.assertEqual(image.machine, I386, name)
            self.assertEqual(image.magic, 0x10B, f"{name} is PE32")
            self.assertEqual(image.subsystem, GUI, name)
            self.assertTrue(image.imports, f"{name} imports something")
            self.assertLessEqual(set(image.imports), SYSTEM_DLLS, f"{name} imports {image.imports}")

    def test_the_readme_is_windows_text_that_names_the_menu_keys_and_files(self):
        data = (self.root / "README.txt").read_bytes()
        self.assertNotIn(b"\n", data.replace(b"\r\n", b""), "every line ends in CR LF")
        text = data.decode("ascii")
        for needle in ("Load skin...", "Save skin", "Preferences", "Events", "F5", "Esc", "vantel.ini",
                       "vantelmsg.ini", "TransparentColor", "FirstDigit", "Digit12", "UseSkinData"):
            self.assertIn(needle, text)


def main():
    result = unittest.TextTestRunner(verbosity=2).run(unittest.defaultTestLoader.loadTestsFromTestCase(ReleaseTest))
    bad = len(result.failures) + len(result.errors)
    print(f"release: {result.testsRun - bad} passed, {bad} failed")
    return 0 if bad == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
