// Desktop keys as the handheld's: virtual keys, the hardware buttons, and the few keys that are
// menu commands.
#include "platform/qt/qt_window_keys.h"

#include "platform/command_ids.h"
#include "platform/window.h"

namespace lectra {

namespace {

// A row of the key table: the key, whether Ctrl is held, and what it stands for.
struct KeyRow {
    int key;
    bool control;
    KeyKind kind;
    int code;
};
constexpr KeyRow Key(int key, uint32_t code) {
    return {key, false, KeyKind::kKey, static_cast<int>(code)};
}
constexpr KeyRow Button(int key, int code) {
    return {key, false, KeyKind::kButton, code};
}
constexpr KeyRow Command(int key, uint32_t id) {
    return {key, false, KeyKind::kCommand, static_cast<int>(id)};
}
constexpr KeyRow CtrlCommand(int key, uint32_t id) {
    return {key, true, KeyKind::kCommand, static_cast<int>(id)};
}

// Keys without Ctrl first. The desktop's paging keys are sent as Page Down and Page Up (0x22,
// 0x21), which the reader takes as next and previous page whatever the page's rotation; F6 and F7
// are its volume buttons and F10 its Record button; "*" and "#" are the phone keys that the
// handheld reports as F8 and F9. Then the accelerators with Ctrl.
constexpr KeyRow kKeys[] = {
    Key(Qt::Key_Left, kVkLeft),
    Key(Qt::Key_Up, kVkUp),
    Key(Qt::Key_Right, kVkRight),
    Key(Qt::Key_Down, kVkDown),
    Key(Qt::Key_PageDown, kVkPageDown),
    Key(Qt::Key_PageUp, kVkPageUp),
    Key(Qt::Key_Return, 0x0D),
    Key(Qt::Key_Enter, 0x0D),
    Key(Qt::Key_Backspace, 0x08),
    Key(Qt::Key_Tab, 0x09),
    Key(Qt::Key_Asterisk, 0x77),
    Key(Qt::Key_NumberSign, 0x78),
    Button(Qt::Key_F6, 0x75),
    Button(Qt::Key_VolumeUp, 0x75),
    Button(Qt::Key_F7, 0x76),
    Button(Qt::Key_VolumeDown, 0x76),
    Button(Qt::Key_F10, 0x79),
    // Desktop habits: the start and the end of the book, full screen.
    Command(Qt::Key_Home, kCmdFileStart),
    Command(Qt::Key_End, kCmdFileEnd),
    Command(Qt::Key_F11, kCmdFullScreen),
    Command(Qt::Key_Menu, kCmdMainMenu),
    Command(Qt::Key_F1, kCmdKeys),
    Command(Qt::Key_Escape, kCmdLeaveFullScreen),
    CtrlCommand(Qt::Key_A, kCmdAbout),
    CtrlCommand(Qt::Key_Q, kCmdQuit),
    CtrlCommand(Qt::Key_O, kCmdOpen),
    // The shortcuts a desktop reader's users try first.
    CtrlCommand(Qt::Key_F, kCmdFind),
    CtrlCommand(Qt::Key_G, kCmdFindNext),
    CtrlCommand(Qt::Key_L, kCmdGoTo),
    CtrlCommand(Qt::Key_D, kCmdAddBookmark),
    CtrlCommand(Qt::Key_B, kCmdOpenBookmark),
    CtrlCommand(Qt::Key_T, kCmdContents),
    CtrlCommand(Qt::Key_PageDown, kCmdNextChapter),
    CtrlCommand(Qt::Key_PageUp, kCmdPreviousChapter),
    CtrlCommand(Qt::Key_Home, kCmdFileStart),
    CtrlCommand(Qt::Key_End, kCmdFileEnd),
    CtrlCommand(Qt::Key_N, kCmdNotes),
    CtrlCommand(Qt::Key_Plus, kCmdIncSize),
    CtrlCommand(Qt::Key_Equal, kCmdIncSize),
    CtrlCommand(Qt::Key_Minus, kCmdDecSize),
};

}  // namespace

KeyTranslation TranslateKey(int key, Qt::KeyboardModifiers modifiers) {
    if ((modifiers & Qt::ControlModifier) && (modifiers & Qt::ShiftModifier) && key == Qt::Key_L)
        return {KeyKind::kCommand, static_cast<int>(kCmdLibrary)};
    const bool control = (modifiers & Qt::ControlModifier) != 0;
    if (!control && (modifiers & Qt::AltModifier)) return {};
    for (const KeyRow& row : kKeys) {
        if (row.key == key && row.control == control) return {row.kind, row.code};
    }
    // Ctrl+1 … Ctrl+6 are the application buttons.
    if (control && key >= Qt::Key_1 && key <= Qt::Key_6) {
        return {KeyKind::kAppButton, 0xC1 + (key - Qt::Key_1)};
    }
    if (control) return {};
    if (key == Qt::Key_Space) {
        return {KeyKind::kKey,
                static_cast<int>((modifiers & Qt::ShiftModifier) ? kVkPageUp : kVkPageDown)};
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return {KeyKind::kKey, 0x30 + (key - Qt::Key_0)};
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return {KeyKind::kKey, 0x41 + (key - Qt::Key_A)};
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return {KeyKind::kKey, 0x70 + (key - Qt::Key_F1)};
    return {};
}

}  // namespace lectra
