// The PalmDOC decoder: each kind of control byte, and the limits that end a malformed record.
#include "document/formats/palmdoc_decompress.h"

#include <gtest/gtest.h>

#include <string>

namespace lectra {
namespace {

// Decodes `src` into a buffer of `capacity` bytes, returning exactly what was written.
std::string Decode(const std::string& src, uint32_t capacity = 4096) {
    std::string out(capacity, '\x55');
    const uint32_t n = PalmDocDecompress(reinterpret_cast<const uint8_t*>(src.data()),
                                         static_cast<uint32_t>(src.size()),
                                         reinterpret_cast<uint8_t*>(out.data()), capacity);
    EXPECT_LE(n, capacity);
    out.resize(n);
    return out;
}

// A back-reference: distance (1–2047) and length (3–10) in two bytes.
std::string Ref(uint32_t distance, uint32_t length) {
    const uint32_t v = 0x8000 | (distance << 3) | (length - 3);
    return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
}

TEST(PalmDocDecompress, LiteralsRunsAndSpacePairs) {
    EXPECT_EQ(Decode(std::string("\x00\x09"
                                 "A\x7F",
                                 4)),
              std::string("\x00\x09"
                          "A\x7F",
                          4));
    // 1–8: that many bytes taken as they are, high and control bytes included.
    EXPECT_EQ(Decode("\x03x\x80\xFF"
                     "b"),
              "x\x80\xFF"
              "b");
    EXPECT_EQ(Decode("\x08"
                     "12345678"
                     "9"),
              "123456789");
    // 0xC0–0xFF: a space and the byte with its top bit cleared.
    EXPECT_EQ(Decode("a\xC1\xE2"), "a A b");
}

TEST(PalmDocDecompress, BackReferencesUpToTheDistanceLimit) {
    EXPECT_EQ(Decode("abc" + Ref(3, 3)), "abcabc");
    EXPECT_EQ(Decode("abc" + Ref(3, 10)), "abcabcabcabca");  // overlapping the bytes being written
    EXPECT_EQ(Decode("a" + Ref(1, 10)), std::string(11, 'a'));
    // The farthest reference reaches back 2047 bytes.
    std::string literal;
    for (int i = 0; i < 2047; ++i) literal += static_cast<char>('0' + i % 64);
    const std::string out = Decode(literal + Ref(2047, 5));
    ASSERT_EQ(out.size(), 2052u);
    EXPECT_EQ(out.substr(2047), literal.substr(0, 5));
}

TEST(PalmDocDecompress, MalformedInputEndsTheRecordKeepingWhatCameBefore) {
    EXPECT_EQ(Decode("ab" + Ref(3, 3) + "cd"), "ab");  // before the record's start
    EXPECT_EQ(Decode("ab" + Ref(0, 3) + "cd"), "ab");  // distance 0 names no byte yet written
    EXPECT_EQ(Decode("ab\x80"), "ab");                 // the reference's second byte is missing
    EXPECT_EQ(Decode("\x05"
                     "ab"),
              "ab");                                 // a literal run cut by the input's end
    EXPECT_EQ(Decode("abc" + Ref(3, 4), 6), "abc");  // a reference past the capacity
    EXPECT_EQ(Decode("\x04"
                     "abcd"
                     "e",
                     2),
              "ab");                      // a literal run stops at the capacity
    EXPECT_EQ(Decode("x\xC1", 2), "x ");  // only the space of a pair fits
    EXPECT_EQ(Decode("abc", 0), "");
    EXPECT_EQ(Decode(""), "");
}

}  // namespace
}  // namespace lectra
