// The dialogs and menu commands through the window procedure and the real widgets.
#include <sys/stat.h>

#include "dialogs/bookmarks.h"
#include "dialogs/goto_dialog.h"
#include "document/text_cache.h"
#include "platform/command_ids.h"
#include "scripted_dialogs.h"

namespace lectra {
namespace {

using test::Choose;
using test::Lines;
using test::Scripted;
using test::scripts;

class Dialogs : public test::Reader {
protected:
    App& StartScripted(const std::string& book = std::string()) { return Start(book, Scripted); }
};

TEST_F(Dialogs, TheBrowserListsFoldersAndBooksGoesUpAndOpensABook) {
    mkdir((dir.path() + "/shelf").c_str(), 0755);
    mkdir((dir.path() + "/shelf/old").c_str(), 0755);
    Copy("shelf/b.txt", test::Sample("en-story.txt"));
    Copy("shelf/a.fb2.gz", test::Fixture("en.fb2.gz"));
    dir.Write("shelf/notes.xyz", "x");
    dir.Write("shelf/.hidden.txt", "x");
    // A name in windows-1251, as old archives of Russian books have them.
    const std::string cyrillic =
        Copy("shelf/\xca\xed\xe8\xe3\xe0.txt", test::Sample("ru-story.txt"));
    // With nothing to reopen the browser opens at once; it is left with Cancel.
    scripts.push_back([](PlatformDialog*) {});
    StartScripted();
    EXPECT_EQ(test::dialogs, std::vector<int>{kTemplateBrowser});
    app->browseFolder = Utf8ToUtf16(dir.path() + "/shelf/old");
    Run(kCmdOpen, [&](PlatformDialog* d) {
        // Started in the folder browsed last; Back goes up and selects the folder left.
        EXPECT_EQ(Lines(d, kCtlCaptionedList), std::vector<std::u16string>{u"<..>"});
        SendDialogCommand(d, kCmdCancel);
        EXPECT_EQ(Lines(d, kCtlCaptionedList),
                  (std::vector<std::u16string>{u"<..>", u"<old>", u" a.fb2.gz ", u" b.txt ",
                                               u" Книга.txt "}));
        EXPECT_EQ(ListSelection(d, kCtlCaptionedList), 1);
        Choose(d, kCtlCaptionedList, u" Книга.txt ");
    });
    EXPECT_EQ(app->doc->bookPath, PathFromBytes(cyrillic));
    EXPECT_TRUE(test::messages.empty());
}

// Bookmarks added, opened and cleared through the dialogs, or written to the file, reach the page
// at once or on the next paint; another book's never do.
TEST_F(Dialogs, BookmarksAreAddedListedOpenedAndClearedAndMarkThePage) {
    StartScripted(Copy("book.txt", test::Sample("en-story.txt")));
    const std::string file = dir.path() + "/lectra.bkl";
    const std::u16string path = app->doc->bookPath;
    Press(kVkDown);
    const int32_t marked = PageStart();
    std::u16string suggested;
    Run(kCmdAddBookmark, [&](PlatformDialog* d) {
        suggested = ControlText(d, kCtlBookmarkName);
        SendDialogCommand(d, kCmdLeftSoftKey);
    });
    EXPECT_EQ(app->layout.status.bookmarkHere, 1);
    EXPECT_EQ(app->layout.bookmarks, std::vector<int32_t>{marked});
    const std::string bytes = test::ReadBytes(file);
    ASSERT_EQ(bytes.size(), kBookmarkRecordBytes);
    // A torn record at the end is cut before the next one is added, and never listed.
    dir.Write("lectra.bkl", bytes + std::string(100, 'x'));
    Run(kCmdAddBookmark, [](PlatformDialog* d) { SendDialogCommand(d, kCmdOk); });
    EXPECT_EQ(test::ReadBytes(file).size(), 2 * kBookmarkRecordBytes);

    Send(kMsgCommand, kCmdFileStart);  // back to the start, then to the bookmark
    Run(kCmdOpenBookmark, [&](PlatformDialog* d) {
        const std::vector<std::u16string> lines = Lines(d, kCtlList);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0].substr(lines[0].find(u"% ") + 2), suggested);
        SendDialogCommand(d, kCmdLeftSoftKey);
    });
    EXPECT_EQ(PageStart(), marked);
    // A path the record cannot hold whole is refused, never cut.
    EXPECT_EQ(AppendBookmark(Utf8ToUtf16(file), {std::u16string(300, u'a'), u""}), 0);
    EXPECT_EQ(test::ReadBytes(file).size(), 2 * kBookmarkRecordBytes);

