// Fuzz target: gzip files named .txt.gz: the header, the access-point index and ranges read through
// it, under a code page and paragraph mode picked by the first byte.
#include "container_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return lectra::fuzz::FuzzContainer(data, size, ".txt.gz");
}
