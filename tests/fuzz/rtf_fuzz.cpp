// Fuzz target: arbitrary bytes opened as RTF in several code pages; every position read in order,
// then back to front on a cold cache, which must give the same units (the filter's state at each
// block boundary is all that a block decoded alone knows).
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"

using namespace lectra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int codePages[] = {kCodePageAuto, 1251, 1252, 866, kCodePageUtf8};
    if (!fuzz::ReadBothWays(data, size, ".rtf", codePages[data[0] % 5], kTxtDetectParagraph)) {
        __builtin_trap();  // RTF always opens
    }
    return 0;
}
