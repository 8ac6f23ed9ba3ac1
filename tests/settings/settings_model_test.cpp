// The settings model: the first-run file, every load rule that is not "use the default", the
// bindings, the profile cycle and saving values as held.
#include "settings/settings_model.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "document/encoding.h"
#include "platform/sys/utf.h"
#include "test_support.h"

namespace lectra {
namespace {

using test::ScratchDir;

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t end; (end = bytes.find("\r\n", at)) != std::string::npos; at = end + 2) {
        lines.push_back(bytes.substr(at, end - at));
    }
    lines.push_back(bytes.substr(at));
    return lines;
}

// A config store loaded from `text` in a scratch folder, and the settings loaded from it.
struct Loaded {
    ScratchDir dir;
    SettingsStore config;
    SettingsStore recentStore;
    RecentFiles recent;
    Settings settings;
    explicit Loaded(const std::string& text) {
        if (!text.empty()) dir.Write("_config.ini", text);
        CreateSettingsStore(config, Utf8ToUtf16(dir.path()), kConfigFileName, kConfigCapacity);
        CreateSettingsStore(recentStore, Utf8ToUtf16(dir.path()), kRecentFileName, kRecentCapacity);
        LoadSettings(settings, config, IsListedCodePage);
    }
    std::string Saved() {
        SaveSettings(settings, config, recent, recentStore, CurrentBook{});
        Save(config);
        return test::ReadBytes(dir.path() + "/_config.ini");
    }
};

TEST(SettingsModel, AFirstRunWritesEveryKeyInLoadOrder) {
    Loaded run("");
    const std::vector<std::string> expected =
        Lines(test::ReadBytes(test::Fixture("first-run-config.ini")));
    const std::vector<std::string> written = Lines(run.Saved());
    ASSERT_EQ(expected.size(), 153u);  // 84 profile keys, 35 bindings, 33 global keys, "#"
    for (size_t i = 0; i < std::max(expected.size(), written.size()); ++i) {
        EXPECT_EQ(i < written.size() ? written[i] : "<none>",
                  i < expected.size() ? expected[i] : "<none>")
            << "line " << i + 1;
    }
    const Settings& s = run.settings;
    EXPECT_EQ(s.codePage, -1);
    EXPECT_EQ(s.colors[kColourBk][3], MakeColour(111, 69, 0));
    EXPECT_EQ(s.colors[kColourTitles][0], MakeColour(0, 0, 64));
    EXPECT_EQ(s.fontFaceText, u"Verdana");
    EXPECT_EQ(s.bindings[kBindingCount - 1].action, kActionFullScreen);
}

TEST(SettingsModel, LoadRulesReplaceOutOfRangeValues) {
    struct Case {
        const char* line;
        int32_t Settings::*field;
        int32_t expected;
    };
    // One stored value per case, each in a file of its own; values the rule keeps are checked too.
    const Case cases[] = {
        {"FONT_SIZE_STATUS=30", &Settings::fontSizeStatus, 12},  // not the default 9
        {"FONT_SIZE_STATUS=4", &Settings::fontSizeStatus, 12},
        {"FONT_SIZE_STATUS=25", &Settings::fontSizeStatus, 25},
        {"CODE_PAGE=0", &Settings::codePage, -1},
        {"CODE_PAGE=-1", &Settings::codePage, -1},
        {"CODE_PAGE=1234", &Settings::codePage, -1},
        {"CODE_PAGE=866", &Settings::codePage, 866},
        {"CODE_PAGE=65001", &Settings::codePage, 65001},
        {"CODE_PAGE_SAVE=1234", &Settings::codePageSave, 1251},
        {"CODE_PAGE_SAVE=-1", &Settings::codePageSave, 1251},
        {"CODE_PAGE_SAVE=20866", &Settings::codePageSave, 20866},
        {"ROTATE_SCREEN=450", &Settings::rotateScreen, 0},
        {"ROTATE_SCREEN=3600", &Settings::rotateScreen, 0},
        {"ROTATE_SCREEN=1800", &Settings::rotateScreen, 1800},
        {"USE_PROFILES=5", &Settings::useProfiles, 2},
        {"USE_PROFILES=1", &Settings::useProfiles, 2},
        {"USE_PROFILES=4", &Settings::useProfiles, 4},
        {"NORMAL_WEIGHT=550", &Settings::normalWeight, 500},
        {"NORMAL_WEIGHT=0", &Settings::normalWeight, 0},
        {"BOLD_WEIGHT=1000", &Settings::boldWeight, 700},
        {"BOLD_WEIGHT=900", &Settings::boldWeight, 900},
        {"MARGIN_LEFT=-1", &Settings::marginLeft, 1},
        {"MARGIN_RIGHT=40", &Settings::marginRight, 40},
        {"MARGIN_TOP=-5", &Settings::marginTop, 0},
        {"MARGIN_BOTTOM=-4", &Settings::marginBottom, -4},
        {"TXT_PARAGRAPH_DETECT=3", &Settings::txtParagraphDetect, 1},
        {"TXT_PARAGRAPH_DETECT=0", &Settings::txtParagraphDetect, 0},
        {"BACKLIGHT_AS_ON=7", &Settings::backlightAsOn, 1},
        {"BACKLIGHT_AS_ON=0", &Settings::backlightAsOn, 0},
        {"KEEP_ONE_ITEM=-3", &Settings::keepOneItem, 1},
        {"ASW_TIME=99", &Settings::aswTime, 1000},
        {"ASW_TIME=5000", &Settings::aswTime, 5000},
        {"ASW_MODE=5", &Settings::aswMode, 0},
        {"MODE_STATUS=4", &Settings::modeStatus, 3},
        {"MODE_STATUS=0", &Settings::modeStatus, 0},
        {"HYPHEN=7", &Settings::hyphen, 7},  // no rule: kept as read
        {"ROTATE_J=0", &Settings::rotateJ, 0},
        {"JUSTIFY=not a number", &Settings::justify, 0},
        {"ASW_TIME=not a number", &Settings::aswTime, 1000},  // 0, then the rule
    };
    for (const Case& c : cases) {
        Loaded run(std::string(c.line) + "\r\n#");
        EXPECT_EQ(run.settings.*c.field, c.expected) << c.line;
    }
}

