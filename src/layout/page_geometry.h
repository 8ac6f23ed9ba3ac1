// The rectangles of the page: the page itself, the status line, the progress bar and the text
// area inside the margins, for a window of a given size.
#pragma once
#include "layout/layout.h"

namespace lectra {

constexpr int kProgressThickness = 4;

struct PageGeometry {
    int pageWidth = 0;  // in the page's own, unrotated frame
    int pageHeight = 0;
    int x0 = 0;  // where the page is painted in the surface (right of the screen area
                 // when the page is turned afterwards)
    int progressVisible = 0;
    PixelRect pageRect;
    PixelRect statusRect;
    PixelRect progressRect;
    PixelRect textRect;
};

// The rectangles for a window of `windowWidth` × `windowHeight` at the top left of a screen
// `screenWidth` wide, with "ROTATE_SCREEN", the margins and the visibility settings of the mode
// `fullScreen` (0 or 1), and a status line of `statusFontHeight` + 1 pixels.
PageGeometry ComputePageGeometry(const Settings& settings, int windowWidth, int windowHeight,
                                 int screenWidth, int statusFontHeight, int fullScreen);

}  // namespace lectra
