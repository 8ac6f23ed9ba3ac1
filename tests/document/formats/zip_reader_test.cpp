// ZIP and EPUB books: independent writers word for word, damaged archives, entries, parts.
#include "document/formats/zip_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "book_builders.h"
#include "document/epub_test_books.h"
#include "document/format_table.h"
#include "document/formats/epub_package.h"
#include "straight_decode.h"

namespace lectra {
namespace {

using test::Fixture;
using test::Open;
using test::Page;
using test::ReadBytes;

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
    test::ScratchDir dir;
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
            ASSERT_EQ(doc->sourceSize, text.size());
            EXPECT_TRUE(test::RawBytes(*doc) == text) << zip << " " << mib << " MiB";
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
    test::ScratchDir dir;
    // Words that do not repeat, so that the compressed data is far more than one read of it.
    const std::string book = dir.Write("book.txt", test::Varied(400000) + " Orion");
    test::OpenedBook doc;
    // Deflated in a ZIP or in a gzip file, then cut in half: the stream breaks off where the file
    // ends.
    const std::string gz = dir.path() + "/book.txt.gz";
    test::Run("gzip -c '" + book + "' > '" + gz + "'");
    for (const std::string& deflated : {PythonZip(dir.path() + "/deflated.zip", book, false), gz}) {
        ASSERT_EQ(Open(*doc, deflated, 1252), 1);
        ASSERT_EQ(::truncate(deflated.c_str(), test::ReadBytes(deflated).size() / 2), 0);
        EXPECT_NE(test::ReadAll(*doc).find(u"????"), std::u16string::npos) << deflated;
        EXPECT_GE(doc->readErrors, 1);
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
    test::ScratchDir dir;
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

TEST(ZipReader, ATitlePageOrATitleParagraphOpensTheBook) {
    test::OpenedBook doc;
    // No heading in the first part: the package's title is made its title paragraph.
    ASSERT_EQ(Open(*doc, Fixture("ru-gen.epub")), 1);
    EXPECT_EQ(GetChar(*doc, 0), kMarkTitle);
    EXPECT_EQ(GetChar(*doc, 1), u'С');
    const struct {
        const char* xhtml;
        int heading;
    } pages[] = {
        {"<?xml?><html><head><title>T</title></head><body><div><h1>T</h1>", 1},
        {"<html><head><title>T</title></head><body><p>Text</p>", 0},
        {"<body>\n<!-- <p>x</p> -->\n<section><h3 class='c'>T</h3>", 1},
        {"<body><img src='cover.jpg'/></body>", 0},
        {"<body>Text<h1>T</h1>", 0},
        {"<head><title>T", 0},
        {"<!DOCTYPE html [<!ENTITY a 'b'>]><html><body><h1>T</h1>", 1},
        {"<!DOCTYPE html [<!ENTITY a 'b'>", 0},
    };
    for (const auto& p : pages) EXPECT_EQ(StartsWithHeading(p.xhtml), p.heading) << p.xhtml;
}

TEST(ZipReader, PackageFilesAreReadByTheirRules) {
    EXPECT_EQ(EpubRootFile("<container><rootfiles><rootfile full-path=\"OPS/pkg.opf\" "
                           "media-type=\"application/oebps-package+xml\"/></rootfiles>"),
              "OPS/pkg.opf");
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
}

// A document type's internal subset (">" and "]" in quotes) is markup; one never closed ends
// with its document.
TEST(ZipReader, ADocumentTypesInternalSubsetIsNotText) {
    test::ScratchDir dir;
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

// Each document once, where the spine first names it; no package title above the same heading.
TEST(ZipReader, SpinePlacesReadEachDocumentOnceAndTheTitleIsNotRepeated) {
    test::ScratchDir dir;
    const std::string opf =
        "<package><metadata><dc:title>The  Long\nRoad</dc:title></metadata><manifest>"
        "<item id='t' href='title.xhtml' media-type='application/xhtml+xml'/>"
        "<item id='o1' href='ch1.xhtml#o1' media-type='application/xhtml+xml'/>"
        "<item id='o2' href='ch1.xhtml#o2' media-type='application/xhtml+xml'/>"
        "<item id='c2' href='ch2.xhtml' media-type='application/xhtml+xml'/>"
        "<item id='o3' href='ch1.xhtml#o3' media-type='application/xhtml+xml'/></manifest>"
        "<spine><itemref idref='t'/><itemref idref='o1'/><itemref idref='o2'/>"
        "<itemref idref='c2'/><itemref idref='o3'/></spine></package>";
    const std::string epub = test::WriteEpub(
        dir, "places.epub",
        {{"OPS/book.opf", opf},
         {"OPS/title.xhtml",
          Page("<div>&#160;</div><h1 class='t'>the long <span>road</span></h1>")},
         {"OPS/ch1.xhtml", Page("<p id='o1'>One</p><p id='o2'>Two</p><p id='o3'>Three</p>")},
         {"OPS/ch2.xhtml", Page("<p>Four</p>")}});
    test::OpenedBook doc;
    ASSERT_EQ(Open(*doc, epub), 1);
    EXPECT_EQ(test::StreamWords(*doc),
              (std::vector<std::string>{"the", "long", "road", "One", "Two", "Three", "Four"}));
    EXPECT_EQ(doc->partStarts.size(), 3u);
    // White space folded, case ignored, tags inside taken as spaces.
    const struct {
        const char* xhtml;
        const char16_t* text;
    } headings[] = {
        {"<head><title>Not this</title></head><body><hr/><h2 id='x'>Станция\n на <br/>мысу</h2>",
         u"Станция на мысу"},
        {"<body><h1>Cut off", u""},
    };
    for (const auto& h : headings) EXPECT_EQ(FirstHeadingText(h.xhtml), h.text) << h.xhtml;
    EXPECT_EQ(SameTitle(u"станция НА мысу", u"Станция на мысу"), 1);
    EXPECT_EQ(SameTitle(u"", u""), 0);
}

// Also where blocks cross parts, a part ends inside a tag or starts with a byte-order mark.
TEST(ZipReader, EveryBlockDecodedAloneMatchesTheStraightRead) {
    test::ScratchDir dir;
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
        }
    }
    ASSERT_EQ(Open(*doc, big), 1);
    EXPECT_GT(doc->blocks.size(), 10u);
    EXPECT_EQ(doc->partStarts.size(), 41u);  // the title paragraph and 40 parts
}

}  // namespace
}  // namespace lectra
