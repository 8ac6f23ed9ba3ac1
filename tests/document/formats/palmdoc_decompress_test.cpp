// The PalmDOC decoder: each kind of control byte, and the limits that end a malformed record.
#include "document/formats/palmdoc_decompress.h"

#include <gtest/gtest.h>

#include <string>

namespace lectra {
namespace {

// A back-reference: distance (1–2047) and length (3–10) in two bytes.
std::string Ref(uint32_t distance, uint32_t length) {
    const uint32_t v = 0x8000 | (distance << 3) | (length - 3);
    return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
}

TEST(PalmDocDecompress, EveryControlByteAndTheLimitsOfAMalformedRecord) {
    std::string far;  // 2047 bytes, then the farthest reference
    for (int i = 0; i < 2047; ++i) far += static_cast<char>('0' + i % 64);
    const struct {
        std::string in;
        uint32_t capacity;
        std::string out;
    } cases[] = {
        {std::string("\x00\x09\x41\x7F", 4), 4096, std::string("\x00\x09\x41\x7F", 4)},
        // 1–8: that many bytes taken as they are, high and control bytes included.
        {"\x03x\x80\xFF\x62", 4096, "x\x80\xFF\x62"},
        {std::string(1, 8) + "123456789", 4096, "123456789"},
        {"a\xC1\xE2", 4096, "a A b"},  // 0xC0–0xFF: a space and the byte without its top bit
        {"abc" + Ref(3, 3), 4096, "abcabc"},
        {"abc" + Ref(3, 10), 4096, "abcabcabcabca"},  // overlapping the bytes being written
        {"a" + Ref(1, 10), 4096, std::string(11, 'a')},
        {far + Ref(2047, 5), 4096, far + far.substr(0, 5)},
        // Malformed input ends the record, keeping what came before.
        {"ab" + Ref(3, 3) + "cd", 4096, "ab"},   // before the record's start
        {"ab" + Ref(0, 3) + "cd", 4096, "ab"},   // distance 0 names no byte yet written
        {"ab\x80", 4096, "ab"},                  // the reference's second byte is missing
        {std::string(1, 5) + "ab", 4096, "ab"},  // a literal run cut by the input's end
        {"abc" + Ref(3, 4), 6, "abc"},           // a reference past the capacity
        {std::string(1, 4) + "abcde", 2, "ab"},  // a literal run stops at the capacity
        {"x\xC1", 2, "x "},                      // only the space of a pair fits
        {"abc", 0, ""},
        {"", 4096, ""},
    };
    for (const auto& c : cases) {
        std::string out(c.capacity, '\x55');
        const uint32_t n = PalmDocDecompress(reinterpret_cast<const uint8_t*>(c.in.data()),
                                             static_cast<uint32_t>(c.in.size()),
                                             reinterpret_cast<uint8_t*>(out.data()), c.capacity);
        ASSERT_LE(n, c.capacity) << c.out;
        EXPECT_EQ(out.substr(0, n), c.out);
    }
}

}  // namespace
}  // namespace lectra
