// Autoscrolling: the five modes, the speed and the pause, the tick, and the smooth mode's worker
// thread that prepares the next frame while the window slides the visible one.
#include "layout/autoscroll.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "document/text_cache.h"
#include "layout/layout_fonts.h"
#include "layout/pagination.h"

namespace lectra {

namespace {

StatusSources Sample(const Autoscroll& as) {
    return as.hooks.sampleStatus ? as.hooks.sampleStatus(as.hooks.context) : StatusSources{};
}

// Samples the status, paints the page into the window's surface and shows it.
void Show(Autoscroll& as, Layout& layout, Document& doc) {
    UpdateStatusSnapshot(layout, &doc, Sample(as));
    PaintPage(layout, &doc);
    if (as.hooks.show) as.hooks.show(as.hooks.context);
}

// The autoscroll line step: every line takes the place of the one above it, and the line below
// the page is laid out anew from where it ended. PageEnd is then one line beyond the page.
void LineStep(Layout& layout, Document& doc) {
    const size_t n = static_cast<size_t>(std::max(layout.linesPerPage, 1));
    std::vector<LineRecord>& lines = layout.pageLines;
    if (lines.size() < n + 1) return;
    const int32_t from = lines[n].end;
    std::rotate(lines.begin(), lines.begin() + 1, lines.begin() + static_cast<ptrdiff_t>(n) + 1);
    doc.pageStart = lines[0].start;
    doc.pageEnd = LayoutPageLine(layout, doc, lines[n], from, TextContext(layout));
}

// The smooth mode's worker: sleeps until a frame is asked for, steps a line and paints the frame
// into its own surface, then says so. It reports the end of the book by ending; the interface
// thread stops the autoscroll when it sees that, since timers and the window belong to it.
void WorkerLoop(Autoscroll* as, Layout* layout, Document* doc) {
    for (;;) {
        uint16_t state = as->workerState.load(std::memory_order_acquire);
        while (state == kWorkerIdle) {
            as->workerState.wait(kWorkerIdle, std::memory_order_acquire);
            state = as->workerState.load(std::memory_order_acquire);
        }
        if (state == kWorkerStop) return;
        LineStep(*layout, *doc);
        if (doc->pageEnd >= DocLength(*doc)) {
            as->workerState.store(kWorkerStop, std::memory_order_release);
            as->workerState.notify_all();
            return;
        }
        UpdateStatusSnapshot(*layout, doc, as->frameSources);
        PaintPageInto(*layout, doc, as->frame);
        // Asking for the pixels ends the drawing, so that the frame is complete when handed over.
        int width = 0, height = 0, stride = 0;
        layout->draw->surfacePixels(as->frame, &width, &height, &stride);
        as->workerState.store(kWorkerIdle, std::memory_order_release);
        as->workerState.notify_all();
    }
}

void EndWorker(Autoscroll& as, Layout& layout) {
    if (as.worker.joinable()) {
        WaitForAutoscrollFrame(as);
        as.workerState.store(kWorkerStop, std::memory_order_release);
        as.workerState.notify_all();
        as.worker.join();
    }
    as.workerState.store(kWorkerStop, std::memory_order_relaxed);
    if (as.frame) layout.draw->deleteSurface(as.frame);
    as.frame = nullptr;
}

int TurnedQuarter(const Layout& layout) {
    const int r = layout.settings->rotateScreen;
    return r == 900 || r == 2700;
}

// The part of the window that shows text (the page without its status line and progress bar),
// in window coordinates, and the one-pixel move that takes the text towards the top of the page.
PixelRect MovingRect(const Layout& layout, int* dx, int* dy) {
    const PageGeometry& g = layout.geometry;
    const int pw = g.pageWidth, ph = g.pageHeight;
    int right = pw, bottom = std::min(g.statusRect.top, ph);
    if (g.progressVisible) {
        if (layout.settings->modeProgress == 0) {
            bottom = std::min(bottom, g.progressRect.top);
        } else {
            right = std::min(right, g.progressRect.left - g.x0);
        }
    }
    *dx = 0;
    *dy = 0;
    switch (layout.settings->rotateScreen) {
        case 900:
            *dx = -1;
            return {0, pw - right, bottom, pw};
        case 1800:
            *dy = 1;
            return {g.screenWidth - right, ph - bottom, g.screenWidth, ph};
        case 2700:
            *dx = 1;
            return {ph - bottom, 0, ph, right};
        default:
            *dy = -1;
            return {0, 0, right, bottom};
    }
}

// Moves the pixels of `r` of the surface by one pixel and fills the strip left behind with the
// background, as the window's scroll moves its own; the surface stays what the window shows.
void ShiftSurface(const Layout& layout, PlatformSurface* surface, PixelRect r, int dx, int dy) {
    int width = 0, height = 0, stride = 0;
    uint32_t* pixels = layout.draw->surfacePixels(surface, &width, &height, &stride);
    if (!pixels || stride < width) return;
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, width);
    r.bottom = std::min(r.bottom, height);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w < 2 || h < 2) return;
    auto row = [&](int y) { return pixels + static_cast<ptrdiff_t>(y) * stride + r.left; };
    const size_t rowBytes = static_cast<size_t>(w) * sizeof(uint32_t);
    PixelRect strip = r;
    if (dy < 0) {
        for (int y = r.top; y < r.bottom - 1; ++y) std::memcpy(row(y), row(y + 1), rowBytes);
        strip.top = r.bottom - 1;
    } else if (dy > 0) {
        for (int y = r.bottom - 1; y > r.top; --y) std::memcpy(row(y), row(y - 1), rowBytes);
        strip.bottom = r.top + 1;
    } else if (dx < 0) {
        for (int y = r.top; y < r.bottom; ++y) std::memmove(row(y), row(y) + 1, rowBytes - 4);
        strip.left = r.right - 1;
    } else {
        for (int y = r.top; y < r.bottom; ++y) std::memmove(row(y) + 1, row(y), rowBytes - 4);
        strip.right = r.left + 1;
    }
    if (layout.fonts.backgroundBrush.exists)
        layout.draw->fillRect(surface, strip, layout.fonts.backgroundBrush.colour);
}

