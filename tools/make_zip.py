#!/usr/bin/env python3
# Writes ZIP archives and EPUB books byte by byte, for test fixtures and benchmarks.
"""Make ZIP archives and EPUB books, for test fixtures and benchmarks.

    python3 tools/make_zip.py zip OUT [--cp866] [--damage MODE] NAME=FILE[:stored] ...
    python3 tools/make_zip.py epub OUT --title TITLE --parts N [--stored] [--encrypt] [--missing] TEXT

Written from the published description of the archive format (local headers, the central
directory, the end record), not from any program that reads or writes it; deflate is zlib's.

`zip` stores each FILE under NAME, deflated unless `:stored` follows. `--cp866` writes the names
in code page 866 without the UTF-8 flag, as old Russian archivers did (otherwise names are UTF-8
with the flag). `--damage` spoils the archive after it is written:
  truncate   the last 30 bytes are cut (the end record is lost)
  offset     the first entry's local-header offset points past the directory
  count      the end record claims 65535 entries for a directory of fewer
  crc        the first entry's CRC-32 is off by one, in both headers

`epub` writes a book whose spine is N XHTML parts cut from TEXT (UTF-8, one paragraph a line):
the mimetype first and stored, the container, the package with TITLE, then the parts, which
cross the reader's 8 KiB blocks. The third item starts with a byte-order mark and ends inside
an unclosed tag; the fourth has a script, a style and a self-closed script in its head; every
item but the first starts with a heading. `--stored` stores the items; `--encrypt` adds an
encryption list naming the first item; `--missing` names an item in the spine that the archive
lacks.
"""
import argparse
import struct
import zlib


def deflate(data):
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


def archive(entries, cp866=False, damage=None):
    """entries: list of (name, data, stored)."""
    out = bytearray()
    central = bytearray()
    for name, data, stored in entries:
        raw = name.encode('cp866') if cp866 else name.encode('utf-8')
        flags = 0 if cp866 or raw.isascii() else 0x0800
        packed = data if stored else deflate(data)
        method = 0 if stored else 8
        crc = zlib.crc32(data)
        if damage == 'crc' and not central:
            crc = (crc + 1) & 0xFFFFFFFF
        offset = len(out)
        out += struct.pack('<IHHHHHIIIHH', 0x04034B50, 20, flags, method, 0, 0x21, crc,
                           len(packed), len(data), len(raw), 0) + raw + packed
        if damage == 'offset' and not central:
            offset = 0x7FFFFFF0
        central += struct.pack('<IHHHHHHIIIHHHHHII', 0x02014B50, 0x031E, 20, flags, method, 0,
                               0x21, crc, len(packed), len(data), len(raw), 0, 0, 0, 0,
                               0o100644 << 16, offset) + raw
    count = 65535 if damage == 'count' else len(entries)
    end = struct.pack('<IHHHHIIH', 0x06054B50, 0, 0, count, count, len(central), len(out), 0)
    whole = bytes(out + central + end)
    return whole[:-30] if damage == 'truncate' else whole


def xhtml(title, body, head_extra=''):
    return ('<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE html>\n'
            '<html xmlns="http://www.w3.org/1999/xhtml">\n<head>\n'
            f'<title>{title}</title>\n{head_extra}</head>\n<body>\n{body}</body>\n</html>\n')


def escape(text):
    return text.replace('&', '&amp;').replace('<', '&lt;').replace('>', '&gt;')


