// Time: the monotonic tick count in milliseconds and sleeping.
#pragma once
#include <cstdint>

namespace lectra {

// Milliseconds since an arbitrary start; wraps like a 32-bit tick counter.
uint32_t TickCount();
void SleepMs(uint32_t milliseconds);

}  // namespace lectra
