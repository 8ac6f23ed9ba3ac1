// The settings model: every setting as a plain field, four display profiles, the button bindings,
// and the one table that loads them from "_config.ini" and saves them back.
#pragma once
#include <cstdint>
#include <string>

#include "settings/bindings.h"
#include "settings/recent_files.h"
#include "settings/settings_store.h"

namespace lectra {

constexpr int kProfileCount = 4;
// The library catalogues at most this many folders of the user's choosing.
constexpr int kLibraryFolderCount = 16;

// The five colours of a profile, in the order of their keys.
enum ColourIndex : int {
    kColourText = 0,    // "COLOR_TEXT"
    kColourBk = 1,      // "COLOR_BK", the page background
    kColourStatus = 2,  // "COLOR_STATUS"
    kColourCut = 3,     // "COLOR_CUT", the large clock under the text
    kColourTitles = 4,  // "COLOR_TITLES"
};
constexpr int kColourCount = 5;

// A colour reference: red in the low byte, then green, then blue.
using ColourRef = uint32_t;
constexpr ColourRef MakeColour(uint32_t r, uint32_t g, uint32_t b) {
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}

// Each field is named after its key; per-profile fields are indexed by the profile, the
// visibility pairs by FullScreen (0 normal, 1 full screen).
struct Settings {
    ColourRef colors[kColourCount][kProfileCount] = {};
    int32_t clockWithText[kProfileCount] = {};
    int32_t fontSizeText[kProfileCount] = {};
    int32_t fontBoldText[kProfileCount] = {};
    int32_t fontWidthChar[kProfileCount] = {};
    int32_t lineIl[kProfileCount] = {};
    int32_t fontCtText[kProfileCount] = {};

    ButtonBinding bindings[kBindingCount] = {};

    std::u16string fontFaceText;
    int32_t rotateScreen = 0;
    int32_t useProfiles = 0;
    int32_t activeProfile = 0;
    int32_t codePage = 0;  // −1: detect
    int32_t codePageSave = 0;
    int32_t normalWeight = 0;
    int32_t boldWeight = 0;
    int32_t marginLeft = 0;
    int32_t marginTop = 0;
    int32_t marginRight = 0;
    int32_t marginBottom = 0;
    int32_t rotateJ = 0;
    int32_t deleteCt = 0;
    int32_t txtParagraphDetect = 0;
    int32_t hyphen = 0;
    int32_t justify = 0;
    int32_t startInFullscreen = 0;
    int32_t backlightOn = 0;
    int32_t backlightAsOn = 0;
    int32_t keepOneItem = 0;
    int32_t aswTime = 0;
    int32_t aswMode = 0;
    int32_t stateSearch = 0;
    int32_t modeProgress = 0;
    int32_t modeStatus = 0;
    int32_t visibleStatus[2] = {};    // "VISIBLE_STATUS_NORMAL", "VISIBLE_STATUS_FULLSCREEN"
    int32_t visibleProgress[2] = {};  // "VISIBLE_PROGRESS_NORMAL", "VISIBLE_PROGRESS_FULLSCREEN"
    int32_t visibleBatteryOnProgress = 0;
    std::u16string fontFaceStatus;
    int32_t fontSizeStatus = 0;
    int32_t windowWidth = 480;  // the reader window's client area, the handheld's screen
    int32_t windowHeight = 640;
    // The folders the library catalogues as the user chose them, the first `libraryFolderCount`
    // ("LIBRARY_FOLDERS", each "LIBRARY_FOLDER_n"); −1 when never chosen: the folders of the
    // books read and ~/Books.
    int32_t libraryFolderCount = -1;
    std::u16string libraryFolders[kLibraryFolderCount];
};

// Copies every setting from the config store, in the order that a new file lists them: each
// profile's colours and keys, the 35 stored bindings, then the global settings. A missing key is
// added with its default; an out-of-range value is replaced as its load rule says.
// `isListedCodePage` accepts the code pages "CODE_PAGE" and "CODE_PAGE_SAVE" may hold. The run-time
// state that a load also resets (autoscroll stopped, the progress bar 4 pixels thick) belongs to
// the layout; start-up resets it beside this call.
void LoadSettings(Settings& settings, SettingsStore& config, CodePageCheck isListedCodePage);

// Records the open book at the head of the recent list and writes the list into its store, then
// writes every setting into the config store as held. An empty face name is not written, so the
// file keeps what it had. The stores reach the disk with Save.
void SaveSettings(const Settings& settings, SettingsStore& config, RecentFiles& recent,
                  SettingsStore& recentStore, const CurrentBook& book);

// The profile switch: the next of the first "USE_PROFILES" profiles, nothing while autoscroll
// runs. Returns 1 when the profile changed: the caller then remakes the text and status fonts and
// the background and status brushes from the new profile, computes the geometry and refreshes.
int NextProfile(Settings& settings, int autoscrollRunning);

}  // namespace lectra