// Copies everything of the window's area outside `moving` from one surface to the other: the
// status line and the progress bar, which do not slide.
void CopyStill(const Layout& layout, PlatformSurface* from, PlatformSurface* to, PixelRect moving) {
    int fw = 0, fh = 0, fs = 0, tw = 0, th = 0, ts = 0;
    const uint32_t* src = layout.draw->surfacePixels(from, &fw, &fh, &fs);
    uint32_t* dst = layout.draw->surfacePixels(to, &tw, &th, &ts);
    if (!src || !dst || fw != tw || fh != th || fs != ts) return;
    const PageGeometry& g = layout.geometry;
    const int areaW = std::min(TurnedQuarter(layout) ? g.pageHeight : g.screenWidth, tw);
    const int areaH = std::min(TurnedQuarter(layout) ? g.pageWidth : g.pageHeight, th);
    for (int y = 0; y < areaH; ++y) {
        const ptrdiff_t base = static_cast<ptrdiff_t>(y) * ts;
        auto copy = [&](int x0, int x1) {
            x0 = std::clamp(x0, 0, areaW);
            x1 = std::clamp(x1, 0, areaW);
            if (x1 > x0)
                std::memcpy(dst + base + x0, src + base + x0,
                            static_cast<size_t>(x1 - x0) * sizeof(uint32_t));
        };
        if (y < moving.top || y >= moving.bottom) {
            copy(0, areaW);
        } else {
            copy(0, moving.left);
            copy(moving.right, areaW);
        }
    }
}

// Paints the page as it stands, for a pause and for each tick while paused. In the smooth mode
// in the middle of a line the page lines are already the next frame's, and the window shows the
// current one slid part of the way: only the status line and the progress bar are painted anew.
void ShowStill(Autoscroll& as, Layout& layout, Document& doc) {
    if (layout.autoscrollMode != kAutoscrollSmooth || as.pixelStep == 0 || !as.frame) {
        Show(as, layout, doc);
        return;
    }
    UpdateStatusSnapshot(layout, &doc, Sample(as));
    PaintPageInto(layout, &doc, as.frame);
    int dx = 0, dy = 0;
    CopyStill(layout, as.frame, layout.surface, MovingRect(layout, &dx, &dy));
    if (as.hooks.show) as.hooks.show(as.hooks.context);
}

