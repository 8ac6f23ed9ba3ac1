// Time: the monotonic tick count in milliseconds, sleeping, the local time.
#pragma once
#include <cstdint>

namespace lectra {

// Milliseconds since an arbitrary start; wraps like a 32-bit tick counter.
uint32_t TickCount();
void SleepMs(uint32_t milliseconds);

// The local time of day, and the local date.
void LocalTime(int* hour, int* minute);
void LocalDate(int* year, int* month, int* day);
// Milliseconds since this process started (from the kernel's start time, so the loading of
// libraries counts); −1 when unknown.
int64_t MillisecondsSinceProcessStart();

}  // namespace lectra
