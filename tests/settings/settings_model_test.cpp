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

TEST(SettingsModel, ProfileValuesBindingsAndFacesAsLoadedAndSaved) {
    const std::string face32(32, 'F'), face31(31, 'G');
    Loaded run(
        "FONT_WIDTH_CHAR_0=5\r\nLINE_IL_0=15\r\nLINE_IL_1=-15\r\nLINE_IL_2=7\r\n"
        "COLOR_TEXT_R_0=300\r\nCOLOR_TEXT_G_0=-1\r\nCOLOR_BK_B_2=256\r\nACTION_0401=31\r\nACTION_"
        "0402=30\r\n"
        "ACTION_0028=-1\r\nACTION_0031=28\r\nACTION_02C1=3\r\nACTION_000D=5\r\nFONT_FACE_TEXT=" +
        face32 + "\r\nFONT_FACE_STATUS=" + face31 + "\r\n#");
    Settings& s = run.settings;
    EXPECT_EQ(std::vector<int32_t>(s.lineIl, s.lineIl + 4), (std::vector<int32_t>{10, -10, 7, 0}));
    EXPECT_EQ(s.fontWidthChar[0], 0);  // out of range: the default, not the bound
    // Only the low 8 bits of a channel count.
    EXPECT_EQ(s.colors[kColourText][0], MakeColour(44, 255, 0));
    EXPECT_EQ(s.colors[kColourBk][2], MakeColour(200, 200, 0));
    // An action outside the list takes the binding's default; the centre key stays FullScreen.
    const std::pair<uint16_t, int> actions[] = {{0x0401, 13}, {0x0402, kActionPreviousChapter},
                                                {0x0028, 11}, {0x0031, 28},
                                                {0x02C1, 3},  {0x000D, kActionFullScreen}};
    for (auto [id, action] : actions) {
        EXPECT_EQ(s.bindings[FindBinding(s.bindings, id)].action, action) << id;
    }
    // A face longer than 31 characters loads empty, and the file keeps it.
    EXPECT_EQ(s.fontFaceText, u"");
    EXPECT_EQ(Utf16ToUtf8(s.fontFaceStatus), face31);
    s.bindings[0].action = kActionQuit;
    s.fontFaceStatus = u"Tahoma";
    // Values are written back as held: a channel as 0..255.
    const std::string saved = run.Saved();
    for (const std::string& line :
         std::vector<std::string>{"COLOR_TEXT_R_0=44\r\nCOLOR_TEXT_G_0=255", "LINE_IL_0=10",
                                  "ACTION_0031=26", "ACTION_0401=13", "ACTION_000D=5",
                                  "FONT_FACE_TEXT=" + face32, "FONT_FACE_STATUS=Tahoma"}) {
        EXPECT_NE(saved.find("\r\n" + line + "\r\n"), std::string::npos) << line;
    }
}

TEST(SettingsModel, SavingWhatWasLoadedChangesNothing) {
    Loaded first("");
    first.settings.marginLeft = 7;
    first.settings.colors[kColourCut][2] = MakeColour(1, 2, 3);
    first.settings.visibleProgress[1] = 0;
    first.settings.codePage = 20866;
    const std::string saved = first.Saved();
    Loaded second(saved);
    const Settings& b = second.settings;
    EXPECT_EQ(std::tie(b.marginLeft, b.colors[kColourCut][2], b.visibleProgress[1], b.codePage),
              std::make_tuple(7, MakeColour(1, 2, 3), 0, 20866));
    // Neither the load nor the save changed the store, so the file is not rewritten.
    EXPECT_EQ(second.Saved(), saved);
    EXPECT_EQ(second.config.Dirty, 0);
}

