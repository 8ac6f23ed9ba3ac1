#!/usr/bin/env python3
"""Writes the Word test books that no tool on this system produces.

Made from the published layouts of the formats:
- Word for DOS: a 128-byte header (magic 0xBE31, end of text at offset 14, the word at offset 96
  that selects code page 1251 when non-zero and 866 when zero), the text from byte 128.
- WinWord 2.0: the FIB at the start of the file (magic 0xA5DB, flags at 10, fcMin/fcMac at 24/28,
  the character counts at 52, fcClx at 286 with a 16-bit piece-table size).
- Word 6.0/95 and Word 97-2003: a compound file (structured storage, version 3: 512-byte sectors,
  64-byte mini sectors, 4096-byte mini-stream cut-off) holding "WordDocument" (magic 0xA5DC,
  counts at 52, fcClx at 352; magic 0xA5EC, counts at 76, fcClx at 418) and, for Word 97, the
  table stream "1Table" or "0Table" with the piece table (property blocks, then 2, lcb, the
  character positions and 8-byte piece descriptors whose fc has bit 30 set for 8-bit text).

Usage: gen_word_fixtures.py SOURCE_DIR OUT_DIR
SOURCE_DIR holds en.txt and ru.txt (UTF-8, one paragraph per line).
"""
import os
import struct
import sys

FREE, END, FATSECT, DIFSECT = 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFD, 0xFFFFFFFC
SECTOR, MINI, CUTOFF = 512, 64, 4096


def ceil_div(a, b):
    return (a + b - 1) // b


def word_text(source, limit):
    """The first paragraphs of a story, up to `limit` characters, with Word's paragraph mark 13."""
    paragraphs, size = [], 0
    for line in source.splitlines():
        if size + len(line) + 1 > limit:
            break
        paragraphs.append(line)
        size += len(line) + 1
    return '\r'.join(paragraphs) + '\r'


