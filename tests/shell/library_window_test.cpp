// The library through the window: a scan of the user's folders in its worker, the dialog listing
// and searching the catalogue as one types, and a book of an archive of several opened by its
// entry and found again at its place.
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
        scripts.clear();
        const char* home = std::getenv("HOME");
        oldHome = home ? home : "";
        setenv("HOME", dir.path().c_str(), 1);
    }
    void TearDown() override {
        test::Reader::TearDown();
        setenv("HOME", oldHome.c_str(), 1);
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
    Make(test::Scripted);
    app->libraryPath = dir.path() + "/library.sqlite";
    ASSERT_EQ(CreateAppWindow(*app), 1);
    // Nothing was ever read: the start shows the library, which has books under ~/Books.
    scripts.push_back([](PlatformDialog* d) {
        EXPECT_EQ(Lines(d, kCtlLibraryBooks).size(), 3u);
        SetControlText(d, kCtlLibrarySearch, u"ТОЛСТОЙ");
        SendDialogCommand(d, kCtlLibrarySearch, kEditChange);
        EXPECT_EQ(Lines(d, kCtlLibraryBooks),
                  (std::vector<std::u16string>{u"Анна Каренина — Лев Толстой",
                                               u"Война и мир — Лев Толстой"}));
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
    EXPECT_EQ(app->bookTitle, u"Ёжик в тумане — Lectra");
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

TEST_F(LibraryWindow, TheBrowserShowsAnArchiveOfSeveralBooksAsAFolderOfThem) {
    mkdir((dir.path() + "/shelf").c_str(), 0755);
    dir.Write("shelf/a.fb2", Fb2("Анна Каренина", "Лев", "Толстой"));
    dir.Write("shelf/b.fb2", Fb2("Ёжик в тумане", "Сергей", "Козлов"));
    dir.Write("shelf/one.fb2", Fb2("Один", "Некто", "Никто"));
    ASSERT_EQ(std::system(("cd '" + dir.path() + "/shelf' && zip -q -m pair.zip a.fb2 b.fb2 && " +
                           "zip -q -m single.zip one.fb2")
                              .c_str()),
              0);
    Make(test::Scripted);
    ASSERT_EQ(CreateAppWindow(*app), 1);
    scripts.push_back([](PlatformDialog*) {});  // the browser at start, left
    OpenStartupBook(*app, u"");
    app->browseFolder = Utf8ToUtf16(dir.path() + "/shelf/");
    scripts.push_back([&](PlatformDialog* d) {
        // An archive of one book is a book; one of several is a folder of them.
        EXPECT_EQ(Lines(d, kCtlCaptionedList),
                  (std::vector<std::u16string>{u"<..>", u"<pair.zip>", u" single.zip "}));
        test::Choose(d, kCtlCaptionedList, u"<pair.zip>");
        EXPECT_EQ(Lines(d, kCtlCaptionedList),
                  (std::vector<std::u16string>{u"<..>", u" a.fb2 ", u" b.fb2 "}));
        test::Choose(d, kCtlCaptionedList, u" b.fb2 ");
    });
    Send(kMsgCommand, kCmdOpen);
    ASSERT_EQ(app->bookOpen, 1);
    EXPECT_EQ(app->doc->bookPath, Utf8ToUtf16(dir.path() + "/shelf/pair.zip"));
    EXPECT_EQ(app->doc->zipEntryName, u"b.fb2");
}

}  // namespace
}  // namespace lectra
