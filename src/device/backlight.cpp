// Keeping the display on while reading: the switch and the state it remembers.
#include "device/backlight.h"

#include "platform/window.h"

namespace lectra {

void SetBacklightAlwaysOn(Backlight& backlight, int on) {
    on = on ? 1 : 0;
    if (on == backlight.state) return;
    backlight.state = on;
    (backlight.keepOn ? backlight.keepOn : KeepDisplayOn)(on);
}

}  // namespace lectra
