// Space around the headings of HTML and EPUB books, made on the page and never in the text, so
// that no position moves: a blank line above a heading that follows a line of text (the markup
// gives a heading a blank line below it only), and the book's opening title left out when the
// first heading repeats it (the document's <title> before an <h1> of the same words).
#pragma once
#include <cstdint>

#include "document/document.h"
#include "layout/layout.h"

namespace lectra {

// The flag of the blank record above a heading (as lectra-tool layout prints the flags).
constexpr uint32_t kHeadingGap = 0x10;

// Whether the line starting at `start` opens a heading that is set off by a blank line above it
// when it stands below another line of the page: the book is HTML or EPUB, the line begins a title
// paragraph, the paragraph before it has text and is not a title, and no picture stands there.
bool HeadingGapAt(Layout& layout, Document& doc, int32_t start);

// The lines of the book's opening title when the first heading after it repeats it: the page
// passes over them, so the title shows once. Empty (0, 0) when nothing is passed over. Worked out
// once a book and kept in the layout.
LineSpan HiddenLead(Layout& layout, Document& doc);
// `pos`, or the end of the hidden lead when `pos` lies inside it.
int32_t PastHiddenLead(Layout& layout, Document& doc, int32_t pos);

}  // namespace lectra
