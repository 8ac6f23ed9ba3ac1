#!/usr/bin/env python3
"""Generate src/document/pair_weights.inc, the Russian letter-pair weights
used to tell Russian 8-bit encodings apart.

Text is read from exactly two sources, both of which the project may use:

  1. samples/ru-story.txt -- the project's own Russian story, decoded as
     windows-1251.
  2. Debian's Russian gettext catalogues, /usr/share/locale/ru/LC_MESSAGES/*.mo
     (another directory holding ru/LC_MESSAGES can be given as the first
     argument). Only the translations (msgstr, every plural form) are used;
     the header entry is skipped, printf/Python/brace format placeholders,
     XML/HTML markup and entities are replaced by spaces, and GTK/KDE
     mnemonic markers (_ or & before a letter) are dropped. A catalogue
     reached through a symlink to one already read is read once, and each
     distinct translation string is counted once, so strings repeated across
     catalogues (binutils/bfd/gas share many) do not skew the counts.

A pair is two consecutive Russian letters; any other character breaks the
chain. Classes: 0 = not a Russian letter, 1..32 = а..я without ё (case
folded, ё counted as е). Counts are scaled linearly so the most frequent
pair weighs exactly 1026, rounded half up; a pair seen at least once weighs
at least 1, a pair never seen weighs 0.

Run from the repository root:  python3 tools/gen_pair_weights.py
"""

import os
import re
import struct
import sys

STORY = os.path.join("samples", "ru-story.txt")
DEFAULT_LOCALE_DIR = "/usr/share/locale"
OUTPUT = os.path.join("src", "document", "pair_weights.inc")
TOP_WEIGHT = 1026

ALPHABET = "абвгдежзийклмнопрстуфхцчшщъыьэюя"
assert len(ALPHABET) == 32

CLASS = {}
for _i, _ch in enumerate(ALPHABET, start=1):
    CLASS[_ch] = _i
    CLASS[_ch.upper()] = _i
CLASS["ё"] = CLASS["е"]
CLASS["Ё"] = CLASS["е"]

# printf conversions (with positional %1$s, flags, width, precision, length),
# Python %(name)s, and {0} / {name} placeholders.
PRINTF_RE = re.compile(
    r"%(?:\([^)]*\))?(?:\d+\$)?[-+ #0']*(?:\*|\d+)?(?:\.(?:\*|\d+))?"
    r"(?:hh|h|ll|l|L|q|j|z|t|I64|I32)?[a-zA-Z%]"
    r"|%<PRI[a-zA-Z0-9]+>"
)
BRACE_RE = re.compile(r"\{[^{}\s]*\}")
MARKUP_RE = re.compile(r"</?[A-Za-z][^<>]*>")
ENTITY_RE = re.compile(r"&(?:#\d+|#x[0-9A-Fa-f]+|[A-Za-z]+);")
# A mnemonic marker sits inside or at the start of a word: drop it so the
# letters on either side still form a pair.
MNEMONIC_RE = re.compile(r"[_&](?=[А-Яа-яЁё])")
CHARSET_RE = re.compile(r"charset=([-\w.]+)", re.IGNORECASE)