TEST(SettingsModel, ProfileKeysColoursAndPairs) {
    Loaded run(
        "FONT_WIDTH_CHAR_0=5\r\nFONT_WIDTH_CHAR_1=-3\r\nLINE_IL_0=15\r\nLINE_IL_1=-15\r\n"
        "LINE_IL_2=7\r\nFONT_SIZE_TEXT_0=4\r\nFONT_SIZE_TEXT_1=51\r\nFONT_SIZE_TEXT_2=50\r\n"
        "FONT_BOLD_TEXT_0=9\r\nFONT_BOLD_TEXT_1=0\r\nCLOCK_WITH_TEXT_3=2\r\nFONT_CT_TEXT_2=-1\r\n"
        "COLOR_TEXT_R_0=300\r\nCOLOR_TEXT_G_0=-1\r\nCOLOR_BK_B_2=256\r\n"
        "VISIBLE_STATUS_NORMAL=0\r\nVISIBLE_STATUS_FULLSCREEN=1\r\n"
        "VISIBLE_PROGRESS_NORMAL=1\r\nVISIBLE_PROGRESS_FULLSCREEN=0\r\n#");
    const Settings& s = run.settings;
    EXPECT_EQ(s.fontWidthChar[0], 0);
    EXPECT_EQ(s.fontWidthChar[1], -3);
    EXPECT_EQ(s.lineIl[0], 10);  // clamped, unlike the width
    EXPECT_EQ(s.lineIl[1], -10);
    EXPECT_EQ(s.lineIl[2], 7);
    EXPECT_EQ(s.fontSizeText[0], 14);
    EXPECT_EQ(s.fontSizeText[1], 14);
    EXPECT_EQ(s.fontSizeText[2], 50);
    EXPECT_EQ(s.fontBoldText[0], 1);
    EXPECT_EQ(s.fontBoldText[1], 0);
    EXPECT_EQ(s.fontBoldText[3], 1);  // the default of profile 3
    EXPECT_EQ(s.clockWithText[3], 1);
    EXPECT_EQ(s.fontCtText[2], 1);
    // Only the low 8 bits of a channel count.
    EXPECT_EQ(s.colors[kColourText][0], MakeColour(44, 255, 0));
    EXPECT_EQ(s.colors[kColourBk][2], MakeColour(200, 200, 0));
    EXPECT_EQ(s.visibleStatus[0], 0);
    EXPECT_EQ(s.visibleStatus[1], 1);
    EXPECT_EQ(s.visibleProgress[0], 1);
    EXPECT_EQ(s.visibleProgress[1], 0);
    // Values are written back as held: the channel as 0..255.
    const std::string saved = run.Saved();
    EXPECT_NE(saved.find("\r\nCOLOR_TEXT_R_0=44\r\nCOLOR_TEXT_G_0=255\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nLINE_IL_0=10\r\n"), std::string::npos);
}

