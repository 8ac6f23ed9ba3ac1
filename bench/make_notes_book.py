#!/usr/bin/env python3
"""Writes a notes-heavy FictionBook for the open benchmarks: the sample's sections repeated inside
one body until the book is big enough, a note link (<a l:href="#nN" type="note">[N]</a>) after
every few paragraphs, and a notes body with one section per note. The sample's own encoding
(windows-1251) is kept.

    make_notes_book.py [--megabytes N] [--every K] SAMPLE.fb2 OUT.fb2
"""
import argparse
import re


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--megabytes", type=int, default=20)
    parser.add_argument("--every", type=int, default=12, help="paragraphs per note link")
    parser.add_argument("sample")
    parser.add_argument("out")
    args = parser.parse_args()
    book = open(args.sample, "rb").read()
    first = book.index(b"<section>")
    last = book.index(b"</body>")
    head, sections = book[:first], book[first:last]
    # The sample's own links lead into its notes body, which this book replaces.
    sections = re.sub(rb'<a l:href="#n\d+" type="note">\[\d+\]</a>', b"", sections)
    paragraph = re.compile(rb"</p>")
    target = args.megabytes << 20
    count = 0
    seen = 0

    def link(match):
        nonlocal count, seen
        seen += 1
        if seen % args.every:
            return match.group(0)
        count += 1
        return b'<a l:href="#n%d" type="note">[%d]</a></p>' % (count, count)

    with open(args.out, "wb") as out:
        out.write(head)
        written = len(head)
        while written < target:
            chunk = paragraph.sub(link, sections)
            out.write(chunk)
            written += len(chunk)
        out.write(b' </body>\n <body name="notes">\n  <title><p>Notes</p></title>\n')
        for n in range(1, count + 1):
            out.write(b'  <section id="n%d">\n   <title><p>%d</p></title>\n' % (n, n))
            out.write(b"   <p>Note %d: a remark on the text, a word explained.</p>\n  </section>\n"
                      % n)
        out.write(b" </body>\n</FictionBook>\n")


if __name__ == "__main__":
    main()
