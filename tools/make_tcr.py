#!/usr/bin/env python3
# Writes a TCR book (a 256-phrase dictionary and one code byte per phrase) from a text file.
"""Make a TCR e-book from a plain-text file, for test fixtures and benchmarks.

    python3 tools/make_tcr.py [--repeat N] IN OUT

Written from the published description of the format, not from any program
that reads or writes it: the signature "!!8-Bit!!", then 256 dictionary
entries for the codes 0..255 in order, each a length byte and that many bytes
of phrase, then the body, one code byte per phrase.

The dictionary is chosen here by merging pairs: every byte value the text uses
gets a code of its own, then while codes are left the most frequent pair of
adjacent phrases (first seen wins a tie) becomes a new phrase, as long as it is
at most 255 bytes and occurs at least twice. Codes left over have empty
phrases. `--repeat N` writes the text N times over: the body of one copy is
repeated, which expands to the text repeated because no phrase crosses the
copies' boundary (fast enough for the benchmarks' 20 MB books).
"""
import argparse
from collections import Counter


def build(text):
    phrases = [bytes([b]) for b in sorted(set(text))]
    code_of = {p: i for i, p in enumerate(phrases)}
    seq = [code_of[bytes([b])] for b in text]
    while len(phrases) < 256:
        pairs = Counter(zip(seq, seq[1:]))
        best = None
        for pair, count in pairs.most_common():
            if count < 2:
                break
            if len(phrases[pair[0]]) + len(phrases[pair[1]]) <= 255:
                best = pair
                break
        if best is None:
            break
        new = len(phrases)
        phrases.append(phrases[best[0]] + phrases[best[1]])
        merged = []
        i = 0
        while i < len(seq):
            if i + 1 < len(seq) and (seq[i], seq[i + 1]) == best:
                merged.append(new)
                i += 2
            else:
                merged.append(seq[i])
                i += 1
        seq = merged
    return phrases, bytes(seq)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--repeat', type=int, default=1)
    ap.add_argument('input')
    ap.add_argument('output')
    a = ap.parse_args()
    text = open(a.input, 'rb').read()
    phrases, body = build(text)
    out = bytearray(b'!!8-Bit!!')
    for code in range(256):
        p = phrases[code] if code < len(phrases) else b''
        out.append(len(p))
        out += p
    out += body * a.repeat
    open(a.output, 'wb').write(out)


if __name__ == '__main__':
    main()
