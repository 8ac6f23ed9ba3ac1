// The notes: references and their notes gathered on the open's indexing pass from FictionBook
// note links, an EPUB's note references and footnotes and an HTML file's numbered links; every
// reference leads to its note's text; hostile books give bounded notes.
#include "document/notes.h"

#include <gtest/gtest.h>

#include <sstream>

#include "document/text_cache.h"
#include "epub_test_books.h"
#include "platform/sys/utf.h"
#include "test_support.h"

namespace lectra {
namespace {

using test::Fixture;
using test::Open;
using test::Page;
using test::ScratchDir;
using test::WriteParts;

// A reference's own text, and its note's text with the note's paragraphs on lines. Reading them
// decodes blocks after the open's pass, which must add no note.
using Seen = std::pair<std::string, std::string>;

std::vector<Seen> Notes(Document& doc) {
    std::vector<Seen> out;
    for (size_t i = 0; i < doc.notes.size(); ++i) {
        const NoteRef n = doc.notes[i];
        out.push_back({Utf16ToUtf8(NoteLabel(doc, n)), Utf16ToUtf8(NoteText(doc, n, 1000, 1))});
    }
    return out;
}

// A note as the story's source writes it after `key`, its indented paragraphs on lines of their
// own.
std::string SourceNote(const std::string& source, const std::string& key) {
    std::istringstream in(test::ReadBytes(Fixture("source/" + source)));
    std::string line;
    while (std::getline(in, line) && line.rfind(key, 0) != 0) continue;
    std::string note = line.substr(std::min(key.size(), line.size()));
    while (std::getline(in, line) && (line.empty() || line[0] == ' ')) {
        if (!line.empty()) note += "\n" + line.substr(line.find_first_not_of(' '));
    }
    return note;
}

TEST(Notes, EveryReferenceOfTheFixturesLeadsToItsNotesText) {
    const std::string back = "↩︎";
    const std::string stair = SourceNote("notes-en.md", "[^steps]: "),
                      film = SourceNote("notes-en.md", "[^film]: "),
                      lamp = SourceNote("notes-en.md", "[^lamp]: "),
                      log = SourceNote("notes-en.md", "[^log]: "),
                      arc = SourceNote("en.txt", "[1] "), censor = SourceNote("en.txt", "[2] ");
    const struct {
        const char* file;
        std::vector<Seen> notes;
    } books[] = {
        // FictionBook: type="note" links and a plain one into the notes body; a link to a section
        // of the text ("back to the booth") is none. Each note ends where its section does.
        {"en-nested.fb2",
         {{"[1]", "1\n" + stair}, {"[2]", "2\n" + film}, {"3", "3\n" + lamp}, {"4", "4\n" + log}}},
        {"en.fb2", {{"[1]", "[1]\n" + arc}, {"[2]", "[2]\n" + censor}}},
        // pandoc's EPUB 3: noteref links to footnotes at the end of each chapter's file (both
        // files have an "fn1"); the back link of each note is no reference.
        {"en-notes-pandoc.epub",
         {{"1", stair + back}, {"2", film + back}, {"3", lamp + back}, {"1", log + back}}},
        // HTML: numbered links to ids of the same file; calibre's EPUB keeps them.
        {"en-utf8.html", {{"[1]", "[1] " + arc}, {"[2]", "[2] " + censor}}},
        {"en-calibre.epub", {{"[1]", "[1] " + arc}, {"[2]", "[2] " + censor}}},
        // pandoc lost the ids these links lead to: links to nowhere.
        {"en-pandoc.epub", {}},
        {"en-utf8.txt", {}},
    };
    test::OpenedBook doc;
    for (const auto& b : books) {
        ASSERT_EQ(Open(*doc, Fixture(b.file)), 1) << b.file;
        EXPECT_EQ(Notes(*doc), b.notes) << b.file;
        for (const NoteRef& n : doc->notes) EXPECT_GT(GetChar(*doc, n.target), 32);
    }
}

TEST(Notes, AnEpubsReferencesAreKnownByTheirMarkupTheirTextOrTheirTarget) {
    ScratchDir dir;
    const std::string c1 = Page(
        "<p>Said<a epub:type='noteref' href='c2.xhtml#a'>a</a>, "         // the link says so
        "role<a role='doc-noteref' href='../OPS/c2.xhtml#b'>b</a>, "      // in another words
        "aside<a href='c2.xhtml#c'>see</a>, "                             // the target says so
        "star<a href='#d'>*</a>, "                                        // its text says so
        "plain<a href='c2.xhtml#plain'>see</a>, "                         // nothing says so
        "nowhere<a href='c2.xhtml#gone'>7</a><a href='c9.xhtml#a'>8</a>"  // links to nowhere
        "<a href='../../c2.xhtml#a'>9</a><a href='#'>10</a>.</p>"
        "<p id='d'>Star note.</p>");
    const std::string c2 = Page(
        "<p id='plain'>Plain paragraph.</p><aside id='a'><p>Note a.</p></aside>"
        "<div id='b'>Note b.</div><aside epub:type='footnote' id='c'>Note c.</aside>"
        "<p>After.</p>");
    test::OpenedBook doc;
    ASSERT_EQ(Open(*doc, WriteParts(dir, "notes.epub", {c1, c2})), 1);
    const std::vector<Seen> expected = {
        {"a", "Note a."}, {"b", "Note b."}, {"see", "Note c."}, {"*", "Star note."}};
    EXPECT_EQ(Notes(*doc), expected);
}

TEST(Notes, HtmlTakesNumberedLinksToItsOwnIds) {
    ScratchDir dir;
    const std::string html =
        "<html><body><p>One<a href='#x'>[3]</a> two<a href='#y'>word</a> three<a "
        "href='other.html#x'>4</a> four<A HREF=\"#X\">12</A> five<a href='#old'>5</a> six<a "
        "href='#z'>6</a></p><p id='y'>Y.</p><p><a name='old'>Old</a> anchor.</p>"
        "<p><a id='x'></a>Note x<p>after x<hr id='z'/>Note z<p>text of z</p></body></html>";
    test::OpenedBook doc;
    ASSERT_EQ(Open(*doc, dir.Write("n.html", html), 1252), 1);
    // An anchor's note (an older anchor's name is its place) ends with its paragraph; with no
    // element of its own to end it, a note runs to the next target or the end.
    const std::vector<Seen> expected = {
        {"[3]", "Note x"}, {"12", "Note x"}, {"5", "Old anchor."}, {"6", "Note z\ntext of z"}};
    EXPECT_EQ(Notes(*doc), expected);
}

TEST(Notes, NoteLabelsAreNumbersBracketedNumbersOrAStar) {
    const struct {
        const char16_t* label;
        int star, is;
    } cases[] = {{u"1", 0, 1},     {u"1234", 0, 1}, {u"[12]", 0, 1}, {u"*", 1, 1},  {u"*", 0, 0},
                 {u"12345", 0, 0}, {u"[]", 0, 0},   {u"", 0, 0},     {u"1a", 0, 0}, {u"[1", 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(IsNoteLabel(c.label, c.star) != 0, c.is != 0) << Utf16ToUtf8(c.label);
}

TEST(Notes, TheReferenceAtAPlaceAndThoseOfAPage) {
    test::OpenedBook doc;
    ASSERT_EQ(Open(*doc, Fixture("en-nested.fb2")), 1);
    const std::vector<NoteRef> notes = doc->notes;
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_EQ(NoteIndexAt(*doc, notes[1].start, notes[1].start + 1), 1);
    EXPECT_EQ(NoteIndexAt(*doc, notes[1].end - 1, notes[1].end - 1), 1);
    EXPECT_EQ(NoteIndexAt(*doc, notes[1].end, notes[1].end + 1), -1);
    EXPECT_EQ(NoteIndexAt(*doc, 0, notes[0].start), -1);
    // A word that holds the reference ("nineteen.[1]") finds it.
    EXPECT_EQ(NoteIndexAt(*doc, notes[0].start - 9, notes[0].start + 1), 0);
    EXPECT_EQ(NotesBetween(*doc, 0, notes[2].start), (std::vector<int>{0, 1}));
    EXPECT_EQ(NotesBetween(*doc, notes[2].start, DocLength(*doc)), (std::vector<int>{2, 3}));
    EXPECT_TRUE(NotesBetween(*doc, notes[3].end, DocLength(*doc)).empty());
}

TEST(Notes, HostileBooksGiveBoundedNotes) {
    ScratchDir dir;
    test::OpenedBook doc;
    std::string fb2 = "<FictionBook><body><p>";
    for (int i = 0; i < 100000; ++i) {
        fb2 += "w<a l:href=\"#n" + std::to_string(i % 20000) + "\" type=\"note\">" +
               std::to_string(i) + "</a> ";
    }
    fb2 += "</p></body><body name=\"notes\">";
    for (int i = 0; i < 30000; ++i)
        fb2 += "<section id=\"n" + std::to_string(i) + "\"><p>N</p></section>";
    fb2 += "<section id=\"long\"><p>" + std::string(20000, 'x') + "</p></section></body>";
    ASSERT_EQ(Open(*doc, dir.Write("many.fb2", fb2), kCodePageUtf8), 1);
    ASSERT_EQ(doc->notes.size(), static_cast<size_t>(kMaxNotes));
    EXPECT_EQ(NoteText(*doc, doc->notes.back(), kMaxNoteText, 0), u"N");
    for (size_t i = 1; i < doc->notes.size(); ++i)
        ASSERT_LT(doc->notes[i - 1].end, doc->notes[i].start);

    // Ids longer than a tag is read, a note that never ends, links to each other and to themselves.
    const std::string longId(100000, 'i');
    std::string html = "<p><a href='#" + longId + "'>1</a><a href='#" + longId.substr(0, 200) +
                       "'>2</a><a id='p' href='#q'>3</a><a id='q' href='#p'>4</a><a id='s' "
                       "href='#s'>5</a></p><p id='" +
                       longId + "'>unreadable</p><p id='" + longId.substr(0, 200) + "'>" +
                       std::string(50000, 'z');
    ASSERT_EQ(Open(*doc, dir.Write("long.html", html), 1252), 1);
    // The gatherer looks forward only: "4" leads back, "5" to itself.
    ASSERT_EQ(doc->notes.size(), 2u);
    EXPECT_EQ(NoteLabel(*doc, doc->notes[0]), u"2");
    const std::u16string cut = NoteText(*doc, doc->notes[0], kMaxNoteText * 2, 0);
    EXPECT_EQ(cut.size(), static_cast<size_t>(kMaxNoteText));
    EXPECT_EQ(cut.find_first_not_of(u'z'), cut.npos);
    EXPECT_EQ(NoteLabel(*doc, doc->notes[1]), u"3");
    EXPECT_EQ(NoteText(*doc, doc->notes[1], 100, 0), u"45");  // to the anchor's paragraph end

    // An EPUB whose links climb out of the archive, name absolute places or other schemes.
    const std::string c1 = Page(
        "<p><a href='/OPS/c1.xhtml#t'>1</a><a href='../../../x#t'>2</a>"
        "<a href='http://x/c1.xhtml#t'>3</a><a href='%2e%2e/OPS/c1.xhtml#t'>4</a></p>"
        "<p id='t'>T</p>");
    ASSERT_EQ(Open(*doc, WriteParts(dir, "out.epub", {c1})), 1);
    ASSERT_EQ(doc->notes.size(), 1u);
    EXPECT_EQ(NoteLabel(*doc, doc->notes[0]), u"4");
}

}  // namespace
}  // namespace lectra
