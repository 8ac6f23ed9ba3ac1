// Where each unit of a laid-out line is painted: the one description of how PaintLines places a
// line (font, alignment, spread gaps, emphasis runs), shared by the painter, the tap and the mark.
#pragma once
#include <vector>

#include "layout/layout.h"

namespace lectra {

// How a text line is drawn.
enum class LineDrawing {
    kLeft,           // whole, from the left edge
    kRight,          // whole, ending at the right edge
    kCentred,        // whole, centred, in the text font
    kTitleFont,      // whole, centred, in the title font on the text lines' baseline
    kJustified,      // without its trailing space, the gaps spread (JustifyAndDrawLine)
    kRunsLeft,       // run by run in the emphasis fonts, without its trailing space
    kRunsRight,      // the same, ending at the right edge
    kRunsJustified,  // run by run, the gaps spread
};

LineDrawing HowLineIsDrawn(const Layout& layout, const LineRecord& line);

// The left edge of every unit that is drawn of the line, in `rect` (the line's rectangle in the
// surface), and the right edge of the last one at the end: one more entry than units drawn. A unit
// ends where the next begins, so a spread gap belongs to the space before it.
std::vector<int> CharacterEdges(const Layout& layout, const LineRecord& line, PixelRect rect);

}  // namespace lectra
