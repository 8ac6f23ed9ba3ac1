// The settings model: the first-run file, the load rules, the bindings, saving as held.
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
        CreateSettingsStore(recentStore, Utf8ToUtf16(dir.path()), kRecentFileName, kRecentCapacity,
                            kRecentValueChars);
        LoadSettings(settings, config, IsListedCodePage);
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

// A file written with the handheld's values keeps them: only missing keys take the defaults.
TEST(SettingsModel, AnOldFileIsReadAsItIs) {
    Loaded old(
        "FONT_FACE_TEXT=Verdana\r\nFONT_SIZE_TEXT_0=14\r\nMARGIN_LEFT=1\r\nMARGIN_TOP=0\r\n#");
    const Settings& s = old.settings;
    EXPECT_EQ(s.fontFaceText, u"Verdana");
    EXPECT_EQ(
        std::vector<int32_t>({s.fontSizeText[0], s.fontSizeText[1], s.marginLeft, s.marginTop}),
        (std::vector<int32_t>{14, 18, 1, 0}));  // FONT_SIZE_TEXT_1 is missing
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

// The library's folders: never chosen (−1) adds one key at the end; a chosen list comes back as
// saved, a shorter one leaves nothing of the longer, a count the file cannot mean is −1 again.
TEST(SettingsModel, LibraryFoldersAsChosenAndTheOldFileKeptInOrder) {
    Loaded old("FONT_SIZE_TEXT_0=14\r\nWINDOW_HEIGHT=700\r\n#");
    EXPECT_EQ(old.settings.libraryFolderCount, -1);
    std::string saved = old.Saved();
    EXPECT_EQ(saved.find("FONT_SIZE_TEXT_0=14\r\nWINDOW_HEIGHT=700\r\n"), 0u);
    EXPECT_NE(saved.find("\r\nLIBRARY_FOLDERS=-1\r\n#"), std::string::npos);
    EXPECT_EQ(saved.find("LIBRARY_FOLDER_"), std::string::npos);

    old.settings.libraryFolderCount = 3;
    old.settings.libraryFolders[0] = u"/книги/fb2";
    old.settings.libraryFolders[1] = u"/a\nb";  // a line break the file cannot carry: left out
    old.settings.libraryFolders[2] = u"/home/me/Books";
    saved = old.Saved();
    EXPECT_EQ(saved.find("FONT_SIZE_TEXT_0=14\r\nWINDOW_HEIGHT=700\r\n"), 0u);
    Loaded chosen(saved);
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

}  // namespace
}  // namespace lectra
