// Desktop keys as the handheld's: virtual keys, the hardware buttons, and the few keys that are
// menu commands.
#include "platform/qt/qt_window_keys.h"

#include "platform/command_ids.h"
#include "platform/window.h"

namespace lectra {

namespace {

struct KeyRow {
    int key;
    KeyKind kind;
    int code;
};

// Keys without Ctrl. The desktop's paging keys are sent as Page Down and Page Up (0x22, 0x21),
// which the reader takes as next and previous page whatever the page's rotation; F6 and F7 are
// its volume buttons and F10 its Record button; "*" and "#" are the phone keys that the
// handheld reports as F8 and F9.
constexpr KeyRow kPlainKeys[] = {
    {Qt::Key_Left, KeyKind::kKey, 0x25},
    {Qt::Key_Up, KeyKind::kKey, 0x26},
    {Qt::Key_Right, KeyKind::kKey, 0x27},
    {Qt::Key_Down, KeyKind::kKey, 0x28},
    {Qt::Key_PageDown, KeyKind::kKey, kVkPageDown},
    {Qt::Key_PageUp, KeyKind::kKey, kVkPageUp},
    {Qt::Key_Return, KeyKind::kKey, 0x0D},
    {Qt::Key_Enter, KeyKind::kKey, 0x0D},
    {Qt::Key_Backspace, KeyKind::kKey, 0x08},
    {Qt::Key_Tab, KeyKind::kKey, 0x09},
    {Qt::Key_Asterisk, KeyKind::kKey, 0x77},
    {Qt::Key_NumberSign, KeyKind::kKey, 0x78},
    {Qt::Key_F6, KeyKind::kButton, 0x75},
    {Qt::Key_VolumeUp, KeyKind::kButton, 0x75},
    {Qt::Key_F7, KeyKind::kButton, 0x76},
    {Qt::Key_VolumeDown, KeyKind::kButton, 0x76},
    {Qt::Key_F10, KeyKind::kButton, 0x79},
    // Desktop habits: the start and the end of the book, full screen.
    {Qt::Key_Home, KeyKind::kCommand, static_cast<int>(kCmdFileStart)},
    {Qt::Key_End, KeyKind::kCommand, static_cast<int>(kCmdFileEnd)},
    {Qt::Key_F11, KeyKind::kCommand, static_cast<int>(kCmdFullScreen)},
    {Qt::Key_Menu, KeyKind::kCommand, static_cast<int>(kCmdMainMenu)},
    {Qt::Key_F1, KeyKind::kCommand, static_cast<int>(kCmdKeys)},
    {Qt::Key_Escape, KeyKind::kCommand, static_cast<int>(kCmdLeaveFullScreen)},
};

// Keys with Ctrl: the accelerators, and Ctrl+1 … Ctrl+6 as the application buttons.
constexpr KeyRow kControlKeys[] = {
    {Qt::Key_A, KeyKind::kCommand, static_cast<int>(kCmdAbout)},
    {Qt::Key_Q, KeyKind::kCommand, static_cast<int>(kCmdQuit)},
    {Qt::Key_O, KeyKind::kCommand, static_cast<int>(kCmdOpen)},
    // The shortcuts a desktop reader's users try first.
    {Qt::Key_F, KeyKind::kCommand, static_cast<int>(kCmdFind)},
    {Qt::Key_G, KeyKind::kCommand, static_cast<int>(kCmdFindNext)},
    {Qt::Key_L, KeyKind::kCommand, static_cast<int>(kCmdGoTo)},
    {Qt::Key_D, KeyKind::kCommand, static_cast<int>(kCmdAddBookmark)},
    {Qt::Key_B, KeyKind::kCommand, static_cast<int>(kCmdOpenBookmark)},
    {Qt::Key_T, KeyKind::kCommand, static_cast<int>(kCmdContents)},
    {Qt::Key_PageDown, KeyKind::kCommand, static_cast<int>(kCmdNextChapter)},
    {Qt::Key_PageUp, KeyKind::kCommand, static_cast<int>(kCmdPreviousChapter)},
    {Qt::Key_Home, KeyKind::kCommand, static_cast<int>(kCmdFileStart)},
    {Qt::Key_End, KeyKind::kCommand, static_cast<int>(kCmdFileEnd)},
    {Qt::Key_N, KeyKind::kCommand, static_cast<int>(kCmdNotes)},
    {Qt::Key_Plus, KeyKind::kCommand, static_cast<int>(kCmdIncSize)},
    {Qt::Key_Equal, KeyKind::kCommand, static_cast<int>(kCmdIncSize)},
    {Qt::Key_Minus, KeyKind::kCommand, static_cast<int>(kCmdDecSize)},
    {Qt::Key_1, KeyKind::kAppButton, 0xC1},
    {Qt::Key_2, KeyKind::kAppButton, 0xC2},
    {Qt::Key_3, KeyKind::kAppButton, 0xC3},
    {Qt::Key_4, KeyKind::kAppButton, 0xC4},
    {Qt::Key_5, KeyKind::kAppButton, 0xC5},
    {Qt::Key_6, KeyKind::kAppButton, 0xC6},
};

}  // namespace

KeyTranslation TranslateKey(int key, Qt::KeyboardModifiers modifiers) {
    if ((modifiers & Qt::ControlModifier) && (modifiers & Qt::ShiftModifier) && key == Qt::Key_L)
        return {KeyKind::kCommand, static_cast<int>(kCmdLibrary)};
    if (modifiers & Qt::ControlModifier) {
        for (const KeyRow& row : kControlKeys) {
            if (row.key == key) return {row.kind, row.code};
        }
        return {};
    }
    if (modifiers & Qt::AltModifier) return {};
    if (key == Qt::Key_Space) {
        return {KeyKind::kKey,
                static_cast<int>((modifiers & Qt::ShiftModifier) ? kVkPageUp : kVkPageDown)};
    }
    for (const KeyRow& row : kPlainKeys) {
        if (row.key == key) return {row.kind, row.code};
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return {KeyKind::kKey, 0x30 + (key - Qt::Key_0)};
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return {KeyKind::kKey, 0x41 + (key - Qt::Key_A)};
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return {KeyKind::kKey, 0x70 + (key - Qt::Key_F1)};
    return {};
}

}  // namespace lectra
