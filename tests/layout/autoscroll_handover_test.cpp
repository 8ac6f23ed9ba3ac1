// The smooth autoscroll's hand-over to its worker; also built alone by scripts/tsan.sh.
#include <string>

#include "layout/autoscroll.h"
#include "layout_test_support.h"

namespace lectra {
namespace {

using test::FakeLayout;
using test::MemoryBook;

// A book of `paragraphs` short paragraphs, several lines each at 20 units a line.
std::u16string Paragraphs(int paragraphs) {
    std::u16string text;
    for (int i = 0; i < paragraphs; ++i) {
        text += u'\n';
        for (int w = 0; w < 12; ++w)
            text += u"word" + std::u16string(1, u'a' + (i + w) % 26) + u' ';
    }
    return text;
}

// A reader of the fake layout: the book, the layout on its first page, the autoscroller with
// hooks that count what the window was asked to do.
struct Scroller {
    MemoryBook book;
    FakeLayout f{200, 140};
    Autoscroll as;
    int shows = 0, scrolls = 0, stops = 0;

    Scroller(int paragraphs, int mode) : book(Paragraphs(paragraphs)) {
        f.settings.aswMode = mode;
        as.hooks.context = this;
        as.hooks.startTimer = [](void*, uint32_t) {};
        as.hooks.show = [](void* c) { ++static_cast<Scroller*>(c)->shows; };
        as.hooks.scroll = [](void* c, PixelRect, int, int) {
            ++static_cast<Scroller*>(c)->scrolls;
        };
        as.hooks.stopped = [](void* c) { ++static_cast<Scroller*>(c)->stops; };
        // A status line, so that the worker paints the speed, the pause and the progress too.
        f.layout.fonts.statusFont = f.layout.fonts.textFont;
        f.layout.geometry.statusVisible = 1;
        f.layout.geometry.statusRect = {0, 150, 200, 164};
        LayoutPage(f.layout, *book, 0);
    }
    ~Scroller() { StopAutoscroll(as, f.layout, *book); }
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) AutoscrollTick(as, f.layout, *book);
    }
    int32_t Start() const { return book.doc->pageStart; }
};

TEST(AutoscrollHandOver, SmoothFramesFollowTheLineStepsThroughPausesAndSpeedChanges) {
    Scroller line(40, kAutoscrollLine), smooth(40, kAutoscrollSmooth);
    StartAutoscroll(line.as, line.f.layout, *line.book);
    StartAutoscroll(smooth.as, smooth.f.layout, *smooth.book);
    const int pitch = LinePitch(smooth.f.layout);
    ASSERT_GT(pitch, 3);
    for (int l = 1; l <= 12; ++l) {
        line.Tick();
        smooth.Tick(3);
        // Paused in the middle of a line: ticks only repaint, and the line goes on afterwards.
        ToggleAutoscrollPause(smooth.as, smooth.f.layout, *smooth.book);
        smooth.Tick(4);
        EXPECT_EQ(smooth.as.pixelStep, 3);
        ToggleAutoscrollPause(smooth.as, smooth.f.layout, *smooth.book);
        SetAutoscrollTime(smooth.as, smooth.f.layout, l % 2 ? 950 : 1000);
        smooth.Tick(pitch - 3);
        ASSERT_EQ(smooth.as.pixelStep, 0);
        EXPECT_EQ(smooth.Start(), line.Start()) << "line " << l;
        EXPECT_EQ(smooth.f.layout.pageLines[0].text, line.f.layout.pageLines[0].text);
    }
    // pitch − 1 one-pixel slides a line, then the new frame.
    EXPECT_EQ(smooth.scrolls, 12 * (pitch - 1));
    EXPECT_GE(smooth.shows, 12);
    EXPECT_EQ(smooth.as.workerState.load(), kWorkerIdle);
}

TEST(AutoscrollHandOver, TheWorkerEndsAtTheEndOfTheBookAndTheNextTickStops) {
    Scroller s(6, kAutoscrollSmooth);
    StartAutoscroll(s.as, s.f.layout, *s.book);
    const int pitch = LinePitch(s.f.layout);
    int ticks = 0;
    while (s.f.layout.autoscrolling && ticks < 100 * pitch) {
        s.Tick();
        ++ticks;
    }
    EXPECT_EQ(s.f.layout.autoscrolling, 0);
    EXPECT_EQ(s.stops, 1);
    EXPECT_FALSE(s.as.worker.joinable());
    EXPECT_EQ(s.as.frame, nullptr);
    // Stopped on a page laid out again: its lines start where the page starts.
    EXPECT_EQ(s.f.layout.pageLines[0].start, s.Start());
    EXPECT_LT(s.Start(), DocLength(*s.book));
}

TEST(AutoscrollHandOver, StopsAndRestartsAnywhereInALineLeaveNothingRunning) {
    Scroller s(60, kAutoscrollSmooth);
    const int pitch = LinePitch(s.f.layout);
    for (int round = 0; round < 25; ++round) {
        StartAutoscroll(s.as, s.f.layout, *s.book);
        s.Tick(round % (2 * pitch));
        if (round % 3 == 0) ToggleAutoscrollPause(s.as, s.f.layout, *s.book);
        WaitForAutoscrollFrame(s.as);
        StopAutoscroll(s.as, s.f.layout, *s.book);
        ASSERT_FALSE(s.as.worker.joinable());
        EXPECT_EQ(s.f.layout.autoscrollPaused, 0);
        EXPECT_EQ(s.f.layout.pageLines[0].start, s.Start());
    }
    EXPECT_EQ(s.stops, 25);
}

}  // namespace
}  // namespace lectra