def compound_file(streams, min_fat_sectors=0):
    """A version-3 compound file holding `streams` [(name, bytes)] below the root. With
    min_fat_sectors above 109 the FAT needs DIFAT sectors."""
    mini_data, mini_fat, entries, big = b'', [], [], []
    for name, data in streams:
        if len(data) < CUTOFF:
            units = ceil_div(len(data), MINI)
            start = len(mini_data) // MINI
            mini_fat += [start + k + 1 for k in range(units - 1)] + ([END] if units else [])
            mini_data += data.ljust(units * MINI, b'\0')
            entries.append([name, start if units else END, len(data), None])
        else:
            entry = [name, None, len(data), data]
            entries.append(entry)
            big.append(entry)
    mini_fat_sectors = ceil_div(len(mini_fat) * 4, SECTOR)
    dir_sectors = ceil_div((len(entries) + 1) * 128, SECTOR)
    mini_stream_sectors = ceil_div(len(mini_data), SECTOR)
    big_sectors = sum(ceil_div(len(e[3]), SECTOR) for e in big)
    data_sectors = mini_fat_sectors + dir_sectors + mini_stream_sectors + big_sectors
    fat = max(1, min_fat_sectors)
    while True:
        difat = ceil_div(fat - 109, SECTOR // 4 - 1) if fat > 109 else 0
        if fat * (SECTOR // 4) >= fat + difat + data_sectors:
            break
        fat += 1
    table = [FREE] * (fat * SECTOR // 4)
    cursor = 0

    def take(count, marker=None):
        nonlocal cursor
        first = cursor
        for k in range(count):
            table[cursor + k] = marker if marker is not None else (cursor + k + 1 if k + 1 < count else END)
        cursor += count
        return first if count else END

    fat_first = take(fat, FATSECT)
    difat_first = take(difat, DIFSECT)
    mini_fat_first = take(mini_fat_sectors)
    dir_first = take(dir_sectors)
    mini_stream_first = take(mini_stream_sectors)
    for e in big:
        e[1] = take(ceil_div(len(e[3]), SECTOR))

    sectors = [b''] * cursor
    for k in range(fat):
        sectors[fat_first + k] = struct.pack('<128I', *table[k * 128:(k + 1) * 128])
    fat_numbers = list(range(fat_first, fat_first + fat))
    for k in range(difat):
        chunk = fat_numbers[109 + k * 127:109 + (k + 1) * 127]
        chunk += [FREE] * (127 - len(chunk))
        nxt = difat_first + k + 1 if k + 1 < difat else END
        sectors[difat_first + k] = struct.pack('<128I', *(chunk + [nxt]))
    mf = struct.pack('<%dI' % len(mini_fat), *mini_fat).ljust(mini_fat_sectors * SECTOR, b'\xff')
    for k in range(mini_fat_sectors):
        sectors[mini_fat_first + k] = mf[k * SECTOR:(k + 1) * SECTOR]
    for k in range(mini_stream_sectors):
        sectors[mini_stream_first + k] = mini_data[k * SECTOR:(k + 1) * SECTOR]
    for e in big:
        for k in range(ceil_div(len(e[3]), SECTOR)):
            sectors[e[1] + k] = e[3][k * SECTOR:(k + 1) * SECTOR]

    # The directory: a binary tree ordered by name length, then upper-cased name.
    order = sorted(range(len(entries)), key=lambda i: (len(entries[i][0]), entries[i][0].upper()))
    left, right = [0xFFFFFFFF] * len(entries), [0xFFFFFFFF] * len(entries)

    def tree(lo, hi):
        if lo >= hi:
            return 0xFFFFFFFF
        mid = (lo + hi) // 2
        i = order[mid]
        left[i], right[i] = tree(lo, mid), tree(mid + 1, hi)
        return i + 1  # directory index (the root entry is 0)

    child = tree(0, len(order))

    def entry(name, kind, l, r, c, start, size):
        raw = name.encode('utf-16-le') + b'\0\0'
        return (raw.ljust(64, b'\0') + struct.pack('<HBB3I', len(raw), kind, 1, l, r, c) + b'\0' * 36 +
                struct.pack('<3I', start, size, 0))

    directory = entry('Root Entry', 5, 0xFFFFFFFF, 0xFFFFFFFF, child,
                      mini_stream_first if mini_data else END, len(mini_data))
    for i, (name, start, size, _) in enumerate(entries):
        directory += entry(name, 2, left[i], right[i], 0xFFFFFFFF, start, size)
    directory = directory.ljust(dir_sectors * SECTOR, b'\0')
    for k in range(dir_sectors):
        sectors[dir_first + k] = directory[k * SECTOR:(k + 1) * SECTOR]

    header = struct.pack('<8s16sHHHHH6sIIIIIIIII', b'\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1', b'\0' * 16,
                         0x3E, 3, 0xFFFE, 9, 6, b'\0' * 6, 0, fat, dir_first, 0, CUTOFF,
                         mini_fat_first if mini_fat_sectors else END, mini_fat_sectors,
                         difat_first if difat else END, difat)
    head_difat = fat_numbers[:109] + [FREE] * (109 - min(fat, 109))
    header += struct.pack('<109I', *head_difat)
    assert len(header) == 512
    return header + b''.join(s.ljust(SECTOR, b'\0') for s in sectors)


def piece_table(pieces, lcb_bytes=4, property_block=b''):
    """The clx: an optional property block (marker 1), then 2, lcb and the PLC of pieces
    [(cp, fc_field)], with the end position last."""
    cps = [cp for cp, _ in pieces]
    plc = struct.pack('<%dI' % len(cps), *cps)
    for _, fc in pieces[:-1]:
        plc += struct.pack('<HIH', 0, fc, 0)
    clx = b''
    if property_block:
        clx += b'\x01' + struct.pack('<H', len(property_block)) + property_block
    clx += b'\x02' + (struct.pack('<H', len(plc)) if lcb_bytes == 2 else struct.pack('<I', len(plc))) + plc
    return clx


def put(buf, offset, fmt, *values):
    struct.pack_into(fmt, buf, offset, *values)


# Code page 866 has no dashes, guillemets or ellipsis: they become their ASCII look-alikes.
ASCII_LOOKALIKES = str.maketrans({'\u2014': '-', '\u00ab': '"', '\u00bb': '"', '\u2026': '...'})


def dos_word(text, code_page_word):
    if code_page_word == 0:
        body = text.translate(ASCII_LOOKALIKES).encode('cp866')
    else:
        body = text.encode('cp1251')
    header = bytearray(128)
    put(header, 0, '<HHH', 0xBE31, 0, 0xAB00)
    put(header, 14, '<I', 128 + len(body))
    put(header, 96, '<H', code_page_word)
    tail = b'\0' * (ceil_div(len(body), 128) * 128 - len(body)) + b'\0' * 128  # a formatting page
    return bytes(header) + body + tail


def winword2(text, complex_file):
    """WinWord 2.0, windows-1251 text at 384. The complex book stores its two halves swapped and
    puts them back in order through the piece table."""
    body = text.encode('cp1251')
    fib = bytearray(384)
    put(fib, 0, '<HH', 0xA5DB, 45)
    put(fib, 6, '<H', 0x0419)
    half = len(body) // 2
    stored = body[half:] + body[:half] if complex_file else body
    put(fib, 24, '<II', 384, 384 + len(stored))
    put(fib, 52, '<I', len(body))
    data = bytes(fib) + stored
    if complex_file:
        put(fib, 10, '<H', 0x0004)
        clx = piece_table([(0, 384 + len(body) - half), (half, 384), (len(body), 0)], lcb_bytes=2,
                          property_block=b'\x11\x22\x33')
        put(fib, 286, '<IH', len(data), len(clx))
        data = bytes(fib) + stored + clx
    return data


def word6(text):
    """Word 6.0/95: 8-bit windows-1251 text in three pieces, the table in "WordDocument"."""
    body = text.encode('cp1251')
    fib = bytearray(1024)
    put(fib, 0, '<HH', 0xA5DC, 101)
    put(fib, 6, '<H', 0x0419)
    put(fib, 10, '<H', 0x0004)
    put(fib, 24, '<II', 1024, 1024 + len(body))
    put(fib, 52, '<I', len(body))
    a, b = len(body) // 3, 2 * len(body) // 3
    # The pieces are stored last, middle, first.
    stored = body[b:] + body[a:b] + body[:a]
    fc_first, fc_middle, fc_last = 1024 + len(body) - a, 1024 + len(body) - b, 1024
    clx = piece_table([(0, fc_first), (a, fc_middle), (b, fc_last), (len(body), 0)],
                      property_block=b'\x01\x02')
    put(fib, 352, '<II', 1024 + len(body), len(clx))
    # Word never keeps its text stream in the mini stream: it is at least 4096 bytes.
    stream = (bytes(fib) + stored + clx).ljust(4608, b'\0')
    return compound_file([('WordDocument', stream), ('\x01CompObj', b'\0' * 40)])


def word97(english, russian, table_name, min_fat_sectors=0):
    """Word 97-2003 with an 8-bit (windows-1252) piece, a 16-bit piece and an 8-bit piece, in a
    16-bit document; the piece boundaries fall inside raw blocks. A decoy table stream of the
    other name holds a piece table that the reader must not take."""
    one, two, three = english[:3001], russian[:2499], english[3001:]
    body8a, body16, body8b = one.encode('cp1252'), two.encode('utf-16-le'), three.encode('cp1252')
    text_at = 1024
    stored = body8a + body8b + body16
    ccp = len(one) + len(two) + len(three)
    pieces = [(0, (text_at * 2) | 0x40000000),
              (len(one), text_at + len(body8a) + len(body8b)),
              (len(one) + len(two), ((text_at + len(body8a)) * 2) | 0x40000000),
              (ccp, 0)]
    clx = piece_table(pieces, property_block=b'\x06\x00\x01\x02\x03\x04')
    fib = bytearray(text_at)
    put(fib, 0, '<HH', 0xA5EC, 193)
    put(fib, 6, '<H', 0x0409)
    flags = 0x1000 | 0x0004 | (0x0200 if table_name == '1Table' else 0)
    put(fib, 10, '<HH', flags, 0xBF)
    put(fib, 24, '<II', text_at, text_at + len(stored))
    put(fib, 32, '<H', 14)
    put(fib, 62, '<H', 22)
    put(fib, 64, '<I', text_at + len(stored))
    put(fib, 76, '<I', ccp)
    put(fib, 152, '<H', 93)
    put(fib, 418, '<II', 0, len(clx))
    decoy = piece_table([(0, 5), (ccp + 77, 0)])
    other = '0Table' if table_name == '1Table' else '1Table'
    return compound_file([('WordDocument', bytes(fib) + stored), (table_name, clx), (other, decoy)],
                         min_fat_sectors)


def word97_single(text):
    """Word 97-2003 as LibreOffice writes it: one 16-bit piece (used by the benchmarks)."""
    body = text.encode('utf-16-le')
    clx = piece_table([(0, 1024), (len(text), 0)])
    fib = bytearray(1024)
    put(fib, 0, '<HH', 0xA5EC, 193)
    put(fib, 6, '<H', 0x0419)
    put(fib, 10, '<HH', 0x1000 | 0x0200, 0xBF)
    put(fib, 24, '<II', 1024, 1024 + len(body))
    put(fib, 32, '<H', 14)
    put(fib, 62, '<H', 22)
    put(fib, 64, '<I', 1024 + len(body))
    put(fib, 76, '<I', len(text))
    put(fib, 152, '<H', 93)
    put(fib, 418, '<II', 0, len(clx))
    return compound_file([('WordDocument', bytes(fib) + body), ('1Table', clx)])


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    source, out = sys.argv[1], sys.argv[2]
    with open(os.path.join(source, 'en.txt'), encoding='utf-8') as f:
        en = f.read()
    with open(os.path.join(source, 'ru.txt'), encoding='utf-8') as f:
        ru = f.read()
    books = {
        'dos-word-866.doc': dos_word(word_text(ru, 1500).replace('\r', '\r\n'), 0),
        'dos-word-1251.doc': dos_word(word_text(ru, 1500).replace('\r', '\r\n'), 1),
        'winword2.doc': winword2(word_text(ru, 2000), False),
        'winword2-complex.doc': winword2(word_text(ru, 2000), True),
        'word6.doc': word6(word_text(ru, 3000)),
        'word97-pieces.doc': word97(word_text(en, 6500), word_text(ru, 2499), '1Table'),
        'word97-0table-difat.doc': word97(word_text(en, 6500), word_text(ru, 2499), '0Table', 110),
    }
    for name, data in books.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
