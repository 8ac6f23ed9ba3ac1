// The jump history: the last 64 reading positions left by jumps, newest first.
#pragma once
#include <cstdint>

#include "document/document.h"

namespace lectra {

// Each jump changes PageStart only; the window lays the page out and paints it.
// Moves `pos` back to the nearest space or paragraph mark, records the jump and goes there.
void JumpTo(Document& doc, int32_t pos);
void JumpBack(Document& doc);
void JumpForward(Document& doc);

}  // namespace lectra
