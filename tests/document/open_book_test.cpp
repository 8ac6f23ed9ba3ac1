// The open sequence: kinds from names, failures and their messages, paragraph modes of text.
#include "document/open_book.h"

#include <gtest/gtest.h>

#include "document/format_table.h"
#include "document/text_cache.h"
#include "test_support.h"

namespace lectra {
namespace {

using test::Open;
using test::ScratchDir;

TEST(OpenBook, UnknownNamesOpenAsTextAndFailuresSayWhy) {
    ScratchDir dir;
    auto doc = NewDocument();
    for (const char* name : {"README", "book.odt"}) {
        ASSERT_EQ(Open(*doc, dir.Write(name, "plain words"), 1251), 1) << name;
        EXPECT_EQ(doc->formatKind, kKindText);
        EXPECT_EQ(test::ReadAll(*doc), u"plain words");
    }
    // EPUB and ZIP are read now: one that is not an archive is refused, not shown as bytes.
    EXPECT_EQ(Open(*doc, dir.Write("book.epub", "plain words"), 1251), 0);
    EXPECT_EQ(doc->openErrorText, u"Bad Format!");
    EXPECT_EQ(Open(*doc, dir.path() + "/missing.txt"), 0);
    EXPECT_EQ(doc->openErrorText, u"Error reading file!");
    EXPECT_EQ(Open(*doc, dir.path()), 0);  // a folder is no book
    EXPECT_EQ(doc->openErrorText, u"Error reading file!");
    // A file that its reader refuses leaves a clean state, not garbage.
    EXPECT_EQ(Open(*doc, dir.Write("b.pdb", std::string(200, 'x'))), 0);
    EXPECT_EQ(doc->openErrorText, u"Bad Format!");
    EXPECT_EQ(DocLength(*doc), 0);
    EXPECT_FALSE(FileIsOpen(doc->source));
    // The next open works and reports no stale error.
    EXPECT_EQ(Open(*doc, dir.Write("ok.txt", "fine"), 1251), 1);
    EXPECT_EQ(test::ReadAll(*doc), u"fine");
}

// A sparse file costs no disk; its NULs read as one unit per byte (two in UTF-16).
TEST(OpenBook, ABookTooLongToHoldIsCutAndTheCutIsRecorded) {
    ScratchDir dir;
    const std::string path = dir.path() + "/huge.txt";
    const uint64_t size = 5ull << 30;
    ASSERT_EQ(test::Run("truncate -s 5G '" + path + "' && echo ok"), "ok\n");
    auto doc = NewDocument();
    for (int codePage : {1251, kCodePageUtf16}) {
        ASSERT_EQ(Open(*doc, path, codePage), 1);
        const uint64_t width = codePage == kCodePageUtf16 ? 2 : 1;
        EXPECT_EQ(DocLength(*doc), kMaxDocLength);
        EXPECT_EQ(doc->blocks.size(), static_cast<size_t>(kMaxBlocks));
        EXPECT_EQ(GetChar(*doc, kMaxDocLength - 1), u' ');  // a zero byte reads as a space
        EXPECT_EQ(GetChar(*doc, kMaxDocLength), 0);
        EXPECT_EQ(doc->bookCut, 1);
        EXPECT_EQ(doc->cutDocLength, kMaxDocLength);
        EXPECT_EQ(doc->cutSourceOffset, uint64_t{kMaxDocLength} * width);
        EXPECT_EQ(doc->cutSourceSize, size);
    }
    // The next book is read whole and says so.
    ASSERT_EQ(Open(*doc, dir.Write("small.txt", "words"), 1251), 1);
    EXPECT_EQ(doc->bookCut, 0);
    EXPECT_EQ(doc->cutSourceOffset, 0u);
    EXPECT_EQ(doc->cutDocLength, 0);
    CloseDocument(*doc);
}

TEST(TxtParagraphModes, LinesParagraphsAndIndents) {
    ScratchDir dir;
    const std::string text =
        "  First paragraph wraps\r\nonto a second line.\r\n  Second one\r\n\r\n"
        "after a blank line\n- a list item\n*star\n\ttabbed";
    const std::string path = dir.Write("m.txt", text);
    auto doc = NewDocument();
    doc->txtParagraphMode = kTxtPlainAsIs;
    ASSERT_EQ(Open(*doc, path, 1251), 1);
    std::u16string asIs = test::ReadAll(*doc);
    EXPECT_EQ(asIs.size(), text.size());  // one unit per byte, always
    EXPECT_EQ(asIs.substr(0, 29), u"  First paragraph wraps \nonto");
    doc->txtParagraphMode = kTxtDetectParagraph;
    ASSERT_EQ(Open(*doc, path, 1251), 1);
    EXPECT_EQ(test::ReadAll(*doc),
              u"  First paragraph wraps  onto a second line. \n  Second one \n  "
              u"after a blank line\n- a list item\n*star\n tabbed");
}

}  // namespace
}  // namespace lectra
