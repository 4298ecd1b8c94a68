#!/usr/bin/env python3
"""Writes common/text/cp936_tables.cpp: the GBK (code page 936) decoding table
g_gbk2ucs and encoding table g_ucs2gbk, 65,536 16-bit entries each.

Sources: Python's stdlib "gbk" codec for the 21,791 double-byte characters,
the private-use placement of the user-defined and unassigned positions, the
single bytes 0x80 (U+20AC) and 0xFF (U+F8F5), and 412 one-way best-fit
entries for characters GBK lacks (compatibility ideographs and enclosed
ideographs through their Unicode decompositions, capital pinyin letters
through their lower case, and a short list of letters, digits and signs).

Usage: python3 tools/gen_cp936_tables.py [output]   (default common/text/cp936_tables.cpp)
       python3 tools/gen_cp936_tables.py --check-uconv

Cross-check against ICU (uconv 72.1, converter windows-936-2000, encoding
with --fallback), run with --check-uconv:
  - decoding: all 23,940 double-byte positions and the single bytes 0x80 and
    0xFF agree (0 differences); 24,069 non-zero decoding entries.
  - encoding: the 63,486 non-surrogate BMP units other than U+0000 and U+000A
    (the line separator of the check) agree except U+FFE9..U+FFEC and U+FFEE,
    which ICU maps to control bytes and this table leaves unmapped; 24,481
    non-zero encoding entries.
"""

import os
import subprocess
import sys
import unicodedata

SIZE = 65536


def gbk_positions():
    """Every double-byte position of the GBK code space, in code order."""
    for lead in range(0x81, 0xFF):
        for trail in range(0x40, 0xFF):
            if trail != 0x7F:
                yield lead, trail


def decode_pair(lead, trail):
    try:
        return ord(bytes([lead, trail]).decode("gbk"))
    except UnicodeDecodeError:
        return None


def build_decoding():
    table = [0] * SIZE
    for lead, trail in gbk_positions():
        unit = decode_pair(lead, trail)
        if unit is not None:
            table[lead * 256 + trail] = unit

    # User-defined and unassigned positions go to the Private Use Area,
    # block by block, starting at U+E000.
    pua = 0xE000

    def place(codes):
        nonlocal pua
        for code in codes:
            assert table[code] == 0, hex(code)
            table[code] = pua
            pua += 1

    place(l * 256 + t for l in range(0xAA, 0xB0) for t in range(0xA1, 0xFF))
    place(l * 256 + t for l in range(0xF8, 0xFF) for t in range(0xA1, 0xFF))
    place(l * 256 + t for l in range(0xA1, 0xA8) for t in range(0x40, 0xA1) if t != 0x7F)
    assert pua == 0xE4C6 + 672
    rest = [l * 256 + t for l, t in gbk_positions()
            if (0xA1A1 <= l * 256 + t <= 0xA9FE or 0xD7FA <= l * 256 + t <= 0xD7FE
                or 0xFE50 <= l * 256 + t <= 0xFEA0) and table[l * 256 + t] == 0]
    assert len(rest) == 255, len(rest)
    place(rest)
    assert pua == 0xE865

    # Single bytes live at index byte * 256.
    for b in range(0x01, 0x80):
        table[b * 256] = b
    table[0x80 * 256] = 0x20AC
    table[0xFF * 256] = 0xF8F5
    return table