    const std::u16string other = Utf8ToUtf16(dir.path() + "/other.txt");
    const int32_t length = DocLength(*app->doc);
    ASSERT_TRUE(AppendBookmark(Utf8ToUtf16(file), {path, u"near the end", length - 10, length}));
    ASSERT_TRUE(AppendBookmark(Utf8ToUtf16(file), {other, u"x", 0, length}));
    Repaint(*app);
    EXPECT_EQ(app->layout.bookmarks, (std::vector<int32_t>{marked, marked, length - 10}));
    Press(kVkPageDown);
    EXPECT_EQ(app->layout.status.bookmarkHere, 0);
    EXPECT_EQ(app->layout.status.bookmarkPercents.size(), 3u);
    Send(kMsgCommand, kCmdClearBookmarks);  // cleared after the question
    EXPECT_TRUE(app->layout.bookmarks.empty());
    EXPECT_TRUE(BookBookmarks(Utf8ToUtf16(file), path).empty());
    EXPECT_EQ(BookBookmarks(Utf8ToUtf16(file), other).size(), 1u);
    test::messages.clear();
    Send(kMsgCommand, kCmdOpenBookmark);
    EXPECT_EQ(test::messages, std::vector<std::u16string>{u"List Empty!"});
}

TEST_F(Dialogs, BookmarksAreDeletedOneAtATime) {
    const std::string book = Copy("b.txt", test::Sample("en-story.txt"));
    StartScripted(book);
    const std::u16string file = Utf8ToUtf16(dir.path()) + u"/" + kBookmarksFileName;
    for (const char16_t* name : {u"one", u"two", u"three"})
        ASSERT_TRUE(AppendBookmark(file, {Utf8ToUtf16(book), name}));
    ASSERT_TRUE(AppendBookmark(file, {u"/elsewhere/other.txt", u"other's"}));
    Run(kCmdOpenBookmark, [&](PlatformDialog* d) {
        ListSelect(d, kCtlList, 1);
        SendDialogCommand(d, kCtlList, kListDelete);
        EXPECT_EQ(Lines(d, kCtlList), (std::vector<std::u16string>{u"0% one", u"0% three"}));
        EXPECT_EQ(ListSelection(d, kCtlList), 1);
        std::vector<std::u16string> names;
        for (const Bookmark& b : BookBookmarks(file, Utf8ToUtf16(book))) names.push_back(b.name);
        EXPECT_EQ(names, (std::vector<std::u16string>{u"one", u"three"}));
        SendDialogCommand(d, kCtlList, kListDelete);
        EXPECT_FALSE(test::Ended(d));
        SendDialogCommand(d, kCtlList, kListDelete);  // the last one: the list closes
        EXPECT_TRUE(test::Ended(d));
    });
    EXPECT_TRUE(app->layout.bookmarks.empty());
    EXPECT_EQ(BookBookmarks(file, u"/elsewhere/other.txt").size(), 1u);
}

TEST_F(Dialogs, SearchFindsCyrillicInAnyCaseFromTheStartAndSaysWhatFailed) {
    StartScripted(Copy("book.fb2", test::Sample("ru-story.fb2")));
    auto find = [&](const std::u16string& text, int fromHere) {
        Run(kCmdFind, test::Search(text, fromHere));
    };
    find(u"ЕРОФЕЙ", 0);
    const int32_t first = PageStart();
    ASSERT_GT(first, 0);
    EXPECT_EQ(Text(app->layout.searchMark, 6), u"Ерофей");
    test::messages.clear();
    find(u"нет такого слова", 1);
    EXPECT_EQ(PageStart(), first);
    find(u"x", 0);  // too short: the dialog stays for a longer one
    EXPECT_EQ(test::messages,
              (std::vector<std::u16string>{u"String not found!", u"String too short!"}));
}

