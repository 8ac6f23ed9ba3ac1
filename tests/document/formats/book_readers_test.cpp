// The PalmDOC/zTXT, TCR and gzip readers on books from independent writers and malformed files.
#include <gtest/gtest.h>

#include <algorithm>

#include "book_builders.h"
#include "document/format_table.h"
#include "document/formats/pdb_reader.h"

namespace lectra {
namespace {

using test::Fixture;
using test::Open;
using test::ReadBytes;

TEST(BookReaders, BooksFromIndependentWritersReadWordForWord) {
    const struct {
        const char* file;
        int kind;
        int codePage;     // forced, or kCodePageAuto to check that detection picks 1251
        const char* raw;  // the bytes the raw layer starts with (copies times), the rest zeros
        int copies;
    } books[] = {
        {"ru-txt2pdbdoc.pdb", kKindPalmDocCompressed, kCodePageAuto, "ru-cp1251.txt", 1},
        {"ru-txt2pdbdoc-nocomp.pdb", kKindPalmDoc, kCodePageAuto, "ru-cp1251.txt", 1},
        {"ru3-txt2pdbdoc.pdb", kKindPalmDocCompressed, kCodePageAuto, "ru-cp1251.txt", 3},
        {"ru-calibre-doc.pdb", kKindPalmDocCompressed, kCodePageAuto, nullptr, 1},
        {"ru-calibre-ztxt.pdb", kKindZtxt1, kCodePageAuto, nullptr, 1},
        {"ru-gen-ztxt.pdb", kKindZtxt1, kCodePageAuto, "ru-cp1251.txt", 1},
        {"en-txt2pdbdoc.pdb", kKindPalmDocCompressed, 1252, "en-cp1252.txt", 1},
        {"en-txt2pdbdoc-nocomp.pdb", kKindPalmDoc, 1252, "en-cp1252.txt", 1},
        {"en-calibre-doc.pdb", kKindPalmDocCompressed, 1252, nullptr, 1},
        {"en-calibre-ztxt.pdb", kKindZtxt1, 1252, nullptr, 1},
        {"en-gen-ztxt.pdb", kKindZtxt1, 1252, "en-cp1252.txt", 3},
        {"ru-calibre.tcr", kKindTcr, kCodePageAuto, nullptr, 1},
        {"ru-gen.tcr", kKindTcr, kCodePageAuto, "ru-cp1251.txt", 3},
        {"en-calibre.tcr", kKindTcr, 1252, nullptr, 1},
        {"en-gen.tcr", kKindTcr, 1252, "en-cp1252.txt", 1},
        {"ru-cp1251.txt.gz", kKindText, kCodePageAuto, "ru-cp1251.txt", 1},
        {"en-cp1252.txt.gz", kKindText, 1252, "en-cp1252.txt", 1},
    };
    test::OpenedBook doc;
    for (const auto& b : books) {
        ASSERT_EQ(Open(*doc, Fixture(b.file), b.codePage), 1) << b.file;
        EXPECT_EQ(doc->formatKind, b.kind) << b.file;
        EXPECT_EQ(doc->bookCodePage, b.codePage == kCodePageAuto ? 1251 : b.codePage) << b.file;
        if (b.raw) {
            std::string expected = test::Repeat(ReadBytes(Fixture(b.raw)), b.copies);
            expected.resize(std::max<size_t>(expected.size(), doc->sourceSize), '\0');
            EXPECT_EQ(test::RawBytes(*doc), expected) << b.file;
        }
        const std::string source =
            ReadBytes(Fixture(b.file[0] == 'r' ? "source/ru.txt" : "source/en.txt"));
        EXPECT_EQ(test::StreamWords(*doc), test::Words(test::Repeat(source, b.copies))) << b.file;
    }
}

TEST(BookReaders, RecordsAfterTheTextRecordsAreNotText) {
    // A bookmark record appended to txt2pdbdoc's book: one list entry more, every offset 8 on.
    std::string pdb = ReadBytes(Fixture("ru-txt2pdbdoc.pdb"));
    const uint32_t count = (uint8_t(pdb[76]) << 8) | uint8_t(pdb[77]);
    for (uint32_t k = 0; k < count; ++k) {
        const size_t at = 78 + 8 * k;
        const uint32_t offset = (uint8_t(pdb[at]) << 24) | (uint8_t(pdb[at + 1]) << 16) |
                                (uint8_t(pdb[at + 2]) << 8) | uint8_t(pdb[at + 3]);
        pdb.replace(at, 4, test::Be(offset + 8, 4));
    }
    pdb.replace(76, 2, test::Be(count + 1, 2));
    pdb.insert(78 + 8 * count, test::Be(uint32_t(pdb.size()) + 8, 4) + std::string(4, '\0'));
    pdb += "BOOKMARK\x01\x02\x03\x04 marks";
    test::ScratchDir dir;
    test::OpenedBook doc;
    ASSERT_EQ(Open(*doc, dir.Write("marked.pdb", pdb)), 1);
    EXPECT_EQ(test::StreamWords(*doc), test::Words(ReadBytes(Fixture("source/ru.txt"))));
}

TEST(BookReaders, DetectionSamplesTheDecodedText) {
    test::ScratchDir dir;
    const std::string koi8 = ReadBytes(Fixture("ru-koi8r.txt"));
    const std::string cp866 = ReadBytes(Fixture("ru-cp866.txt"));
    const struct {
        const char* name;
        std::string file, text;
        int codePage;
    } cases[] = {
        {"k.pdb", test::StoredPalmDoc(koi8, 4096), koi8, 20866},
        {"z.pdb", test::Ztxt(cp866, 4096), cp866, 866},
        {"k.tcr", test::BuildTcr({}, koi8), koi8, 20866},
    };
    test::OpenedBook doc;
    for (const auto& c : cases) {
        ASSERT_EQ(Open(*doc, dir.Write(c.name, c.file)), 1) << c.name;
        EXPECT_EQ(doc->bookCodePage, c.codePage) << c.name;
        EXPECT_EQ(test::RawBytes(*doc).substr(0, c.text.size()), c.text) << c.name;
    }
}

TEST(BookReaders, MalformedFilesAreRefusedWithBadFormat) {
    using test::BuildPdb;
    using test::PalmDocHeader;
    const std::string text = "some text";
    std::string noRecords = BuildPdb("TEXtREAd", PalmDocHeader(1, 0, 4096), {});
    noRecords[77] = 0;  // the record count
    std::string farRecord0 = test::StoredPalmDoc(text, 4);
    farRecord0[78] = '\x7F';  // record 0 far beyond the end of the file
    const std::string tcr = test::BuildTcr({"a", "b"}, std::string("\x00\x01", 2));
    // Entry 2 is 200 bytes long; the file ends in the middle of it.
    const std::string cutInsidePhrase =
        test::BuildTcr({"a", "b", std::string(200, 'c')}, "").substr(0, 9 + 2 + 2 + 100);
    const struct {
        const char* name;
        const char* what;
        std::string bytes;
    } cases[] = {
        {"bad.pdb", "empty file", ""},
        {"bad.pdb", "short header", std::string(50, 'x')},
        {"bad.pdb", "no records", noRecords},
        {"bad.pdb", "only record 0", BuildPdb("TEXtREAd", PalmDocHeader(1, 0, 4096), {})},
        {"bad.pdb", "record size 0", BuildPdb("TEXtREAd", PalmDocHeader(1, 1, 0), {text})},
        {"bad.pdb", "compression 3", BuildPdb("TEXtREAd", PalmDocHeader(3, 1, 4096), {text})},
        {"bad.pdb", "another creator", BuildPdb("TEXtMOBI", PalmDocHeader(1, 1, 4096), {text})},
        {"bad.pdb", "short record 0", BuildPdb("TEXtREAd", "\x00\x01\x00", {})},
        {"bad.pdb", "record list cut", test::StoredPalmDoc(text, 4).substr(0, 78 + 12)},
        {"bad.pdb", "record 0 past the end", farRecord0},
        {"bad.tcr", "empty", ""},
        {"bad.tcr", "short signature", "!!8-Bit"},
        {"bad.tcr", "other signature", "!!8-bit!!" + tcr.substr(9)},
        {"bad.tcr", "dictionary cut between entries", tcr.substr(0, 9 + 100)},
        {"bad.tcr", "dictionary cut inside a phrase", cutInsidePhrase},
    };
    test::ScratchDir dir;
    test::OpenedBook doc;
    for (const auto& c : cases) {
        EXPECT_EQ(Open(*doc, dir.Write(c.name, c.bytes), 1251), 0) << c.what;
        EXPECT_EQ(doc->openErrorText, u"Bad Format!") << c.what;
        EXPECT_EQ(DocLength(*doc), 0) << c.what;
    }
    ASSERT_EQ(Open(*doc, dir.Write("good.tcr", tcr), 1251), 1);
    EXPECT_EQ(test::RawBytes(*doc), "ab");
}

}  // namespace
}  // namespace lectra
