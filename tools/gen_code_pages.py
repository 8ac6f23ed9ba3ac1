# Generates src/platform/sys/code_page_tables.inc, the single-byte code-page tables (bytes 128..255).
"""Build the byte -> UTF-16 tables of the single-byte Windows code pages the
program reads, plus per code page a UTF-16 -> byte table for encoding.

Sources (stdlib only, plus glibc's iconv program):

  Python codecs:
     866 cp866          1251 cp1251         20866 koi8_r       28595 iso8859_5
   10007 mac_cyrillic*  1250 cp1250         28592 iso8859_2      500 cp500
     775 cp775           850 cp850            852 cp852         1252 cp1252
   28599 iso8859_9     28605 iso8859_15     28591 latin_1      10029 mac_latin2
     869 cp869           875 cp875            737 cp737         1253 cp1253
   10006 mac_greek     28597 iso8859_7*       855 cp855          860 cp860
     861 cp861           863 cp863            865 cp865        10082 mac_croatian
     874 cp874           857 cp857           1026 cp1026       10081 mac_turkish
    1254 cp1254         1255 cp1255*         1256 cp1256       10000 mac_roman*
   10010 mac_romanian  10079 mac_iceland     21866 koi8_u*     28594 iso8859_4
    1257 cp1257           37 cp037            437 cp437
  glibc iconv:
   10017 MAC-UK (Python has no Mac Ukrainian codec)

  * corrected byte by byte where Windows is documented to differ from the
    codec (see WINDOWS_CORRECTIONS below):
      10007  Python's table is Apple's Mac OS 9 MacCyrillic; Windows keeps the
             older one (0xA2 cent sign, 0xB6 partial differential, 0xFF
             currency sign).
      28597  Windows follows ISO 8859-7:1987: 0xA1/0xA2 are modifier-letter
             apostrophes, and 0xA4, 0xA5, 0xAA (added in 2003) are unassigned.
       1255  Windows assigns 0xCA to U+05BA (holam haser for vav).
      10000  Windows reads 0xBD as U+2126 OHM SIGN, not U+03A9.
      21866  Windows' KOI8-U has the Belarusian short u at 0xAE/0xBE.

A byte the code page leaves undefined reads as U+0080 + (byte - 128), like
the Windows converter does for unassigned bytes such as 0x98 in 1251. Such
bytes get no entry in the reverse table, and neither do bytes that read as
ASCII (EBCDIC letters and digits): the program encodes ASCII as itself.
The EBCDIC pages (500, 875, 1026, 37) are only ever used for bytes 128..255,
so those are taken as the codec gives them.

Each code page is checked against a characteristic byte, so that a codec
that quietly changed meaning makes the script fail rather than emit a wrong
table. The script exits non-zero when a code page cannot be built.

Run from the repository root:  python3 tools/gen_code_pages.py
"""

import codecs
import os
import shutil
import subprocess
import sys

OUTPUT = os.path.join("src", "platform", "sys", "code_page_tables.inc")

# (Windows code page, "python" or "iconv", codec or iconv charset name), in the
# order the program lists them.
CODE_PAGES = [
    (866, "python", "cp866"),
    (1251, "python", "cp1251"),
    (20866, "python", "koi8_r"),
    (28595, "python", "iso8859_5"),
    (10007, "python", "mac_cyrillic"),
    (1250, "python", "cp1250"),
    (28592, "python", "iso8859_2"),
    (500, "python", "cp500"),
    (775, "python", "cp775"),
    (850, "python", "cp850"),
    (852, "python", "cp852"),
    (1252, "python", "cp1252"),
    (28599, "python", "iso8859_9"),
    (28605, "python", "iso8859_15"),
    (28591, "python", "latin_1"),
    (10029, "python", "mac_latin2"),
    (869, "python", "cp869"),
    (875, "python", "cp875"),
    (737, "python", "cp737"),
    (1253, "python", "cp1253"),
    (10006, "python", "mac_greek"),
    (28597, "python", "iso8859_7"),
    (855, "python", "cp855"),
    (860, "python", "cp860"),
    (861, "python", "cp861"),
    (863, "python", "cp863"),
    (865, "python", "cp865"),
    (10082, "python", "mac_croatian"),
    (874, "python", "cp874"),
    (857, "python", "cp857"),
    (1026, "python", "cp1026"),
    (10081, "python", "mac_turkish"),
    (1254, "python", "cp1254"),
    (1255, "python", "cp1255"),
    (1256, "python", "cp1256"),
    (10000, "python", "mac_roman"),
    (10010, "python", "mac_romanian"),
    (10079, "python", "mac_iceland"),
    (21866, "python", "koi8_u"),
    (10017, "iconv", "MAC-UK"),
    (28594, "python", "iso8859_4"),
    (1257, "python", "cp1257"),
    (37, "python", "cp037"),
    (437, "python", "cp437"),
]

