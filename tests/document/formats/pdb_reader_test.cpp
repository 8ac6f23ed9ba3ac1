// PalmDOC and zTXT books: real books from independent writers, the record arithmetic of the raw
// stream, and the refusal of malformed databases.
#include "document/formats/pdb_reader.h"

#include <gtest/gtest.h>

#include "book_builders.h"
#include "document/format_table.h"

namespace lectra {
namespace {

using test::Open;
using test::ScratchDir;

struct RealBook {
    const char* file;
    int kind;
    int codePage;        // forced, or kCodePageAuto to check that detection picks 1251
    const char* source;  // the words it must hold, from the UTF-8 source text
    int copies;
};

TEST(PdbReader, BooksFromIndependentWritersReadWordForWord) {
    const RealBook books[] = {
        {"ru-txt2pdbdoc.pdb", kKindPalmDocCompressed, kCodePageAuto, "ru.txt", 1},
        {"ru-txt2pdbdoc-nocomp.pdb", kKindPalmDoc, kCodePageAuto, "ru.txt", 1},
        {"ru3-txt2pdbdoc.pdb", kKindPalmDocCompressed, kCodePageAuto, "ru.txt", 3},
        {"ru-calibre-doc.pdb", kKindPalmDocCompressed, kCodePageAuto, "ru.txt", 1},
        {"ru-calibre-ztxt.pdb", kKindZtxt1, kCodePageAuto, "ru.txt", 1},
        {"ru-gen-ztxt.pdb", kKindZtxt1, kCodePageAuto, "ru.txt", 1},
        {"en-txt2pdbdoc.pdb", kKindPalmDocCompressed, 1252, "en.txt", 1},
        {"en-txt2pdbdoc-nocomp.pdb", kKindPalmDoc, 1252, "en.txt", 1},
        {"en-calibre-doc.pdb", kKindPalmDocCompressed, 1252, "en.txt", 1},
        {"en-calibre-ztxt.pdb", kKindZtxt1, 1252, "en.txt", 1},
        {"en-gen-ztxt.pdb", kKindZtxt1, 1252, "en.txt", 3},
    };
    auto doc = NewDocument();
    for (const RealBook& b : books) {
        ASSERT_EQ(Open(*doc, test::Fixture(b.file), b.codePage), 1) << b.file;
        EXPECT_EQ(doc->formatKind, b.kind) << b.file;
        if (b.codePage == kCodePageAuto) {
            EXPECT_EQ(doc->bookCodePage, 1251) << b.file;
        }
        // Every text record stands for recordSize bytes, the last one's tail read as spaces.
        EXPECT_EQ(doc->sourceSize, (doc->pdb->recordCount - 1) * doc->pdb->recordSize) << b.file;
        const std::string source =
            test::ReadBytes(test::Fixture(std::string("source/") + b.source));
        EXPECT_EQ(test::StreamWords(*doc), test::Words(test::Repeat(source, b.copies))) << b.file;
    }
    CloseDocument(*doc);
    EXPECT_EQ(doc->pdb, nullptr);
}

// Records of 3000 bytes: "A…", a short "B…", "C…", "D…".
std::vector<std::string> FourRecords() {
    return {std::string(3000, 'A'), std::string(1000, 'B'), std::string(3000, 'C'),
            std::string(3000, 'D')};
}

TEST(PdbReader, RawBlocksFollowTheRecordArithmeticAcrossRecords) {
    ScratchDir dir;
    auto doc = NewDocument();
    doc->txtParagraphMode = kTxtPlainAsIs;
    const std::string file =
        test::BuildPdb("TEXtREAd", test::PalmDocHeader(1, 4, 3000), FourRecords());
    ASSERT_EQ(Open(*doc, dir.Write("r.pdb", file), 1251), 1);
    EXPECT_EQ(doc->formatKind, kKindPalmDoc);
    ASSERT_EQ(doc->sourceSize, 12000u);
    // Raw block 0 runs through records 0 and 1 into record 2; block 1 starts inside record 2.
    const std::string expected = std::string(3000, 'A') + std::string(1000, 'B') +
                                 std::string(2000, '\0') + std::string(3000, 'C') +
                                 std::string(3000, 'D');
    // Read back to front so that each raw block is produced cold, from its own first record.
    std::string raw(12000, '\0');
    for (int i = 11999; i >= 0; --i) raw[i] = static_cast<char>(ReadSourceByte(*doc, i));
    EXPECT_EQ(raw, expected);
    // In the stream the short record's missing bytes are spaces.
    const std::u16string text = test::ReadAll(*doc);
    ASSERT_EQ(text.size(), 12000u);
    EXPECT_EQ(text.substr(3998, 4), u"BB  ");
    EXPECT_EQ(text.substr(5998, 4), u"  CC");
    CloseDocument(*doc);
}

TEST(PdbReader, ABlockPastTheLastTextRecordKeepsItsFill) {
    ScratchDir dir;
    auto doc = NewDocument();
    // Record 0 counts two text records; the two records after them are not text.
    const std::string file =
        test::BuildPdb("TEXtREAd", test::PalmDocHeader(1, 2, 3000), FourRecords());
    ASSERT_EQ(Open(*doc, dir.Write("r.pdb", file), 1251), 1);
    ASSERT_EQ(doc->sourceSize, 12000u);
    const std::string raw = test::RawBytes(*doc);
    EXPECT_EQ(raw.substr(0, 4000), std::string(3000, 'A') + std::string(1000, 'B'));
    EXPECT_EQ(raw.substr(4000, 2000), std::string(2000, '\0'));
    for (uint32_t i = 6000; i < 8192; ++i) ASSERT_EQ(raw[i], test::PreFill(i)) << i;
    // A block starting inside a later record still decodes that record, then stops.
    EXPECT_EQ(raw.substr(8192, 808), std::string(808, 'C'));
    for (uint32_t i = 9000; i < 12000; ++i) ASSERT_EQ(raw[i], test::PreFill(i)) << i;
    CloseDocument(*doc);
}

TEST(PdbReader, CompressionsOneAnd257AreStoredAndTwoIsPalmDoc) {
    ScratchDir dir;
    auto doc = NewDocument();
    const std::string text = "Stored text in two records of eight.";
    for (uint32_t compression : {1u, 257u}) {
        ASSERT_EQ(Open(*doc, dir.Write("s.pdb", test::StoredPalmDoc(text, 8, compression)), 1251),
                  1);
        EXPECT_EQ(doc->formatKind, kKindPalmDoc);
        EXPECT_EQ(test::RawBytes(*doc).substr(0, text.size()), text);
    }
    // "ab" literally, then a back-reference of length 4 at distance 2, then a space + "c" pair.
    const std::string compressed = std::string("ab") + "\x80\x11" + "\xE3";
    ASSERT_EQ(Open(*doc,
                   dir.Write("c.pdb", test::BuildPdb("TEXtREAd", test::PalmDocHeader(2, 1, 16),
                                                     {compressed})),
                   1251),
              1);
    EXPECT_EQ(doc->formatKind, kKindPalmDocCompressed);
    EXPECT_EQ(test::RawBytes(*doc), std::string("ababab c") + std::string(8, '\0'));
    CloseDocument(*doc);
}

TEST(PdbReader, LongRecordsAreCutAndBrokenOffsetsReadAsEmpty) {
    ScratchDir dir;
    auto doc = NewDocument();
    // A stored record longer than the record size: only recordSize bytes of it count.
    std::string file =
        test::BuildPdb("TEXtREAd", test::PalmDocHeader(1, 2, 4), {"abcdefgh", "ijkl"});
    ASSERT_EQ(Open(*doc, dir.Write("long.pdb", file), 1251), 1);
    EXPECT_EQ(test::RawBytes(*doc), "abcdijkl");

    // Record 2's offset runs backwards, record 3's lies past the end of the file.
    const std::string plain =
        test::BuildPdb("TEXtREAd", test::PalmDocHeader(1, 4, 4), {"1111", "2222", "3333", "4444"});
    const uint32_t first = 78 + 8 * 5 + 2 + 16;
    const std::vector<uint32_t> offsets = {first, first - 40, 0x7FFFFFF0u, first + 12};
    file = test::BuildPdb("TEXtREAd", test::PalmDocHeader(1, 4, 4),
                          {"1111", "2222", "3333", "4444"}, &offsets);
    ASSERT_EQ(file.size(), plain.size());
    ASSERT_EQ(Open(*doc, dir.Write("broken.pdb", file), 1251), 1);
    // Text record 0 runs backwards to the next offset and text record 2 lies past the end of the
    // file: both are empty. Text record 1 (pointing into the header) reads up to the record size,
    // and text record 3 is intact.
    const std::string raw = test::RawBytes(*doc);
    ASSERT_EQ(raw.size(), 16u);
    EXPECT_EQ(raw.substr(0, 4), std::string(4, '\0'));
    EXPECT_EQ(raw.substr(4, 4), file.substr(first - 40, 4));
    EXPECT_EQ(raw.substr(8, 4), std::string(4, '\0'));
    EXPECT_EQ(raw.substr(12, 4), "4444");
    CloseDocument(*doc);
}

TEST(PdbReader, ACompressedRecordLongerThanTheRecordSizeIsReadWhole) {
    // txt2pdbdoc spends two bytes on most bytes above 127 that it cannot pair with a space, so a
    // record of such text is stored in more than the record size; cutting it there would lose
    // the record's end.
    ScratchDir dir;
    std::string text;
    for (uint32_t i = 0, x = 1; i < 8192; ++i) {
        x = x * 1103515245 + 12345;
        text += (x >> 16) % 10 ? static_cast<char>(0xC0 + (x >> 8) % 64) : ' ';
    }
    dir.Write("high.txt", text);
    test::Run("cd '" + dir.path() + "' && txt2pdbdoc high high.txt high.pdb");
    auto doc = NewDocument();
    ASSERT_EQ(Open(*doc, dir.path() + "/high.pdb", 1251), 1);
    ASSERT_EQ(doc->formatKind, kKindPalmDocCompressed);
    EXPECT_GT(doc->pdb->records[0].length, doc->pdb->recordSize);
    EXPECT_EQ(test::RawBytes(*doc), text);
    CloseDocument(*doc);
}

TEST(PdbReader, MalformedDatabasesAreRefusedWithBadFormat) {
    ScratchDir dir;
    const std::string text = "some text";
    std::string truncatedList = test::StoredPalmDoc(text, 4);
    truncatedList.resize(78 + 12);
    std::string farRecord0 = test::StoredPalmDoc(text, 4);
    farRecord0[78] = '\x7F';  // record 0 far beyond the end of the file
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"short header", std::string(50, 'x')},
        {"no records", test::BuildPdb("TEXtREAd", test::PalmDocHeader(1, 0, 4096), {}, nullptr, 0)},
        {"only record 0", test::BuildPdb("TEXtREAd", test::PalmDocHeader(1, 0, 4096), {})},
        {"record size 0", test::BuildPdb("TEXtREAd", test::PalmDocHeader(1, 1, 0), {text})},
        {"compression 3", test::BuildPdb("TEXtREAd", test::PalmDocHeader(3, 1, 4096), {text})},
        {"another creator", test::BuildPdb("TEXtMOBI", test::PalmDocHeader(1, 1, 4096), {text})},
        {"another type", test::BuildPdb("BOOKMOBI", test::PalmDocHeader(1, 1, 4096), {text})},
        {"short record 0", test::BuildPdb("TEXtREAd", "\x00\x01\x00", {})},
        {"record list cut", truncatedList},
        {"record 0 past the end", farRecord0},
    };
    auto doc = NewDocument();
    for (const auto& c : cases) {
        EXPECT_EQ(Open(*doc, dir.Write("bad.pdb", c.bytes), 1251), 0) << c.what;
        EXPECT_EQ(doc->openErrorText, u"Bad Format!") << c.what;
        EXPECT_EQ(doc->pdb, nullptr) << c.what;
        EXPECT_EQ(DocLength(*doc), 0) << c.what;
    }
}

