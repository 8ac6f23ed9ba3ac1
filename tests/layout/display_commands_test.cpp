// The display commands stop at their limits without a refresh, and ask for what they changed.
#include "layout/display_commands.h"

#include <gtest/gtest.h>

#include "layout_test_support.h"

namespace lectra {
namespace {

using test::FakeDraw;
using test::FakeLayout;

// The fake layout owns its text font only; the commands make the others.
struct CommandLayout : FakeLayout {
    CommandLayout() : FakeLayout(200) {}
    ~CommandLayout() {
        for (PlatformFont** font : {&layout.fonts.statusFont, &layout.fonts.clockFont}) {
            if (*font) layout.draw->deleteFont(*font);
        }
    }
};

// The text size keeps to 7..50, the line interval to ±11 and the rotation wraps; a command past
// a limit changes nothing and asks for nothing to be redrawn.
TEST(DisplayCommands, LimitsAreKeptAndACommandPastThemDoesNothing) {
    CommandLayout f;
    Settings& s = f.settings;
    struct Case {
        DisplayCommand command;
        int32_t* field;
        int32_t before, after;
    } cases[] = {
        {kCommandIncSize, &s.fontSizeText[0], 49, 50},
        {kCommandIncSize, &s.fontSizeText[0], 50, 50},
        {kCommandDecSize, &s.fontSizeText[0], 8, 7},
        {kCommandDecSize, &s.fontSizeText[0], 7, 7},
        {kCommandDecSize, &s.fontSizeText[0], 5, 5},  // stored below the range
        {kCommandIncInterval, &s.lineIl[0], 10, 11},
        {kCommandIncInterval, &s.lineIl[0], 11, 11},
        {kCommandDecInterval, &s.lineIl[0], -10, -11},
        {kCommandDecInterval, &s.lineIl[0], -11, -11},
        {kCommandRotate, &s.rotateScreen, 2700, 0},
    };
    for (const Case& c : cases) {
        *c.field = c.before;
        const unsigned effect = RunDisplayCommand(f.layout, c.command, 480);
        EXPECT_EQ(*c.field, c.after) << c.command << " " << c.before;
        EXPECT_EQ(effect == kEffectNone, c.before == c.after) << c.command << " " << c.before;
    }
    // A larger font is made at once, so that the layout after it measures with it.
    s.fontSizeText[0] = 20;
    RunDisplayCommand(f.layout, kCommandDecSize, 480);
    const int smaller = f.layout.fonts.textFontHeight;
    RunDisplayCommand(f.layout, kCommandIncSize, 480);
    EXPECT_GT(f.layout.fonts.textFontHeight, smaller);
}

}  // namespace
}  // namespace lectra
