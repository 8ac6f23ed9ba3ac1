// Where a point of the page falls in the book: the laid-out lines measured as they are painted.
#pragma once
#include <cstdint>

#include "document/document.h"
#include "layout/layout.h"

namespace lectra {

// The position of the character under (x, y) of the page's own frame (the page's top left is
// 0, 0 whatever the rotation), and in `wordStart`..`wordEnd` the word that holds it; a point in
// the gap after a word is that word's last character. −1 off the text.
int32_t PositionAtPoint(const Layout& layout, Document& doc, int x, int y, int32_t* wordStart,
                        int32_t* wordEnd);

}  // namespace lectra