// A file written with the handheld's values keeps them, in its order: only missing keys take the
// defaults. The library's folders: never chosen (−1) adds one key at the end; a chosen list comes
// back as saved, a shorter one leaves nothing of the longer, a count the file cannot mean is −1.
TEST(SettingsModel, AnOldFileAsItIsAndLibraryFoldersAsChosen) {
    const std::string oldText =
        "FONT_FACE_TEXT=Verdana\r\nFONT_SIZE_TEXT_0=14\r\nMARGIN_LEFT=1\r\n"
        "MARGIN_TOP=0\r\n";
    Loaded old(oldText + "#");
    const Settings& s = old.settings;
    EXPECT_EQ(s.fontFaceText, u"Verdana");
    EXPECT_EQ(
        std::vector<int32_t>({s.fontSizeText[0], s.fontSizeText[1], s.marginLeft, s.marginTop}),
        (std::vector<int32_t>{14, 18, 1, 0}));  // FONT_SIZE_TEXT_1 is missing
    EXPECT_EQ(old.settings.libraryFolderCount, -1);
    std::string saved = old.Saved();
    EXPECT_EQ(saved.find(oldText), 0u);
    EXPECT_NE(saved.find("\r\nLIBRARY_FOLDERS=-1\r\n#"), std::string::npos);
    EXPECT_EQ(saved.find("LIBRARY_FOLDER_"), std::string::npos);

    old.settings.libraryFolderCount = 3;
    old.settings.libraryFolders[0] = u"/книги/fb2";
    old.settings.libraryFolders[1] = u"/a\nb";  // a line break the file cannot carry: left out
    old.settings.libraryFolders[2] = u"/home/me/Books";
    Loaded chosen(old.Saved());
    const Settings& c = chosen.settings;
    ASSERT_EQ(c.libraryFolderCount, 2);
    EXPECT_EQ(c.libraryFolders[0], u"/книги/fb2");
    EXPECT_EQ(c.libraryFolders[1], u"/home/me/Books");

    chosen.settings.libraryFolderCount = 1;
    chosen.settings.libraryFolders[0] = u"/home/me/Books";
    Loaded shorter(chosen.Saved());
    EXPECT_EQ(shorter.settings.libraryFolderCount, 1);
    EXPECT_EQ(shorter.settings.libraryFolders[0], u"/home/me/Books");
    EXPECT_EQ(shorter.settings.libraryFolders[1], u"");

    shorter.settings.libraryFolderCount = 0;
    EXPECT_EQ(Loaded(shorter.Saved()).settings.libraryFolderCount, 0);
    EXPECT_EQ(Loaded("LIBRARY_FOLDERS=17\r\nLIBRARY_FOLDER_1=/x\r\n#").settings.libraryFolderCount,
              -1);
    // A count with keys missing or empty closes up over them.
    Loaded gaps("LIBRARY_FOLDERS=3\r\nLIBRARY_FOLDER_1=\r\nLIBRARY_FOLDER_3=/z\r\n#");
    EXPECT_EQ(gaps.settings.libraryFolderCount, 1);
    EXPECT_EQ(gaps.settings.libraryFolders[0], u"/z");
}

CurrentBook Book(const std::u16string& path, int32_t position, int32_t length = 1000,
                 int32_t codePage = 1251) {
    return {1, path, u"/books", length, codePage, position, u""};
}

std::u16string Name(int i) {
    return u"/books/" + Utf8ToUtf16(std::to_string(i)) + u".txt";
}

TEST(RecentFiles, AReopenedBookMovesToTheFrontWithItsEntryName) {
    RecentFiles recent;
    for (int i = 5; i >= 0; --i) RememberCurrentBook(recent, Book(Name(i), i));
    for (int i = 0; i < 6; ++i) recent.entries[i].zipName = Name(100 + i);
    // Book 2 moves to the head at its new place, 0 and 1 shift down.
    CurrentBook two = Book(Name(2), 777, 2000, 866);
    two.zipName = Name(102);
    RememberCurrentBook(recent, two);
    const int order[] = {2, 0, 1, 3, 4, 5};
    for (int i = 0; i < 6; ++i) {
        const RecentEntry& e = recent.entries[i];
        // Each archive entry's name goes with its book.
        EXPECT_EQ(std::tie(e.bookPath, e.position, e.zipName),
                  std::make_tuple(Name(order[i]), i ? order[i] : 777, Name(100 + order[i])));
    }
    EXPECT_EQ(std::tie(recent.entries[0].size, recent.entries[0].codePage), std::tuple(2000, 866));
    EXPECT_EQ(recent.entries[6].bookPath, u"");
    // Remembering the head again changes it in place.
    two.pageStart = 778;
    RememberCurrentBook(recent, two);
    EXPECT_EQ(recent.entries[0].position, 778);
    EXPECT_EQ(recent.entries[1].bookPath, Name(0));
    // Another book of the same archive is an entry of its own; by path alone, the last read.
    CurrentBook other = two;
    other.zipName = u"other.fb2";
    other.pageStart = 5;
    RememberCurrentBook(recent, other);
    EXPECT_EQ(FindRecentEntry(recent, Name(2), u"other.fb2"), 0);
    EXPECT_EQ(FindRecentEntry(recent, Name(2), Name(102)), 1);
    EXPECT_EQ(FindRecentBook(recent, Name(2)), 0);
    ForgetRecentBook(recent, Name(2));
    EXPECT_EQ(FindRecentBook(recent, Name(2)), -1);
    EXPECT_EQ(recent.entries[0].bookPath, Name(0));
    // Paths differing only in case are two books.
    RememberCurrentBook(recent, Book(u"/BOOKS/1.TXT", 5));
    EXPECT_EQ(FindRecentBook(recent, u"/BOOKS/1.TXT"), 0);
    EXPECT_EQ(FindRecentBook(recent, Name(1)), 2);
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
        CurrentBook b = Book(longPath(i, u'к'), 100 + i, 5000 + i, 20866);
        b.browseFolder = longPath(i, u'п');
        RememberCurrentBook(l.recent, b);
    }
    SaveRecentFiles(l.recent, l.recentStore);
    ASSERT_EQ(Save(l.recentStore), 1);
    EXPECT_GT(test::ReadBytes(l.dir.path() + "/_recent.files.ini").size(), 130000u);
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
