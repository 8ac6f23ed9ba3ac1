// The checked byte view every reader reads its headers and tables through.
#include "document/formats/file_bytes.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace lectra {
namespace {

TEST(ByteReader, ReadsBothByteOrdersAndNothingPastTheEnd) {
    const uint8_t bytes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09};
    ByteReader r = ByteView(bytes, sizeof bytes);
    EXPECT_EQ(ReadU8(r, 8), 0x09u);
    EXPECT_EQ(ReadLe16(r, 1), 0x0302u);
    EXPECT_EQ(ReadBe16(r, 1), 0x0203u);
    EXPECT_EQ(ReadLe32(r, 5), 0x09080706u);
    EXPECT_EQ(ReadBe32(r, 0), 0x01020304u);
    EXPECT_EQ(ReadLe64(r, 1), 0x0908070605040302u);
    EXPECT_TRUE(r.ok);

    // A number that would take one byte beyond the end reads as 0, and the view stays failed
    // through later reads that lie inside, so that one test at the end of a record is enough.
    EXPECT_EQ(ReadLe32(r, 6), 0u);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(ReadU8(r, 0), 0x01u);
    EXPECT_FALSE(r.ok);

    // Offsets and lengths from a file may be anything: none wraps round to a place inside.
    ByteReader far = ByteView(bytes, sizeof bytes);
    EXPECT_EQ(ReadBe16(far, SIZE_MAX), 0u);
    EXPECT_EQ(ByteSpan(far, 2, SIZE_MAX - 1), nullptr);
    EXPECT_FALSE(far.ok);
}

TEST(ByteReader, APartIsCheckedAgainstItsOwnEnd) {
    const uint8_t bytes[] = {0xAA, 0x10, 0x20, 0x30, 0xBB};
    ByteReader r = ByteView(bytes, sizeof bytes);
    ByteReader field = SubBytes(r, 1, 3);
    ASSERT_TRUE(field.ok);
    EXPECT_EQ(ReadLe16(field, 1), 0x3020u);
    // The byte after the part is in the file but not in the part.
    EXPECT_EQ(ReadLe16(field, 2), 0u);
    EXPECT_FALSE(field.ok);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(ReadU8(r, 4), 0xBBu);

    // A part that runs past the end is empty, and fails the view it was cut from.
    ByteReader outside = SubBytes(r, 3, 3);
    EXPECT_FALSE(outside.ok);
    EXPECT_EQ(outside.size, 0u);
    EXPECT_EQ(ReadU8(outside, 0), 0u);
    EXPECT_FALSE(r.ok);
    // An empty part at the very end is fine.
    ByteReader end = ByteView(bytes, sizeof bytes);
    EXPECT_TRUE(SubBytes(end, sizeof bytes, 0).ok);
    EXPECT_TRUE(end.ok);
}

}  // namespace
}  // namespace lectra
