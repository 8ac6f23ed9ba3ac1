// The page of keys (F1): the desktop's own keys, then every key and button as the buttons dialog
// has them bound now.
#include "settings/bindings.h"
#include "shell/app.h"

namespace lectra {

namespace {

constexpr const char16_t* kDesktopKeys[] = {
    u"Page Down, Space, the wheel: next page",
    u"Page Up, Shift+Space: previous page",
    u"Home / End, Ctrl+Home / Ctrl+End: start / end of the book",
    u"Ctrl+O open, Ctrl+F find, Ctrl+G find next, Ctrl+L go to",
    u"Ctrl+D add a bookmark, Ctrl+B bookmarks, Ctrl+T contents",
    u"Ctrl+Page Down / Ctrl+Page Up: next / previous chapter",
    u"Ctrl+N the page's notes; a click on a note's mark shows it",
    u"Ctrl+plus, Ctrl+minus, Ctrl+wheel: text size",
    u"F11: full screen, Escape leaves it",
    u"Right mouse button or the Menu key: the menu",
    u"Ctrl+A about, Ctrl+Q quit",
};

}  // namespace

std::u16string KeysPageText(const Settings& settings) {
    std::u16string text;
    for (const char16_t* line : kDesktopKeys) text += std::u16string(line) + u"\n";
    text += u"\nKeys and buttons (set them in Menu ▸ General settings ▸ Buttons):\n";
    for (const ButtonBinding& b : settings.bindings) {
        // The keyboard's keys and buttons; the clicks and drags are listed by the dialog.
        if (b.inputId >= 0x400 || b.action <= kActionDefault || b.action >= kActionCount ||
            b.action == kActionNone || !b.name)
            continue;
        text += std::u16string(b.name) + u": " + kActionNames[b.action] + u"\n";
    }
    return text;
}

}  // namespace lectra
