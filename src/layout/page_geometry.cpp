// The rectangles of the page: the page itself, the status line, the progress bar and the text
// area inside the margins, for a window of a given size.
#include "layout/page_geometry.h"

namespace lectra {

PageGeometry ComputePageGeometry(const Settings& s, int windowWidth, int windowHeight,
                                 int screenWidth, int statusFontHeight, int fullScreen) {
    PageGeometry g;
    const int mode = fullScreen ? 1 : 0;
    const bool quarterTurn = s.rotateScreen == 900 || s.rotateScreen == 2700;
    g.pageWidth = quarterTurn ? windowHeight : windowWidth;
    g.pageHeight = quarterTurn ? windowWidth : windowHeight;
    g.screenWidth = screenWidth;
    g.x0 = s.rotateScreen != 0 ? screenWidth : 0;
    const int left = g.x0, right = g.x0 + g.pageWidth;
    g.pageRect = {left, 0, right, g.pageHeight};
    g.statusVisible = s.visibleStatus[mode] != 0;
    const int statusTop = g.statusVisible ? g.pageHeight - statusFontHeight - 1 : g.pageHeight;
    g.statusRect = {left, statusTop, right, g.pageHeight};

    int rightLimit = right;
    int bottomLimit = statusTop;
    g.progressVisible = s.visibleProgress[mode] != 0;
    if (g.progressVisible) {
        if (s.modeProgress == 0) {
            g.progressRect = {left, statusTop - kProgressThickness, right, statusTop};
            bottomLimit = statusTop - kProgressThickness;
        } else {
            // Any mode but 0 runs the bar down the right edge.
            g.progressRect = {right - kProgressThickness, 0, right, statusTop};
            rightLimit = right - kProgressThickness;
        }
    }
    g.textRect = {left + s.marginLeft, s.marginTop, rightLimit - s.marginRight,
                  bottomLimit - s.marginBottom};
    return g;
}

}  // namespace lectra