TEST(SettingsModel, BindingsOutsideTheActionsFallBackToTheirDefault) {
    Loaded run(
        "ACTION_0401=29\r\nACTION_0028=-1\r\nACTION_0031=28\r\nACTION_02C1=3\r\n"
        "ACTION_000D=5\r\n#");
    const ButtonBinding* b = run.settings.bindings;
    EXPECT_EQ(b[FindBinding(run.settings.bindings, 0x0401)].action, 13);
    EXPECT_EQ(b[FindBinding(run.settings.bindings, 0x0028)].action, 11);
    EXPECT_EQ(b[FindBinding(run.settings.bindings, 0x0031)].action, 28);
    EXPECT_EQ(b[FindBinding(run.settings.bindings, 0x02C1)].action, 3);
    // The centre key is never stored: it stays FullScreen whatever the file says.
    EXPECT_EQ(b[FindBinding(run.settings.bindings, 0x000D)].action, kActionFullScreen);
    EXPECT_EQ(FindBinding(run.settings.bindings, 0x0041), -1);
    run.settings.bindings[0].action = kActionQuit;
    const std::string saved = run.Saved();
    EXPECT_NE(saved.find("ACTION_0031=26\r\n"), std::string::npos);
    EXPECT_NE(saved.find("ACTION_0401=13\r\n"), std::string::npos);
    EXPECT_NE(saved.find("ACTION_000D=5\r\n"), std::string::npos);  // left as it was
}

TEST(SettingsModel, BindingTableIsTheFactoryTable) {
    int stored = 0;
    for (int i = 0; i < kBindingCount; ++i) {
        const ButtonBinding& b = kDefaultBindings[i];
        EXPECT_EQ(b.action, b.defaultAction);
        EXPECT_LT(b.defaultAction, kActionCount);
        EXPECT_EQ(FindBinding(kDefaultBindings, b.inputId), i) << "ids are unique";
        stored += i < kStoredBindings;
    }
    EXPECT_EQ(stored, 35);
    EXPECT_EQ(kDefaultBindings[kBindingCount - 1].inputId, 0x000D);
    EXPECT_EQ(std::u16string(kActionNames[kActionNextPage]), u"Next Page (Inc AS Speed)");
    EXPECT_EQ(std::u16string(kActionNames[kActionOpenBookmark]), u"Open Bookmark");
}

TEST(SettingsModel, ATooLongFaceLoadsEmptyAndIsNotWrittenBack) {
    const std::string face32(32, 'F'), face31(31, 'G');
    Loaded run("FONT_FACE_TEXT=" + face32 + "\r\nFONT_FACE_STATUS=" + face31 + "\r\n#");
    EXPECT_EQ(run.settings.fontFaceText, u"");
    EXPECT_EQ(Utf16ToUtf8(run.settings.fontFaceStatus), face31);
    run.settings.fontFaceStatus = u"Tahoma";
    const std::string saved = run.Saved();
    EXPECT_NE(saved.find("FONT_FACE_TEXT=" + face32 + "\r\n"), std::string::npos);
    EXPECT_NE(saved.find("FONT_FACE_STATUS=Tahoma\r\n"), std::string::npos);
}

TEST(SettingsModel, ProfileCycle) {
    Loaded three("USE_PROFILES=3\r\nACTIVE_PROFILE=3\r\n#");
    EXPECT_EQ(three.settings.activeProfile, 0);  // profile 3 is not in a cycle of three
    Loaded run("USE_PROFILES=3\r\nACTIVE_PROFILE=2\r\n#");
    Settings& s = run.settings;
    EXPECT_EQ(s.activeProfile, 2);
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(NextProfile(s, 0), 1);
        seen.push_back(s.activeProfile);
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 0}));
    EXPECT_EQ(NextProfile(s, 1), 0);  // nothing while autoscroll runs
    EXPECT_EQ(s.activeProfile, 0);
    // "ACTIVE_PROFILE" is checked against "USE_PROFILES" as it loaded, not as it was stored.
    Loaded bad("USE_PROFILES=7\r\nACTIVE_PROFILE=3\r\n#");
    EXPECT_EQ(bad.settings.useProfiles, 2);
    EXPECT_EQ(bad.settings.activeProfile, 0);
}

TEST(SettingsModel, SavingWhatWasLoadedChangesNothing) {
    Loaded first("");
    first.settings.marginLeft = 7;
    first.settings.colors[kColourCut][2] = MakeColour(1, 2, 3);
    first.settings.visibleProgress[1] = 0;
    first.settings.codePage = 20866;
    const std::string saved = first.Saved();

    Loaded second(saved);
    EXPECT_EQ(second.settings.marginLeft, 7);
    EXPECT_EQ(second.settings.colors[kColourCut][2], MakeColour(1, 2, 3));
    EXPECT_EQ(second.settings.visibleProgress[1], 0);
    EXPECT_EQ(second.settings.codePage, 20866);
    EXPECT_EQ(second.config.Dirty, 0);  // every key was there and every value held
    struct stat before, after;
    const std::string path = second.dir.path() + "/_config.ini";
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    EXPECT_EQ(second.Saved(), saved);
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);  // not rewritten
}

}  // namespace
}  // namespace lectra
