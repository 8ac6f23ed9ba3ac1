#!/usr/bin/env python3
"""Writes a FictionBook 2 with pictures from a plain-text story (one paragraph a line): a cover
in <coverpage>, then the first paragraphs with an illustration between two of them, each picture a
base64 <binary>. Written from the FictionBook description; used for the picture fixtures.

usage: make_fb2_pictures.py STORY.txt COVER.png ILLUSTRATION.jpg OUT.fb2 [--paragraphs N]
"""
import base64
import html
import sys


def binary(ident, path, kind):
    data = base64.encodebytes(open(path, "rb").read()).decode("ascii")
    return f'<binary id="{ident}" content-type="{kind}">\n{data}</binary>\n'


def main(argv):
    paragraphs = 6
    if "--paragraphs" in argv:
        at = argv.index("--paragraphs")
        paragraphs = int(argv[at + 1])
        del argv[at:at + 2]
    story, cover, illustration, out = argv[1:5]
    lines = [l.strip() for l in open(story, encoding="utf-8") if l.strip()]
    title, body = lines[0], lines[1:1 + paragraphs]
    parts = ['<?xml version="1.0" encoding="utf-8"?>\n',
             '<FictionBook xmlns="http://www.gribuser.ru/xml/fictionbook/2.0" '
             'xmlns:l="http://www.w3.org/1999/xlink">\n<description><title-info>\n',
             f"<book-title>{html.escape(title)}</book-title>\n",
             '<coverpage><image l:href="#cover.png"/></coverpage>\n<lang>en</lang>\n',
             "</title-info></description>\n<body>\n",
             f"<title><p>{html.escape(title)}</p></title>\n<section>\n"]
    for i, p in enumerate(body):
        parts.append(f"<p>{html.escape(p)}</p>\n")
        if i == 1:
            parts.append('<image l:href="#illustration.jpg"/>\n')
    parts.append("</section>\n</body>\n")
    parts.append(binary("cover.png", cover, "image/png"))
    parts.append(binary("illustration.jpg", illustration, "image/jpeg"))
    parts.append("</FictionBook>\n")
    open(out, "w", encoding="utf-8").write("".join(parts))


if __name__ == "__main__":
    main(sys.argv)
