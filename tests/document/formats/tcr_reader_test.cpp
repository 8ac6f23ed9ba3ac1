// TCR books: the block index around phrases that cross a block start or expand to nothing.
#include "document/formats/tcr_reader.h"

#include <gtest/gtest.h>

#include "book_builders.h"

namespace lectra {
namespace {

TEST(TcrReader, APhraseAcrossABlockStartBeginsTheNextBlockWithItsRest) {
    test::ScratchDir dir;
    // Code 0 is "x", code 1 "ABCDEFGHIJ": 8190 × "x", then the phrase crosses 8192 two bytes in.
    const std::string body = std::string(8190, '\0') + '\x01' + std::string(10, '\0');
    test::OpenedBook doc;
    ASSERT_EQ(test::Open(*doc, dir.Write("s.tcr", test::BuildTcr({"x", "ABCDEFGHIJ"}, body)), 1251),
              1);
    ASSERT_EQ(TcrOf(*doc)->blocks.size(), 2u);
    // Block 1 first, cold, then block 0.
    EXPECT_EQ(ReadSourceByte(*doc, 8192), 'C');
    EXPECT_EQ(test::RawBytes(*doc), std::string(8190, 'x') + "ABCDEFGHIJ" + std::string(10, 'x'));
    EXPECT_EQ(ReadSourceByte(*doc, 8210), 0);  // beyond the book
}

TEST(TcrReader, EmptyPhrasesExpandToNothingAndNeverStartABlock) {
    test::ScratchDir dir;
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
    test::OpenedBook doc;
    ASSERT_EQ(test::Open(*doc, dir.Write("e.tcr", test::BuildTcr({"a", "b", ""}, body)), 1251), 1);
    ASSERT_EQ(TcrOf(*doc)->blocks.size(), 2u);
    const uint32_t bodyStart = 9 + 2 + 2 + 1 + 253 * 2;
    EXPECT_EQ(TcrOf(*doc)->blocks[0].codeOffset, bodyStart + 100);
    EXPECT_EQ(TcrOf(*doc)->blocks[1].codeOffset, bodyStart + 100 + 1 + 9000 + 8191);
    EXPECT_EQ(test::RawBytes(*doc), expected);

    // A body of nothing but empty phrases, and no body at all, are empty books.
    for (const std::string& b : {std::string(5000, '\x02'), std::string()}) {
        ASSERT_EQ(test::Open(*doc, dir.Write("n.tcr", test::BuildTcr({"a", "b", ""}, b)), 1251), 1);
        EXPECT_EQ(DocLength(*doc), 0);
        EXPECT_EQ(GetChar(*doc, 0), 0);
    }
}

}  // namespace
}  // namespace lectra
