// Keeping the display on while reading: the switch and the state it remembers.
#pragma once

namespace lectra {

struct Backlight {
    int state = -1;  // the last state asked for: −1 at start, then 0 or 1
    // What holds the display on; the platform's screen-saver inhibition unless a test replaces it.
    void (*keepOn)(int on) = nullptr;
};

// Holds the display on, or lets it go; a call with the state already held does nothing.
void SetBacklightAlwaysOn(Backlight& backlight, int on);

}  // namespace lectra
