// Autoscrolling in the window: its timer, the clock timer it rests, the display held on while it
// runs, and the read errors met by its steps, shown once it has stopped.
#include "document/text_cache.h"
#include "platform/window.h"
#include "shell/app.h"

namespace lectra {

namespace {

void StartTimer(void*, uint32_t milliseconds) {
    SetWindowTimer(kAutoscrollTimer, milliseconds);
}

void StopTimer(void*) {
    KillWindowTimer(kAutoscrollTimer);
}

StatusSources Sample(void* context) {
    return CurrentStatus(*static_cast<App*>(context));
}

void Show(void* context) {
    ShowPage(*static_cast<App*>(context));
}

void Scroll(void*, PixelRect rect, int dx, int dy) {
    ScrollPageArea(rect, dx, dy);
}

// The clock timer runs again and the display goes back, whatever stopped the autoscroll.
void Stopped(void* context) {
    App& app = *static_cast<App*>(context);
    // Given back only when this run took it, whatever the settings say by now.
    if (app.autoscrollHoldsDisplay && !app.session.settings.backlightOn)
        SetBacklightAlwaysOn(app.backlight, 0);
    app.autoscrollHoldsDisplay = 0;
    if (app.appActive && app.windowCreated) {
        const uint32_t period =
            app.session.settings.backlightOn ? kClockPeriodBacklightMs : kClockPeriodMs;
        app.clockTimerRunning = SetWindowTimer(kClockTimer, period);
    }
}

// A read error met by a step is shown with autoscrolling stopped: a message box opened while its
// timer runs would be stepped over again and again.
void ShowReadError(App& app) {
    // While the worker prepares a frame the book is its own; its errors are looked at later.
    if (app.autoscroll.workerState.load(std::memory_order_acquire) == kWorkerFrame) return;
    if (!app.doc->readErrorPending) return;
    if (app.layout.autoscrolling) {
        StopAutoscroll(app);  // shows it
    } else if (const char16_t* error = TakeReadError(*app.doc)) {
        app.host.showMessage(error, u"Message!");
    }
}

}  // namespace

void WireAutoscroll(App& app) {
    AutoscrollHooks& h = app.autoscroll.hooks;
    h.context = &app;
    h.startTimer = StartTimer;
    h.stopTimer = StopTimer;
    h.sampleStatus = Sample;
    h.show = Show;
    h.scroll = Scroll;
    h.stopped = Stopped;
}

void StartAutoscroll(App& app) {
    if (!app.bookOpen || app.layout.autoscrolling) return;
    if (app.clockTimerRunning) KillWindowTimer(kClockTimer);
    app.clockTimerRunning = 0;
    StartAutoscroll(app.autoscroll, app.layout, *app.doc);
    // The status line says so at once; in the smooth mode the worker owns the page until it
    // hands its first frame over.
    if (app.layout.autoscrolling && app.layout.autoscrollMode != kAutoscrollSmooth) Repaint(app);
    const Settings& s = app.session.settings;
    if (!s.backlightOn && s.backlightAsOn) {
        SetBacklightAlwaysOn(app.backlight, 1);
        app.autoscrollHoldsDisplay = 1;
    }
}

void StopAutoscroll(App& app) {
    if (!app.layout.autoscrolling) return;
    app.painting = 1;  // the stop's paint shows no message box; a read error is shown below
    StopAutoscroll(app.autoscroll, app.layout, *app.doc);
    app.painting = 0;
    if (const char16_t* error = TakeReadError(*app.doc)) app.host.showMessage(error, u"Message!");
}

void ToggleAutoscroll(App& app) {
    if (app.layout.autoscrolling) {
        StopAutoscroll(app);
    } else {
        StartAutoscroll(app);
    }
}

void AutoscrollTick(App& app) {
    // The steps paint through the page moves too, which would otherwise show a read error at once.
    app.painting = 1;
    AutoscrollTick(app.autoscroll, app.layout, *app.doc);
    app.painting = 0;
    ShowReadError(app);
}

void ToggleAutoscrollPause(App& app) {
    ToggleAutoscrollPause(app.autoscroll, app.layout, *app.doc);
}

void ChangeAutoscrollSpeed(App& app, int faster) {
    const int32_t step = faster ? -kAutoscrollStep : kAutoscrollStep;
    SetAutoscrollTime(app.autoscroll, app.layout, app.session.settings.aswTime + step);
}

}  // namespace lectra
