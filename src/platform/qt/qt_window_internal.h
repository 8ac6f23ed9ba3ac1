// What the Qt layer's own parts share about the main window: a message sent to its procedure.
#pragma once
#include <cstdint>

namespace lectra {

// Nothing happens when the window does not exist.
void SendToMainWindow(uint32_t message, uintptr_t wParam, intptr_t lParam);

}  // namespace lectra
