// Fuzz target: bytes as plain text in several encodings, read in order and back to front cold.
#include "fuzz_support.h"

using namespace lectra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int codePages[] = {kCodePageAuto, 1251, kCodePageUtf8, kCodePageUtf16, 20866, 12345};
    // The HTML mode belongs to the markup target.
    fuzz::ReadBothWays(data, size, ".txt", codePages[data[0] % 6], (data[0] / 6) % 2);
    return 0;
}
