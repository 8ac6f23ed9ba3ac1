// Fuzz target: arbitrary bytes opened as plain text in a single-byte code page, UTF-8 and UTF-16,
// every position read in order, then back to front on a cold cache.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"

using namespace lectra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int codePages[] = {kCodePageAuto, 1251, kCodePageUtf8, kCodePageUtf16, 20866, 12345};
    // The HTML mode belongs to the markup target.
    fuzz::ReadBothWays(data, size, ".txt", codePages[data[0] % 6], (data[0] / 6) % 2);
    return 0;
}