def read_mo(path):
    """Return the list of msgstr strings (plural forms split) of a .mo file."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 28:
        return []
    magic = struct.unpack_from("<I", data, 0)[0]
    if magic == 0x950412DE:
        order = "<"
    elif magic == 0xDE120495:
        order = ">"
    else:
        raise ValueError(f"{path}: not a .mo file")
    _rev, count, orig_off, trans_off = struct.unpack_from(order + "4I", data, 4)

    def entry(table, i):
        length, offset = struct.unpack_from(order + "2I", data, table + 8 * i)
        return data[offset:offset + length]

    charset = "utf-8"
    raw = []
    for i in range(count):
        msgid = entry(orig_off, i)
        msgstr = entry(trans_off, i)
        if msgid == b"":
            m = CHARSET_RE.search(msgstr.decode("ascii", "replace"))
            if m and m.group(1).upper() != "CHARSET":
                charset = m.group(1)
            continue
        raw.append(msgstr)
    try:
        "".encode(charset)
    except LookupError:
        charset = "utf-8"
    out = []
    for s in raw:
        for form in s.split(b"\0"):
            if form:
                out.append(form.decode(charset, "replace"))
    return out


def clean(text):
    text = MARKUP_RE.sub(" ", text)
    text = ENTITY_RE.sub(" ", text)
    text = PRINTF_RE.sub(" ", text)
    text = BRACE_RE.sub(" ", text)
    return MNEMONIC_RE.sub("", text)


def count_pairs(text, counts):
    prev = 0
    for ch in text:
        cur = CLASS.get(ch, 0)
        if prev and cur:
            counts[prev][cur] += 1
        prev = cur


def catalogue_paths(locale_dir):
    d = os.path.join(locale_dir, "ru", "LC_MESSAGES")
    seen = set()
    paths = []
    for name in sorted(os.listdir(d)):
        if not name.endswith(".mo"):
            continue
        p = os.path.join(d, name)
        real = os.path.realpath(p)
        if real in seen:
            continue
        seen.add(real)
        paths.append(p)
    return paths


def scale(counts):
    top = max(max(row) for row in counts)
    table = [[0] * 33 for _ in range(33)]
    for a in range(1, 33):
        for b in range(1, 33):
            c = counts[a][b]
            if c:
                # round half up in integers so the output never depends on
                # float behaviour
                table[a][b] = max(1, (2 * c * TOP_WEIGHT + top) // (2 * top))
    return table


def main():
    locale_dir = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_LOCALE_DIR
    counts = [[0] * 33 for _ in range(33)]

    with open(STORY, "rb") as f:
        story = f.read().decode("cp1251")
    count_pairs(story, counts)
    story_chars = len(story)

    paths = catalogue_paths(locale_dir)
    seen = set()
    cat_chars = 0
    for p in paths:
        for s in read_mo(p):
            if s in seen:
                continue
            seen.add(s)
            s = clean(s)
            cat_chars += len(s)
            count_pairs(s, counts)

    table = scale(counts)
    names = " ".join(os.path.basename(p)[:-3] for p in paths)
    wrapped = []
    line = "//  "
    for n in names.split():
        if len(line) + len(n) + 1 > 78:
            wrapped.append(line.rstrip())
            line = "//  "
        line += n + " "
    wrapped.append(line.rstrip())

    lines = [
        "// Generated by tools/gen_pair_weights.py; do not edit by hand.",
        "// Russian letter-pair weights, indexed [first][second] by letter class:",
        "// 0 = not a Russian letter, 1..32 = а..я without ё (case folded, ё = е).",
        "// Counted from samples/ru-story.txt (%d characters) and the msgstr"
        % story_chars,
        "// translations of Debian's Russian gettext catalogues, ru/LC_MESSAGES/*.mo",
        "// (%d distinct strings, %d characters after placeholders and markup were"
        % (len(seen), cat_chars),
        "// removed) from these %d catalogues:" % len(paths),
        *wrapped,
        "// Counts are scaled linearly so the most frequent pair weighs %d (rounded"
        % TOP_WEIGHT,
        "// half up); any pair seen at least once weighs at least 1, unseen pairs 0.",
        "static constexpr uint16_t kPairWeights[33][33] = {",
    ]
    for row in table:
        lines.append("    {" + ", ".join(str(v) for v in row) + "},")
    lines.append("};")

    with open(OUTPUT, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")

    nonzero = sum(1 for a in range(1, 33) for b in range(1, 33) if table[a][b])
    print(f"story: {story_chars} chars; catalogues: {len(paths)} files, "
          f"{len(seen)} strings, {cat_chars} chars")
    print(f"non-zero pairs: {nonzero} of 1024")
    top = sorted(((table[a][b], ALPHABET[a - 1] + ALPHABET[b - 1])
                  for a in range(1, 33) for b in range(1, 33)), reverse=True)
    print("heaviest:", ", ".join(f"{p} {w}" for w, p in top[:10]))


if __name__ == "__main__":
    main()
