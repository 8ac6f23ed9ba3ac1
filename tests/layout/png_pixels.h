// Reading the pixels of a PNG file written by the program, so that pictures are compared by their
// pixels and not by the bytes of one encoder's output.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace lectra::test {

struct PngPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB, row after row; empty when the file is not read
};

// 8-bit RGB or RGBA, not interlaced: what the program writes. Anything else reads as empty.
inline PngPixels ReadPng(const std::string& bytes) {
    PngPixels out;
    auto be32 = [&](size_t at) {
        return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) << 24 |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 16 |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 8 |
               static_cast<uint8_t>(bytes[at + 3]);
    };
    if (bytes.size() < 8 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return out;
    int channels = 0;
    std::string compressed;
    for (size_t at = 8; at + 12 <= bytes.size();) {
        const uint32_t length = be32(at);
        if (length > bytes.size() - at - 12) return out;
        const std::string kind = bytes.substr(at + 4, 4);
        const size_t data = at + 8;
        if (kind == "IHDR" && length >= 13) {
            out.width = static_cast<int>(be32(data));
            out.height = static_cast<int>(be32(data + 4));
            const int depth = bytes[data + 8], type = bytes[data + 9], interlace = bytes[data + 12];
            channels = type == 2 ? 3 : type == 6 ? 4 : 0;
            if (depth != 8 || interlace != 0 || out.width <= 0 || out.height <= 0 ||
                out.width > 8192 || out.height > 8192) {
                channels = 0;
            }
        } else if (kind == "IDAT") {
            compressed.append(bytes, data, length);
        }
        at = data + length + 4;
    }
    if (!channels) return {};
    const size_t row = static_cast<size_t>(out.width) * channels;
    std::vector<uint8_t> raw((row + 1) * static_cast<size_t>(out.height));
    uLongf rawSize = raw.size();
    if (uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(compressed.data()),
                   compressed.size()) != Z_OK ||
        rawSize != raw.size()) {
        return {};
    }
    std::vector<uint8_t> prior(row, 0), line(row);
    for (int y = 0; y < out.height; ++y) {
        const uint8_t* in = &raw[static_cast<size_t>(y) * (row + 1)];
        const int filter = in[0];
        for (size_t i = 0; i < row; ++i) {
            const int a = i >= static_cast<size_t>(channels) ? line[i - channels] : 0;
            const int b = prior[i];
            const int c = i >= static_cast<size_t>(channels) ? prior[i - channels] : 0;
            int predicted = 0;
            if (filter == 1) predicted = a;
            if (filter == 2) predicted = b;
            if (filter == 3) predicted = (a + b) / 2;
            if (filter == 4) {
                const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b),
                          pc = std::abs(p - c);
                predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            }
            if (filter > 4) return {};
            line[i] = static_cast<uint8_t>(in[1 + i] + predicted);
        }
        for (int x = 0; x < out.width; ++x) {
            const uint8_t* p = &line[static_cast<size_t>(x) * channels];
            const uint32_t alpha = channels == 4 ? p[3] : 0xFF;
            out.pixels.push_back(alpha << 24 | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2]);
        }
        prior = line;
    }
    return out;
}

}  // namespace lectra::test
