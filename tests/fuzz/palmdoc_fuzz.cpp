// Fuzz target: the PalmDOC decoder into buffers of exactly the capacity given.
#include "document/formats/palmdoc_decompress.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint32_t capacity = (static_cast<uint32_t>(data[0]) << 8 | data[1]) % 8193;
    const uint32_t length = static_cast<uint32_t>(size - 2);
    std::unique_ptr<uint8_t[]> src(new uint8_t[length]);
    for (uint32_t i = 0; i < length; ++i) src[i] = data[2 + i];
    for (uint32_t cap : {capacity, 4096u}) {
        std::unique_ptr<uint8_t[]> out(new uint8_t[cap ? cap : 1]);
        const uint32_t n = lectra::PalmDocDecompress(src.get(), length, out.get(), cap);
        // Every input byte yields at most two output bytes, or ten for a two-byte reference.
        lectra::fuzz::Check(n <= cap && n <= 5 * static_cast<uint64_t>(length) + 8);
    }
    return 0;
}
