// Fuzz target: bytes as a ".doc" of any generation, read in order and back to front cold.
#include "fuzz_support.h"

using namespace lectra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int codePages[] = {kCodePageAuto, kCodePageAuto, 1251, kCodePageUtf16};
    fuzz::ReadBothWays(data, size, ".doc", codePages[data[0] % 4], kTxtDetectParagraph);
    return 0;
}