# Bytes where the Windows code page differs from its source; None = unassigned.
WINDOWS_CORRECTIONS = {
    # MacCyrillic before Mac OS 9: cent sign, partial differential, currency sign.
    10007: {0xA2: 0x00A2, 0xB6: 0x2202, 0xFF: 0x00A4},
    # ISO 8859-7:1987 as Windows has it; the 2003 additions are unassigned there.
    28597: {0xA1: 0x02BD, 0xA2: 0x02BC, 0xA4: None, 0xA5: None, 0xAA: None},
    1255: {0xCA: 0x05BA},  # holam haser for vav, missing from Python's table
    10000: {0xBD: 0x2126},  # OHM SIGN where Apple's table has GREEK CAPITAL OMEGA
    21866: {0xAE: 0x045E, 0xBE: 0x040E},  # Belarusian short u instead of box drawing
}

# One characteristic byte per code page and the character Windows gives it.
PROBES = {
    866: (0x80, 0x0410),  # А
    1251: (0xC0, 0x0410),  # А
    20866: (0xC1, 0x0430),  # а
    28595: (0xB0, 0x0410),  # А
    10007: (0x80, 0x0410),  # А
    1250: (0x8A, 0x0160),  # Š
    28592: (0xA9, 0x0160),  # Š
    500: (0xB0, 0x00A2),  # ¢ (37 has ^ there)
    775: (0x80, 0x0106),  # Ć
    850: (0x80, 0x00C7),  # Ç
    852: (0x80, 0x00C7),  # Ç
    1252: (0x80, 0x20AC),  # €
    28599: (0xD0, 0x011E),  # Ğ
    28605: (0xA4, 0x20AC),  # €
    28591: (0xE9, 0x00E9),  # é
    10029: (0x81, 0x0100),  # Ā
    869: (0x86, 0x0386),  # Ά
    875: (0x8A, 0x03B1),  # α
    737: (0x80, 0x0391),  # Α
    1253: (0xC1, 0x0391),  # Α
    10006: (0xE1, 0x03B1),  # α
    28597: (0xC1, 0x0391),  # Α
    855: (0x80, 0x0452),  # ђ
    860: (0x84, 0x00E3),  # ã
    861: (0x8B, 0x00D0),  # Ð
    863: (0x84, 0x00C2),  # Â
    865: (0x9B, 0x00F8),  # ø
    10082: (0xA9, 0x0160),  # Š
    874: (0xA1, 0x0E01),  # ก
    857: (0x8D, 0x0131),  # ı
    1026: (0xD0, 0x011F),  # ğ
    10081: (0xDA, 0x011E),  # Ğ
    1254: (0xD0, 0x011E),  # Ğ
    1255: (0xE0, 0x05D0),  # א
    1256: (0xC7, 0x0627),  # ا
    10000: (0x80, 0x00C4),  # Ä
    10010: (0xAE, 0x0102),  # Ă
    10079: (0xA0, 0x00DD),  # Ý
    21866: (0xA4, 0x0454),  # є
    10017: (0xA2, 0x0490),  # Ґ
    28594: (0xA1, 0x0104),  # Ą
    1257: (0xC0, 0x0104),  # Ą
    37: (0xB0, 0x005E),  # ^
    437: (0x80, 0x00C7),  # Ç
}


def fail(message):
    print("gen_code_pages: " + message, file=sys.stderr)
    sys.exit(1)


def decode_python(codec, byte):
    """The character of one byte, or None when the codec leaves it undefined."""
    try:
        text = bytes([byte]).decode(codec)
    except UnicodeDecodeError:
        return None
    if len(text) != 1:
        fail("%s: byte 0x%02X decodes to %d characters" % (codec, byte, len(text)))
    return ord(text)


