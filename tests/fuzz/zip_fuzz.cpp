// Fuzz target: ZIP archives named .zip: the end records and the directory, the choice of the
// entry, its access points and ranges read through them, under a code page and paragraph mode
// picked by the first byte.
#include "container_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return lectra::fuzz::FuzzContainer(data, size, ".zip");
}
