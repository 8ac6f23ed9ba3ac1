// PalmDOC and zTXT: the record arithmetic, records too long or out of place, zTXT blocks alone, and
// the PalmDOC decoder's control bytes and the limits that end a malformed record; the checked byte
// view every reader reads its headers and tables through.
#include "document/formats/pdb_reader.h"

#include <gtest/gtest.h>

#include "book_builders.h"
#include "document/format_table.h"
#include "document/formats/file_bytes.h"
#include "document/formats/palmdoc_decompress.h"

namespace lectra {
namespace {

using test::BuildPdb;
using test::Open;
using test::PalmDocHeader;
using test::RawBytes;

TEST(PdbReader, RawBlocksFollowTheRecordArithmeticAcrossRecords) {
    test::ScratchDir dir;
    test::OpenedBook doc;
    doc->txtParagraphMode = kTxtPlainAsIs;
    // Records of 3000 bytes: "A…", a short "B…", "C…", "D…"; all four are text.
    const std::string a(3000, 'A'), b(1000, 'B'), c(3000, 'C'), d(3000, 'D'), gap(2000, '\0');
    const auto open = [&](uint32_t textRecords) {
        const std::string file =
            BuildPdb("TEXtREAd", PalmDocHeader(1, textRecords, 3000), {a, b, c, d});
        ASSERT_EQ(Open(*doc, dir.Write("r.pdb", file), 1251), 1);
        ASSERT_EQ(doc->sourceSize, textRecords * 3000u);
    };
    open(4);
    // Raw block 0 runs through records 0 and 1 into record 2; block 1 starts inside record 2.
    // Read back to front so that each raw block is produced cold, from its own first record.
    std::string raw(12000, '\0');
    for (int i = 11999; i >= 0; --i) raw[i] = static_cast<char>(ReadSourceByte(*doc, i));
    EXPECT_EQ(raw, a + b + gap + c + d);
    // In the stream the short record's missing bytes are spaces.
    const std::u16string text = test::ReadAll(*doc);
    ASSERT_EQ(text.size(), 12000u);
    EXPECT_EQ(text.substr(3998, 4), u"BB  ");
    EXPECT_EQ(text.substr(5998, 4), u"  CC");

    // Record 0 counts two text records: the records after them are not text.
    open(2);
    EXPECT_EQ(RawBytes(*doc), a + b + gap);
}

TEST(PdbReader, Compression257IsStoredLongRecordsAreCutAndBrokenOffsetsReadAsEmpty) {
    test::ScratchDir dir;
    test::OpenedBook doc;
    const std::string text = "Stored text in two records of eight.";
    ASSERT_EQ(Open(*doc, dir.Write("s.pdb", test::StoredPalmDoc(text, 8, 257)), 1251), 1);
    EXPECT_EQ(doc->formatKind, kKindPalmDoc);
    EXPECT_EQ(RawBytes(*doc).substr(0, text.size()), text);
    // A stored record longer than the record size: only recordSize bytes of it count.
    std::string file = BuildPdb("TEXtREAd", PalmDocHeader(1, 2, 4), {"abcdefgh", "ijkl"});
    ASSERT_EQ(Open(*doc, dir.Write("long.pdb", file), 1251), 1);
    EXPECT_EQ(RawBytes(*doc), "abcdijkl");

    // Text record 1's offset points back into the header, text record 2's past the end of the
    // file. Text record 0 then runs backwards to the next offset and text record 2 lies outside:
    // both are empty. Text record 1 reads up to the record size; text record 3 is intact.
    file = BuildPdb("TEXtREAd", PalmDocHeader(1, 4, 4), {"1111", "2222", "3333", "4444"});
    const uint32_t first = 78 + 8 * 5 + 2 + 16;
    file.replace(78 + 16, 4, test::Be(first - 40, 4));
    file.replace(78 + 24, 4, test::Be(0x7FFFFFF0u, 4));
    ASSERT_EQ(Open(*doc, dir.Write("broken.pdb", file), 1251), 1);
    const std::string zeros(4, '\0');
    EXPECT_EQ(RawBytes(*doc), zeros + file.substr(first - 40, 4) + zeros + "4444");
}

TEST(PdbReader, ACompressedRecordLongerThanTheRecordSizeIsReadWhole) {
    // txt2pdbdoc spends two bytes on most bytes above 127 that it cannot pair with a space, so a
    // record of such text is stored in more than the record size; cutting it there would lose
    // the record's end.
    test::ScratchDir dir;
    std::string text;
    for (uint32_t i = 0, x = 1; i < 8192; ++i) {
        x = x * 1103515245 + 12345;
        text += (x >> 16) % 10 ? static_cast<char>(0xC0 + (x >> 8) % 64) : ' ';
    }
    dir.Write("high.txt", text);
    test::Run("cd '" + dir.path() + "' && txt2pdbdoc high high.txt high.pdb");
    test::OpenedBook doc;
    ASSERT_EQ(Open(*doc, dir.path() + "/high.pdb", 1251), 1);
    ASSERT_EQ(doc->formatKind, kKindPalmDocCompressed);
    EXPECT_GT(PdbOf(*doc)->records[0].length, PdbOf(*doc)->recordSize);
    EXPECT_EQ(RawBytes(*doc), text);
}

TEST(PdbReader, ZtxtRecordsDecodeAloneAndTheLastKeepsItsOutput) {
    test::ScratchDir dir;
    std::string text;
    for (int i = 0; text.size() < 5000; ++i) text += "word" + std::to_string(i) + " ";
    std::string file = test::Ztxt(text, 1024);
    test::OpenedBook doc;
    ASSERT_EQ(Open(*doc, dir.Write("z.pdb", file), 1251), 1);
    ASSERT_EQ(doc->formatKind, kKindZtxt1);
    const uint32_t records = static_cast<uint32_t>(PdbOf(*doc)->records.size());
    ASSERT_EQ(records, 5u);
    // Each record on its own, last first: the last one ends the zlib stream.
    for (uint32_t r = records; r-- > 0;) {
        const uint32_t n = InflateZtxtRecord(*doc, r);
        const auto* out = reinterpret_cast<const char*>(PdbOf(*doc)->outBuf.data());
        EXPECT_EQ(std::string(out, n), text.substr(r * 1024, 1024)) << r;
    }
    EXPECT_EQ(InflateZtxtRecord(*doc, records), 0u);
    EXPECT_EQ(RawBytes(*doc).substr(0, text.size()), text);

    // A corrupt middle record reads as zeros; its neighbours are untouched. Text record 2 is
    // database record 3; its list entry's offset fits in the low two bytes.
    const uint32_t record2 =
        static_cast<uint8_t>(file[78 + 24 + 2]) << 8 | static_cast<uint8_t>(file[78 + 24 + 3]);
    file.replace(record2, 16, std::string(16, '\xFF'));
    ASSERT_EQ(Open(*doc, dir.Write("bad.pdb", file), 1251), 1);
    std::string expected = text;
    expected.replace(2048, 1024, std::string(1024, '\0'));
    EXPECT_EQ(RawBytes(*doc).substr(0, text.size()), expected);
}

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
