// The pictures beside the stream: anchors gathered on the open's pass from FictionBook, HTML and
// EPUB books at the positions of the units after their tags, the stream left as it was, names
// resolved to their bytes, and hostile books bounded.
#include "document/pictures.h"

#include <gtest/gtest.h>

#include <regex>

#include "document/text_cache.h"
#include "platform/sys/utf.h"
#include "test_support.h"

namespace lectra {
namespace {

using test::Fixture;
using test::OpenedBook;
using test::ReadBytes;
using test::ScratchDir;

std::string Bytes(Document& doc, int32_t source, uint32_t limit = kMaxPictureBytes) {
    std::string out;
    EXPECT_EQ(ReadPictureBytes(doc, source, out, limit), 1) << "source " << source;
    return out;
}

// The book with every picture tag and binary taken out.
std::string WithoutPictures(std::string xml) {
    xml = std::regex_replace(xml, std::regex("<image[^>]*/>"), "");
    xml = std::regex_replace(xml, std::regex("<img[^>]*>", std::regex::icase), "");
    return std::regex_replace(xml, std::regex("<binary[^>]*>[^<]*</binary>"), "");
}

// The cover opens the book, a picture stands at the unit after its tag, before the mark that opens
// the chapter's title, and a FictionBook's base64 is decoded only as far as asked. The golden
// pictures of both books (layout tests) show each picture drawn from the book's bytes.
TEST(Pictures, TheCoverOpensTheBookAndAPictureStandsAfterItsTag) {
    OpenedBook book;
    ASSERT_EQ(test::Open(*book, Fixture("en-pictures.fb2")), 1);
    const PictureTable& t = book->pictures;
    EXPECT_EQ(t.hasCover, 1);
    ASSERT_EQ(t.anchors.size(), 2u);
    EXPECT_EQ(t.anchors[0].position, 0);
    EXPECT_EQ(Bytes(*book, t.anchors[0].source), ReadBytes(Fixture("source/pictures/cover.png")));
    const auto at = static_cast<size_t>(t.anchors[1].position);
    EXPECT_EQ(test::ReadAll(*book).substr(at - 10, 19), u"Usherette  \nChapter");
    const std::string illustration = ReadBytes(Fixture("source/pictures/illustration.jpg"));
    EXPECT_EQ(Bytes(*book, t.anchors[1].source, 10), illustration.substr(0, 10));
}

// No unit is added and no position moves; decoding the blocks again gathers nothing more.
TEST(Pictures, TheStreamIsTheSameWithAndWithoutPictures) {
    const ScratchDir dir;
    const std::string fb2 = ReadBytes(Fixture("en-pictures.fb2"));
    const std::string bare = dir.Write("bare.fb2", WithoutPictures(fb2));
    const std::string html =
        "<html><body><p>One <img src=\"a.png\">two</p><IMG SRC=b.png><p>three</p></body></html>";
    const std::string bareHtml = dir.Write("bare.html", WithoutPictures(html));
    for (auto [with, without] :
         {std::pair{Fixture("en-pictures.fb2"), bare}, {dir.Write("with.html", html), bareHtml}}) {
        OpenedBook a, b;
        ASSERT_EQ(test::Open(*a, with), 1);
        ASSERT_EQ(test::Open(*b, without), 1);
        EXPECT_FALSE(a->pictures.anchors.empty()) << with;
        EXPECT_TRUE(b->pictures.anchors.empty()) << without;
        EXPECT_EQ(test::ReadAll(*a), test::ReadAll(*b)) << with;
        const size_t anchors = a->pictures.anchors.size();
        for (size_t block = 0; block < a->blocks.size(); ++block)
            DecodeBlock(*a, static_cast<int32_t>(block));
        EXPECT_EQ(a->pictures.anchors.size(), anchors);
    }
}

TEST(Pictures, AnHtmlBookFindsItsPicturesBesideItAndAnInlineOneEndsNoWord) {
    const ScratchDir dir;
    system(("mkdir -p '" + dir.path() + "/pics'").c_str());
    dir.Write("pics/a b.png", "PNG-A");
    dir.Write("top.gif", "GIF-T");
    const std::string book = dir.Write(
        "book.html",
        "<html><body><style><img src=\"hidden.png\"></style><p>H<img src=\"pics/a%20b.png\">2O "
        "<IMG SRC=\"./pics/../top.gif#x\"> <img src=\"http://example.org/x.png\"> "
        "<img src=\"data:image/png;base64,AAAA\"> <img src=\"missing.png\"></p></body></html>");
    OpenedBook doc;
    ASSERT_EQ(test::Open(*doc, book), 1);
    const PictureTable& t = doc->pictures;
    // Hidden text shows no picture, a remote or data: link is no picture of the book.
    ASSERT_EQ(t.anchors.size(), 3u);
    EXPECT_EQ(t.hasCover, 0);
    const std::u16string text = test::ReadAll(*doc);
    EXPECT_EQ(text.substr(static_cast<size_t>(t.anchors[0].position) - 1, 2), u"H2");
    EXPECT_EQ(Bytes(*doc, t.anchors[0].source), "PNG-A");
    EXPECT_EQ(Bytes(*doc, t.anchors[1].source), "GIF-T");
    std::string out;
    EXPECT_EQ(ReadPictureBytes(*doc, t.anchors[2].source, out, kMaxPictureBytes), 0);
}

TEST(Pictures, ThePackageNamesItsCoverByPropertyOrByMeta) {
    const std::string byProperty =
        "<package><manifest><item id=\"c\" href=\"img/c.jpg\" properties=\"cover-image\"/>"
        "</manifest></package>";
    const std::string byMeta =
        "<package><metadata><meta name=\"cover\" content=\"pic\"/></metadata><manifest>"
        "<item id=\"x\" href=\"a.xhtml\"/><item id=\"pic\" "
        "href=\"../c.png\"/></manifest></package>";
    EXPECT_EQ(EpubCoverPath(byProperty, "OPS/content.opf"), "OPS/img/c.jpg");
    EXPECT_EQ(EpubCoverPath(byMeta, "OPS/content.opf"), "c.png");
    EXPECT_EQ(EpubCoverPath("<package><manifest/></package>", "content.opf"), "");
    // A cover that climbs out of the archive is none.
    EXPECT_EQ(EpubCoverPath(byMeta, "content.opf"), "");
}

// Percent escapes need two hex digits and are decoded once; "." and ".." resolve within the root,
// which a path in an archive may not climb above and a path on disk stays at.
TEST(Pictures, LinksResolveAgainstTheirDocumentsFolder) {
    const struct {
        const char16_t *base, *link;
        int inArchive;
        const char16_t* path;
    } cases[] = {
        {u"OPS/text/ch1.xhtml", u"../images/./a.png", 1, u"OPS/images/a.png"},
        {u"OPS/text/ch1.xhtml", u"/root.png", 1, u"root.png"},
        {u"ch1.xhtml", u"//a//b/", 1, u"a/b"},
        {u"ch1.xhtml", u"a/..", 1, u""},
        {u"ch1.xhtml", u"../../a.png", 1, u""},
        {u"OPS/c.xhtml", u"a%20b%2Fc%2fd", 1, u"OPS/a b/c/d"},
        {u"OPS/c.xhtml", u"100%", 1, u"OPS/100%"},
        {u"OPS/c.xhtml", u"%4", 1, u"OPS/%4"},
        {u"OPS/c.xhtml", u"%zz%41", 1, u"OPS/%zzA"},
        {u"OPS/c.xhtml", u"%2541", 1, u"OPS/%41"},
        {u"/home/b/book.html", u"../a%2Fb.png?x=1", 0, u"/home/a/b.png"},
        {u"/home/b/book.html", u"/abs/p.png", 0, u"/abs/p.png"},
        {u"/home/b/book.html", u"/../../etc/../b", 0, u"/b"},
        {u"/home/b/book.html", u"https://x/p.png", 0, u""},
        {u"/home/b/book.html", u"#only-a-fragment", 0, u""},
        {u"/home/b/book.html", u"  ", 0, u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ResolvePicturePath(c.base, c.link, c.inArchive), c.path)
            << Utf16ToUtf8(c.base) << " " << Utf16ToUtf8(c.link);
    }
}

TEST(Pictures, HostileBooksGiveBoundedAnchorsAndDamagedBytesReadAsNone) {
    const ScratchDir dir;
    std::string fb2 = "<FictionBook><body><p>x</p>";
    for (int i = 0; i < kMaxPictureAnchors + 500; ++i) fb2 += "<image l:href=\"#g\"/>.";
    fb2 += "<p>y<image l:href=\"#" + std::string(100000, 'L') + "\"/>z</p>";
    fb2 += "<image l:href=\"#none\"/></body>";
    fb2 += "<binary id=\"g\" content-type=\"image/png\">iVBO Rw0K\nGgo*AAAA</binary>";
    fb2 += "<binary id=\"g\">QUJD</binary>";  // a second id of the same name is not read
    fb2 += "<binary id=\"open\">QUJDRA";      // never closed
    OpenedBook book;
    ASSERT_EQ(test::Open(*book, dir.Write("hostile.fb2", fb2)), 1);
    const PictureTable& t = book->pictures;
    ASSERT_EQ(t.anchors.size(), static_cast<size_t>(kMaxPictureAnchors));
    std::string out;
    EXPECT_EQ(ReadPictureBytes(*book, t.anchors[0].source, out, kMaxPictureBytes), 0)
        << "base64 with garbage";
    // The unclosed binary runs to the end of the file, and decodes; a link that no binary
    // answers names a missing source.
    for (const auto& [bytes, expected] :
         {std::pair{"<p>a<image xlink:href='#b'/></p></body><binary id='b'>QUJD\r\nRA==", "ABCD"},
          std::pair{"<p>a</p><image l:href=\"#gone\"/></body>", ""}}) {
        ASSERT_EQ(
            test::Open(*book, dir.Write("one.fb2", std::string("<FictionBook><body>") + bytes)), 1);
        ASSERT_EQ(t.anchors.size(), 1u);
        out.clear();
        EXPECT_EQ(ReadPictureBytes(*book, t.anchors[0].source, out, 100), *expected != 0);
        EXPECT_EQ(out, expected);
    }
}

}  // namespace
}  // namespace lectra
