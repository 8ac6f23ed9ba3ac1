// The 31 actions and the table that binds keys, hardware buttons and stylus gestures to them.
#include "settings/bindings.h"

#include <algorithm>
#include <iterator>

namespace lectra {

const char16_t* const kActionNames[kActionCount] = {
    u"Default",       u"Full screen (pauses autoscroll)",
    u"Rotate",        u"Next Profile",
    u"Inc Size",      u"Dec Size",
    u"Bold",          u"Justification",
    u"Hyphenation",   u"Inc Interval",
    u"Dec Interval",  u"Next page (autoscroll faster)",
    u"Next Line",     u"Previous page (autoscroll slower)",
    u"Previous Line", u"Status line on/off",
    u"AutoScrolling", u"Smooth text",
    u"Jump forward",  u"Jump back",
    u"Find",          u"Find Next",
    u"File Info",     u"None",
    u"Save Quote",    u"Open",
    u"Quit",          u"Add Bookmark",
    u"Open Bookmark", u"Next Chapter",
    u"Prev Chapter",
};

const ButtonBinding kDefaultBindings[kBindingCount] = {
    {0x0031, kActionStatusLine, kActionStatusLine, u"1"},
    {0x0032, kActionRotate, kActionRotate, u"2"},
    {0x0033, kActionNextProfile, kActionNextProfile, u"3"},
    {0x0034, kActionIncSize, kActionIncSize, u"4"},
    {0x0035, kActionDecSize, kActionDecSize, u"5"},
    {0x0036, kActionBold, kActionBold, u"6"},
    {0x0037, kActionJustification, kActionJustification, u"7"},
    {0x0038, kActionHyphenation, kActionHyphenation, u"8"},
    {0x0039, kActionAutoScrolling, kActionAutoScrolling, u"9"},
    {0x0030, kActionNextPage, kActionNextPage, u"0"},
    {0x0077, kActionIncInterval, kActionIncInterval, u"* (F8)"},
    {0x0078, kActionDecInterval, kActionDecInterval, u"# (F9)"},
    {0x0072, kActionAutoScrolling, kActionAutoScrolling, u"F3 (Talk)"},
    {0x0025, kActionPreviousLine, kActionPreviousLine, u"Left"},
    {0x0026, kActionPreviousPage, kActionPreviousPage, u"Up"},
    {0x0027, kActionNextLine, kActionNextLine, u"Right"},
    {0x0028, kActionNextPage, kActionNextPage, u"Down"},
    {0x0179, kActionAutoScrolling, kActionAutoScrolling, u"F10 (Record)"},
    {0x0175, kActionPreviousPage, kActionPreviousPage, u"F6 (Volume up)"},
    {0x0176, kActionNextPage, kActionNextPage, u"F7 (Volume down)"},
    {0x02C1, kActionDefault, kActionDefault, u"App 1 (Ctrl+1)"},
    {0x02C2, kActionNextProfile, kActionNextProfile, u"App 2 (Ctrl+2)"},
    {0x02C3, kActionAutoScrolling, kActionAutoScrolling, u"App 3 (Ctrl+3)"},
    {0x02C4, kActionRotate, kActionRotate, u"App 4 (Ctrl+4)"},
    {0x02C5, kActionDefault, kActionDefault, u"App 5 (Ctrl+5)"},
    {0x02C6, kActionDefault, kActionDefault, u"App 6 (Ctrl+6)"},
    {0x0401, kActionPreviousPage, kActionPreviousPage, u"Click: status line, left"},
    {0x0402, kActionNextPage, kActionNextPage, u"Click: status line, right"},
    {0x0403, kActionHyphenation, kActionHyphenation, u"Drag: left to right"},
    {0x0404, kActionBold, kActionBold, u"Drag: right to left"},
    {0x0405, kActionDecSize, kActionDecSize, u"Drag: top to bottom"},
    {0x0406, kActionIncSize, kActionIncSize, u"Drag: bottom to top"},
    {0x0407, kActionPreviousPage, kActionPreviousPage, u"Click: top of the page"},
    {0x0408, kActionFullScreen, kActionFullScreen, u"Click: middle of the page"},
    {0x0409, kActionNextPage, kActionNextPage, u"Click: bottom of the page"},
    {0x000D, kActionFullScreen, kActionFullScreen, u"Enter"},
};

void ResetBindings(ButtonBinding (&bindings)[kBindingCount]) {
    std::copy(std::begin(kDefaultBindings), std::end(kDefaultBindings), bindings);
}

int FindBinding(const ButtonBinding (&bindings)[kBindingCount], uint16_t inputId) {
    for (int i = 0; i < kBindingCount; ++i) {
        if (bindings[i].inputId == inputId) return i;
    }
    return -1;
}

}  // namespace lectra