void SmoothStep(Autoscroll& as, Layout& layout, Document& doc) {
    ++as.pixelStep;
    if (as.pixelStep == 1) {
        WaitForAutoscrollFrame(as);
        if (as.workerState.load(std::memory_order_acquire) == kWorkerStop) {
            StopAutoscroll(as, layout, doc);
            return;
        }
        layout.autoscrollTicks = as.ticks;
        as.frameSources = Sample(as);
        as.workerState.store(kWorkerFrame, std::memory_order_release);
        as.workerState.notify_all();
    }
    if (as.pixelStep < as.pitch) {
        int dx = 0, dy = 0;
        const PixelRect moving = MovingRect(layout, &dx, &dy);
        ShiftSurface(layout, layout.surface, moving, dx, dy);
        if (as.hooks.scroll) as.hooks.scroll(as.hooks.context, moving, dx, dy);
        return;
    }
    // A whole line has passed: the prepared frame, in which the lines have moved by one pitch,
    // replaces the picture slid by pitch − 1 pixels.
    as.pixelStep = 0;
    WaitForAutoscrollFrame(as);
    if (as.workerState.load(std::memory_order_acquire) == kWorkerStop) {
        StopAutoscroll(as, layout, doc);
        return;
    }
    std::swap(layout.surface, as.frame);
    if (as.hooks.show) as.hooks.show(as.hooks.context);
}

void StopAtEnd(Autoscroll& as, Layout& layout, Document& doc) {
    if (doc.pageEnd >= DocLength(doc)) StopAutoscroll(as, layout, doc);
}

void StartTimer(Autoscroll& as, const Layout& layout) {
    if (as.hooks.stopTimer) as.hooks.stopTimer(as.hooks.context);
    if (as.hooks.startTimer)
        as.hooks.startTimer(as.hooks.context, AutoscrollInterval(layout, layout.autoscrollMode));
}

}  // namespace

uint32_t AutoscrollInterval(const Layout& layout, int mode) {
    const int time = std::max(layout.settings->aswTime, 1);
    if (mode != kAutoscrollSmooth) return static_cast<uint32_t>(time);
    // A line higher in pixels than it has milliseconds would ask for a timer of 0.
    return static_cast<uint32_t>(std::max(time / std::max(LinePitch(layout), 1), 1));
}

void WaitForAutoscrollFrame(Autoscroll& as) {
    uint16_t state = as.workerState.load(std::memory_order_acquire);
    while (state == kWorkerFrame) {
        as.workerState.wait(kWorkerFrame, std::memory_order_acquire);
        state = as.workerState.load(std::memory_order_acquire);
    }
}

void StartAutoscroll(Autoscroll& as, Layout& layout, Document& doc) {
    if (layout.autoscrolling) return;
    const int mode = layout.settings->aswMode;
    layout.autoscrollMode = mode >= kAutoscrollWave && mode <= kAutoscrollWave2 ? mode : 0;
    layout.autoscrollMarker = -1;
    layout.autoscrollPaused = 0;
    layout.autoscrollTicks = as.ticks;
    as.pixelStep = 0;
    as.pitch = LinePitch(layout);
    // Set before the worker starts: it reads the flag when it paints.
    layout.autoscrolling = 1;
    // Scrolling, the page is a window on the text: title lines held for the next page take their
    // places again, so that the lines moving up are the book's lines in order.
    if (layout.titleHeld > 0) LayoutPage(layout, doc, doc.pageStart);
    if (layout.autoscrollMode == kAutoscrollSmooth) {
        int width = 0, height = 0, stride = 0;
        layout.draw->surfacePixels(layout.surface, &width, &height, &stride);
        as.frame = layout.draw->createSurface(
            std::max(width, 1), std::max(height, 1),
            layout.surface ? layout.draw->surfaceMaskSet(layout.surface) : kMaskSet565);
        as.workerState.store(kWorkerIdle, std::memory_order_release);
        as.worker = std::thread(WorkerLoop, &as, &layout, &doc);
    }
    StartTimer(as, layout);
}

