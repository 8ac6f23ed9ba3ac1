// The readers on books from independent writers and on malformed files; PalmDOC and zTXT (the
// record arithmetic, records too long or out of place, zTXT blocks alone, the decoder's control
// bytes and the limits that end a malformed record), TCR's block index, gzip's access points, ZIP
// and EPUB (damaged archives, entries, package files, parts), and the checked byte view every
// reader reads its headers and tables through.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "book_builders.h"
#include "document/format_table.h"
#include "document/formats/epub_package.h"
#include "document/formats/file_bytes.h"
#include "document/formats/gz_reader.h"
#include "document/formats/palmdoc_decompress.h"
#include "document/formats/pdb_reader.h"
#include "document/formats/tcr_reader.h"
#include "document/formats/zip_reader.h"
#include "document/pictures.h"
#include "straight_decode.h"

namespace lectra {
namespace {

using test::BuildPdb;
using test::Fixture;
using test::Open;
using test::Page;
using test::PalmDocHeader;
using test::RawBytes;
using test::ReadBytes;
using test::ScratchDir;
using test::Varied;

TEST(BookReaders, BooksFromIndependentWritersReadWordForWord) {
    const char* ruTitle = "Станция на Волчьем мысу";
    const char* enTitle = "The Last Reel at the Orion";
    const struct {
        const char* file;
        int kind;
        int codePage;             // detection finds it; 1252 is forced (Latin alone scores nothing)
        int copies = 1;           // of the story
        const char* before = "";  // words before the story's
    } books[] = {
        {"ru-txt2pdbdoc.pdb", kKindPalmDocCompressed, 1251},
        {"ru-txt2pdbdoc-nocomp.pdb", kKindPalmDoc, 1251},
        {"ru3-txt2pdbdoc.pdb", kKindPalmDocCompressed, 1251, 3},
        {"ru-calibre-doc.pdb", kKindPalmDocCompressed, 1251},
        {"ru-calibre-ztxt.pdb", kKindZtxt1, 1251},
        {"ru-gen-ztxt.pdb", kKindZtxt1, 1251},
        {"en-txt2pdbdoc.pdb", kKindPalmDocCompressed, 1252},  // space pairs, which Cyrillic lacks
        {"en-gen-ztxt.pdb", kKindZtxt1, 1252, 3},
        {"ru-calibre.tcr", kKindTcr, 1251},
        {"ru-gen.tcr", kKindTcr, 1251, 3},
        {"ru-cp1251.txt.gz", kKindText, 1251},
        {"ru-cp1251.txt.zip", kKindText, 1251},
        {"ru-cp866-name.zip", kKindText, 1251},
        {"ru.fb2.zip", kKindFb2, 1251},
        {"en-cp1252-stored.zip", kKindText, 1252},
        {"en-utf8-zip64.zip", kKindText, kCodePageUtf8},
        {"ru-calibre.epub", kKindEpub, kCodePageUtf8},
        // Pandoc adds a title page; the generator's first part has no heading, so the title
        // from the package comes first.
        {"ru-pandoc.epub", kKindEpub, kCodePageUtf8, 1, ruTitle},
        {"ru-gen.epub", kKindEpub, kCodePageUtf8, 1, ruTitle},
        {"en-gen-missing.epub", kKindEpub, kCodePageUtf8, 1, enTitle},
    };
    test::OpenedBook doc;
    for (const auto& b : books) {
        ASSERT_EQ(Open(*doc, Fixture(b.file), b.codePage == 1252 ? 1252 : kCodePageAuto), 1)
            << b.file;
        EXPECT_EQ(doc->formatKind, b.kind) << b.file;
        EXPECT_EQ(doc->bookCodePage, b.codePage) << b.file;
        const std::string story =
            ReadBytes(Fixture(b.file[0] == 'r' ? "source/ru.txt" : "source/en.txt"));
        const auto expected = test::Words(b.before + (" " + test::Repeat(story, b.copies)));
        std::vector<std::string> words = test::StreamWords(*doc);
        // The generated EPUBs end one part inside a tag, which the markup filter shows as "<".
        if (b.kind == kKindEpub) std::erase(words, "<");
        EXPECT_EQ(words, expected) << b.file;
    }
}

// gzip of the file `name` in `dir` into `out` (a name in the same folder), with gzip's options.
std::string Gzip(const ScratchDir& dir, const std::string& name, const std::string& out,
                 const std::string& options = "-6") {
    test::Run("cd '" + dir.path() + "' && gzip " + options + " -c '" + name + "' > '" + out + "'");
    return dir.path() + "/" + out;
}

TEST(BookReaders, DetectionSamplesTheDecodedText) {
    ScratchDir dir;
    const std::string koi8 = ReadBytes(Fixture("ru-koi8r.txt"));
    const std::string cp866 = ReadBytes(Fixture("ru-cp866.txt"));
    const std::tuple<const char*, std::string, int> cases[] = {
        {"k.pdb", test::StoredPalmDoc(koi8, 4096), 20866},
        {"z.pdb", test::Ztxt(cp866, 4096), 866},
        {"k.tcr", test::BuildTcr({}, koi8), 20866},
        {"k.txt.gz", ReadBytes(Gzip(dir, Fixture("ru-koi8r.txt"), "k.gz")), 20866},
    };
    test::OpenedBook doc;
    for (const auto& [name, file, codePage] : cases) {
        ASSERT_EQ(Open(*doc, dir.Write(name, file)), 1) << name;
        EXPECT_EQ(doc->bookCodePage, codePage) << name;
    }
}

TEST(BookReaders, MalformedFilesAreRefusedWithTheirMessages) {
    ScratchDir dir;
    const std::string text = "some text";
    std::string noRecords = BuildPdb("TEXtREAd", PalmDocHeader(1, 0, 4096), {});
    noRecords[77] = 0;  // the record count
    std::string farRecord0 = test::StoredPalmDoc(text, 4);
    farRecord0[78] = '\x7F';  // record 0 far beyond the end of the file
    const std::string tcr = test::BuildTcr({"a", "b"}, std::string("\x00\x01", 2));
    // Entry 2 is 200 bytes long; the file ends in the middle of it.
    const std::string cutInsidePhrase =
        test::BuildTcr({"a", "b", std::string(200, 'c')}, "").substr(0, 9 + 2 + 2 + 100);
    dir.Write("t.txt", Varied(20000));
    const std::string gz = ReadBytes(Gzip(dir, "t.txt", "good.gz", "-n"));
    const std::string named = ReadBytes(Gzip(dir, "t.txt", "named.gz"));
    std::string badCrc = gz, badMethod = gz, hugeExtra = gz;
    badCrc[badCrc.size() - 6] ^= 0x55;
    badMethod[2] = 7;
    hugeExtra[3] |= 4;
    hugeExtra.insert(10, "\xF0\xFF", 2);  // XLEN 65520: past the end of the file
    // Word, PalmDOC and TCR books inside gzip: their readers read the file itself.
    const auto gzipped = [&](const char* name) {
        dir.Write(name, "not a book of that kind");
        return ReadBytes(Gzip(dir, name, "member.gz"));
    };
    const struct {
        const char* name;
        const char* what;
        std::string bytes;
        const char16_t* message = kBadFormat;
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
        {"bad.zip", "the end record cut off", ReadBytes(Fixture("damaged-truncated.zip"))},
        {"bad.zip", "a local header past the directory", ReadBytes(Fixture("damaged-offset.zip"))},
        {"bad.zip", "more entries than the directory holds",
         ReadBytes(Fixture("damaged-count.zip"))},
        {"bad.zip", "CRC", ReadBytes(Fixture("damaged-crc.zip")), kErrorReadingFile},
        {"bad.epub", "its first part encrypted", ReadBytes(Fixture("en-gen-drm.epub"))},
        {"bad.zip", "no archive", ReadBytes(Fixture("en-utf8.txt"))},
        {"bad.epub", "no archive", "plain words"},
        {"bad.pdb", "zTXT without random access", ReadBytes(Fixture("en-gen-ztxt-norandom.pdb")),
         kErrorReadingFile},
        {"bad.txt.gz", "gzip header only", gz.substr(0, 10)},
        {"bad.txt.gz", "gzip cut in the middle", gz.substr(0, gz.size() / 2)},
        {"bad.txt.gz", "gzip cut before the trailer", gz.substr(0, gz.size() - 8)},
        {"bad.txt.gz", "gzip CRC", badCrc},
        {"bad.txt.gz", "gzip method 7", badMethod},
        {"bad.txt.gz", "gzip extra field past the end", hugeExtra},
        {"bad.txt.gz", "gzip name without its end", named.substr(0, 14)},
        {"bad.txt.gz", "gzip signature alone", "\x1F\x8B"},
        {"bad.txt.gz", "Word in gzip", gzipped("x.DOC")},
        {"bad.txt.gz", "PalmDOC in gzip", gzipped("x.pdb")},
        {"bad.txt.gz", "TCR in gzip", gzipped("x.tcr")},
    };
    test::OpenedBook doc;
    for (const auto& c : cases) {
        EXPECT_EQ(Open(*doc, dir.Write(c.name, c.bytes), 1251), 0) << c.what;
        EXPECT_EQ(doc->openErrorText, c.message) << c.what;
        EXPECT_EQ(DocLength(*doc), 0) << c.what;
        EXPECT_EQ(doc->readerState, nullptr) << c.what;
        EXPECT_EQ(doc->sourceFlags & kSourceZipEntry, 0) << c.what;
        EXPECT_FALSE(FileIsOpen(doc->source)) << c.what;
    }
    ASSERT_EQ(Open(*doc, dir.Write("good.tcr", tcr), 1251), 1);
    EXPECT_EQ(RawBytes(*doc), "ab");
}

// Stored records: the raw blocks across them, compression 257, records longer than the record
// size, and offsets that point outside.
TEST(PdbReader, RawBlocksFollowTheRecordArithmeticAndBrokenOffsetsReadAsEmpty) {
    ScratchDir dir;
    test::OpenedBook doc;
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
    // Record 0 counts two text records: the records after them are not text.
    open(2);
    EXPECT_EQ(RawBytes(*doc), a + b + gap);

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
    ScratchDir dir;
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
    ScratchDir dir;
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
    const std::tuple<std::string, uint32_t, std::string> cases[] = {
        // in, capacity, out
        {std::string("\x00\x09\x41\x7F", 4), 4096, std::string("\x00\x09\x41\x7F", 4)},
        // 1–8: that many bytes taken as they are, high and control bytes included.
        {"\x03x\x80\xFF\x62", 4096, "x\x80\xFF\x62"},
        {std::string(1, 8) + "123456789", 4096, "123456789"},
        {"a\xC1\xE2", 4096, "a A b"},  // 0xC0–0xFF: a space and the byte without its top bit
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
    for (const auto& [in, capacity, expected] : cases) {
        std::string out(capacity, '\x55');
        const uint32_t n = PalmDocDecompress(reinterpret_cast<const uint8_t*>(in.data()),
                                             static_cast<uint32_t>(in.size()),
                                             reinterpret_cast<uint8_t*>(out.data()), capacity);
        ASSERT_LE(n, capacity) << expected;
        EXPECT_EQ(out.substr(0, n), expected);
    }
}

// Offsets and lengths come from the file: a read beyond the end of the view, or of a part cut from
// it, gives 0 and fails the view for good, and none wraps round to a place inside. The byte
// orders are read in every reader's books.
TEST(ByteReader, NothingIsReadPastAnEndAndAFailureStays) {
    const uint8_t bytes[] = {0x01, 0x02, 0x03, 0x04, 0x05};
    ByteReader r = ByteView(bytes, sizeof bytes);
    EXPECT_EQ(ReadBe32(r, 1), 0x02030405u);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(ReadLe16(r, 4), 0u);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(ReadU8(r, 0), 0x01u);  // inside, but the view stays failed
    EXPECT_FALSE(r.ok);
    ByteReader far = ByteView(bytes, sizeof bytes);
    EXPECT_EQ(ReadBe16(far, SIZE_MAX), 0u);
    EXPECT_EQ(ByteSpan(far, 2, SIZE_MAX - 1), nullptr);
    EXPECT_FALSE(far.ok);

    // The byte after a part is in the file but not in the part; an empty part at the very end is
    // fine; one that runs past the end is empty and fails the view it was cut from.
    ByteReader whole = ByteView(bytes, sizeof bytes);
    ByteReader field = SubBytes(whole, 1, 3);
    EXPECT_EQ(ReadLe16(field, 1), 0x0403u);
    EXPECT_EQ(ReadLe16(field, 2), 0u);
    EXPECT_FALSE(field.ok);
    EXPECT_TRUE(SubBytes(whole, sizeof bytes, 0).ok);
    EXPECT_TRUE(whole.ok);
    ByteReader outside = SubBytes(whole, 3, 3);
    EXPECT_EQ(outside.size, 0u);
    EXPECT_EQ(ReadU8(outside, 0), 0u);
    EXPECT_FALSE(outside.ok);
    EXPECT_FALSE(whole.ok);
}

// TCR books: the block index around phrases that cross a block start or expand to nothing.
TEST(TcrReader, APhraseAcrossABlockStartBeginsTheNextBlockAndEmptyOnesExpandToNothing) {
    ScratchDir dir;
    // Code 0 is "x", code 1 "ABCDEFGHIJ": 8190 × "x", then the phrase crosses 8192 two bytes in.
    const std::string across = std::string(8190, '\0') + '\x01' + std::string(10, '\0');
    test::OpenedBook doc;
    ASSERT_EQ(Open(*doc, dir.Write("s.tcr", test::BuildTcr({"x", "ABCDEFGHIJ"}, across)), 1251), 1);
    ASSERT_EQ(TcrOf(*doc)->blocks.size(), 2u);
    // Block 1 first, cold, then block 0.
    EXPECT_EQ(ReadSourceByte(*doc, 8192), 'C');
    EXPECT_EQ(RawBytes(*doc), std::string(8190, 'x') + "ABCDEFGHIJ" + std::string(10, 'x'));
    EXPECT_EQ(ReadSourceByte(*doc, 8210), 0);  // beyond the book

    // Code 2 is empty: a run of them before the first letter, a run inside block 0 longer than
    // the 8192 codes that one read brings in, and single ones between the letters of block 1.
    std::string body = std::string(100, '\x02') + '\x00' + std::string(9000, '\x02');
    std::string expected = "a";
    for (int i = 1; i < 8192; ++i) {
        body += static_cast<char>(i % 2);
        expected += i % 2 ? 'b' : 'a';
    }
    body += test::Repeat("\x01\x02", 300);
    expected += std::string(300, 'b');
    ASSERT_EQ(Open(*doc, dir.Write("e.tcr", test::BuildTcr({"a", "b", ""}, body)), 1251), 1);
    ASSERT_EQ(TcrOf(*doc)->blocks.size(), 2u);
    EXPECT_EQ(RawBytes(*doc), expected);

    // A body of nothing but empty phrases, and no body at all, are empty books.
    for (const std::string& b : {std::string(5000, '\x02'), std::string()}) {
        ASSERT_EQ(Open(*doc, dir.Write("n.tcr", test::BuildTcr({"a", "b", ""}, b)), 1251), 1);
        EXPECT_EQ(DocLength(*doc), 0);
        EXPECT_EQ(GetChar(*doc, 0), 0);
    }
}

// Books inside gzip files: the member's kind and the access-point index (the damaged files, and
// Word, PalmDOC and TCR names, which are refused, are BookReaders' malformed files). The stored
// name decides the kind; without one, the file's name without ".gz" does.
TEST(GzReader, TheMemberIsTheBookAndItsNameDecidesItsKind) {
    ScratchDir dir;
    test::OpenedBook doc;
    ASSERT_EQ(Open(*doc, Fixture("ru.fb2.gz")), 1);
    EXPECT_TRUE(doc->sourceFlags & kSourceGzMember);
    EXPECT_EQ(doc->formatKind, kKindFb2);
    EXPECT_EQ(RawBytes(*doc), ReadBytes(Fixture("ru.fb2")));
    // An extra field that fits is stepped over.
    dir.Write("t.txt", Varied(20000));
    std::string extra = ReadBytes(Gzip(dir, "t.txt", "t.gz", "-n"));
    extra[3] |= 4;
    extra.insert(10, std::string("\x04\0abcd", 6));
    ASSERT_EQ(Open(*doc, dir.Write("extra.txt.gz", extra), 1251), 1);
    EXPECT_EQ(RawBytes(*doc), Varied(20000));
    // A ".gz" name without the signature is plain text.
    ASSERT_EQ(Open(*doc, dir.Write("fake.gz", "just text"), 1251), 1);
    EXPECT_EQ(test::ReadAll(*doc), u"just text");
}

TEST(GzReader, RandomAccessThroughAccessPointsMatchesTheText) {
    ScratchDir dir;
    const std::string text = Varied(3 * 1048576 + 300000);
    dir.Write("big.txt", text);
    test::OpenedBook doc;
    ASSERT_EQ(Open(*doc, Gzip(dir, "big.txt", "big.txt.gz"), 1251), 1);
    ASSERT_EQ(doc->sourceSize, text.size());
    const std::vector<GzAccessPoint>& points = GzOf(*doc)->index.points;
    ASSERT_GE(points.size(), 3u);
    // gzip ends its blocks at any bit, so points inside a byte (primed with its bits) are met.
    EXPECT_TRUE(std::any_of(points.begin(), points.end(), [](auto& p) { return p.bits != 0; }));

    std::string buffer(8192, '\0');
    auto* out = reinterpret_cast<uint8_t*>(buffer.data());
    const auto readsTheText = [&](uint64_t o) {
        const int n = ReadGzRange(doc->source, GzOf(*doc)->index, o, out, 8192, nullptr);
        const std::string expected = text.substr(o, 8192);
        ASSERT_EQ(n, static_cast<int>(expected.size())) << o;
        ASSERT_EQ(buffer.substr(0, n), expected) << o;
    };
    // Around each point, at the start and the very end, with a fresh inflater each time.
    std::vector<uint64_t> offsets = {0, 1, 8191, text.size() - 100, text.size() - 1};
    for (const GzAccessPoint& p : points) {
        for (int64_t d : {-8192, -1, 0, 1, 5000}) {
            if (static_cast<int64_t>(p.out) + d >= 0) offsets.push_back(p.out + d);
        }
    }
    for (uint64_t o : offsets) readsTheText(o);
    EXPECT_EQ(ReadGzRange(doc->source, GzOf(*doc)->index, text.size(), out, 8192, nullptr), 0);
    EXPECT_EQ(ReadGzRange(doc->source, GzOf(*doc)->index, 0, out, -5, nullptr), 0);

    // Through the text cache's kept inflater back to front (each read starts it again; the ZIP and
    // gzip tests read on from it), and the raw block that straddles the member's end.
    for (int32_t pos = DocLength(*doc) - 1; pos >= 0; pos -= 65537)
        ASSERT_EQ(GetChar(*doc, pos), static_cast<char16_t>(static_cast<uint8_t>(text[pos])))
            << pos;
    const uint32_t lastBlock = static_cast<uint32_t>(text.size()) & ~(kRawBlockBytes - 1);
    for (uint32_t o = lastBlock; o < text.size(); o += 997)
        ASSERT_EQ(ReadSourceByte(*doc, o), static_cast<uint8_t>(text[o]));
    EXPECT_EQ(ReadSourceByte(*doc, static_cast<uint32_t>(text.size())), 0);
}

// ZIP and EPUB books.
std::string MakeZipTool() {
    return "python3 '" + Fixture("../../tools/make_zip.py") + "' ";
}

// A ZIP of one entry written by Python's zipfile, deflated or stored.
std::string PythonZip(const std::string& zip, const std::string& file, bool stored) {
    test::Run(std::string("python3 -c 'import sys, zipfile\n") +
              "with zipfile.ZipFile(sys.argv[1], \"w\", zipfile." +
              (stored ? "ZIP_STORED" : "ZIP_DEFLATED") +
              ") as z: z.write(sys.argv[2], \"book.txt\")' '" + zip + "' '" + file + "'");
    return zip;
}

// Mended: an entry ending in a long run of matches, whose last bytes the inflater gives only after
// all input is in, was refused as damaged; Python's zipfile and Info-ZIP both write such entries.
TEST(ZipReader, EntriesThatEndInALongRunOpenFromEitherWriter) {
    ScratchDir dir;
    test::OpenedBook doc;
    for (int mib : {1, 2}) {
        const std::string text =
            "<html><body><p>before</p><p class=\"" + std::string(size_t(mib) << 20, 'a');
        const std::string book = dir.Write("book.txt", text);
        const std::string python = PythonZip(dir.path() + "/python.zip", book, false);
        const std::string infoZip = dir.path() + "/info.zip";
        test::Run("cd '" + dir.path() + "' && rm -f info.zip && zip -q info.zip book.txt");
        for (const std::string& zip : {python, infoZip}) {
            ASSERT_EQ(test::Run("unzip -tq '" + zip + "' >/dev/null && echo ok"), "ok\n") << zip;
            ASSERT_EQ(Open(*doc, zip, 1252), 1) << zip << " " << mib << " MiB";
            EXPECT_TRUE(RawBytes(*doc) == text) << zip << " " << mib << " MiB";
            // Reading up to the entry's end and past it is the end of the text, not an error.
            const int32_t length = DocLength(*doc);
            EXPECT_EQ(GetChar(*doc, length - 1), u'a');
            EXPECT_EQ(GetChar(*doc, length), 0);
            EXPECT_EQ(ReadSourceByte(*doc, doc->sourceSize), 0);
            EXPECT_EQ(TakeReadError(*doc), nullptr);
        }
    }
}

// An archive or a gzip file cut short or changed while the book is open is a read error recorded to
// show once.
TEST(ZipReader, AnArchiveCutOrChangedWhileOpenIsARecordedReadError) {
    ScratchDir dir;
    // Words that do not repeat, so that the compressed data is far more than one read of it.
    const std::string book = dir.Write("book.txt", Varied(400000) + " Orion");
    test::OpenedBook doc;
    // Deflated in a ZIP or in a gzip file, then cut in half: the stream breaks off where the file
    // ends.
    const std::string gz = dir.path() + "/book.txt.gz";
    test::Run("gzip -c '" + book + "' > '" + gz + "'");
    for (const std::string& deflated : {PythonZip(dir.path() + "/deflated.zip", book, false), gz}) {
        ASSERT_EQ(Open(*doc, deflated, 1252), 1);
        ASSERT_EQ(::truncate(deflated.c_str(), ReadBytes(deflated).size() / 2), 0);
        EXPECT_NE(test::ReadAll(*doc).find(u"????"), std::u16string::npos) << deflated;
        EXPECT_NE(TakeReadError(*doc), nullptr) << deflated;
        EXPECT_EQ(TakeReadError(*doc), nullptr);  // shown once
    }
    // Stored, then one letter changed: only the checksum at the entry's end can tell.
    const std::string stored = PythonZip(dir.path() + "/stored.zip", book, true);
    ASSERT_EQ(Open(*doc, stored, 1252), 1);
    test::ReadAll(*doc);
    EXPECT_EQ(TakeReadError(*doc), nullptr);  // the intact book reads through without one
    std::string bytes = ReadBytes(stored);
    const size_t at = bytes.rfind("Orion");
    ASSERT_NE(at, std::string::npos);
    bytes[at] = 'X';
    dir.Write("stored.zip", bytes);
    const std::u16string changed = test::ReadAll(*doc);
    EXPECT_NE(changed.find(u"Xrion"), std::u16string::npos);
    EXPECT_NE(TakeReadError(*doc), nullptr);
    EXPECT_EQ(TakeReadError(*doc), nullptr);
}

TEST(ZipReader, TheEntryReadIsRememberedAndReopened) {
    ScratchDir dir;
    // An image first (not a book), then two books.
    const std::string zip = dir.path() + "/two.zip";
    test::Run(MakeZipTool() + "zip '" + zip + "' 'cover.jpg=" + Fixture("en-utf8.txt") +
              "' 'a/en.txt=" + Fixture("en-utf8.txt") + "' 'b/ru.txt=" + Fixture("ru-utf8.txt") +
              "'");
    test::OpenedBook doc;
    ASSERT_EQ(Open(*doc, zip), 1);
    EXPECT_EQ(doc->zipEntryName, u"a/en.txt");
    RememberedBook recent;
    recent.path = doc->bookPath;
    recent.zipName = u"b/ru.txt";
    ASSERT_EQ(Open(*doc, zip, kCodePageAuto, 0, &recent), 1);
    EXPECT_EQ(doc->zipEntryName, u"b/ru.txt");
    EXPECT_EQ(test::StreamWords(*doc), test::Words(ReadBytes(Fixture("source/ru.txt"))));
    // A reopen (another code page) keeps the entry; a name no longer there falls to the first.
    ASSERT_EQ(Open(*doc, zip, 1251, 1), 1);
    EXPECT_EQ(doc->zipEntryName, u"b/ru.txt");
    recent.zipName = u"gone.txt";
    ASSERT_EQ(Open(*doc, zip, kCodePageAuto, 0, &recent), 1);
    EXPECT_EQ(doc->zipEntryName, u"a/en.txt");
    // What is remembered of another book is not this one's.
    recent.zipName = u"b/ru.txt";
    recent.path = u"/elsewhere/two.zip";
    ASSERT_EQ(Open(*doc, zip, kCodePageAuto, 0, &recent), 1);
    EXPECT_EQ(doc->zipEntryName, u"a/en.txt");
    // The cp866 name of an old archiver comes through as its letters.
    ASSERT_EQ(Open(*doc, Fixture("ru-cp866-name.zip")), 1);
    EXPECT_EQ(doc->zipEntryName, u"Книга.txt");
}

// Whether the first part is a title page, or the package's title goes above it (as above the
// generator's EPUBs among the independent writers' books).
TEST(ZipReader, ATitlePageOrATitleParagraphOpensTheBook) {
    const std::pair<const char*, int> pages[] = {
        {"<?xml?><html><head><title>T</title></head><body><div><h1>T</h1>", 1},
        {"<body>\n<!-- <p>x</p> -->\n<section><h3 class='c'>T</h3>", 1},
        {"<body>Text<h1>T</h1>", 0},
        {"<head><title>T", 0},
        {"<!DOCTYPE html [<!ENTITY a 'b'>]><html><body><h1>T</h1>", 1},
        {"<!DOCTYPE html [<!ENTITY a 'b'>", 0},
    };
    for (const auto& [xhtml, heading] : pages)
        EXPECT_EQ(StartsWithHeading(xhtml), heading) << xhtml;
}

// The container is read in every EPUB's open; pandoc's cover, named by property and by meta, is
// the golden picture pictures-epub-cover.
TEST(ZipReader, PackageFilesAreReadByTheirRulesAndNameTheirCover) {
    EpubPackage p;
    ASSERT_EQ(ParseEpubPackage(
                  "<package><metadata><dc:title>A &amp; B &#x416;&#1046;\n  C</dc:title>"
                  "<dc:title>Second</dc:title></metadata><manifest>"
                  "<item id='a' href='../top.xhtml' media-type='application/xhtml+xml'/>"
                  "<item id='b' href='text/b%20c.html#x' media-type='text/html'/>"
                  "<item id='img' href='i.svg' media-type='image/svg+xml'/>"
                  "<item id='up' href='../../../out.xhtml' media-type='application/xhtml+xml'/>"
                  "</manifest><spine><itemref idref='b'/><itemref idref='img'/>"
                  "<itemref idref='up'/><itemref idref='nothing'/><itemref idref='a'/></spine>",
                  "OPS/sub/pkg.opf", p),
              1);
    EXPECT_EQ(p.title, u"A & B ЖЖ C");
    EXPECT_EQ(p.spine, (std::vector<std::string>{"OPS/sub/text/b c.html", "OPS/top.xhtml"}));
    EXPECT_EQ(ParseEpubPackage("<package><manifest></manifest></package>", "p.opf", p), 0);
    EXPECT_EQ(EpubEncryptedPaths("<encryption><CipherReference URI='OPS/a.xhtml'/>"
                                 "<enc:CipherReference URI=\"fonts/f.otf\"/></encryption>"),
              (std::vector<std::string>{"OPS/a.xhtml", "fonts/f.otf"}));
    // The cover named by a meta; one that climbs out of the archive is none.
    const std::string byMeta =
        "<package><metadata><meta name=\"cover\" content=\"pic\"/></metadata><manifest>"
        "<item id=\"x\" href=\"a.xhtml\"/><item id=\"pic\" "
        "href=\"../c.png\"/></manifest></package>";
    EXPECT_EQ(EpubCoverPath(byMeta, "OPS/content.opf"), "c.png");
    EXPECT_EQ(EpubCoverPath(byMeta, "content.opf"), "");
}

// A document type's internal subset (">" and "]" in quotes) is markup; one never closed ends
// with its document.
TEST(ZipReader, ADocumentTypesInternalSubsetIsNotText) {
    ScratchDir dir;
    const std::string subset =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE html [\n  <!ENTITY nbsp \"&#160;\">\n"
        "  <!ENTITY odd 'a]>b'>\n  <!-- a comment -->\n]>\n";
    // Many declarations and no "]": one pass over them, not one per declaration.
    std::string open = "<!DOCTYPE html [";
    while (open.size() < 300000) open += "<!ENTITY e \"<p>x</p>\">\n";
    const std::string first = subset + "<html><body><p>First words</p></body></html>";
    test::OpenedBook doc;
    ASSERT_EQ(Open(*doc, test::WriteParts(dir, "s.epub", {first, open, Page("<p>Last words</p>")})),
              1);
    std::vector<std::string> words = test::StreamWords(*doc);
    std::erase(words, "<");  // the mark of the document left open; "T" the package's title
    EXPECT_EQ(words, (std::vector<std::string>{"T", "First", "words", "Last", "words"}));
}

// Each document once, where the spine first names it; no package title above the same heading
// (white space folded, case ignored in either alphabet, tags inside taken as spaces).
TEST(ZipReader, SpinePlacesReadEachDocumentOnceAndTheTitleIsNotRepeated) {
    ScratchDir dir;
    const std::string opf =
        "<package><metadata><dc:title>The  Long\nДорога Road</dc:title></metadata><manifest>"
        "<item id='t' href='title.xhtml' media-type='application/xhtml+xml'/>"
        "<item id='o1' href='ch1.xhtml#o1' media-type='application/xhtml+xml'/>"
        "<item id='c2' href='ch2.xhtml' media-type='application/xhtml+xml'/>"
        "<item id='o3' href='ch1.xhtml#o3' media-type='application/xhtml+xml'/></manifest>"
        "<spine><itemref idref='t'/><itemref idref='o1'/><itemref idref='c2'/>"
        "<itemref idref='o3'/></spine></package>";
    const std::string epub = test::WriteEpub(
        dir, "places.epub",
        {{"OPS/book.opf", opf},
         {"OPS/title.xhtml",
          Page("<div>&#160;</div><h1 class='t'>the long дорога <span>road</span></h1>")},
         {"OPS/ch1.xhtml", Page("<p id='o1'>One</p><p id='o2'>Two</p><p id='o3'>Three</p>")},
         {"OPS/ch2.xhtml", Page("<p>Four</p>")}});
    test::OpenedBook doc;
    ASSERT_EQ(Open(*doc, epub), 1);
    EXPECT_EQ(test::StreamWords(*doc), (std::vector<std::string>{"the", "long", "дорога", "road",
                                                                 "One", "Two", "Three", "Four"}));
    EXPECT_EQ(doc->partStarts.size(), 3u);
}

// Also where blocks cross parts, a part ends inside a tag or starts with a byte-order mark.
TEST(ZipReader, EveryBlockDecodedAloneMatchesTheStraightRead) {
    ScratchDir dir;
    const std::string story = ReadBytes(Fixture("source/ru.txt"));
    const std::string text = dir.Write("long.txt", test::Repeat(story, 8));
    const std::string big = dir.path() + "/long.epub";
    test::Run(MakeZipTool() + "epub '" + big + "' --title 'Длинная книга' --parts 40 '" + text +
              "'");
    // The other fixtures are read both ways by the fuzz targets' replays of their corpora.
    const std::string books[] = {big, Fixture("ru-gen.epub")};
    test::OpenedBook doc;
    for (const std::string& book : books) {
        for (int codePage : {kCodePageAuto, 1251}) {
            ASSERT_EQ(Open(*doc, book, codePage), 1) << book;
            const std::u16string straight = test::StraightDecode(*doc);
            ASSERT_EQ(straight.size(), static_cast<size_t>(DocLength(*doc))) << book;
            for (int32_t pos = DocLength(*doc) - 1; pos >= 0; --pos) {
                if (GetChar(*doc, pos) != straight[pos])
                    FAIL() << book << " position " << pos << " code page " << codePage;
            }
            if (book == big) {
                EXPECT_GT(doc->blocks.size(), 10u);  // the blocks cross parts
            }
        }
    }
}

}  // namespace
}  // namespace lectra
