#!/usr/bin/env python3
"""Compile the hyphenation patterns supplied with the program.

"En.pat", the default, holds English and Russian together, from two Debian
packages read as they are installed:

  hyphen-en-us  /usr/share/hyphen/hyph_en_US.dic  (UTF-8)
  hyphen-ru     /usr/share/hyphen/hyph_ru_RU.dic  (KOI8-R)

Every other language has a file of its own ("uk.pat", "de.pat", ...), made
with --language from one package's file (hyphen-uk, hyphen-de, ...), in the
character set its first line names.

All are Liang patterns in the hyphen library's format: the first line names
the character set, then one pattern a line, letters with the digits between
them and "." for a word's edge. Only plain patterns are taken. Left out, and
counted in the report printed at the end:
  - non-standard patterns (with "/" or "=");
  - lines that are not patterns: LEFTHYPHENMIN and the like, "%" comments,
    the Russian file's TeX "\\hyphenation{...}" word list (words written with
    "-", which the pattern pass could never match);
  - patterns with characters outside the alphabet below (the English file's
    ligature forms such as U+FB01, and the apostrophe), which no framed word
    could match;
  - patterns whose digits are all 0, which change nothing.

Output, little-endian, as the reader's LoadHyphenPatterns expects:
  "LcH1", N, P, B (u32 each)
  N letter entries: u16 lower case, u16 upper case, u8 code
  N index entries:  u8 code, u32 first pattern, u32 end pattern
  B bytes: per pattern its letter codes, NUL, its digits, NUL.

A file of two levels (German, French: compound joints first, then the
patterns inside a word, after NEXTLEVEL) gives one set of both, as pyphen
reads it.

Letter codes: a..z are their ASCII codes. In En.pat а..я are 0xE0..0xFF (the
windows-1251 codes); in a file of one language the alphabet is the letters
its patterns use, the ones beyond a..z numbered from 0x80 in code point order
and the other letters of its script (so ä ö ü ß, é è à ç, ą ł ż, і ї є ґ each
have a code of their own). A word's edge is 0x20, the space that frames every
word. The edge has a letter entry of its own (U+0020 twice, which no word
holds) so that the index can hold the patterns that begin at a word's start.
ё has no entry in En.pat (nor in a file whose patterns do not use it): the
reader folds ё and Ё into е. Patterns are grouped by
their first code in letter-table order; a code without patterns gets the
empty range [0, 0).

Usage: gen_hyphen_patterns.py EN_DIC RU_DIC OUTPUT
       gen_hyphen_patterns.py --language DIC OUTPUT
"""

import struct
import sys

LATIN = "abcdefghijklmnopqrstuvwxyz"
CYRILLIC = "абвгдежзийклмнопрстуфхцчшщъыьэюя"
EDGE = 0x20


def letter_table():
    """En.pat's [(lower, upper, code)] in file order, and the map from a lower-case character to
    its code."""
    table = [(c, c.upper(), ord(c)) for c in LATIN]
    table += [(c, c.upper(), 0xE0 + i) for i, c in enumerate(CYRILLIC)]
    table.append((" ", " ", EDGE))
    codes = {lower: code for lower, _, code in table if lower != " "}
    codes["ё"] = codes["е"]
    codes["."] = EDGE
    return table, codes


