#!/usr/bin/env python3
"""Writes jet/codepage_tables.cpp: the upper halves (bytes 0x80-0xFF) of the
single-byte Windows code pages the engine converts, as UTF-16 code units.

Bytes 0x00-0x7F are ASCII in every one of these code pages, so only the upper
half is tabled.

Every byte maps to a character of its own, as Windows maps it
(MultiByteToWideChar without MB_ERR_INVALID_CHARS), so that any stored byte
reads as a character and is written back as the same byte. The mappings come
from Python's codecs, which follow the defined entries of Windows' tables
(cp874 included: 0x80 is the euro sign, 0x85 the ellipsis and 0x91-0x97 the
curly quotes, bullet and dashes), completed with the entries Windows has and
Python leaves undefined:
  - a byte 0x80-0x9F that Python leaves undefined is the C1 control of the
    same number (0x81 is U+0081);
  - the others are listed in WINDOWS_ENTRIES_PYTHON_LACKS, read from Windows'
    own tables (Wine carries them): private-use characters, and in cp1255 the
    Hebrew point U+05BA.

The script stops with a message, writing nothing, when Python's codecs
disagree with what is written here: a listed Windows entry that Python maps
to another character, a byte neither maps, two bytes of one code page on the
same character, or a Windows-specific cp874 entry missing.

Run from the repository root:  python3 tools/gen_codepages.py
"""

import pathlib
import sys

CODE_PAGES = [874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258]

# Entries of Windows code page 874 in 0x80-0x9F that a plain TIS-620 table lacks.
WINDOWS_874_EXTRAS = {
    0x80: 0x20AC, 0x85: 0x2026, 0x91: 0x2018, 0x92: 0x2019, 0x93: 0x201C,
    0x94: 0x201D, 0x95: 0x2022, 0x96: 0x2013, 0x97: 0x2014,
}

# Bytes outside 0x80-0x9F that Python's codecs leave undefined, with the
# character Windows gives each.
WINDOWS_ENTRIES_PYTHON_LACKS = {
    874: {
        0xDB: 0xF8C1, 0xDC: 0xF8C2, 0xDD: 0xF8C3, 0xDE: 0xF8C4,
        0xFC: 0xF8C5, 0xFD: 0xF8C6, 0xFE: 0xF8C7, 0xFF: 0xF8C8,
    },
    1253: {0xAA: 0xF8F9, 0xD2: 0xF8FA, 0xFF: 0xF8FB},
    1255: {
        0xCA: 0x05BA,
        0xD9: 0xF88D, 0xDA: 0xF88E, 0xDB: 0xF88F, 0xDC: 0xF890, 0xDD: 0xF891,
        0xDE: 0xF892, 0xDF: 0xF893, 0xFB: 0xF894, 0xFC: 0xF895, 0xFF: 0xF896,
    },
    1257: {0xA1: 0xF8FC, 0xA5: 0xF8FD},
}


def python_character(number, byte):
    """The code point Python's codec gives the byte, or None when it has none."""
    try:
        text = bytes([byte]).decode(f"cp{number}")
    except UnicodeDecodeError:
        return None
    if len(text) != 1 or ord(text) > 0xFFFF:
        sys.exit(f"cp{number} byte 0x{byte:02X} does not map to one BMP character")
    return ord(text)


def upper_half(number):
    windows_entries = WINDOWS_ENTRIES_PYTHON_LACKS.get(number, {})
    units = []
    for byte in range(0x80, 0x100):
        python = python_character(number, byte)
        windows = windows_entries.get(byte)
        if windows is not None and python is not None and python != windows:
            sys.exit(f"cp{number} byte 0x{byte:02X}: Python gives U+{python:04X}, "
                     f"Windows U+{windows:04X}; check WINDOWS_ENTRIES_PYTHON_LACKS")
        if python is not None:
            units.append(python)
        elif windows is not None:
            units.append(windows)
        elif byte <= 0x9F:
            units.append(byte)
        else:
            sys.exit(f"cp{number} byte 0x{byte:02X} is undefined in Python and missing "
                     f"from WINDOWS_ENTRIES_PYTHON_LACKS; add the character Windows gives it")
    return units


def check_ascii(number):
    for byte in range(0x80):
        if bytes([byte]).decode(f"cp{number}") != chr(byte):
            sys.exit(f"cp{number} byte 0x{byte:02X} is not ASCII")


def check_one_byte_per_character(number, units):
    seen = {}
    for offset, unit in enumerate(units):
        byte = 0x80 + offset
        if unit < 0x80:
            sys.exit(f"cp{number} byte 0x{byte:02X} maps to the ASCII character U+{unit:04X}")
        if unit in seen:
            sys.exit(f"cp{number} bytes 0x{seen[unit]:02X} and 0x{byte:02X} both map to "
                     f"U+{unit:04X}")
        seen[unit] = byte


def check_windows_874(units):
    for byte, expected in WINDOWS_874_EXTRAS.items():
        if units[byte - 0x80] != expected:
            sys.exit(f"cp874 byte 0x{byte:02X} maps to U+{units[byte - 0x80]:04X}, "
                     f"Windows has U+{expected:04X}")


def table_source(number, units):
    lines = [f"constexpr char16_t kUpper{number}[128] = {{"]
    for row in range(0, 128, 8):
        cells = ", ".join(f"0x{u:04X}" for u in units[row:row + 8])
        lines.append(f"    {cells},  // 0x{0x80 + row:02X}")
    lines.append("};")
    return "\n".join(lines)


def main():
    tables = []
    for number in CODE_PAGES:
        check_ascii(number)
        units = upper_half(number)
        check_one_byte_per_character(number, units)
        if number == 874:
            check_windows_874(units)
        tables.append((number, units))

    out = [
        "// Generated by tools/gen_codepages.py; do not edit by hand.",
        "//",
        "// Upper halves (bytes 0x80-0xFF) of the single-byte Windows code pages as",
        "// UTF-16 code units, as Windows maps them: every byte has a character of",
        "// its own, the bytes a code page leaves unassigned included.",
        '#include "jet/codepage_tables.h"',
        "",
        "namespace jet {",
        "",
        "namespace {",
        "",
    ]
    for number, units in tables:
        out.append(table_source(number, units))
        out.append("")
    out.append("}  // namespace")
    out.append("")
    out.append("const std::array<SingleByteTable, %d> kSingleByteTables = {{" % len(tables))
    for number, _ in tables:
        out.append(f"    {{{number}, kUpper{number}}},")
    out.append("}};")
    out.append("")
    out.append("}  // namespace jet")
    out.append("")

    root = pathlib.Path(__file__).resolve().parent.parent
    (root / "jet" / "codepage_tables.cpp").write_text("\n".join(out))


if __name__ == "__main__":
    main()
