// The rectangles of the page: the page itself, the status line, the progress bar and the text
// area inside the margins, for a window of a given size.
#pragma once
#include "layout/layout.h"

namespace lectra {

// The rectangles for a window of `windowWidth` × `windowHeight` at the top left of a screen
// `screenWidth` wide, with "ROTATE_SCREEN", the margins and the visibility settings of the mode
// `fullScreen` (0 or 1), and a status line of `statusFontHeight` + 1 pixels.
PageGeometry ComputePageGeometry(const Settings& settings, int windowWidth, int windowHeight,
                                 int screenWidth, int statusFontHeight, int fullScreen);

}  // namespace lectra