def decode_iconv(charset, byte):
    result = subprocess.run(
        ["iconv", "-f", charset, "-t", "UTF-16LE"],
        input=bytes([byte]),
        stdout=subprocess.PIPE,
        stderr=subprocess.DEVNULL,
        check=False,
    )
    if result.returncode != 0 or len(result.stdout) == 0:
        return None
    if len(result.stdout) != 2:
        fail("iconv %s: byte 0x%02X is not one UTF-16 unit" % (charset, byte))
    return int.from_bytes(result.stdout, "little")


def build_high_half(code_page, kind, name):
    """128 entries for bytes 128..255; None where the code page has no character."""
    if kind == "python":
        try:
            codecs.lookup(name)
        except LookupError:
            fail("code page %d: Python has no codec %r" % (code_page, name))
        high = [decode_python(name, b) for b in range(128, 256)]
    else:
        if shutil.which("iconv") is None:
            fail("code page %d needs the iconv program" % code_page)
        high = [decode_iconv(name, b) for b in range(128, 256)]
        if all(ch is None for ch in high):
            fail("code page %d: iconv does not know %r" % (code_page, name))
    for byte, ch in WINDOWS_CORRECTIONS.get(code_page, {}).items():
        high[byte - 128] = ch
    for i, ch in enumerate(high):
        if ch is not None and (ch > 0xFFFF or 0xD800 <= ch < 0xE000):
            fail("code page %d: byte 0x%02X gives U+%04X" % (code_page, 128 + i, ch))
    probe_byte, probe_char = PROBES[code_page]
    if high[probe_byte - 128] != probe_char:
        fail(
            "code page %d (%s %s): byte 0x%02X should be U+%04X"
            % (code_page, kind, name, probe_byte, probe_char)
        )
    return high


def c_rows(values, per_row, indent):
    rows = []
    for start in range(0, len(values), per_row):
        rows.append(indent + " ".join(values[start : start + per_row]))
    return rows


def render(tables):
    lines = [
        "// Generated by tools/gen_code_pages.py from Python's codecs and glibc's iconv; do not edit.",
        "// Per code page: the characters of bytes 128..255, and (character, byte) pairs sorted by",
        "// character for encoding (lowest byte wins; undefined and ASCII-valued bytes left out).",
        "// Sources:",
    ]
    for code_page, kind, name in CODE_PAGES:
        source = ("Python codec " if kind == "python" else "iconv ") + name
        if code_page in WINDOWS_CORRECTIONS:
            fixed = ", ".join("0x%02X" % b for b in sorted(WINDOWS_CORRECTIONS[code_page]))
            source += ", with Windows' own values at " + fixed
        lines.append("//   %5d  %s" % (code_page, source))
    lines.append("")
    lines.append("// clang-format off")

    for code_page, high in tables:
        pairs = {}
        for i, ch in enumerate(high):
            if ch is None or ch < 0x80:
                continue
            pairs.setdefault(ch, 128 + i)  # ascending bytes, so the lowest one stays
        entries = ["{0x%04X, 0x%02X}," % (ch, pairs[ch]) for ch in sorted(pairs)]
        lines.append("constexpr CodePageReverseEntry kReverse%d[] = {" % code_page)
        lines.extend(c_rows(entries, 6, "    "))
        lines.append("};")
    lines.append("")

    lines.append("constexpr CodePageTable kCodePageTables[] = {")
    for code_page, high in tables:
        units = [
            "0x%04X," % (ch if ch is not None else 0x80 + i) for i, ch in enumerate(high)
        ]
        lines.append("    {%d," % code_page)
        lines.append("     {")
        for start in range(0, 128, 8):
            row = " ".join(units[start : start + 8])
            lines.append("         %s  // 0x%02X" % (row, 128 + start))
        lines.append("     },")
        lines.append("     kReverse%d," % code_page)
        lines.append("     std::size(kReverse%d)}," % code_page)
    lines.append("};")
    lines.append("// clang-format on")
    return "\n".join(lines) + "\n"


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    seen = set()
    tables = []
    for code_page, kind, name in CODE_PAGES:
        if code_page in seen:
            fail("code page %d listed twice" % code_page)
        seen.add(code_page)
        tables.append((code_page, build_high_half(code_page, kind, name)))
    if len(tables) != 44:
        fail("expected 44 code pages, built %d" % len(tables))
    path = os.path.join(root, OUTPUT)
    with open(path, "w", encoding="ascii", newline="\n") as out:
        out.write(render(tables))
    print("wrote %s (%d code pages)" % (OUTPUT, len(tables)))


if __name__ == "__main__":
    main()