TEST(PdbReader, AZtxtWithoutRandomAccessIsRefusedWithTheOpenersMessage) {
    auto doc = NewDocument();
    EXPECT_EQ(Open(*doc, test::Fixture("en-gen-ztxt-norandom.pdb")), 0);
    EXPECT_EQ(doc->openErrorText, u"Error reading file!");
    EXPECT_EQ(doc->pdb, nullptr);
    // The same book with the flag opens.
    EXPECT_EQ(Open(*doc, test::Fixture("en-gen-ztxt.pdb"), 1252), 1);
    CloseDocument(*doc);
}

TEST(PdbReader, ZtxtRecordsDecodeAloneAndTheLastKeepsItsOutput) {
    ScratchDir dir;
    std::string text;
    for (int i = 0; text.size() < 5000; ++i) text += "word" + std::to_string(i) + " ";
    auto doc = NewDocument();
    ASSERT_EQ(Open(*doc, dir.Write("z.pdb", test::Ztxt(text, 1024)), 1251), 1);
    ASSERT_EQ(doc->formatKind, kKindZtxt1);
    const uint32_t records = static_cast<uint32_t>(doc->pdb->records.size());
    ASSERT_EQ(records, 5u);
    // Each record on its own, last first: the last one ends the zlib stream.
    for (uint32_t r = records; r-- > 0;) {
        const uint32_t n = InflateZtxtRecord(*doc, r);
        const std::string expected = text.substr(r * 1024, 1024);
        ASSERT_EQ(n, expected.size()) << r;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(doc->pdb->outBuf.data()), n), expected)
            << r;
    }
    EXPECT_EQ(InflateZtxtRecord(*doc, records), 0u);
    EXPECT_EQ(test::RawBytes(*doc).substr(0, text.size()), text);

    // A corrupt middle record reads as zeros; its neighbours are untouched.
    std::string file = test::Ztxt(text, 1024);
    // Text record 2 is database record 3; its list entry's offset fits in the low two bytes.
    const uint32_t record2 =
        (static_cast<uint8_t>(file[78 + 24 + 2]) << 8) | static_cast<uint8_t>(file[78 + 24 + 3]);
    for (int i = 0; i < 16; ++i) file[record2 + i] = '\xFF';
    ASSERT_EQ(Open(*doc, dir.Write("bad.pdb", file), 1251), 1);
    const std::string raw = test::RawBytes(*doc);
    EXPECT_EQ(raw.substr(1024, 1024), text.substr(1024, 1024));
    EXPECT_EQ(raw.substr(2048, 1024), std::string(1024, '\0'));
    EXPECT_EQ(raw.substr(3072, 1024), text.substr(3072, 1024));
    CloseDocument(*doc);
}

TEST(PdbReader, DetectionSamplesTheDecodedFirstRecord) {
    ScratchDir dir;
    const std::string koi8 = test::ReadBytes(test::Fixture("ru-koi8r.txt"));
    const std::string cp866 = test::ReadBytes(test::Fixture("ru-cp866.txt"));
    auto doc = NewDocument();
    ASSERT_EQ(Open(*doc, dir.Write("k.pdb", test::StoredPalmDoc(koi8, 4096))), 1);
    EXPECT_EQ(doc->bookCodePage, 20866);
    ASSERT_EQ(Open(*doc, dir.Write("z.pdb", test::Ztxt(cp866, 4096))), 1);
    EXPECT_EQ(doc->formatKind, kKindZtxt1);
    EXPECT_EQ(doc->bookCodePage, 866);
    CloseDocument(*doc);
}

}  // namespace
}  // namespace lectra
