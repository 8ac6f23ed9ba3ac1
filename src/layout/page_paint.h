// Painting the page into the off-screen surface: background, the clock under the text, the status
// line, the progress bar and the text lines, then the turn for a rotated screen.
#pragma once
#include "document/document.h"
#include "layout/layout.h"

namespace lectra {

// What the platform reports for the status line: local time and power.
struct StatusSources {
    int hour = 0;
    int minute = 0;
    int batteryPercent = 100;
    int onMains = 1;
};

// Fills layout.status from the sampled sources and the reading progress of `doc` (null or an
// empty book: 0 percent, page 0 of 0).
void UpdateStatusSnapshot(Layout& layout, const Document* doc, const StatusSources& sources);

// Makes the page surface when it is missing, of another size, or of the wrong mask set
// ("DELETE_CT" on and ClearType of the active profile off wants the alternate set); the surface is
// (M + W) × M for a screen W × H with M the larger of the two: room for the screen area and, right
// of it, a page of either orientation. Returns 0 when none could be made; a side of 0 or beyond
// 8192 pixels is refused and leaves the surface held as it is.
int EnsurePageSurface(Layout& layout, int screenWidth, int screenHeight);
// The largest side of a screen that the surface can serve.
constexpr int kMaxScreenSide = 8192;
void ReleasePageSurface(Layout& layout);

// Paints everything into layout.surface from layout.pageLines (laid out before), the geometry,
// the status snapshot and the colours of the active profile, then turns the picture for
// "ROTATE_SCREEN". Does not touch the window. `doc` is null when no book is open: the logo is
// painted instead of text. The screen area of the surface (0, 0, window width, window height)
// then holds what the window shows. A surface of the wrong mask set is made again at its size;
// without a surface nothing is painted. The page lines are left as they were, so painting twice
// gives the same picture.
void PaintPage(Layout& layout, const Document* doc);
// The same paint into another surface of the same size and mask set (the smooth autoscroll's
// next frame); the layout is only read.
void PaintPageInto(const Layout& layout, const Document* doc, PlatformSurface* surface);

}  // namespace lectra
