// The display commands: font size, bold, ClearType, line interval, justification, hyphenation,
// rotation, profile, status line and the clock under the text. Each changes one setting and remakes
// what depends on it; the caller then does what the returned effect asks.
#pragma once
#include "layout/layout.h"

namespace lectra {

// What the window must do after a command: nothing (a limit was reached), recompute the geometry
// and then refresh, refresh, or only repaint. Whether a command may run while autoscroll runs is
// the caller's rule (the shell's command table).
enum CommandEffect : unsigned {
    kEffectNone = 0,
    kEffectGeometry = 1,  // before the refresh
    kEffectRefresh = 2,
    kEffectRepaint = 4,  // paint and show without a new layout
};

enum DisplayCommand : int {
    kCommandIncSize,
    kCommandDecSize,
    kCommandBold,
    kCommandClearType,
    kCommandIncInterval,
    kCommandDecInterval,
    kCommandJustify,
    kCommandHyphen,
    kCommandRotate,
    kCommandNextProfile,
    kCommandClockUnderText,
};

// Runs one command on the layout's settings and fonts. `screenWidth` sizes a clock font made for
// the first time.
unsigned RunDisplayCommand(Layout& layout, DisplayCommand command, int screenWidth);

// Shows or hides the status line of the mode `fullScreen`.
unsigned ToggleStatusLine(Layout& layout, int fullScreen);

}  // namespace lectra
