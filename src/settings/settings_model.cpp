// The settings model: every setting as a plain field, four display profiles, the button bindings,
// and the one table that loads them from "_config.ini" and saves them back.
#include "settings/settings_model.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

namespace lectra {

namespace {

// What a load does with a stored number before it reaches its field.
enum class Rule : uint8_t {
    kNone,
    kRange,         // outside low..high, or off the step from low → fallback
    kClamp,         // clamped to low..high
    kFlag,          // non-zero → 1
    kProfileIndex,  // outside 0.."USE_PROFILES" − 1 → 0
    kCodePage,      // not a listed code page → fallback
    kFaceName,      // a text longer than 31 characters → empty
};

struct LoadRule {
    Rule rule = Rule::kNone;
    int32_t low = 0;
    int32_t high = 0;
    int32_t step = 1;
    int32_t fallback = 0;
};

constexpr LoadRule Range(int32_t low, int32_t high, int32_t fallback, int32_t step = 1) {
    return {Rule::kRange, low, high, step, fallback};
}
constexpr LoadRule AtLeast(int32_t low, int32_t fallback) {
    return Range(low, INT32_MAX, fallback);
}
constexpr LoadRule Clamp(int32_t low, int32_t high) {
    return {Rule::kClamp, low, high, 1, 0};
}
constexpr LoadRule kNoRule{};
constexpr LoadRule kFlag{Rule::kFlag};
constexpr LoadRule kFace{Rule::kFaceName};

constexpr int kFaceChars = 31;

// Profile keys after the colours, written KEY_%i.
struct ProfileRow {
    const char* key;
    int32_t defaults[kProfileCount];
    LoadRule rule;
    int32_t (Settings::*field)[kProfileCount];
};

constexpr ProfileRow kProfileRows[] = {
    {"CLOCK_WITH_TEXT_%d", {0, 0, 0, 0}, kFlag, &Settings::clockWithText},
    // 18 pixels is about 13.5 points on a desktop screen of 96 dots an inch (a device pixel ratio
    // above 1 draws the same page finer, not smaller).
    {"FONT_SIZE_TEXT_%d", {18, 18, 18, 18}, Range(5, 50, 18), &Settings::fontSizeText},
    {"FONT_BOLD_TEXT_%d", {0, 1, 0, 1}, kFlag, &Settings::fontBoldText},
    {"FONT_WIDTH_CHAR_%d", {0, 0, 0, 0}, Range(-3, 3, 0), &Settings::fontWidthChar},
    {"LINE_IL_%d", {0, 0, 0, 0}, Clamp(-10, 10), &Settings::lineIl},
    {"FONT_CT_TEXT_%d", {0, 0, 0, 0}, kFlag, &Settings::fontCtText},
};

constexpr const char* kColourNames[kColourCount] = {"COLOR_TEXT", "COLOR_BK", "COLOR_STATUS",
                                                    "COLOR_CUT", "COLOR_TITLES"};
constexpr char kChannelNames[3] = {'R', 'G', 'B'};

// Factory colours: [colour][profile] = {R, G, B}.
constexpr uint8_t kDefaultColours[kColourCount][kProfileCount][3] = {
    {{0, 0, 0}, {202, 244, 169}, {0, 0, 0}, {255, 255, 164}},       // COLOR_TEXT
    {{255, 255, 255}, {0, 0, 0}, {200, 200, 200}, {111, 69, 0}},    // COLOR_BK
    {{32, 32, 32}, {108, 151, 30}, {48, 48, 48}, {129, 130, 131}},  // COLOR_STATUS
    {{190, 190, 190}, {64, 64, 64}, {128, 128, 128}, {0, 0, 0}},    // COLOR_CUT
    {{0, 0, 64}, {202, 244, 255}, {0, 0, 0}, {255, 255, 164}},      // COLOR_TITLES
};

// Global settings in load order. A row has either a number field or a text field.
struct GlobalRow {
    const char* key;
    int32_t defaultValue;
    const char16_t* defaultText;
    LoadRule rule;
    int32_t* (*field)(Settings&);
    std::u16string* (*text)(Settings&);
};

constexpr GlobalRow Number(const char* key, int32_t defaultValue, LoadRule rule,
                           int32_t* (*field)(Settings&)) {
    return {key, defaultValue, nullptr, rule, field, nullptr};
}
constexpr GlobalRow Text(const char* key, const char16_t* defaultText,
                         std::u16string* (*text)(Settings&)) {
    return {key, 0, defaultText, kFace, nullptr, text};
}

constexpr GlobalRow kGlobalRows[] = {
    // A book face that the fonts installed with the program provide, so that the face the Font
    // dialog shows is the face drawn.
    Text("FONT_FACE_TEXT", u"DejaVu Serif", [](Settings& s) { return &s.fontFaceText; }),
    Number("ROTATE_SCREEN", 0, Range(0, 2700, 0, 900), [](Settings& s) { return &s.rotateScreen; }),
    Number("USE_PROFILES", 2, Range(2, 4, 2), [](Settings& s) { return &s.useProfiles; }),
    Number("ACTIVE_PROFILE", 0, {Rule::kProfileIndex},
           [](Settings& s) { return &s.activeProfile; }),
    Number("CODE_PAGE", 0, {Rule::kCodePage, 0, 0, 1, -1}, [](Settings& s) { return &s.codePage; }),
    Number("CODE_PAGE_SAVE", 1251, {Rule::kCodePage, 0, 0, 1, 1251},
           [](Settings& s) { return &s.codePageSave; }),
    Number("NORMAL_WEIGHT", 500, Range(0, 900, 500, 100),
           [](Settings& s) { return &s.normalWeight; }),
    Number("BOLD_WEIGHT", 700, Range(0, 900, 700, 100), [](Settings& s) { return &s.boldWeight; }),
    // Room around the text on a desktop: 24 pixels at the sides are 5 % of the first window's
    // width; the meaning of the keys (pixels) is the handheld's.
    Number("MARGIN_LEFT", 24, AtLeast(0, 24), [](Settings& s) { return &s.marginLeft; }),
    Number("MARGIN_TOP", 12, AtLeast(-4, 12), [](Settings& s) { return &s.marginTop; }),
    Number("MARGIN_RIGHT", 24, AtLeast(0, 24), [](Settings& s) { return &s.marginRight; }),
    Number("MARGIN_BOTTOM", 6, AtLeast(-4, 6), [](Settings& s) { return &s.marginBottom; }),
    Number("ROTATE_J", 1, kNoRule, [](Settings& s) { return &s.rotateJ; }),
    Number("DELETE_CT", 0, kNoRule, [](Settings& s) { return &s.deleteCt; }),
    Number("TXT_PARAGRAPH_DETECT", 1, Range(0, 2, 1),
           [](Settings& s) { return &s.txtParagraphDetect; }),
    Number("HYPHEN", 1, kNoRule, [](Settings& s) { return &s.hyphen; }),
    Number("JUSTIFY", 1, kNoRule, [](Settings& s) { return &s.justify; }),
    Number("START_IN_FULLSCREEN", 0, kNoRule, [](Settings& s) { return &s.startInFullscreen; }),
    Number("BACKLIGHT_ON", 0, kNoRule, [](Settings& s) { return &s.backlightOn; }),
    Number("BACKLIGHT_AS_ON", 1, kFlag, [](Settings& s) { return &s.backlightAsOn; }),
    Number("KEEP_ONE_ITEM", 0, kFlag, [](Settings& s) { return &s.keepOneItem; }),
    Number("ASW_TIME", 1000, Range(100, 5000, 1000), [](Settings& s) { return &s.aswTime; }),
    Number("ASW_MODE", 0, Range(0, 4, 0), [](Settings& s) { return &s.aswMode; }),
    Number("STATE_SEARCH", 0, kNoRule, [](Settings& s) { return &s.stateSearch; }),
    Number("MODE_PROGRESS", 0, kNoRule, [](Settings& s) { return &s.modeProgress; }),
    Number("MODE_STATUS", 3, Range(0, 3, 3), [](Settings& s) { return &s.modeStatus; }),
    Number("VISIBLE_STATUS_NORMAL", 1, kNoRule, [](Settings& s) { return &s.visibleStatus[0]; }),
    Number("VISIBLE_STATUS_FULLSCREEN", 1, kNoRule,
           [](Settings& s) { return &s.visibleStatus[1]; }),
    Number("VISIBLE_PROGRESS_NORMAL", 1, kNoRule,
           [](Settings& s) { return &s.visibleProgress[0]; }),
    Number("VISIBLE_PROGRESS_FULLSCREEN", 1, kNoRule,
           [](Settings& s) { return &s.visibleProgress[1]; }),
    Number("VISIBLE_BATTERY_ON_PROGRESS", 0, kNoRule,
           [](Settings& s) { return &s.visibleBatteryOnProgress; }),
    Text("FONT_FACE_STATUS", u"DejaVu Sans", [](Settings& s) { return &s.fontFaceStatus; }),
    Number("FONT_SIZE_STATUS", 13, Range(5, 25, 12), [](Settings& s) { return &s.fontSizeStatus; }),
    // The desktop window's client size, kept across runs.
    Number("WINDOW_WIDTH", 480, Range(160, 16384, 480), [](Settings& s) { return &s.windowWidth; }),
    Number("WINDOW_HEIGHT", 640, Range(160, 16384, 640),
           [](Settings& s) { return &s.windowHeight; }),
    // The folders themselves follow as "LIBRARY_FOLDER_n", written only once chosen.
    Number("LIBRARY_FOLDERS", -1, Range(-1, kLibraryFolderCount, -1),
           [](Settings& s) { return &s.libraryFolderCount; }),
};

std::u16string Ascii(const char* text, int length) {
    return std::u16string(text, text + std::max(length, 0));
}

std::u16string ProfileKey(const char* pattern, int profile) {
    char buf[48];
    return Ascii(buf, std::snprintf(buf, sizeof buf, pattern, profile));
}

std::u16string ColourKey(int colour, int channel, int profile) {
    char buf[48];
    return Ascii(buf, std::snprintf(buf, sizeof buf, "%s_%c_%d", kColourNames[colour],
                                    kChannelNames[channel], profile));
}

std::u16string ActionKey(uint16_t inputId) {
    char buf[16];
    return Ascii(buf,
                 std::snprintf(buf, sizeof buf, "ACTION_%04X", static_cast<unsigned>(inputId)));
}

std::u16string GlobalKey(const char* key) {
    return Ascii(key, static_cast<int>(std::strlen(key)));
}

int32_t Apply(const LoadRule& r, int32_t v, const Settings& s, CodePageCheck isListedCodePage) {
    switch (r.rule) {
        case Rule::kNone:
            return v;
        case Rule::kRange: {
            const int64_t off = static_cast<int64_t>(v) - r.low;
            return (v < r.low || v > r.high || off % r.step != 0) ? r.fallback : v;
        }
        case Rule::kClamp:
            return std::clamp(v, r.low, r.high);
        case Rule::kFlag:
            return v != 0 ? 1 : 0;
        case Rule::kProfileIndex:
            return (v < 0 || v >= s.useProfiles) ? 0 : v;
        case Rule::kCodePage:
            return (isListedCodePage && isListedCodePage(v)) ? v : r.fallback;
        case Rule::kFaceName:
            return v;
    }
    return v;
}

std::u16string LibraryFolderKey(int n) {
    char buf[32];
    return Ascii(buf, std::snprintf(buf, sizeof buf, "LIBRARY_FOLDER_%d", n + 1));
}

// The chosen folders: a key that is missing or empty is passed over, so the list closes up.
void LoadLibraryFolders(Settings& s, const SettingsStore& config) {
    if (s.libraryFolderCount < 0) return;
    int kept = 0;
    for (int n = 0; n < s.libraryFolderCount; ++n) {
        const SettingsEntry* e = FindEntry(config, LibraryFolderKey(n));
        if (e && !e->value.empty()) s.libraryFolders[kept++] = e->value;
    }
    for (int n = kept; n < kLibraryFolderCount; ++n) s.libraryFolders[n].clear();
    s.libraryFolderCount = kept;
}

// Folders past the count are emptied where the file has them, so a shorter list reads back as
// it was saved; a folder the file cannot carry is left out.
void SaveLibraryFolders(const Settings& s, SettingsStore& config) {
    int written = 0;
    for (int n = 0; n < std::min(s.libraryFolderCount, kLibraryFolderCount); ++n) {
        if (!s.libraryFolders[n].empty() &&
            SetString(config, LibraryFolderKey(written), s.libraryFolders[n]))
            ++written;
    }
    if (s.libraryFolderCount >= 0) SetInt(config, u"LIBRARY_FOLDERS", written);
    for (int n = written; n < kLibraryFolderCount; ++n) {
        if (FindEntry(config, LibraryFolderKey(n))) SetString(config, LibraryFolderKey(n), u"");
    }
}

int32_t Channel(ColourRef c, int channel) {
    return static_cast<int32_t>((c >> (8 * channel)) & 0xFF);
}

}  // namespace

void LoadSettings(Settings& settings, SettingsStore& config, CodePageCheck isListedCodePage) {
    Settings& s = settings;
    for (int p = 0; p < kProfileCount; ++p) {
        for (int c = 0; c < kColourCount; ++c) {
            uint32_t rgb[3];
            for (int ch = 0; ch < 3; ++ch) {
                // Only the low 8 bits of a channel count: 300 reads as 44.
                rgb[ch] = static_cast<uint32_t>(
                              GetInt(config, ColourKey(c, ch, p), kDefaultColours[c][p][ch])) &
                          0xFF;
            }
            s.colors[c][p] = MakeColour(rgb[0], rgb[1], rgb[2]);
        }
        for (const ProfileRow& row : kProfileRows) {
            const int32_t v = GetInt(config, ProfileKey(row.key, p), row.defaults[p]);
            (s.*row.field)[p] = Apply(row.rule, v, s, isListedCodePage);
        }
    }
    ResetBindings(s.bindings);
    for (int b = 0; b < kStoredBindings; ++b) {
        ButtonBinding& binding = s.bindings[b];
        const int32_t v = GetInt(config, ActionKey(binding.inputId), binding.defaultAction);
        binding.action =
            (v >= 0 && v < kActionCount) ? static_cast<uint8_t>(v) : binding.defaultAction;
    }
    s.bindings[kBindingCount - 1].action = kActionFullScreen;
    for (const GlobalRow& row : kGlobalRows) {
        if (row.text) {
            std::u16string face = GetString(config, GlobalKey(row.key), row.defaultText);
            if (face.size() > static_cast<size_t>(kFaceChars)) face.clear();
            *row.text(s) = std::move(face);
        } else {
            const int32_t v = GetInt(config, GlobalKey(row.key), row.defaultValue);
            *row.field(s) = Apply(row.rule, v, s, isListedCodePage);
        }
    }
    LoadLibraryFolders(s, config);
}

void SaveSettings(const Settings& settings, SettingsStore& config, RecentFiles& recent,
                  SettingsStore& recentStore, const CurrentBook& book) {
    RememberCurrentBook(recent, book);
    SaveRecentFiles(recent, recentStore);
    // The table's field accessors take a mutable block, so they read from a copy.
    Settings s = settings;
    for (int p = 0; p < kProfileCount; ++p) {
        for (int c = 0; c < kColourCount; ++c) {
            for (int ch = 0; ch < 3; ++ch)
                SetInt(config, ColourKey(c, ch, p), Channel(s.colors[c][p], ch));
        }
        for (const ProfileRow& row : kProfileRows)
            SetInt(config, ProfileKey(row.key, p), (s.*row.field)[p]);
    }
    for (int b = 0; b < kStoredBindings; ++b) {
        SetInt(config, ActionKey(s.bindings[b].inputId), s.bindings[b].action);
    }
    for (const GlobalRow& row : kGlobalRows) {
        if (row.text) {
            // An empty face (one that was too long) leaves the file's value as it was.
            if (!row.text(s)->empty()) SetString(config, GlobalKey(row.key), *row.text(s));
        } else {
            SetInt(config, GlobalKey(row.key), *row.field(s));
        }
    }
    SaveLibraryFolders(s, config);
}

int NextProfile(Settings& settings, int autoscrollRunning) {
    if (autoscrollRunning) return 0;
    int32_t next = settings.activeProfile + 1;
    if (next >= settings.useProfiles || next >= kProfileCount || next < 0) next = 0;
    if (next == settings.activeProfile) return 0;
    settings.activeProfile = next;
    return 1;
}

}  // namespace lectra