def epub(text, title, parts, stored=False, encrypt=False, missing=False):
    paras = [p for p in text.split('\n') if p.strip()]
    chunk = -(-len(paras) // parts)
    files = []
    for i in range(parts):
        mine = paras[i * chunk:(i + 1) * chunk]
        body = ''.join(f'<p>{escape(p)}</p>\n' for p in mine)
        if i > 0 and mine:
            # The part's first paragraph becomes its heading.
            body = f'<h2>{escape(mine[0])}</h2>\n' + ''.join(f'<p>{escape(p)}</p>\n' for p in mine[1:])
        head = ''
        if i == 3:
            head = ('<style>p { text-indent: 1em }</style>\n<script>var a = 1 < 2;</script>\n'
                    '<script src="x.js"/>\n')
        page = xhtml(f'Part {i + 1}', body, head).encode('utf-8')
        if i == 2:
            page = b'\xef\xbb\xbf' + page + b'<a href="'
        files.append((f'OEBPS/text/part{i + 1:03d}.xhtml', page))
    manifest = ''.join(f'<item id="p{i}" href="text/part{i + 1:03d}.xhtml" '
                       f'media-type="application/xhtml+xml"/>\n' for i in range(parts))
    spine = ''.join(f'<itemref idref="p{i}"/>\n' for i in range(parts))
    if missing:
        manifest += '<item id="gone" href="text/gone.xhtml" media-type="application/xhtml+xml"/>\n'
        spine = '<itemref idref="gone"/>\n' + spine
    opf = ('<?xml version="1.0" encoding="utf-8"?>\n'
           '<package xmlns="http://www.idpf.org/2007/opf" version="3.0" unique-identifier="id">\n'
           '<metadata xmlns:dc="http://purl.org/dc/elements/1.1/">\n'
           f'<dc:identifier id="id">generated</dc:identifier>\n<dc:title>{escape(title)}</dc:title>\n'
           '<dc:language>und</dc:language>\n</metadata>\n'
           f'<manifest>\n{manifest}</manifest>\n<spine>\n{spine}</spine>\n</package>\n')
    container = ('<?xml version="1.0"?>\n<container version="1.0" '
                 'xmlns="urn:oasis:names:tc:opendocument:xmlns:container">\n<rootfiles>\n'
                 '<rootfile full-path="OEBPS/content.opf" '
                 'media-type="application/oebps-package+xml"/>\n</rootfiles>\n</container>\n')
    entries = [('mimetype', b'application/epub+zip', True),
               ('META-INF/container.xml', container.encode(), False)]
    if encrypt:
        enc = ('<encryption xmlns="urn:oasis:names:tc:opendocument:xmlns:container" '
               'xmlns:enc="http://www.w3.org/2001/04/xmlenc#">\n<enc:EncryptedData>'
               '<enc:CipherData><enc:CipherReference URI="OEBPS/text/part001.xhtml"/>'
               '</enc:CipherData></enc:EncryptedData>\n</encryption>\n')
        entries.append(('META-INF/encryption.xml', enc.encode(), False))
    entries.append(('OEBPS/content.opf', opf.encode(), False))
    entries += [(name, data, stored) for name, data in files]
    return archive(entries)


def main():
    ap = argparse.ArgumentParser()
    sub = ap.add_subparsers(dest='command', required=True)
    z = sub.add_parser('zip')
    z.add_argument('out')
    z.add_argument('--cp866', action='store_true')
    z.add_argument('--damage', choices=['truncate', 'offset', 'count', 'crc'])
    z.add_argument('entries', nargs='+')
    e = sub.add_parser('epub')
    e.add_argument('out')
    e.add_argument('--title', required=True)
    e.add_argument('--parts', type=int, required=True)
    e.add_argument('--stored', action='store_true')
    e.add_argument('--encrypt', action='store_true')
    e.add_argument('--missing', action='store_true')
    e.add_argument('text')
    a = ap.parse_args()
    if a.command == 'zip':
        entries = []
        for entry in a.entries:
            name, path = entry.split('=', 1)
            stored = path.endswith(':stored')
            if stored:
                path = path[:-len(':stored')]
            with open(path, 'rb') as f:
                entries.append((name, f.read(), stored))
        data = archive(entries, a.cp866, a.damage)
    else:
        with open(a.text, encoding='utf-8') as f:
            data = epub(f.read(), a.title, a.parts, a.stored, a.encrypt, a.missing)
    with open(a.out, 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main()
