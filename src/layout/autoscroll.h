// Autoscrolling: the five modes, the speed and the pause, the tick, and the smooth mode's worker
// thread that prepares the next frame while the window slides the visible one.
#pragma once
#include <atomic>
#include <cstdint>
#include <thread>

#include "document/document.h"
#include "layout/layout.h"
#include "layout/page_paint.h"

namespace lectra {

// The smooth mode's hand-over, one frame ahead: the interface thread asks for a frame only when
// the worker is idle, and touches the page lines, the positions, the text cache, the fonts and the
// frame's surface only while no frame is asked for.
constexpr uint16_t kWorkerStop = 0;   // asked to end, or ended at the end of the book
constexpr uint16_t kWorkerFrame = 1;  // a frame is asked for
constexpr uint16_t kWorkerIdle = 2;   // the frame is ready

constexpr int kAutoscrollStep = 50;  // ms per line, for the page keys
constexpr int kAutoscrollFastest = 101;
constexpr int kAutoscrollSlowest = 4999;

// What the window does for the autoscroller; all called on the interface thread. Any may be null.
struct AutoscrollHooks {
    void* context = nullptr;
    void (*startTimer)(void* context, uint32_t milliseconds) = nullptr;  // (re)starts the tick
    void (*stopTimer)(void* context) = nullptr;
    StatusSources (*sampleStatus)(void* context) = nullptr;
    void (*show)(void* context) = nullptr;  // the surface to the window
    // Moves the window's pixels of `rect` by dx, dy without a repaint.
    void (*scroll)(void* context, PixelRect rect, int dx, int dy) = nullptr;
    // After every stop, the end of the book's included, once the page is painted.
    void (*stopped)(void* context) = nullptr;
};

struct Autoscroll {
    AutoscrollHooks hooks;
    uint32_t ticks = 0;
    int pixelStep = 0;  // smooth mode: ticks done in the current line, 0 .. pitch
    int pitch = 1;      // smooth mode: the line pitch when started

    // Smooth mode. The worker paints the next frame into `frame`; at the line's end the two
    // surfaces change places, so the window's surface is never drawn into by the worker.
    std::atomic<uint16_t> workerState{kWorkerStop};
    std::thread worker;
    PlatformSurface* frame = nullptr;
    StatusSources frameSources;  // sampled by the interface thread for the frame asked for
};

// Starts in the mode of "ASW_MODE" from the page on screen; nothing is painted until the first
// tick. Does nothing when already running.
void StartAutoscroll(Autoscroll& as, Layout& layout, Document& doc);
// Stops (joining the worker), puts a wave-written page back in order and paints it. Does nothing
// when not running.
void StopAutoscroll(Autoscroll& as, Layout& layout, Document& doc);
// One timer tick; stops by itself after the step that reaches the end of the book.
void AutoscrollTick(Autoscroll& as, Layout& layout, Document& doc);
// A new time per line in ms; outside 101..4999 nothing changes. Restarts the tick when running.
void SetAutoscrollTime(Autoscroll& as, Layout& layout, int milliseconds);
// Pauses or resumes, and shows the page with its status line saying so.
void ToggleAutoscrollPause(Autoscroll& as, Layout& layout, Document& doc);
// Waits until no frame is being prepared, so that the interface thread may read the page and the
// book (to save the position, say). Returns at once outside the smooth mode.
void WaitForAutoscrollFrame(Autoscroll& as);
// The timer's interval for the mode and the time per line: one line takes "ASW_TIME".
uint32_t AutoscrollInterval(const Layout& layout, int mode);

}  // namespace lectra
