// Fuzz target: ZIP archives: the end records, the directory, the entry and reads through it.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return lectra::fuzz::FuzzContainer(data, size, ".zip");
}
