// The search hit on the page: which units of the page's lines show it, and where they are painted.
#pragma once
#include "document/document.h"
#include "layout/layout.h"

namespace lectra {

// Records on each of the page's lines which units of its text stand for the book's units
// searchMark .. searchMarkEnd − 1 (one unit when the end is not past the start); clears the
// marks when searchMark is −1. LayoutPage calls it after laying the page out.
void MarkSearchHit(Layout& layout, Document& doc);

// The highlight behind line `index` of the page (in the surface, before the turn): from the left
// edge of its first marked unit to the right edge of its last, as high as the line's text is
// drawn. 0 when the line shows no part of the hit.
int SearchMarkRect(const Layout& layout, int index, PixelRect* rect);

}  // namespace lectra
