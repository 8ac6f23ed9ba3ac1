// The page surface as the Qt layer holds it: shared by the drawing services and the window that
// shows it.
#pragma once
#include <QImage>
#include <QPainter>
#include <memory>

#include "platform/draw.h"

namespace lectra {

// The interface thread draws into it, except while the smooth-autoscroll worker has been handed
// the frame to prepare; the two never draw at once.
struct PlatformSurface {
    QImage image;
    int maskSet = kMaskSet565;
    // Open while drawing goes on, like a device context with the surface selected; closed before
    // the pixels are read or shown.
    std::unique_ptr<QPainter> painter;
    // On a screen of more device pixels than logical ones everything drawn is drawn a second time
    // into `fine`, at the screen's resolution, over the screen area of the surface (its top left,
    // `fine`'s device pixel ratio giving the logical size). The layer above works on `image`
    // alone; `fine` is shown while its picture holds everything: the pixels handed out by
    // surfacePixels may be changed behind it (a page turned, a frame slid), and then it is shown
    // again only from the next fill of the whole area on.
    QImage fine;
    std::unique_ptr<QPainter> finePainter;
    int fineWidth = 0;  // logical pixels of `fine`'s area
    int fineHeight = 0;
    int fineValidWidth = 0;  // the area from the top left that `fine` holds the picture of
    int fineValidHeight = 0;
};

// A colour reference cut to the depth of the mask set, as 0x00RRGGBB.
uint32_t QuantiseColour(uint32_t colour, int maskSet);

// The painters of the surface and of its fine picture (null at a device pixel ratio of 1), open
// until the pixels are next asked for.
QPainter& SurfacePainter(PlatformSurface* surface);
QPainter* SurfaceFinePainter(PlatformSurface* surface);

// Draws width × height of the surface from its top left at `to` with `p`: at the screen's
// resolution when the surface holds that picture finely, else its logical pixels as they are.
void DrawSurfaceArea(QPainter& p, QPoint to, PlatformSurface* surface, int width, int height);

}  // namespace lectra
