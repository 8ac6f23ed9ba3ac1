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
constexpr KeyRow Key(int key, int code) {
    return {key, KeyKind::kKey, code};
}
constexpr KeyRow Button(int key, int code) {
    return {key, KeyKind::kButton, code};
}
constexpr KeyRow Command(int key, uint32_t id) {
    return {key, KeyKind::kCommand, static_cast<int>(id)};
}
constexpr KeyRow AppButton(int key, int code) {
    return {key, KeyKind::kAppButton, code};
}

// Keys without Ctrl. The desktop's paging keys are sent as Page Down and Page Up (0x22, 0x21),
// which the reader takes as next and previous page whatever the page's rotation; F6 and F7 are
// its volume buttons and F10 its Record button; "*" and "#" are the phone keys that the
// handheld reports as F8 and F9.
constexpr KeyRow kPlainKeys[] = {
    Key(Qt::Key_Left, 0x25),
    Key(Qt::Key_Up, 0x26),
    Key(Qt::Key_Right, 0x27),
    Key(Qt::Key_Down, 0x28),
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
};

// Keys with Ctrl: the accelerators, and Ctrl+1 … Ctrl+6 as the application buttons.
constexpr KeyRow kControlKeys[] = {
    Command(Qt::Key_A, kCmdAbout),
    Command(Qt::Key_Q, kCmdQuit),
    Command(Qt::Key_O, kCmdOpen),
    // The shortcuts a desktop reader's users try first.
    Command(Qt::Key_F, kCmdFind),
    Command(Qt::Key_G, kCmdFindNext),
    Command(Qt::Key_L, kCmdGoTo),
    Command(Qt::Key_D, kCmdAddBookmark),
    Command(Qt::Key_B, kCmdOpenBookmark),
    Command(Qt::Key_T, kCmdContents),
    Command(Qt::Key_PageDown, kCmdNextChapter),
    Command(Qt::Key_PageUp, kCmdPreviousChapter),
    Command(Qt::Key_Home, kCmdFileStart),
    Command(Qt::Key_End, kCmdFileEnd),
    Command(Qt::Key_N, kCmdNotes),
    Command(Qt::Key_Plus, kCmdIncSize),
    Command(Qt::Key_Equal, kCmdIncSize),
    Command(Qt::Key_Minus, kCmdDecSize),
    AppButton(Qt::Key_1, 0xC1),
    AppButton(Qt::Key_2, 0xC2),
    AppButton(Qt::Key_3, 0xC3),
    AppButton(Qt::Key_4, 0xC4),
    AppButton(Qt::Key_5, 0xC5),
    AppButton(Qt::Key_6, 0xC6),
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
