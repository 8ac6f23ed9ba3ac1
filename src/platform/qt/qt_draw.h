// The drawing services made with Qt: fonts, measuring with a width cache, the 32-bit page surface.
#pragma once
#include "platform/draw.h"

namespace lectra {

// The table to hand to the layout. Needs the GUI platform started (StartGuiPlatform).
const DrawServices& QtDrawServices();

}  // namespace lectra
