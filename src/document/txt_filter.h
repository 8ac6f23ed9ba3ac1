// The plain-text filter: normalisation of control characters and paragraph detection.
#pragma once
#include <cstdint>

#include "document/document.h"

namespace lectra {

// A filter gets the unit just read and the source offset after it; it may replace the unit, and
// returns nonzero when a unit is to be stored: 1, or 2 when the contents gatherer wants it too
// (MarkupState's handOver, on the indexing pass only).
using FilterFn = int (*)(Document& doc, char16_t& unit, uint32_t offset);

// Tab and no-break space → space, unit 30 → "-", other controls except line feed → 0.
inline char16_t Normalise(char16_t u) {
    if (u >= 32) return u == 160 ? u' ' : u;
    if (u == 9) return u' ';
    if (u == 10) return 10;
    if (u == 30) return u'-';
    return 0;
}

// Reads on from just after a line feed: a blank line, an indented line or a line starting with
// "*" or "-" opens a paragraph (10); anything else, or the end, joins the lines (32). In a book
// written a paragraph to a line (ParagraphLines), a line of text opens a paragraph too, unless the
// line feed ends a blank line (the blank line already opened it).
char16_t DetectParagraph(Document& doc, uint32_t offset);

// Whether the text, judged by its first 8 KiB, is written a paragraph to a line rather than
// wrapped at a fixed width: more than a tenth of its lines that hold text are longer than any
// wrapped line is (120 characters).
int ParagraphLines(Document& doc);

int TxtFilter(Document& doc, char16_t& unit, uint32_t offset);

}  // namespace lectra
