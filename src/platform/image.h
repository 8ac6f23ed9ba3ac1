// The platform's picture services as the reader sees them: the size a picture's header declares,
// a decode at the size it is drawn, and drawing into the page surface. No decoder of our own.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/draw.h"

namespace lectra {

struct PlatformImage;  // opaque; made and released only through ImageServices

// A picture of more pixels than this is never decoded: its header may lie, and a true one would
// not fit the memory the reader allows itself.
constexpr int64_t kMaxPicturePixels = 100'000'000;

struct ImageServices {
    // The width and height that the header of `bytes` declares, read without decoding the
    // picture; 0 when the bytes are no picture the platform knows or declare more than
    // kMaxPicturePixels.
    int (*readSize)(const uint8_t* bytes, size_t size, int* width, int* height);
    // The picture decoded at width × height; null when it cannot be (damaged, truncated, lying
    // about its size, too large).
    PlatformImage* (*decode)(const uint8_t* bytes, size_t size, int width, int height);
    void (*release)(PlatformImage* image);
    // Draws the picture into `rect` of the surface.
    void (*draw)(PlatformSurface* surface, const PlatformImage* image, PixelRect rect);
};

}  // namespace lectra
