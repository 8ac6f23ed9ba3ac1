// The text cache: block index, decoding on demand, the raw layer and its recovery.
#include "document/text_cache.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <random>
#include <vector>

#include "document/formats/book_builders.h"
#include "test_support.h"

namespace lectra {
namespace {

using test::Open;
using test::ScratchDir;

// Printable bytes whose value tells the position (mod 64), so misplaced blocks show.
std::string Patterned(size_t n) {
    std::string s(n, ' ');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(48 + (i * 7 + i / 4096) % 64);
    return s;
}

TEST(TextCache, EmptyBookOneBlockAndOddUtf16) {
    ScratchDir dir;
    test::OpenedBook doc;
    ASSERT_EQ(Open(*doc, dir.Write("empty.txt", ""), 1251), 1);
    EXPECT_EQ(DocLength(*doc), 0);
    EXPECT_TRUE(doc->blocks.empty());
    EXPECT_EQ(GetChar(*doc, 0), 0);

    const std::string text = Patterned(4096);
    ASSERT_EQ(Open(*doc, dir.Write("one.txt", text), 1251), 1);
    EXPECT_EQ(doc->blocks.size(), 1u);
    EXPECT_EQ(GetChar(*doc, 4095), static_cast<char16_t>(text[4095]));
    EXPECT_EQ(GetChar(*doc, 4096), 0);
    EXPECT_EQ(GetChar(*doc, INT32_MIN), 0);

    // An odd-length UTF-16 book ends with its last byte alone.
    ASSERT_EQ(Open(*doc, dir.Write("odd.txt", std::string("a\0b\0c\0d\0e\0Z", 11)), kCodePageUtf16),
              1);
    EXPECT_EQ(test::ReadAll(*doc), u"abcdeZ");
}

TEST(TextCache, RandomAccessMatchesTheFileAcrossBlocksAndRawBlocks) {
    ScratchDir dir;
    const std::string text = Patterned(40 * 4096 + 123);
    test::OpenedBook doc;
    ASSERT_EQ(Open(*doc, dir.Write("big.txt", text), 1251), 1);
    ASSERT_EQ(DocLength(*doc), static_cast<int32_t>(text.size()));
    std::mt19937 rng(7);
    for (int i = 0; i < 20000; ++i) {
        int32_t pos = static_cast<int32_t>(rng() % text.size());
        ASSERT_EQ(GetChar(*doc, pos), static_cast<char16_t>(static_cast<uint8_t>(text[pos])))
            << pos;
    }
    // A closed book reads as nothing.
    CloseDocument(*doc);
    EXPECT_EQ(DocLength(*doc), 0);
    EXPECT_EQ(GetChar(*doc, 3), 0);
}

// An unplugged card fails in read(), not in the seek: the descriptor becomes a write-only one.
void BreakReads(Document& doc, const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_GE(::dup2(fd, doc.source.fd), 0);
    ::close(fd);
}

TEST(TextCache, AFailedReadIsRetriedByPathAndOneThatCannotBeIsRecordedNotShown) {
    ScratchDir dir;
    const std::string text = Patterned(6 * 8192);
    const struct {
        const char* name;
        std::string bytes;
    } books[] = {
        {"r.txt", text},
        {"r.pdb", test::StoredPalmDoc(text, 4096)},
        {"r.tcr", test::BuildTcr({}, text)},
    };
    for (const auto& b : books) {
        const std::string path = dir.Write(b.name, b.bytes);
        test::OpenedBook doc;
        int cursorOn = 0;
        ASSERT_EQ(Open(*doc, path, 1251), 1);
        doc->hooks.context = &cursorOn;
        doc->hooks.setWaitCursor = [](void* c, int on) { *static_cast<int*>(c) += on; };
        BreakReads(*doc, path);
        EXPECT_EQ(GetChar(*doc, 4 * 8192 + 1), static_cast<char16_t>(text[4 * 8192 + 1])) << b.name;
        EXPECT_EQ(doc->readErrors, 1) << b.name;
        EXPECT_EQ(TakeReadError(*doc), nullptr) << b.name;
        EXPECT_GT(cursorOn, 0);
        BreakReads(*doc, path);
        ::unlink(path.c_str());
        const int32_t base = 5 * 8192;  // the pre-fill: question marks broken into words
        EXPECT_EQ(std::u16string({GetChar(*doc, base + 4), GetChar(*doc, base + 5)}), u"? ")
            << b.name;
        EXPECT_GE(doc->readErrors, 2) << b.name;
        EXPECT_NE(TakeReadError(*doc), nullptr) << b.name;
        EXPECT_EQ(TakeReadError(*doc), nullptr) << b.name;  // reported once
    }
}

}  // namespace
}  // namespace lectra
