// The 29 actions and the table that binds keys, hardware buttons and stylus gestures to them.
#include "settings/bindings.h"

#include <algorithm>
#include <iterator>

namespace lectra {

const char16_t* const kActionNames[kActionCount] = {
    u"Default",       u"FullScreen (AutoScroll Pause)",
    u"Rotate",        u"Next Profile",
    u"Inc Size",      u"Dec Size",
    u"Bold",          u"Justification",
    u"Hyphenation",   u"Inc Interval",
    u"Dec Interval",  u"Next Page (Inc AS Speed)",
    u"Next Line",     u"Previous Page (Dec AS Speed)",
    u"Previous Line", u"Status Line On/Off",
    u"AutoScrolling", u"ClearType (WM2003)",
    u"Next",          u"Previous",
    u"Find",          u"Find Next",
    u"File Info",     u"None",
    u"Save Quote",    u"Open",
    u"Quit",          u"Add Bookmark",
    u"Open Bookmark",
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
    {0x0077, kActionIncInterval, kActionIncInterval, u"*"},
    {0x0078, kActionDecInterval, kActionDecInterval, u"#"},
    {0x0072, kActionAutoScrolling, kActionAutoScrolling, u"TALK"},
    {0x0025, kActionPreviousLine, kActionPreviousLine, u"Left"},
    {0x0026, kActionPreviousPage, kActionPreviousPage, u"Up"},
    {0x0027, kActionNextLine, kActionNextLine, u"Right"},
    {0x0028, kActionNextPage, kActionNextPage, u"Down"},
    {0x0179, kActionAutoScrolling, kActionAutoScrolling, u"Record (smart)"},
    {0x0175, kActionPreviousPage, kActionPreviousPage, u"VolumeUP"},
    {0x0176, kActionNextPage, kActionNextPage, u"VolumeDown"},
    {0x02C1, kActionDefault, kActionDefault, u"App1 (PPC)"},
    {0x02C2, kActionNextProfile, kActionNextProfile, u"App2 (PPC)"},
    {0x02C3, kActionAutoScrolling, kActionAutoScrolling, u"App3 (PPC)"},
    {0x02C4, kActionRotate, kActionRotate, u"App4 (PPC)"},
    {0x02C5, kActionDefault, kActionDefault, u"App5 (PPC)"},
    {0x02C6, kActionDefault, kActionDefault, u"App6 (PPC)"},
    {0x0401, kActionPreviousPage, kActionPreviousPage, u"Tap - left Status Line"},
    {0x0402, kActionNextPage, kActionNextPage, u"Tap - right Status Line"},
    {0x0403, kActionHyphenation, kActionHyphenation, u"Stroke - left to right"},
    {0x0404, kActionBold, kActionBold, u"Stroke - right to left"},
    {0x0405, kActionDecSize, kActionDecSize, u"Stroke - top to bottom"},
    {0x0406, kActionIncSize, kActionIncSize, u"Stroke - bottom to top"},
    {0x0407, kActionPreviousPage, kActionPreviousPage, u"Tap on up screen"},
    {0x0408, kActionFullScreen, kActionFullScreen, u"Tap on center screen"},
    {0x0409, kActionNextPage, kActionNextPage, u"Tap on down screen"},
    {0x000D, kActionFullScreen, kActionFullScreen, u"Action"},
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