TEST_F(Dialogs, TheMatchRulesWildcardsWhiteSpaceRunsAndCase) {
    StartScripted(dir.Write("m.txt", "Alpha beta\r\n\r\nGamma  delta Ёлка ёЛКА"));
    auto find = [&](std::u16string s) {
        for (char16_t& c : s) c = LowerUnit(c);
        return Find(s);
    };
    EXPECT_GE(find(u"beta gamma"), 0);  // across the paragraph marks
    EXPECT_GE(find(u"b?ta"), 0);
    EXPECT_GE(find(u"gamma   delta"), 0);  // spaces in a row match one run
    EXPECT_EQ(find(u"betagamma"), -1);
    EXPECT_EQ(find(u"delta "), find(u"delta"));  // white space follows it
    const int32_t first = find(u"ёлка");
    EXPECT_GE(first, 0);
    EXPECT_EQ(Find(u"ёлка", first + 1), first + 5);
}

TEST(GotoDialog, TakesPercentsAndPagesWithinTheBook) {
    const struct {
        const char16_t* typed;
        int pages;
        int32_t position;
        const char16_t* error;
    } cases[] = {
        {u"100", 0, 5000, u""}, {u"  ", 0, -1, u""},         {u"101", 0, -1, u"Bad Percent!"},
        {u"4", 1, 4096, u""},   {u"5", 1, -1, u"Bad Page!"}, {u"2abc", 1, 2048, u""},
        {u"abc", 0, 0, u""},
    };
    for (const auto& c : cases) {
        const GotoTarget t = GotoTargetOf(c.typed, c.pages, 5000);
        EXPECT_EQ(t.position, c.position) << Utf16ToUtf8(c.typed);
        EXPECT_EQ(std::u16string(t.error), c.error) << Utf16ToUtf8(c.typed);
    }
}

// The file information opens (its cover: PictureImages.TheCoverIsPaintedForTheFileInformation).
TEST_F(Dialogs, FileInfoOpensAndExportsAndQuotationsWriteTheirFiles) {
    const std::string book = Copy("book.fb2", test::Sample("ru-story.fb2"));
    StartScripted(book);
    std::u16string info;
    Run(kCmdFileInfo, [&](PlatformDialog* d) { info = ControlText(d, kCtlFileInfoText); });
    EXPECT_NE(info.find(u"Format: FB2"), std::u16string::npos);
    Run(kCmdSaveCodePage, [](PlatformDialog* d) { Choose(d, kCtlList, u"Russian - 866 OEM"); });
    EXPECT_EQ(app->session.settings.codePageSave, 866);
    Send(kMsgCommand, kCmdSaveAsTxt);
    Send(kMsgCommand, kCmdSaveAsPdb);
    // Named after the book without its extension.
    const std::string base = dir.path() + "/book";
    struct stat st;
    EXPECT_EQ(stat((base + ".txt").c_str(), &st), 0);
    EXPECT_EQ(stat((base + ".pdb").c_str(), &st), 0);
    Send(kMsgCommand, kCmdSaveQuote);
    Send(kMsgCommand, kCmdSaveQuote);
    const std::string memo = test::ReadBytes(dir.path() + "/_lct_memo.utf8.txt");
    const std::string line = Utf16ToUtf8(app->layout.pageLines[0].text);
    EXPECT_EQ(memo.rfind("\r\n * ", 0), 0u);  // no byte-order mark before the first header
    EXPECT_NE(memo.find(" " + book + "\r\n\r\n" + line + "\r\n"), std::string::npos);
    EXPECT_NE(memo.find(line, memo.find(line) + 1), std::string::npos);  // two quotes
}

}  // namespace
}  // namespace lectra
