// TCR books: real books from two writers, the block index around phrases that cross a block
// start or expand to nothing, and refusals.
#include "document/formats/tcr_reader.h"

#include <gtest/gtest.h>

#include "book_builders.h"
#include "document/format_table.h"

namespace lectra {
namespace {

using test::Open;
using test::ScratchDir;

// A dictionary in which every code stands for its own byte.
std::vector<std::string> Identity() {
    std::vector<std::string> d;
    for (int b = 0; b < 256; ++b) d.push_back(std::string(1, static_cast<char>(b)));
    return d;
}

TEST(TcrReader, BooksFromCalibreAndOurGeneratorReadWordForWord) {
    const struct {
        const char* file;
        int codePage;
        const char* source;
        int copies;
    } books[] = {
        {"ru-calibre.tcr", kCodePageAuto, "ru.txt", 1},
        {"ru-gen.tcr", kCodePageAuto, "ru.txt", 3},
        {"en-calibre.tcr", 1252, "en.txt", 1},
        {"en-gen.tcr", 1252, "en.txt", 1},
    };
    auto doc = NewDocument();
    for (const auto& b : books) {
        ASSERT_EQ(Open(*doc, test::Fixture(b.file), b.codePage), 1) << b.file;
        EXPECT_EQ(doc->formatKind, kKindTcr);
        if (b.codePage == kCodePageAuto) {
            EXPECT_EQ(doc->bookCodePage, 1251) << b.file;
        }
        const std::string source =
            test::ReadBytes(test::Fixture(std::string("source/") + b.source));
        EXPECT_EQ(test::StreamWords(*doc), test::Words(test::Repeat(source, b.copies))) << b.file;
    }
    // The generator's book is the cp1251 text three times over, byte for byte.
    ASSERT_EQ(Open(*doc, test::Fixture("ru-gen.tcr"), 1251), 1);
    EXPECT_EQ(test::RawBytes(*doc),
              test::Repeat(test::ReadBytes(test::Fixture("ru-cp1251.txt")), 3));
    CloseDocument(*doc);
    EXPECT_EQ(doc->tcr, nullptr);
}

TEST(TcrReader, APhraseAcrossABlockStartBeginsTheNextBlockWithItsRest) {
    ScratchDir dir;
    // Code 0 is "x", code 1 "ABCDEFGHIJ": 8190 × "x", then the phrase crosses 8192 two bytes in.
    const std::string body = std::string(8190, '\0') + '\x01' + std::string(10, '\0');
    const std::string file = test::BuildTcr({"x", "ABCDEFGHIJ"}, body);
    auto doc = NewDocument();
    ASSERT_EQ(Open(*doc, dir.Write("s.tcr", file), 1251), 1);
    ASSERT_EQ(doc->sourceSize, 8210u);
    ASSERT_EQ(doc->tcr->blocks.size(), 2u);
    const uint32_t bodyStart = static_cast<uint32_t>(file.size() - body.size());
    EXPECT_EQ(doc->tcr->blocks[1].codeOffset, bodyStart + 8190);
    EXPECT_EQ(doc->tcr->blocks[1].skip, 2u);
    // Block 1 first, cold, then block 0.
    EXPECT_EQ(ReadSourceByte(*doc, 8192), 'C');
    const std::string raw = test::RawBytes(*doc);
    EXPECT_EQ(raw, std::string(8190, 'x') + "ABCDEFGHIJ" + std::string(10, 'x'));
    EXPECT_EQ(ReadSourceByte(*doc, 8210), 0);  // beyond the book
    CloseDocument(*doc);
}

TEST(TcrReader, EmptyPhrasesExpandToNothingAndNeverStartABlock) {
    ScratchDir dir;
    // Code 2 is empty: a run of them before the first letter, a run inside block 0 longer than
    // the 8192 codes that one read brings in, and single ones between the letters of block 1.
    std::string body = std::string(100, '\x02') + '\x00' + std::string(9000, '\x02');
    std::string expected = "a";
    for (int i = 1; i < 8192; ++i) {
        body += static_cast<char>(i % 2);
        expected += i % 2 ? 'b' : 'a';
    }
    for (int i = 0; i < 300; ++i) {
        body += "\x01\x02";
        expected += 'b';
    }
    auto doc = NewDocument();
    ASSERT_EQ(Open(*doc, dir.Write("e.tcr", test::BuildTcr({"a", "b", ""}, body)), 1251), 1);
    ASSERT_EQ(doc->sourceSize, expected.size());
    ASSERT_EQ(doc->tcr->blocks.size(), 2u);
    const uint32_t bodyStart = 9 + 256 + 2;
    EXPECT_EQ(doc->tcr->blocks[0].codeOffset, bodyStart + 100);
    EXPECT_EQ(doc->tcr->blocks[1].codeOffset, bodyStart + 100 + 1 + 9000 + 8191);
    EXPECT_EQ(test::RawBytes(*doc), expected);

    // A body of nothing but empty phrases, and no body at all, are empty books.
    for (const std::string& b : {std::string(5000, '\x02'), std::string()}) {
        ASSERT_EQ(Open(*doc, dir.Write("n.tcr", test::BuildTcr({"a", "b", ""}, b)), 1251), 1);
        EXPECT_EQ(doc->sourceSize, 0u);
        EXPECT_EQ(DocLength(*doc), 0);
        EXPECT_EQ(GetChar(*doc, 0), 0);
    }
    CloseDocument(*doc);
}

TEST(TcrReader, BadSignatureOrCutDictionaryIsRefused) {
    ScratchDir dir;
    const std::string good = test::BuildTcr({"a", "b"}, std::string("\x00\x01", 2));
    std::string cutInsidePhrase = test::BuildTcr({"a", "b", std::string(200, 'c')}, "");
    cutInsidePhrase.resize(9 + 2 + 2 + 100);
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"short signature", "!!8-Bit"},
        {"other signature", "!!8-bit!!" + good.substr(9)},
        {"dictionary cut between entries", good.substr(0, 9 + 100)},
        {"dictionary cut inside a phrase", cutInsidePhrase},
    };
    auto doc = NewDocument();
    for (const auto& c : cases) {
        EXPECT_EQ(Open(*doc, dir.Write("bad.tcr", c.bytes), 1251), 0) << c.what;
        EXPECT_EQ(doc->openErrorText, u"Bad Format!") << c.what;
        EXPECT_EQ(doc->tcr, nullptr);
    }
    ASSERT_EQ(Open(*doc, dir.Write("good.tcr", good), 1251), 1);
    EXPECT_EQ(test::RawBytes(*doc), "ab");
    CloseDocument(*doc);
}

TEST(TcrReader, DetectionSamplesTheExpandedText) {
    ScratchDir dir;
    auto doc = NewDocument();
    const std::string koi8 = test::ReadBytes(test::Fixture("ru-koi8r.txt"));
    ASSERT_EQ(Open(*doc, dir.Write("k.tcr", test::BuildTcr(Identity(), koi8))), 1);
    EXPECT_EQ(doc->bookCodePage, 20866);
    EXPECT_EQ(test::RawBytes(*doc), koi8);
    CloseDocument(*doc);
}

}  // namespace
}  // namespace lectra
