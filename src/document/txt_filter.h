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
// "*" or "-" opens a paragraph (10); anything else, or the end, joins the lines (32).
char16_t DetectParagraph(Document& doc, uint32_t offset);

int TxtFilter(Document& doc, char16_t& unit, uint32_t offset);

}  // namespace lectra
