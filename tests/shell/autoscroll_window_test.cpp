// Autoscrolling through the window procedure on a fake tick source.
#include <functional>

#include "layout/pagination.h"
#include "platform/command_ids.h"
#include "reader_test_support.h"

namespace lectra {
namespace {

class Autoscrolling : public test::Reader {
protected:
    std::vector<int32_t> starts;  // the first page's line starts, and the line below it
    int32_t firstEnd = 0;
    int lines = 0, pitch = 0;

    App& Open(int mode) {
        Start(test::Sample("en-story.txt"));
        app->session.settings.aswMode = mode;
        test::displayHolds.clear();
        const Layout& l = app->layout;
        lines = l.linesPerPage;
        pitch = LinePitch(l);
        firstEnd = app->doc->pageEnd;
        starts.clear();
        for (int i = 0; i <= lines; ++i)
            starts.push_back(l.pageLines[static_cast<size_t>(i)].start);
        return *app;
    }
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) Send(kMsgTimer, kAutoscrollTimer);
    }
    int Scrolling() const { return app->layout.autoscrolling; }
};

TEST_F(Autoscrolling, EachModeMovesThePageAsItsStepsSay) {
    struct Case {
        const char* name;
        int mode;
        std::function<int()> ticks;
        std::function<int32_t()> whileRunning, afterStop;
    } cases[] = {
        {"Line", kAutoscrollLine, [] { return 3; }, [this] { return starts[3]; },
         [this] { return starts[3]; }},
        {"Smooth", kAutoscrollSmooth, [this] { return 3 * pitch; }, [this] { return starts[3]; },
         [this] { return starts[3]; }},
        // The waves write the next page over this one; PageStart follows the newest line, and a
        // stop reads the page from its top line.
        {"Wave", kAutoscrollWave, [this] { return lines; },
         [this] { return app->layout.pageLines[size_t(lines - 1)].start; },
         [this] { return firstEnd; }},
        {"Wave II", kAutoscrollWave2, [] { return 2; },
         [this] { return app->layout.pageLines[1].start; }, [this] { return firstEnd; }},
        // From the marker's start at −1, the first page turns on the tick after it reached the
        // last line.
        {"AutoTurnPages still", kAutoscrollTurnPages, [this] { return lines; },
         [this] { return starts[0]; }, [this] { return starts[0]; }},
        {"AutoTurnPages turned", kAutoscrollTurnPages, [this] { return lines + 1; },
         [this] { return firstEnd; }, [this] { return firstEnd; }},
    };
    for (const Case& c : cases) {
        Open(c.mode);
        Press(test::kKeyAutoscroll);
        ASSERT_EQ(Scrolling(), 1) << c.name;
        Tick(c.ticks());
        EXPECT_EQ(Scrolling(), 1) << c.name;
        EXPECT_EQ(PageStart(), c.whileRunning()) << c.name;
        Press(test::kKeyAutoscroll);
        EXPECT_EQ(Scrolling(), 0) << c.name;
        EXPECT_EQ(PageStart(), c.afterStop()) << c.name;
        EXPECT_EQ(app->layout.pageLines[0].start, PageStart()) << c.name;
        Stop();
    }
}

TEST_F(Autoscrolling, TheActionKeyPausesAndTheSpeedKeysStayInsideTheirLimits) {
    Open(kAutoscrollSmooth);
    Press(test::kKeyAutoscroll);
    Tick(3);
    Press(test::kKeyAction);  // full screen, which pauses instead
    EXPECT_EQ(app->layout.autoscrollPaused, 1);
    EXPECT_EQ(app->fullScreen, 0);
    Press(test::kKeyAction);
    const int32_t page = PageStart();

    Settings& s = app->session.settings;
    struct Case {
        int from;
        uint32_t key;
        int to;
    } cases[] = {
        {1000, kVkDown, 950},  // Down: faster, Up: slower, within 101..4999
        {151, kVkDown, 101},  {120, kVkDown, 120}, {4949, kVkUp, 4999}, {4980, kVkUp, 4980},
    };
    for (const Case& c : cases) {
        s.aswTime = c.from;
        Press(c.key);
        EXPECT_EQ(s.aswTime, c.to) << c.from << " " << c.key;
    }
    EXPECT_EQ(PageStart(), page);  // the page keys never moved the page
}

TEST_F(Autoscrolling, TheEndOfTheBookStopsEveryModeAndTheClockRunsAgain) {
    for (int mode : {kAutoscrollWave, kAutoscrollLine, kAutoscrollSmooth, kAutoscrollTurnPages,
                     kAutoscrollWave2}) {
        Open(mode);
        app->session.settings.backlightAsOn = 1;
        app->doc->pageStart = DocLength(*app->doc) - 600;
        Refresh(*app);
        Press(test::kKeyAutoscroll);
        EXPECT_EQ(app->clockTimerRunning, 0);
        for (int ticks = 0; Scrolling() && ticks < 5000; ++ticks) Tick();
        EXPECT_EQ(Scrolling(), 0) << mode;
        EXPECT_EQ(app->clockTimerRunning, 1) << mode;
        EXPECT_EQ(test::displayHolds, (std::vector<int>{1, 0})) << mode;
        EXPECT_LT(PageStart(), DocLength(*app->doc)) << mode;
        Stop();
    }
}

TEST_F(Autoscrolling, DisplayCommandsAreIgnoredAndMenuCommandsDialogsAndDeactivationStopIt) {
    Open(kAutoscrollSmooth);
    Settings& s = app->session.settings;
    s.useProfiles = 2;
    Press(test::kKeyAutoscroll);
    Tick(pitch + 2);  // in the middle of the second line, with a frame asked for
    const Settings before = s;
    for (uint32_t key :
         {test::kKeyStatusLine, test::kKeyRotate, test::kKeyNextProfile, test::kKeyLarger})
        Press(key);
    EXPECT_EQ(std::tie(s.rotateScreen, s.activeProfile, s.visibleStatus[0], s.fontSizeText[0]),
              std::tie(before.rotateScreen, before.activeProfile, before.visibleStatus[0],
                       before.fontSizeText[0]));
    EXPECT_EQ(Scrolling(), 1);
    Send(kMsgCommand, kCmdRotate);  // the menu's rotation stops it first, then turns the page
    EXPECT_EQ(Scrolling(), 0);
    EXPECT_EQ(s.rotateScreen, 900);
    EXPECT_EQ(PageStart(), starts[2]);

    // Deactivation and a turned device stop it too.
    const std::function<void()> stoppers[] = {
        [&] { Send(kMsgActivate, 0); },
        [&] {
            ResizeMainWindow(600, 500);
            Send(kMsgPaint);
        },
    };
    for (const auto& stop : stoppers) {
        SetActive(*app, 1);
        Press(test::kKeyAutoscroll);
        Tick(5);
        ASSERT_EQ(Scrolling(), 1);
        stop();
        EXPECT_EQ(Scrolling(), 0);
        EXPECT_FALSE(app->autoscroll.worker.joinable());
    }
}

}  // namespace
}  // namespace lectra