def build_encoding(dec):
    table = [0] * SIZE
    for index, unit in enumerate(dec):
        if unit == 0:
            continue
        code = index >> 8 if index & 0xFF == 0 else index  # single bytes: the byte
        assert table[unit] == 0, hex(unit)
        table[unit] = code
    for unit in range(0x80):
        table[unit] = unit

    best_fit = {}

    def decomposed(unit):
        """The single character of a decomposition, without its tag."""
        parts = [p for p in unicodedata.decomposition(chr(unit)).split() if not p.startswith("<")]
        chars = [int(p, 16) for p in parts if p not in ("0028", "0029")]
        assert len(chars) == 1, hex(unit)
        return chars[0]

    # Compatibility ideographs: the unified ideograph of the canonical
    # decomposition; U+FA16 takes U+8C6C instead.
    for unit in range(0xF900, 0xFA2E):
        d = unicodedata.decomposition(chr(unit))
        if d and not d.startswith("<") and table[unit] == 0:
            target = 0x8C6C if unit == 0xFA16 else decomposed(unit)
            best_fit[unit] = table[target]
    assert len(best_fit) == 281, len(best_fit)

    # Ideographic annotation marks, parenthesised and circled ideographs:
    # the ideograph inside; a few take the simplified form.
    enclosed = (list(range(0x3192, 0x31A0)) + list(range(0x322A, 0x3231))
                + list(range(0x3232, 0x3244)) + list(range(0x3280, 0x329E))
                + list(range(0x329F, 0x32A3)) + list(range(0x32A9, 0x32B1)))
    simplified = {0x3236: 0xB2C6, 0x3296: 0xB2C6, 0x3238: 0xC0CD, 0x3298: 0xC0CD,
                  0x323C: 0xBCE0, 0x32AC: 0xBCE0, 0x323E: 0xD7CA, 0x32AE: 0xD7CA,
                  0x323F: 0xD0AD, 0x32AF: 0xD0AD, 0x329C: 0xCACA, 0x329D: 0xD3C5,
                  0x32A0: 0xCFEE}
    for unit in enclosed:
        best_fit[unit] = simplified.get(unit) or table[decomposed(unit)]

    # Capital letters GBK has only as lower-case pinyin letters.
    capitals = [0x00C0, 0x00C1, 0x00C8, 0x00C9, 0x00CA, 0x00CC, 0x00CD, 0x00D2,
                0x00D3, 0x00D9, 0x00DA, 0x00DC, 0x0100, 0x0112, 0x011A, 0x012A,
                0x014C, 0x016A, 0x01CD, 0x01CF, 0x01D1, 0x01D3, 0x01D5, 0x01D7,
                0x01D9, 0x01DB]
    for unit in capitals:
        code = table[ord(chr(unit).lower())]
        assert 0xA8A1 <= code <= 0xA8BA, hex(unit)
        best_fit[unit] = code

    # Letters, digits and signs with a look-alike.
    best_fit.update({
        0x00AA: 0x61, 0x00E2: 0x61, 0x00BA: 0x6F, 0x00B9: 0x31, 0x00B2: 0x32,
        0x00B3: 0x33, 0x00D0: 0x44, 0x00DD: 0x59, 0x00DE: 0x54, 0x00F0: 0x65,
        0x00FD: 0x79, 0x00FE: 0x74,
        0x00A2: 0xA1E9, 0x00A3: 0xA1EA, 0x00A5: 0xA3A4, 0x00A6: 0x7C,
        0x00AD: 0x2D, 0x00AF: 0xA1A5, 0x00B4: 0xA1E4, 0x00B5: 0xA6CC,
        0x01C1: 0xA1CE, 0x203E: 0xA3FE, 0x2218: 0xA1E3, 0x223C: 0xA1AB,
    })
    assert len(best_fit) == 412, len(best_fit)
    for unit, code in best_fit.items():
        assert table[unit] == 0 and code != 0, hex(unit)
        table[unit] = code
    return table


def write_table(out, name, values):
    out.write("const uint16_t %s[65536] = {\n" % name)
    for row in range(0, SIZE, 16):
        out.write("    " + ", ".join("0x%04X" % v for v in values[row:row + 16]) + ",\n")
    out.write("};\n")


def write_source(path, dec, enc):
    with open(path, "w", encoding="ascii", newline="\n") as out:
        out.write("// Generated by tools/gen_cp936_tables.py; do not edit.\n")
        out.write("// GBK (code page 936) <-> UCS-2 tables, 0 = no character.\n")
        out.write('#include "common/text/cp936_tables.h"\n\n')
        out.write("namespace qz {\n\n")
        write_table(out, "g_gbk2ucs", dec)
        out.write("\n")
        write_table(out, "g_ucs2gbk", enc)
        out.write("\n}  // namespace qz\n")


def uconv(data, src, dst, *extra):
    return subprocess.run(["uconv", "-f", src, "-t", dst, *extra], input=data,
                          check=True, capture_output=True).stdout


def check_uconv(dec, enc):
    """Compares both tables with ICU's windows-936-2000 converter."""
    # Decoding: each position on its own line; invalid ones come back as U+001A.
    codes = [l * 256 + t for l, t in gbk_positions()] + [0x80, 0xFF]
    src = b"".join((bytes([c >> 8, c & 0xFF]) if c > 0xFF else bytes([c])) + b"\n" for c in codes)
    text = uconv(src, "windows-936-2000", "UTF-8", "--from-callback", "substitute").decode("utf-8")
    lines = text.split("\n")[:-1]
    assert len(lines) == len(codes), len(lines)
    bad = 0
    for c, line in zip(codes, lines):
        mine = dec[c * 256 if c <= 0xFF else c]
        theirs = ord(line) if len(line) == 1 and line != "\x1a" and line != "\ufffd" else 0
        if mine != theirs:
            bad += 1
            print("decode %04X: table %04X, ICU %04X" % (c, mine, theirs))
    print("decoding: %d positions, %d differences" % (len(codes), bad))

    # Encoding (with fallbacks): each unit on its own line.
    units = [u for u in range(1, SIZE) if not 0xD800 <= u <= 0xDFFF and u != 0x0A]
    src = "".join(chr(u) + "\n" for u in units).encode("utf-16-le")
    raw = uconv(src, "UTF-16LE", "windows-936-2000", "--fallback", "--to-callback", "skip")
    lines = raw.split(b"\n")[:-1]
    assert len(lines) == len(units), len(lines)
    bad = 0
    for u, line in zip(units, lines):
        theirs = int.from_bytes(line, "big") if len(line) <= 2 else -1
        if enc[u] != theirs:
            bad += 1
            print("encode U+%04X: table %04X, ICU %X" % (u, enc[u], theirs))
    print("encoding: %d units, %d differences" % (len(units), bad))


def main():
    dec = build_decoding()
    enc = build_encoding(dec)
    print("non-zero entries: decoding %d, encoding %d"
          % (sum(1 for v in dec if v), sum(1 for v in enc if v)))
    if sys.argv[1:] == ["--check-uconv"]:
        check_uconv(dec, enc)
        return
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "common", "cp936_tables.cpp")
    write_source(path, dec, enc)


if __name__ == "__main__":
    main()
