// The open sequence: kinds from names, the remembered code page and position, the reopen flag.
#include "document/open_book.h"

#include <gtest/gtest.h>

#include "document/format_table.h"
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

TEST(OpenBook, RestoresTheRememberedPositionOnlyWhenTheLengthMatches) {
    ScratchDir dir;
    const std::string path = dir.Write("r.txt", std::string(5000, 'a'));
    auto doc = NewDocument();
    RememberedBook r;
    r.path = Utf8ToUtf16(path);
    r.codePage = 1251;
    r.length = 5000;
    r.position = 5000;  // the very end is a valid place to stop
    ASSERT_EQ(Open(*doc, path, kCodePageAuto, 0, &r, 1), 1);
    EXPECT_EQ(doc->pageStart, 5000);
    r.position = 1234;
    r.length = 4999;  // the file changed since: start over
    ASSERT_EQ(Open(*doc, path, kCodePageAuto, 0, &r, 1), 1);
    EXPECT_EQ(doc->pageStart, 0);
    r.length = 5000;
    ASSERT_EQ(Open(*doc, path, kCodePageAuto, 1, &r, 1), 1);  // reopen ignores the list
    EXPECT_EQ(doc->pageStart, 0);
    r.path = Utf8ToUtf16(dir.path() + "/R.txt");  // paths compare case-sensitively
    ASSERT_EQ(Open(*doc, path, kCodePageAuto, 0, &r, 1), 1);
    EXPECT_EQ(doc->pageStart, 0);
}

TEST(OpenBook, CodePageFromTheListTheSettingOrDetection) {
    const std::string path = test::Fixture("ru-cp1251.txt");
    auto doc = NewDocument();
    RememberedBook r;
    r.path = Utf8ToUtf16(path);
    r.codePage = 866;
    ASSERT_EQ(Open(*doc, path, kCodePageAuto, 0, &r, 1), 1);
    EXPECT_EQ(doc->bookCodePage, 866);
    r.codePage = 0;  // none remembered: the setting decides
    ASSERT_EQ(Open(*doc, path, 20866, 0, &r, 1), 1);
    EXPECT_EQ(doc->bookCodePage, 20866);
    ASSERT_EQ(Open(*doc, path, kCodePageAuto, 0, &r, 1), 1);
    EXPECT_EQ(doc->bookCodePage, 1251);
    r.codePage = 866;  // the reopen flag ignores the remembered code page
    ASSERT_EQ(Open(*doc, path, 28595, 1, &r, 1), 1);
    EXPECT_EQ(doc->bookCodePage, 28595);
}

TEST(OpenBook, ByteOrderMarkIsSkipped) {
    auto doc = NewDocument();
    ASSERT_EQ(Open(*doc, test::Fixture("en-utf8-bom-crlf.txt")), 1);
    EXPECT_EQ(doc->bookCodePage, kCodePageUtf8);
    EXPECT_EQ(GetChar(*doc, 0), u'T');
    ASSERT_EQ(Open(*doc, test::Fixture("en-utf16le-bom.txt")), 1);
    EXPECT_EQ(doc->bookCodePage, kCodePageUtf16);
    EXPECT_EQ(GetChar(*doc, 0), u'T');
    EXPECT_EQ(DocLength(*doc), (13432 - 2) / 2);
    // Read in a single-byte code page the same bytes are ordinary characters.
    ASSERT_EQ(Open(*doc, test::Fixture("en-utf8-bom-crlf.txt"), 1252), 1);
    EXPECT_EQ(GetChar(*doc, 0), 0xEF);
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
