// Fuzz target: PalmDOC and zTXT databases, every record decoded.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return lectra::fuzz::FuzzContainer(data, size, ".pdb");
}
