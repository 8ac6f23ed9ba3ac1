// The drawing services made with Qt: fonts, measuring with a width cache, the 32-bit page surface.
#pragma once
#include <string>

#include "platform/draw.h"

namespace lectra {

// The table to hand to the layout. Needs the GUI platform started (StartGuiPlatform).
const DrawServices& QtDrawServices();

// Writes the rectangle 0, 0, width, height of the surface to a PNG file. Returns 1, or 0 when the
// rectangle is empty or larger than the surface or the file cannot be written.
int WriteSurfacePng(PlatformSurface* surface, int width, int height, const std::u16string& path);

}  // namespace lectra
