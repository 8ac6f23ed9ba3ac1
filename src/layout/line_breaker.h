// Breaking the book into lines: the word reader and the line loop with its overflow fall-backs
// (hyphenation candidates, the cut at the last space, the cut by characters).
#pragma once
#include <climits>
#include <cstdint>

#include "document/document.h"
#include "layout/layout.h"

namespace lectra {

// Fills `word` from `pos`: spaces before it are skipped (up to `skipEnd` at most, where a space
// gives an empty word), then units are taken up to a space, a paragraph mark, the end of the book
// or 255 units, and before `stop`. Returns the position that stopped it.
int32_t ReadWord(WordBuffer& word, Document& doc, int32_t pos, int32_t skipEnd = INT32_MAX,
                 int32_t stop = INT32_MAX);

// Lays out one line from `start` into `record` for the width of the text rectangle, measuring
// with `dc`, and returns where the next line begins (also record.end). A line inside the book
// always advances by one character at least. A line that spans a block ends at the next block
// boundary that falls in white space, so that no line spans a long run of it.
int32_t LayoutLine(Layout& layout, Document& doc, LineRecord& record, int32_t start,
                   const DrawContext& dc);

}  // namespace lectra
