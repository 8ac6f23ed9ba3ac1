// The picture services made with Qt's image reader.
#pragma once
#include "platform/image.h"

namespace lectra {

// The table to hand to the layout. Needs the GUI platform started (StartGuiPlatform).
const ImageServices& QtImageServices();

}  // namespace lectra
