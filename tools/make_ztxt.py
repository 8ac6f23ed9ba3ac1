#!/usr/bin/env python3
# Writes a zTXT database (a Palm database of zlib-compressed text records) from a text file.
"""Make a zTXT e-book from a plain-text file, for test fixtures and benchmarks.

    python3 tools/make_ztxt.py [--record-size N] [--flags N] [--repeat N] [--name NAME] IN OUT

Written from the published description of the two formats, not from any
program that reads or writes them:

* the Palm database: a 78-byte header (32-byte zero-padded name, attributes,
  version, three dates, modification number, app-info and sort-info offsets,
  type, creator, unique-ID seed, next record list, record count; numbers
  big-endian), then one 8-byte entry per record (data offset, attribute byte,
  3-byte unique ID), then the records;
* zTXT: type "zTXT", creator "GPlm"; record 0 is a 32-byte header (version,
  text record count, text length, record size, bookmark count and record,
  annotation count and record, flags, reserved byte, CRC-32 of the compressed
  records, 8 reserved bytes); records 1..n hold one zlib stream in which each
  record is `record size` bytes of text compressed and then fully flushed, so
  a reader can start at any record. Flags bit 0 says so (random access).

The last record finishes the stream (Z_FINISH), so its inflation ends with the
stream's end and check. `--flags 0` writes a database without the random-access
flag; `--repeat N` takes the input N times over.
"""
import argparse
import struct
import zlib


def pdb(name, type_creator, records):
    head = name.encode('latin-1')[:31].ljust(32, b'\0')
    head += struct.pack('>HHIIIIII', 0, 0, 0, 0, 0, 0, 0, 0)
    head += type_creator
    head += struct.pack('>IIH', 0, 0, len(records))
    offset = len(head) + 8 * len(records) + 2
    entries = b''
    for i, r in enumerate(records):
        entries += struct.pack('>IB', offset, 0) + i.to_bytes(3, 'big')
        offset += len(r)
    return head + entries + b'\0\0' + b''.join(records)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--record-size', type=int, default=8192)
    ap.add_argument('--flags', type=int, default=1)
    ap.add_argument('--repeat', type=int, default=1)
    ap.add_argument('--name', default='zTXT book')
    ap.add_argument('input')
    ap.add_argument('output')
    a = ap.parse_args()
    text = open(a.input, 'rb').read() * a.repeat
    size = a.record_size
    chunks = [text[i:i + size] for i in range(0, len(text), size)] or [b'']
    z = zlib.compressobj(9, zlib.DEFLATED, 15)
    records = []
    for i, chunk in enumerate(chunks):
        last = i == len(chunks) - 1
        records.append(z.compress(chunk) + z.flush(zlib.Z_FINISH if last else zlib.Z_FULL_FLUSH))
    crc = 0
    for r in records:
        crc = zlib.crc32(r, crc)
    header = struct.pack('>HHIHHHHHBBI', 0x012C, len(records), len(text), size, 0, 0, 0, 0, a.flags, 0, crc)
    header += b'\0' * 8
    with open(a.output, 'wb') as out:
        out.write(pdb(a.name, b'zTXTGPlm', [header] + records))


if __name__ == '__main__':
    main()
