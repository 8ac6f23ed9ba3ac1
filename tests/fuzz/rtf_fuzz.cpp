// Fuzz target: bytes as RTF in several code pages, read in order and back to front cold.
#include "fuzz_support.h"

using namespace lectra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int codePages[] = {kCodePageAuto, 1251, 1252, 866, kCodePageUtf8};
    // RTF always opens.
    fuzz::Check(
        fuzz::ReadBothWays(data, size, ".rtf", codePages[data[0] % 5], kTxtDetectParagraph));
    return 0;
}
