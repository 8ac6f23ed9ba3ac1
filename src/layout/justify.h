// Drawing one body line, its spare width spread over the gaps between its words.
#pragma once
#include "layout/layout.h"

namespace lectra {

// Draws the line without one trailing space in `rect`: in pieces of a word and its
// space, each placed so that the line fills the width, when "JUSTIFY" is on, the line has two
// words or more and two pixels or more to spare; otherwise whole and left-aligned.
void JustifyAndDrawLine(const Layout& layout, const DrawContext& dc, const LineRecord& record,
                        PixelRect rect);

}  // namespace lectra
