// The display commands: font size, bold, ClearType, line interval, justification, hyphenation,
// rotation, profile, status line and the clock under the text.
#include "layout/display_commands.h"

#include "layout/layout_fonts.h"

namespace lectra {

namespace {

constexpr int kLargestSize = 50;
constexpr int kSmallestSize = 7;
// One step beyond the -10..10 that loading accepts, as the keys always allowed.
constexpr int kIntervalStepLimit = 10;

int Flip(int32_t& flag) {
    flag = 1 - (flag != 0);
    return 1;
}

}  // namespace

unsigned RunDisplayCommand(Layout& layout, DisplayCommand command, int screenWidth) {
    Settings& s = *layout.settings;
    const int p = ActiveProfile(s);
    switch (command) {
        case kCommandIncSize:
        case kCommandDecSize: {
            int32_t& size = s.fontSizeText[p];
            const int up = command == kCommandIncSize;
            if (up ? size >= kLargestSize : size <= kSmallestSize) return kEffectNone;
            size += up ? 1 : -1;
            CreateLayoutFont(layout, 0, screenWidth);
            return kEffectRefresh;
        }
        case kCommandBold:
            Flip(s.fontBoldText[p]);
            CreateLayoutFont(layout, 0, screenWidth);
            return kEffectRefresh;
        case kCommandClearType:
            Flip(s.fontCtText[p]);
            CreateLayoutFont(layout, 0, screenWidth);
            CreateLayoutFont(layout, 1, screenWidth);
            // The status font's height may change with it.
            return kEffectGeometry | kEffectRefresh;
        case kCommandIncInterval:
            if (s.lineIl[p] > kIntervalStepLimit) return kEffectNone;
            ++s.lineIl[p];
            return kEffectRefresh;
        case kCommandDecInterval:
            if (s.lineIl[p] < -kIntervalStepLimit) return kEffectNone;
            --s.lineIl[p];
            return kEffectRefresh;
        case kCommandJustify:
            Flip(s.justify);
            return kEffectRefresh;
        case kCommandHyphen:
            Flip(s.hyphen);
            return kEffectRefresh;
        case kCommandRotate:
            s.rotateScreen += 900;
            if (s.rotateScreen > 2700 || s.rotateScreen < 0 || s.rotateScreen % 900 != 0)
                s.rotateScreen = 0;
            return kEffectGeometry | kEffectRefresh;
        case kCommandNextProfile:
            if (!NextProfile(s, layout.autoscrolling)) return kEffectNone;
            CreateLayoutFont(layout, 0, screenWidth);
            CreateLayoutFont(layout, 1, screenWidth);
            CreateLayoutBrush(layout, 0);
            CreateLayoutBrush(layout, 1);
            return kEffectGeometry | kEffectRefresh;
        case kCommandClockUnderText:
            Flip(s.clockWithText[p]);
            return kEffectRepaint;
    }
    return kEffectNone;
}

unsigned ToggleStatusLine(Layout& layout, int fullScreen) {
    Flip(layout.settings->visibleStatus[fullScreen ? 1 : 0]);
    return kEffectGeometry | kEffectRefresh;
}

}  // namespace lectra
