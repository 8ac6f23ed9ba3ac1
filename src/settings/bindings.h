// The 31 actions and the table that binds keys, hardware buttons and stylus gestures to them.
#pragma once
#include <cstdint>

namespace lectra {

enum ActionCode : uint8_t {
    kActionDefault = 0,
    kActionFullScreen = 1,
    kActionRotate = 2,
    kActionNextProfile = 3,
    kActionIncSize = 4,
    kActionDecSize = 5,
    kActionBold = 6,
    kActionJustification = 7,
    kActionHyphenation = 8,
    kActionIncInterval = 9,
    kActionDecInterval = 10,
    kActionNextPage = 11,
    kActionNextLine = 12,
    kActionPreviousPage = 13,
    kActionPreviousLine = 14,
    kActionStatusLine = 15,
    kActionAutoScrolling = 16,
    kActionClearType = 17,
    kActionJumpNext = 18,
    kActionJumpPrevious = 19,
    kActionFind = 20,
    kActionFindNext = 21,
    kActionFileInfo = 22,
    kActionNone = 23,
    kActionSaveQuote = 24,
    kActionOpen = 25,
    kActionQuit = 26,
    kActionAddBookmark = 27,
    kActionOpenBookmark = 28,
    // Beyond the handheld's: the contents' next and previous entry.
    kActionNextChapter = 29,
    kActionPreviousChapter = 30,
};
constexpr int kActionCount = 31;

// The names the buttons dialog shows, indexed by ActionCode.
extern const char16_t* const kActionNames[kActionCount];

// Input ids: 0x00nn a key (virtual key nn), 0x01nn a button the menu bar forwards, 0x02nn a
// hardware button taken as a hot key, 0x04nn a stylus gesture.
struct ButtonBinding {
    uint16_t inputId;
    uint8_t action;
    uint8_t defaultAction;
    const char16_t* name;
};

constexpr int kBindingCount = 36;
// Rows 0..34 are kept in the settings file; the last row, the centre Action key, is not and is
// always FullScreen.
constexpr int kStoredBindings = 35;

// The factory table, in the order of the buttons dialog and of the saved keys.
extern const ButtonBinding kDefaultBindings[kBindingCount];

// Every row back to its factory action.
void ResetBindings(ButtonBinding (&bindings)[kBindingCount]);
// The row of an input id, −1 when none.
int FindBinding(const ButtonBinding (&bindings)[kBindingCount], uint16_t inputId);

}  // namespace lectra
