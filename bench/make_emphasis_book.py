#!/usr/bin/env python3
"""Writes a FictionBook of mixed emphasis for the window benchmark: every paragraph holds italic,
bold, bold italic, monospaced, superscript and subscript runs, some inside words. With --plain the
same text is written without the emphasis elements, for comparison.

    make_emphasis_book.py [--plain] [--paragraphs N] OUT.fb2
"""
import argparse
import re
import random

WORDS = ("keeper tower water clock morning cistern float notch winter harbour lantern ledger "
         "inspector barometer telescope storeroom candle extraordinarily characteristically "
         "uncomfortably considerable uninterrupted thoroughly unremarkable").split()
RUNS = [("<emphasis>", "</emphasis>"), ("<strong>", "</strong>"),
        ("<emphasis><strong>", "</strong></emphasis>"), ("<code>", "</code>"),
        ("<sup>", "</sup>"), ("<sub>", "</sub>")]


def paragraph(rng, plain):
    out = []
    for i in range(rng.randint(40, 90)):
        word = rng.choice(WORDS)
        if i % 4 == 1:
            opening, closing = rng.choice(RUNS)
            if opening in ("<sup>", "<sub>"):
                word = word + opening + str(rng.randint(2, 99)) + closing
            else:
                word = opening + word + closing
        out.append(re.sub("<[^>]*>", "", word) if plain else word)
    return "<p>" + " ".join(out) + ".</p>"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--plain", action="store_true")
    parser.add_argument("--paragraphs", type=int, default=3000)
    parser.add_argument("out")
    args = parser.parse_args()
    rng = random.Random(26)
    with open(args.out, "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="utf-8"?>\n<FictionBook><body><section>\n')
        f.write("<title><p>Mixed emphasis</p></title>\n")
        for _ in range(args.paragraphs):
            f.write(paragraph(rng, args.plain) + "\n")
        f.write("</section></body></FictionBook>\n")


if __name__ == "__main__":
    main()
