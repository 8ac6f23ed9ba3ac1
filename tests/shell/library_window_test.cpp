// The library through the window: the scan, the dialog's search, books in archives.
#include "dialogs/library_folders_dialog.h"
#include "platform/command_ids.h"
#include "scripted_dialogs.h"

namespace lectra {
namespace {

using test::Lines;
using test::scripts;

std::string Fb2(const std::string& title, const std::string& first, const std::string& last) {
    std::string body;
    for (int i = 0; i < 400; ++i) body += "<p>" + title + " line " + std::to_string(i) + "</p>";
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<FictionBook><description><title-info>"
           "<author><first-name>" +
           first + "</first-name><last-name>" + last + "</last-name></author><book-title>" + title +
           "</book-title><lang>ru</lang></title-info></description><body>" + body +
           "</body></FictionBook>";
}

class LibraryWindow : public test::Reader {
protected:
    std::string oldHome;
    void SetUp() override {
        test::Reader::SetUp();
        const char* home = std::getenv("HOME");
        oldHome = home ? home : "";
        setenv("HOME", dir.path().c_str(), 1);
    }
    void TearDown() override {
        test::Reader::TearDown();
        setenv("HOME", oldHome.c_str(), 1);
    }
    // The window with its catalogue in the scratch folder, no book opened yet.
    void Window() {
        Make(test::Scripted);
        app->libraryPath = dir.path() + "/library.sqlite";
        ASSERT_EQ(CreateAppWindow(*app), 1);
    }
};

TEST_F(LibraryWindow, ABookIsFoundByItsAuthorAndOpenedFromItsArchive) {
    mkdir((dir.path() + "/Books").c_str(), 0755);
    dir.Write("Books/war.fb2", Fb2("Война и мир", "Лев", "Толстой"));
    dir.Write("Books/a.fb2", Fb2("Анна Каренина", "Лев", "Толстой"));
    dir.Write("Books/b.fb2", Fb2("Ёжик в тумане", "Сергей", "Козлов"));
    ASSERT_EQ(
        std::system(("cd '" + dir.path() + "/Books' && zip -q -m pair.zip a.fb2 b.fb2").c_str()),
        0);
    Window();
    // Nothing was ever read: the start shows the library, which has books under ~/Books; the
    // search's rules are the catalogue's (LibrarySearch).
    scripts.push_back([](PlatformDialog* d) {
        EXPECT_EQ(Lines(d, kCtlLibraryBooks).size(), 3u);
        SetControlText(d, kCtlLibrarySearch, u"еж");
        SendDialogCommand(d, kCtlLibrarySearch, kEditChange);
        ASSERT_EQ(Lines(d, kCtlLibraryBooks),
                  std::vector<std::u16string>{u"Ёжик в тумане — Сергей Козлов"});
        SendDialogCommand(d, kCmdLeftSoftKey);
    });
    OpenStartupBook(*app, u"");
    ASSERT_EQ(app->bookOpen, 1);
    EXPECT_EQ(app->doc->bookPath, Utf8ToUtf16(dir.path() + "/Books/pair.zip"));
    EXPECT_EQ(app->doc->zipEntryName, u"b.fb2");
    EXPECT_EQ(app->bookTitle, u"Ёжик в тумане — Сергей Козлов — Lectra");
    // The other book of the archive opens by its entry; the first comes back at its place.
    Press(kVkPageDown);
    const int32_t place = PageStart();
    ASSERT_GT(place, 0);
    ASSERT_TRUE(OpenBookEntry(*app, Utf8ToUtf16(dir.path() + "/Books/pair.zip"), u"a.fb2"));
    EXPECT_EQ(app->doc->zipEntryName, u"a.fb2");
    EXPECT_EQ(PageStart(), 0);
    ASSERT_TRUE(OpenBookEntry(*app, Utf8ToUtf16(dir.path() + "/Books/pair.zip"), u"b.fb2"));
    EXPECT_EQ(app->doc->zipEntryName, u"b.fb2");
    EXPECT_EQ(PageStart(), place);
}

// The library's folders through its dialog: ~/Books at first; another folder added with the
// chooser and ~/Books removed give a library of that folder alone, kept in the settings file.
TEST_F(LibraryWindow, FoldersChosenFromTheLibraryAreKeptAndScanned) {
    mkdir((dir.path() + "/Books").c_str(), 0755);
    mkdir((dir.path() + "/shelf").c_str(), 0755);
    dir.Write("Books/war.fb2", Fb2("Война и мир", "Лев", "Толстой"));
    dir.Write("shelf/b.fb2", Fb2("Ёжик в тумане", "Сергей", "Козлов"));
    Window();
    const std::u16string books = Utf8ToUtf16(dir.path() + "/Books");
    const std::u16string shelf = Utf8ToUtf16(dir.path() + "/shelf");
    scripts.push_back([](PlatformDialog* d) {
        EXPECT_EQ(Lines(d, kCtlLibraryBooks),
                  std::vector<std::u16string>{u"Война и мир — Лев Толстой"});
        SendDialogCommand(d, kCtlLibraryFolders, kButtonPress);
    });
    scripts.push_back([&](PlatformDialog* d) {
        EXPECT_EQ(Lines(d, kCtlFoldersList), std::vector<std::u16string>{books});
        SendDialogCommand(d, kCtlFoldersAdd, kButtonPress);  // the chooser, scripted next
        EXPECT_EQ(Lines(d, kCtlFoldersList), (std::vector<std::u16string>{books, shelf}));
        ListSelect(d, kCtlFoldersList, 0);
        SendDialogCommand(d, kCtlFoldersRemove, kButtonPress);
        EXPECT_EQ(Lines(d, kCtlFoldersList), std::vector<std::u16string>{shelf});
        EXPECT_FALSE(test::Ended(d));
        SendDialogCommand(d, kCmdLeftSoftKey);
    });
    scripts.push_back([](PlatformDialog* d) {
        // The chooser starts in the folder selected and lists folders only.
        EXPECT_EQ(Lines(d, kCtlCaptionedList),
                  (std::vector<std::u16string>{u"<..>", u"[Choose this folder]"}));
        test::Choose(d, kCtlCaptionedList, u"<..>");
        test::Choose(d, kCtlCaptionedList, u"<shelf>");
        test::Choose(d, kCtlCaptionedList, u"[Choose this folder]");
    });
    Run(kCmdLibrary, [](PlatformDialog* d) {
        EXPECT_EQ(Lines(d, kCtlLibraryBooks),
                  std::vector<std::u16string>{u"Ёжик в тумане — Сергей Козлов"});
    });
    EXPECT_TRUE(scripts.empty());
    EXPECT_EQ(LibraryFolders(*app), std::vector<std::string>{dir.path() + "/shelf"});
    // A settings file edited by hand: the whole disk, a relative path and a repeat are not walked.
    Settings& s = app->session.settings;
    s.libraryFolderCount = 4;
    s.libraryFolders[1] = u"//";
    s.libraryFolders[2] = u"Books";
    s.libraryFolders[3] = shelf;
    EXPECT_EQ(LibraryFolders(*app), std::vector<std::string>{dir.path() + "/shelf"});
    EXPECT_EQ(Config("LIBRARY_FOLDER_1"), dir.path() + "/shelf");
}

// The book being read on a first run is one of the books read: the library opened over it
// lists its folder's books, before anything was saved.
TEST_F(LibraryWindow, TheFolderOfTheBookOpenIsInTheLibraryAtOnce) {
    mkdir((dir.path() + "/shelf").c_str(), 0755);
    dir.Write("shelf/a.fb2", Fb2("Анна Каренина", "Лев", "Толстой"));
    dir.Write("shelf/b.fb2", Fb2("Ёжик в тумане", "Сергей", "Козлов"));
    Window();
    OpenStartupBook(*app, Utf8ToUtf16(dir.path() + "/shelf/a.fb2"));
    ASSERT_EQ(app->bookOpen, 1);
    Run(kCmdLibrary, [](PlatformDialog* d) { EXPECT_EQ(Lines(d, kCtlLibraryBooks).size(), 2u); });
    EXPECT_TRUE(scripts.empty());
}

// What the folders list refuses: the whole disk, a name the settings file would cut or break,
// a seventeenth folder.
TEST(LibraryFoldersDialog, RefusesWhatCannotBeKept) {
    const std::u16string longest = u"/" + std::u16string(kMaxValueChars - 1, u'x');
    EXPECT_EQ(FolderRefusal({}, longest), nullptr);
    EXPECT_NE(FolderRefusal({}, longest + u"x"), nullptr);
    EXPECT_NE(FolderRefusal({}, u"/"), nullptr);
    EXPECT_NE(FolderRefusal({}, u"/a\nb"), nullptr);
    std::vector<std::u16string> full(kLibraryFolderCount - 1, u"/a");
    EXPECT_EQ(FolderRefusal(full, u"/b"), nullptr);
    full.push_back(u"/a");
    EXPECT_NE(FolderRefusal(full, u"/b"), nullptr);
}

}  // namespace
}  // namespace lectra
