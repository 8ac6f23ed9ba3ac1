// Drawing one line: its spare width spread over the gaps between its words, its emphasised runs
// each in its own font.
#pragma once
#include "layout/layout.h"

namespace lectra {

// Draws the line without one trailing space in `rect`: in pieces of a word and its
// space, each placed so that the line fills the width, when "JUSTIFY" is on, the line has two
// words or more and two pixels or more to spare; otherwise whole and left-aligned.
void JustifyAndDrawLine(const Layout& layout, const DrawContext& dc, const LineRecord& record,
                        PixelRect rect);

// Whether the line has emphasis to draw: styles for each unit, one of them not plain, and not a
// title (titles keep the title font).
bool LineHasEmphasis(const LineRecord& record);
// Draws the line run by run, placed in `rect` as `align` says (left, centre or right), each run
// in the font of its emphasis on the line's baseline, superscripts raised and subscripts
// lowered.
void DrawLineRuns(const Layout& layout, const DrawContext& dc, const LineRecord& record,
                  PixelRect rect, unsigned align);

}  // namespace lectra
