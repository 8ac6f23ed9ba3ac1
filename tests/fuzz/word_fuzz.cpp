// Fuzz target: arbitrary bytes opened as a ".doc" (every Word generation, the compound-file
// reader, and the hand-on to RTF or text), every position read in order, then back to front on a
// cold cache.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"

using namespace lectra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int codePages[] = {kCodePageAuto, kCodePageAuto, 1251, kCodePageUtf16};
    fuzz::ReadBothWays(data, size, ".doc", codePages[data[0] % 4], kTxtDetectParagraph);
    return 0;
}
