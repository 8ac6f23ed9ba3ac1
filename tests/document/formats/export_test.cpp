// Export as TXT and PDB: every save code page read back by iconv, round trips via txt2pdbdoc.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "book_builders.h"
#include "document/format_table.h"
#include "document/formats/book_export.h"
#include "platform/sys/code_pages.h"

namespace lectra {
namespace {

using test::Open;
using test::ReadBytes;
using test::ScratchDir;
using test::Tool;

// Opens `text` as a plain-text book read as it is (every line feed a paragraph mark).
void OpenText(Document& doc, const ScratchDir& dir, const std::string& name,
              const std::string& text, int codePage = 1251) {
    doc.txtParagraphMode = kTxtPlainAsIs;
    ASSERT_EQ(Open(doc, dir.Write(name, text), codePage), 1);
}

TEST(ExportTxt, ParagraphMarksBecomeLineBreaksWithAnIndent) {
    ScratchDir dir;
    test::OpenedBook doc;
    // A mark before a letter gets CR LF and a space; before a space, CR LF alone; the last mark
    // is followed by nothing, which is not a space.
    OpenText(*doc, dir, "p.txt", "one\ntwo\n three\n");
    ASSERT_EQ(ExportTxt(*doc, doc->bookPath, 1251), 1);
    EXPECT_EQ(ReadBytes(dir.path() + "/p.txt.txt"), "one\r\n two\r\n three\r\n ");
}

// The save dialog's code pages that glibc's iconv knows, EBCDIC left out (the reader takes bytes
// below 128 as ASCII in every code page); glibc lacks the Greek, Turkish and other Mac pages.
const struct {
    int id;
    const char* iconv;
} kIconvPages[] = {
    // clang-format off
    {866, "CP866"}, {1251, "CP1251"}, {20866, "KOI8-R"}, {28595, "ISO-8859-5"},
    {10007, "MAC-CYRILLIC"}, {1250, "CP1250"}, {28592, "ISO-8859-2"}, {775, "CP775"},
    {850, "CP850"}, {852, "CP852"}, {1252, "CP1252"}, {28599, "ISO-8859-9"}, {28605, "ISO-8859-15"},
    {28591, "ISO-8859-1"}, {10029, "MAC-CENTRALEUROPE"}, {869, "CP869"}, {737, "CP737"},
    {1253, "CP1253"}, {28597, "ISO-8859-7"}, {855, "CP855"}, {860, "CP860"}, {861, "CP861"},
    {863, "CP863"}, {865, "CP865"}, {874, "CP874"}, {857, "CP857"}, {1254, "CP1254"},
    {1255, "CP1255"}, {1256, "CP1256"}, {10000, "MACINTOSH"}, {10079, "MAC-IS"}, {21866, "KOI8-U"},
    {10017, "MAC-UK"}, {28594, "ISO-8859-4"}, {1257, "CP1257"}, {437, "CP437"},
    // clang-format on
};

TEST(ExportTxt, EverySaveCodePageReadsBackWithIconv) {
    ScratchDir dir;
    std::string high;
    for (int b = 128; b < 256; ++b) {
        high += static_cast<char>(b);
        high += '\n';
    }
    dir.Write("high.bin", high);
    test::OpenedBook doc;
    for (const auto& page : kIconvPages) {
        // What iconv makes of each byte 128–255 (an empty line where the code page has none).
        const std::string lines = test::Run(std::string("iconv -c -f ") + page.iconv +
                                            " -t UTF-8 '" + dir.path() + "/high.bin'");
        char16_t windows[128];
        ASSERT_EQ(CodePageHighHalf(page.id, windows), 1) << page.iconv;
        int differences = 0;
        std::string book = "ASCII stays as it is: 0-9, A-Z, a-z, ~!";
        std::string expected = book;
        std::istringstream in(lines);
        std::string c;
        for (int b = 128; b < 256; ++b) {
            ASSERT_TRUE(std::getline(in, c)) << page.iconv;
            // A no-break space reaches the stream as a space, as the reader shows it. Where the
            // Windows table that the reader follows differs from glibc's (a few bytes of the Mac,
            // Greek, Hebrew and KOI8-U pages), iconv cannot judge the export.
            if (c.empty() || c == "\xC2\xA0") continue;
            if (Utf8ToUtf16(c) != std::u16string(1, windows[b - 128])) {
                ++differences;
                continue;
            }
            book += " " + c;
            expected += ' ';
            expected += static_cast<char>(b);
        }
        EXPECT_LE(differences, 12) << page.iconv;  // the documented differences, not a wrong table
        OpenText(*doc, dir, "cp.txt", book, kCodePageUtf8);
        ASSERT_EQ(ExportTxt(*doc, doc->bookPath, page.id), 1) << page.iconv;
        EXPECT_EQ(ReadBytes(dir.path() + "/cp.txt.txt"), expected) << page.iconv;
    }
    // A character the save code page lacks is written as "?".
    OpenText(*doc, dir, "q.txt", "\xD0\x96 \xE2\x82\xAC", kCodePageUtf8);  // Ж €
    ASSERT_EQ(ExportTxt(*doc, doc->bookPath, 1252), 1);
    EXPECT_EQ(ReadBytes(dir.path() + "/q.txt.txt"), "? \x80");
}

TEST(ExportTxt, RefusesWhatItCannotWriteWithoutWriting) {
    ScratchDir dir;
    test::OpenedBook doc;
    OpenText(*doc, dir, "b.txt", "text");
    // Not a single-byte code page with a table.
    for (int cp : {kCodePageUtf8, kCodePageUtf16, 12345, -1}) {
        EXPECT_EQ(ExportTxt(*doc, doc->bookPath, cp), 0) << cp;
        EXPECT_EQ(ExportPdb(*doc, doc->bookPath, cp), 0) << cp;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/b.txt.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/b.pdb"));
    // A path of more than 256 characters.
    const std::u16string longPath = Utf8ToUtf16(dir.path() + "/" + std::string(257, 'x'));
    EXPECT_EQ(ExportTxt(*doc, longPath, 1251), 0);
    EXPECT_EQ(ExportPdb(*doc, longPath, 1251), 0);
}

TEST(ExportPdb, RoundTripsThroughOurReaderAndTxt2pdbdoc) {
    ScratchDir dir;
    test::OpenedBook doc;
    // The Russian story, from UTF-8, saved as a windows-1251 database.
    doc->txtParagraphMode = kTxtDetectParagraph;
    ASSERT_EQ(Open(*doc, test::Fixture("ru-utf8.txt")), 1);
    const std::u16string saved = Utf8ToUtf16(dir.path() + "/ru");
    ASSERT_EQ(ExportPdb(*doc, saved, 1251), 1);
    ASSERT_EQ(ExportTxt(*doc, saved, 1251), 1);
    const std::string pdb = dir.path() + "/ru.pdb";
    const std::vector<std::string> words = test::Words(ReadBytes(test::Fixture("source/ru.txt")));

    ASSERT_EQ(Open(*doc, pdb), 1);
    EXPECT_EQ(doc->formatKind, kKindPalmDoc);
    EXPECT_EQ(doc->bookCodePage, 1251);
    EXPECT_EQ(test::StreamWords(*doc), words);

    // txt2pdbdoc reads the database back to the same text as the TXT export, line feeds for CR LF.
    test::Run("txt2pdbdoc -d '" + pdb + "' '" + dir.path() + "/back.txt'");
    std::string txt = ReadBytes(dir.path() + "/ru.txt");
    for (size_t i; (i = txt.find("\r\n")) != std::string::npos;) txt.erase(i, 1);
    EXPECT_EQ(ReadBytes(dir.path() + "/back.txt"), txt);
    EXPECT_EQ(test::Words(test::Run("iconv -f CP1251 -t UTF-8 '" + dir.path() + "/back.txt'")),
              words);
}

// The tool's test below saves "story.txt" as "story.txt.txt" (never the book itself) and
// "story.pdb".
TEST(ExportCommands, AnExportIsNamedAfterTheBookWithoutItsExtensions) {
    EXPECT_EQ(ExportBase(u"/b/story.FB2.GZ", u".pdb"), u"/b/story");
    EXPECT_EQ(ExportBase(u"/b.d/notes", u".txt"), u"/b.d/notes");
    EXPECT_EQ(ExportBase(u"/b/.fb2", u".txt"), u"/b/.fb2");
    EXPECT_EQ(ExportBase(u"/b/v1.2.rtf", u".txt"), u"/b/v1.2");
}

TEST(ExportCommands, LectraToolSavesBesideTheBookAndReportsFailure) {
    ScratchDir dir;
    const std::string book = dir.Write("story.txt", "\xC4\xE0 \xED\xE5\xF2\n");  // "Да нет" in 1251
    EXPECT_EQ(Tool("export-txt '" + book + "'"), "File saved!\n");
    EXPECT_EQ(ReadBytes(book + ".txt"), "\xC4\xE0 \xED\xE5\xF2 ");  // a line feed that joins lines
    // Exporting again replaces the file.
    EXPECT_EQ(Tool("export-txt --save-code-page 866 '" + book + "'"), "File saved!\n");
    EXPECT_EQ(ReadBytes(book + ".txt"), "\x84\xA0 \xAD\xA5\xE2 ");
    EXPECT_EQ(Tool("export-pdb --save-code-page 20866 '" + book + "'"), "File saved!\n");
    // Named after the book without its extensions: "story.pdb" ("story.txt" would be the book).
    EXPECT_EQ(Tool("info '" + dir.path() + "/story.pdb'"),
              "kind: 4\ncode page: 20866\nsource size: 4096\nlength: 4096\nblocks: 1\n"
              "language: ru\n");

    // A write cut short by the file-size limit leaves no half-written book.
    const std::string big = dir.Write("big.txt", std::string(20000, 'w'));
    EXPECT_EQ(test::Run("bash -c \"trap '' XFSZ; ulimit -f 8; '" + std::string(LECTRA_TOOL) +
                        "' export-txt '" + big + "'\" 2>&1"),
              "Error\n");
    EXPECT_FALSE(std::filesystem::exists(big + ".txt"));
}

}  // namespace
}  // namespace lectra