void StopAutoscroll(Autoscroll& as, Layout& layout, Document& doc) {
    if (!layout.autoscrolling) return;
    EndWorker(as, layout);
    layout.autoscrollPaused = 0;
    if (as.hooks.stopTimer) as.hooks.stopTimer(as.hooks.context);
    layout.autoscrolling = 0;
    const int mode = layout.autoscrollMode;
    if ((mode == kAutoscrollWave || mode == kAutoscrollWave2) && !layout.pageLines.empty()) {
        doc.pageStart = layout.pageLines[0].start;
    }
    // Laid out again in every mode, so that PageEnd is the end of the page on screen once more
    // (the line steps leave it one line beyond), and the place is kept in the jump history as
    // the moves keep theirs.
    LayoutPage(layout, doc, doc.pageStart);
    if (doc.historyIndex >= 0 && doc.historyIndex < kHistorySize)
        doc.history[doc.historyIndex] = doc.pageStart;
    layout.autoscrollMarker = -1;
    as.pixelStep = 0;
    Show(as, layout, doc);
    if (as.hooks.stopped) as.hooks.stopped(as.hooks.context);
}

void AutoscrollTick(Autoscroll& as, Layout& layout, Document& doc) {
    if (!layout.autoscrolling) return;
    ++as.ticks;
    // Every fourth tick the handheld reset its idle timer here; on this host the display is held
    // on by the backlight switch for as long as autoscrolling runs.
    const int mode = layout.autoscrollMode;
    if (mode != kAutoscrollSmooth) layout.autoscrollTicks = as.ticks;
    if (layout.autoscrollPaused) {
        ShowStill(as, layout, doc);
        return;
    }
    if (mode != kAutoscrollSmooth) as.pixelStep = 0;
    const int perPage = std::max(layout.linesPerPage, 1);
    switch (mode) {
        case kAutoscrollLine:
            LineStep(layout, doc);
            Show(as, layout, doc);
            StopAtEnd(as, layout, doc);
            return;
        case kAutoscrollTurnPages:
            if (++layout.autoscrollMarker < perPage) {
                Show(as, layout, doc);
            } else {
                layout.autoscrollMarker = 0;
                if (NextPage(layout, doc)) {
                    LayoutPage(layout, doc, doc.pageStart);
                    Show(as, layout, doc);
                }
            }
            StopAtEnd(as, layout, doc);
            return;
        case kAutoscrollSmooth:
            SmoothStep(as, layout, doc);
            return;
        default: {
            // The waves: the new text overwrites the page line by line from the top. With the end
            // of the book already on the page there is nothing to write, and a line written from
            // the end would leave an empty page behind at the stop.
            if (doc.pageEnd >= DocLength(doc)) {
                StopAutoscroll(as, layout, doc);
                return;
            }
            if (++layout.autoscrollMarker >= perPage) layout.autoscrollMarker = 0;
            const size_t i = static_cast<size_t>(layout.autoscrollMarker);
            if (i < layout.pageLines.size()) {
                doc.pageStart = doc.pageEnd;
                doc.pageEnd = LayoutPageLine(layout, doc, layout.pageLines[i], doc.pageEnd,
                                             TextContext(layout));
            }
            Show(as, layout, doc);
            StopAtEnd(as, layout, doc);
            return;
        }
    }
}

void SetAutoscrollTime(Autoscroll& as, Layout& layout, int milliseconds) {
    if (milliseconds < kAutoscrollFastest || milliseconds > kAutoscrollSlowest) return;
    // The worker paints the speed on the status line.
    WaitForAutoscrollFrame(as);
    layout.settings->aswTime = milliseconds;
    if (layout.autoscrolling) StartTimer(as, layout);
}

void ToggleAutoscrollPause(Autoscroll& as, Layout& layout, Document& doc) {
    if (!layout.autoscrolling) return;
    WaitForAutoscrollFrame(as);
    layout.autoscrollPaused = !layout.autoscrollPaused;
    ShowStill(as, layout, doc);
}

}  // namespace lectra
