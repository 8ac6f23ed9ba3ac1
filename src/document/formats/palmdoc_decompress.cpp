// The PalmDOC decoder: literal runs, space + character pairs and back-references of one record.
#include "document/formats/palmdoc_decompress.h"

namespace lectra {

uint32_t PalmDocDecompress(const uint8_t* src, uint32_t srcLength, uint8_t* dst,
                           uint32_t capacity) {
    uint32_t i = 0, o = 0;
    while (i < srcLength && o < capacity) {
        const uint8_t c = src[i++];
        if (c == 0 || (c >= 9 && c <= 127)) {
            dst[o++] = c;
        } else if (c <= 8) {
            // A run of c literal bytes; an input cut inside it ends the record.
            for (uint32_t k = 0; k < c && o < capacity; ++k) {
                if (i >= srcLength) return o;
                dst[o++] = src[i++];
            }
        } else if (c >= 0xC0) {
            dst[o++] = ' ';
            if (o < capacity) dst[o++] = c & 0x7F;
        } else {
            if (i >= srcLength) break;
            const uint32_t v = (static_cast<uint32_t>(c) << 8) | src[i++];
            const uint32_t distance = (v >> 3) & 0x7FF;
            const uint32_t length = (v & 7) + 3;
            // A distance of 0 would copy the byte being written, which holds nothing yet; it
            // and a reference before the record's start or past the capacity end the record.
            if (distance == 0 || distance > o || length > capacity - o) break;
            for (uint32_t k = 0; k < length; ++k, ++o) dst[o] = dst[o - distance];
        }
    }
    return o;
}

}  // namespace lectra
