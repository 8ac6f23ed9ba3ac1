// Fuzz target: TCR books: the dictionary, the block index and every raw block expanded.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return lectra::fuzz::FuzzContainer(data, size, ".tcr");
}