def dic_lines(path):
    """The lines of one .dic file after its first, decoded in the character set that one names."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\n")
    charset = lines[0].strip().decode("ascii")
    if charset.lower() == "microsoft-cp1251":
        charset = "cp1251"
    return [raw.decode(charset).strip() for raw in lines[1:]]


def is_pattern(line):
    """Whether a non-empty line is a plain pattern."""
    if "/" in line or "=" in line:
        return False
    return not (line[0] in "%#\\}" or "-" in line or line.split()[0].isupper())


def upper_form(c):
    """The capital of a letter as one character; ß has ẞ, a letter without one itself."""
    if c == "ß":
        return "\u1e9e"
    u = c.upper()
    return u if len(u) == 1 else c


def language_table(path):
    """The letter table of a file of one language: a..z, then the other letters its patterns use."""
    letters = set()
    for line in dic_lines(path):
        if line and is_pattern(line):
            letters.update(c for c in line if c.isalpha() and c.islower())
    # The other letters of the file's script are letters too, which no pattern matches: a word
    # with one (Italian "università", Spanish "lingüística") is still one word, not two pieces
    # whose edges forbid the breaks next to them.
    if any("\u0430" <= c <= "\u045f" for c in letters):
        # ё only where the patterns have it: elsewhere the reader reads it as е, as in En.pat.
        script = [chr(c) for c in range(0x430, 0x460) if chr(c) != "ё"] + ["\u0491"]
    else:
        script = ["ß"] + [chr(c) for c in range(0xE0, 0x180) if chr(c) != "÷"]
    letters.update(c for c in script if c.isalpha() and c.islower())
    others = sorted(c for c in letters if c not in LATIN)
    assert 0x80 + len(others) <= 0x100, f"{path}: too many letters"
    table = [(c, c.upper(), ord(c)) for c in LATIN]
    table += [(c, upper_form(c), 0x80 + i) for i, c in enumerate(others)]
    table.append((" ", " ", EDGE))
    codes = {lower: code for lower, _, code in table if lower != " "}
    codes["."] = EDGE
    return table, codes


def read_patterns(path, codes, report):
    """The plain patterns of one .dic file as (letter codes, digits) byte strings."""
    found = {}
    counts = {"plain": 0, "non-standard": 0, "NEXTLEVEL": 0, "not a pattern": 0,
              "outside the alphabet": 0, "all digits 0": 0, "repeated": 0}
    for line in dic_lines(path):
        if not line:
            continue
        if line.startswith("NEXTLEVEL"):
            counts["NEXTLEVEL"] += 1
            continue
        if "/" in line or "=" in line:
            counts["non-standard"] += 1
            continue
        if not is_pattern(line):
            counts["not a pattern"] += 1
            continue
        letters = bytearray()
        digits = bytearray(b"0")
        usable = True
        for ch in line:
            if ch.isdigit():
                digits[-1] = ord(ch)
            elif ch.lower() in codes:
                letters.append(codes[ch.lower()])
                digits.append(ord("0"))
            else:
                usable = False
                break
        if not usable or not letters:
            counts["outside the alphabet"] += 1
            continue
        if set(digits) == {ord("0")}:
            counts["all digits 0"] += 1
            continue
        key = bytes(letters)
        if key in found:
            # The hyphen library keeps one pattern per letter string; take the higher digit at
            # each gap, which is what applying both would do.
            counts["repeated"] += 1
            old = found[key]
            digits = bytearray(max(a, b) for a, b in zip(old, digits))
        found[key] = bytes(digits)
    counts["plain"] = len(found)
    report.append((path, counts))
    return found


def build(paths, table, codes):
    report = []
    patterns = {}
    for path in paths:
        for letters, digits in read_patterns(path, codes, report).items():
            if letters in patterns:
                digits = bytes(max(a, b) for a, b in zip(patterns[letters], digits))
            patterns[letters] = digits
    order = {code: i for i, (_, _, code) in enumerate(table)}
    ordered = sorted(patterns.items(), key=lambda p: (order[p[0][0]], p[0]))
    count = len(ordered)
    assert count > 0

    block = bytearray()
    for letters, digits in ordered:
        assert len(letters) <= 255 and len(digits) == len(letters) + 1
        block += letters + b"\0" + digits + b"\0"

    out = bytearray(b"LcH1")
    out += struct.pack("<III", len(table), count, len(block))
    for lower, upper, code in table:
        out += struct.pack("<HHB", ord(lower), ord(upper), code)
    for _, _, code in table:
        members = [i for i, (letters, _) in enumerate(ordered) if letters[0] == code]
        first, end = (members[0], members[-1] + 1) if members else (0, 0)
        out += struct.pack("<BII", code, first, end)
    out += block
    return bytes(out), report, count


def main(argv):
    if len(argv) != 4:
        sys.exit(__doc__.split("Usage: ")[1].strip())
    if argv[1] == "--language":
        data, report, count = build([argv[2]], *language_table(argv[2]))
    else:
        data, report, count = build([argv[1], argv[2]], *letter_table())
    with open(argv[3], "wb") as f:
        f.write(data)
    for path, counts in report:
        skipped = ", ".join(f"{n} {why}" for why, n in counts.items() if why != "plain" and n)
        print(f"{path}: {counts['plain']} patterns; skipped {skipped or 'none'}")
    print(f"{argv[3]}: {count} patterns, {len(data)} bytes")


if __name__ == "__main__":
    main(sys.argv)
