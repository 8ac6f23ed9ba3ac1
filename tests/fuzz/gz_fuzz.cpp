// Fuzz target: .txt.gz books, or (top bit set) raw deflate wrapped with valid check values.
#include <zlib.h>

#include <string>

#include "fuzz_support.h"

namespace {

// The gzip member of a raw deflate stream, or an empty string when the stream does not end
// properly (or inflates beyond what a fuzz run should handle).
std::string WrapDeflate(const uint8_t* data, size_t size) {
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) return {};
    std::string out;
    char buffer[65536];
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    int ret = Z_OK;
    while (ret == Z_OK && out.size() < (8u << 20)) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        ret = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - z.avail_out);
        if (ret == Z_BUF_ERROR) break;
    }
    const size_t used = size - z.avail_in;
    inflateEnd(&z);
    if (ret != Z_STREAM_END) return {};
    std::string gz("\x1F\x8B\x08\x00\x00\x00\x00\x00\x00\x03", 10);
    gz.append(reinterpret_cast<const char*>(data), used);
    const uLong crc =
        crc32(0, reinterpret_cast<const Bytef*>(out.data()), static_cast<uInt>(out.size()));
    for (uint32_t v : {static_cast<uint32_t>(crc), static_cast<uint32_t>(out.size())}) {
        for (int i = 0; i < 4; ++i) gz += static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    return gz;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    if (!(data[0] & 0x80)) return lectra::fuzz::FuzzContainer(data, size, ".txt.gz");
    const std::string gz = WrapDeflate(data + 1, size - 1);
    if (gz.empty()) return 0;
    const std::string input = static_cast<char>(data[0] & 0x7F) + gz;
    return lectra::fuzz::FuzzContainer(reinterpret_cast<const uint8_t*>(input.data()), input.size(),
                                       ".txt.gz");
}
