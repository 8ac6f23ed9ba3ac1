// The settings model: the first-run file, the load rules, the bindings, saving as held; the
// recent books: the move-to-front rules, case-sensitive paths, long paths.
#include "settings/settings_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/encoding.h"
#include "test_support.h"

namespace lectra {
namespace {

// A config store loaded from `text` in a scratch folder, and the settings loaded from it.
struct Loaded {
    test::ScratchDir dir;
    SettingsStore config, recentStore;
    RecentFiles recent;
    Settings settings;
    explicit Loaded(const std::string& text) {
        if (!text.empty()) dir.Write("_config.ini", text);
        CreateSettingsStore(config, Utf8ToUtf16(dir.path()), kConfigFileName, kConfigCapacity);
        LoadSettings(settings, config, IsListedCodePage);
        LoadRecent();
    }
    // The recent list's store made and read, as at a start.
    void LoadRecent() {
        CreateSettingsStore(recentStore, Utf8ToUtf16(dir.path()), kRecentFileName, kRecentCapacity,
                            kRecentValueChars);
        recent = RecentFiles();
        LoadRecentFiles(recent, recentStore, IsListedCodePage);
    }
    std::string Saved() {
        SaveSettings(settings, config, recent, recentStore, CurrentBook{});
        Save(config);
        return test::ReadBytes(dir.path() + "/_config.ini");
    }
};

// Every key with its default, the desktop ones included (margins of 5 % of the window, the
// book's face and sizes), in load order.
TEST(SettingsModel, AFirstRunWritesEveryKeyInLoadOrder) {
    EXPECT_EQ(Loaded("").Saved(), test::ReadBytes(test::Fixture("first-run-config.ini")));
}

// Out of range, a line interval is held at its bound, a character width takes its default and an
// action its binding's default; only the low 8 bits of a colour channel count. The file's keys are
// written back in its order, as held, but for the centre key, which stays FullScreen, and a face
// longer than 31 characters, which loads empty: the file keeps those.
TEST(SettingsModel, ProfileValuesBindingsAndFacesAsLoadedAndSaved) {
    const std::string faces = "FONT_FACE_TEXT=" + std::string(32, 'F') +
                              "\r\nFONT_FACE_STATUS=" + std::string(31, 'G') + "\r\n";
    Loaded run(
        "FONT_WIDTH_CHAR_0=5\r\nLINE_IL_0=15\r\nLINE_IL_1=-15\r\nLINE_IL_2=7\r\n"
        "COLOR_TEXT_R_0=300\r\nCOLOR_TEXT_G_0=-1\r\nACTION_0401=31\r\nACTION_0402=30\r\n"
        "ACTION_0028=-1\r\nACTION_000D=5\r\n" +
        faces + "#");
    EXPECT_EQ(run.settings.fontFaceText, u"");
    EXPECT_EQ(run.settings.bindings[FindBinding(run.settings.bindings, 0x000D)].action,
              kActionFullScreen);
    run.settings.bindings[0].action = kActionQuit;
    const std::string saved = run.Saved();
    const std::string held =
        "FONT_WIDTH_CHAR_0=0\r\nLINE_IL_0=10\r\nLINE_IL_1=-10\r\nLINE_IL_2=7\r\n"
        "COLOR_TEXT_R_0=44\r\nCOLOR_TEXT_G_0=255\r\nACTION_0401=13\r\nACTION_0402=30\r\n"
        "ACTION_0028=11\r\nACTION_000D=5\r\n" +
        faces;
    EXPECT_EQ(saved.substr(0, held.size()), held);
    EXPECT_NE(saved.find("\r\nACTION_0031=26\r\n"), std::string::npos);
}

// The library's folders as loaded.
std::vector<std::u16string> Folders(const Settings& s) {
    return {s.libraryFolders, s.libraryFolders + std::max(s.libraryFolderCount, 0)};
}

// A file written with the handheld's values keeps them, in its order: only missing keys take the
// defaults, and saving it unchanged changes nothing. The library's folders: never chosen (−1) adds
// one key at the end; a chosen list, or an empty one, comes back as saved; a count the file cannot
// mean is −1.
TEST(SettingsModel, AnOldFileAsItIsAndLibraryFoldersAsChosen) {
    const std::string oldText =
        "FONT_FACE_TEXT=Verdana\r\nFONT_SIZE_TEXT_0=14\r\nMARGIN_LEFT=1\r\n"
        "MARGIN_TOP=0\r\n";
    Loaded old(oldText + "#");
    EXPECT_EQ(old.settings.libraryFolderCount, -1);
    std::string saved = old.Saved();
    EXPECT_EQ(saved.find(oldText), 0u);  // the values loaded as the file has them
    EXPECT_NE(saved.find("\r\nFONT_SIZE_TEXT_1=18\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nLIBRARY_FOLDERS=-1\r\n#"), std::string::npos);
    EXPECT_EQ(saved.find("LIBRARY_FOLDER_"), std::string::npos);
    // Saved again unchanged: neither the load nor the save changed the store, so the file is not
    // rewritten.
    Loaded again(saved);
    EXPECT_EQ(again.Saved(), saved);
    EXPECT_EQ(again.config.Dirty, 0);

    old.settings.libraryFolderCount = 3;
    old.settings.libraryFolders[0] = u"/книги/fb2";
    old.settings.libraryFolders[1] = u"/a\nb";  // a line break the file cannot carry: left out
    old.settings.libraryFolders[2] = u"/home/me/Books";
    Loaded chosen(old.Saved());
    EXPECT_EQ(Folders(chosen.settings),
              (std::vector<std::u16string>{u"/книги/fb2", u"/home/me/Books"}));

    chosen.settings.libraryFolderCount = 0;
    EXPECT_EQ(Loaded(chosen.Saved()).settings.libraryFolderCount, 0);
    EXPECT_EQ(Loaded("LIBRARY_FOLDERS=17\r\nLIBRARY_FOLDER_1=/x\r\n#").settings.libraryFolderCount,
              -1);
    // A count with keys missing or empty closes up over them.
    Loaded gaps("LIBRARY_FOLDERS=3\r\nLIBRARY_FOLDER_1=\r\nLIBRARY_FOLDER_3=/z\r\n#");
    EXPECT_EQ(Folders(gaps.settings), std::vector<std::u16string>{u"/z"});
}

CurrentBook Book(const std::u16string& path, int32_t position, const std::u16string& entry = u"",
                 int32_t length = 1000, int32_t codePage = 1251) {
    return {1, path, u"/books", length, codePage, position, entry};
}

// A book read again moves to the front with its new place, the books before it shifting down with
// their archive entries; the head read again changes in place; paths differing only in case are
// two books. (Several entries of one archive: the library window's test; a book forgotten: the
// window's delete test.)
TEST(RecentFiles, AReopenedBookMovesToTheFrontWithItsEntryName) {
    RecentFiles recent;
    // The list as "path:entry@position", head first.
    auto list = [&] {
        std::string out;
        for (const RecentEntry& e : recent.entries) {
            if (e.bookPath.empty()) continue;
            out +=
                Utf16ToUtf8(e.bookPath + u":" + e.zipName) + "@" + std::to_string(e.position) + " ";
        }
        return out;
    };
    for (const std::u16string name : {u"d", u"c", u"b", u"a"})
        RememberCurrentBook(recent, Book(u"/" + name, 1, name + u".fb2"));
    CurrentBook c = Book(u"/c", 777, u"c.fb2", 2000, 866);
    RememberCurrentBook(recent, c);
    EXPECT_EQ(list(), "/c:c.fb2@777 /a:a.fb2@1 /b:b.fb2@1 /d:d.fb2@1 ");
    EXPECT_EQ(std::tie(recent.entries[0].size, recent.entries[0].codePage), std::tuple(2000, 866));
    c.pageStart = 778;
    RememberCurrentBook(recent, c);
    RememberCurrentBook(recent, Book(u"/A", 5));
    EXPECT_EQ(list(), "/A:@5 /c:c.fb2@778 /a:a.fb2@1 /b:b.fb2@1 /d:d.fb2@1 ");
}

TEST(RecentFiles, PathsTheFileCannotHoldAreNotRecorded) {
    RecentFiles recent;
    RememberCurrentBook(recent, Book(u"/books/a.txt", 5));
    // The platform's limit counts bytes: 4095 of them and the terminating zero.
    const std::u16string longest = u"/" + std::u16string(kMaxPathBytes - 2, u'x');
    RememberCurrentBook(recent, Book(longest + u"y", 6));
    RememberCurrentBook(recent, Book(u"/" + std::u16string(kMaxPathBytes / 2, u'я'), 6));
    RememberCurrentBook(recent, Book(u"/books/two\nlines.txt", 7));
    CurrentBook folder = Book(u"/books/b.txt", 8);
    folder.browseFolder = u"/books/\r";
    RememberCurrentBook(recent, folder);
    EXPECT_EQ(recent.entries[0].bookPath, u"/books/a.txt");
    EXPECT_EQ(recent.entries[1].bookPath, u"");
    RememberCurrentBook(recent, Book(longest, 9));
    EXPECT_EQ(recent.entries[0].bookPath, longest);
}

// Sixteen paths and folders of 4095 bytes each, in folders named in an old code page (cp1251
// bytes, which are no UTF-8) and long Cyrillic names: 131,000 bytes.
TEST(RecentFiles, AFullListOfDeepPathsInOldCodePagesSurvivesASave) {
    auto longPath = [](int i, char16_t letter) {
        const std::u16string p =
            u"/" + Utf8ToUtf16(std::to_string(i)) + PathFromBytes("\xCA\xED\xE8\xE3\xE0/");
        return p + std::u16string((kMaxPathBytes - 1 - p.size()) / 2, letter);
    };
    Loaded l("");
    for (int i = 0; i < kRecentCount; ++i) {
        CurrentBook b = Book(longPath(i, u'к'), 100 + i, u"", 5000 + i, 20866);
        b.browseFolder = longPath(i, u'п');
        RememberCurrentBook(l.recent, b);
    }
    SaveRecentFiles(l.recent, l.recentStore);
    ASSERT_EQ(Save(l.recentStore), 1);
    l.LoadRecent();
    EXPECT_EQ(l.recentStore.Dirty, 0);
    for (int i = 0, j = 15; i < kRecentCount; ++i, --j) {
        const RecentEntry& e = l.recent.entries[i];
        EXPECT_EQ(std::tie(e.bookPath, e.folder, e.position, e.size, e.codePage),
                  std::make_tuple(longPath(j, u'к'), longPath(j, u'п'), 100 + j, 5000 + j, 20866));
    }
}

}  // namespace
}  // namespace lectra
