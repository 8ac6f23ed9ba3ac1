#!/usr/bin/env python3
"""Prints the text of a FictionBook file's <body> sections: an independent reading for tests.

Block elements are separated by line feeds, inline elements (links, emphasis) are not, so that
"[1]." next to a note link stays one word as a reader shows it. <binary> lies outside the bodies.
"""
import sys
import xml.etree.ElementTree as ET

INLINE = {"a", "emphasis", "strong", "style", "strikethrough", "sub", "sup", "code", "image"}


def local(tag):
    return tag.rsplit("}", 1)[-1]


def text(element):
    body = (element.text or "") + "".join(text(c) + (c.tail or "") for c in element)
    return body if local(element.tag) in INLINE else "\n" + body + "\n"


root = ET.parse(sys.argv[1]).getroot()
print("".join(text(b) for b in root if local(b.tag) == "body"))
