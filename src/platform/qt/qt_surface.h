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
};

}  // namespace lectra
