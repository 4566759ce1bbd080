#!/usr/bin/env python3
"""Checks the shipped zip: the program folder's files at the zip's top, the
read-me inside, the shipped vantrel.ini without the samples' entries, and
programs without debug sections. Usage: check_zip.py ZIP"""
import struct
import sys
import zipfile

EXPECTED = {"vantrel.exe", "Foldex.exe", "lumo.dll", "vantrel.ini", "README.txt"}
PROGRAMS = ("vantrel.exe", "Foldex.exe", "lumo.dll")
SAMPLE_ENTRIES = (b"NotConv.src", b"CopyOnly.src", b"Clamp.dat", b"steu_cfg.dat")


def section_names(image):
    """The section names of a PE image; a long name ("/N") is read from the
    string table behind the symbol table, where the linker puts it."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE image")
    count, = struct.unpack_from("<H", image, pe + 6)
    symbols, symbol_count = struct.unpack_from("<II", image, pe + 12)
    optional, = struct.unpack_from("<H", image, pe + 20)
    strings = symbols + 18 * symbol_count
    table = pe + 24 + optional
    names = []
    for i in range(count):
        name = image[table + 40 * i:table + 40 * i + 8].rstrip(b"\0")
        if name.startswith(b"/") and symbols:
            start = strings + int(name[1:])
            name = image[start:image.index(b"\0", start)]
        names.append(name.decode("latin-1"))
    return names


def problems(path):
    with zipfile.ZipFile(path) as archive:
        names = set(archive.namelist())
        found = []
        missing = EXPECTED - names
        if missing:
            found.append("not at the zip's top: " + ", ".join(sorted(missing)))
        if not any(name.startswith("Vantrel/") for name in names):
            found.append("no control folder Vantrel/")
        if "vantrel.ini" in names:
            ini = archive.read("vantrel.ini")
            found += ["vantrel.ini holds the samples' entry " + entry.decode()
                      for entry in SAMPLE_ENTRIES if entry in ini]
        for program in PROGRAMS:
            if program in names:
                debug = [s for s in section_names(archive.read(program))
                         if s.startswith(".debug")]
                if debug:
                    found.append(f"{program} carries {len(debug)} debug sections")
        return found


if __name__ == "__main__":
    faults = problems(sys.argv[1])
    for fault in faults:
        print("check_zip: " + fault)
    sys.exit(1 if faults else 0)
