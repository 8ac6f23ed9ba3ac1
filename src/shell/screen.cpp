// The window's geometry and painting: where the page area is, full screen, the refresh that lays
// out and paints, and the paint handler that only copies the surface.
#include "document/text_cache.h"
#include "layout/page_geometry.h"
#include "layout/pagination.h"
#include "platform/window.h"
#include "shell/app.h"

namespace lectra {

void ComputeGeometry(App& app) {
    PixelRect r{0, 0, app.screenWidth, app.screenHeight};
    if (!app.fullScreen) {
        const PixelRect bar = MenuBarRect();
        r.bottom -= bar.bottom - bar.top;
    }
    app.windowRect = r;
    PlacePageArea(r);
    Layout& layout = app.layout;
    layout.geometry =
        ComputePageGeometry(app.session.settings, r.right - r.left, r.bottom - r.top,
                            app.screenWidth, layout.fonts.statusFontHeight, app.fullScreen);
    // A first estimate; LayoutPage counts the lines that really fit.
    const int pitch = LinePitch(layout);
    const int lines = (layout.geometry.textRect.bottom - app.session.settings.marginTop) / pitch;
    layout.linesPerPage = lines > 0 ? lines : 1;
}

void SetFullScreen(App& app, int on) {
    Layout& layout = app.layout;
    if (layout.autoscrolling) {
        ToggleAutoscrollPause(app);
        return;
    }
    app.fullScreen = on ? 1 : 0;
    // The soft-key bar leaves the window and the page takes its place; the window fills the
    // screen (the new size reaches the paint, which lays the page out for it).
    ShowMenuBar(!app.fullScreen);
    if (!app.painting) SetWindowFullScreen(app.fullScreen);
    ComputeGeometry(app);
    Refresh(app);
}

void ShowPage(App&) {
    RepaintWindow();
}

void Repaint(App& app) {
    SyncBookmarkMarks(app);
    UpdateStatusSnapshot(app.layout, app.bookOpen ? app.doc.get() : nullptr, CurrentStatus(app));
    EnsurePageSurface(app.layout, app.screenWidth, app.screenHeight);
    PaintPage(app.layout, app.bookOpen ? app.doc.get() : nullptr);
    ShowPage(app);
    // A read error met while laying out or painting is shown now that the page is on screen; a
    // message box inside the paint handler would wait for the next repaint instead.
    if (!app.painting && app.bookOpen) {
        if (const char16_t* error = TakeReadError(*app.doc)) {
            app.host.showMessage(error, u"Message!");
        }
    }
}

void Refresh(App& app) {
    LayoutPage(app.layout, *app.doc, app.doc->pageStart);
    Repaint(app);
}

void OnPaint(App& app) {
    if (!app.appActive && IsForegroundWindow()) SetActive(app, 1);
    int width = 0, height = 0;
    ScreenSize(&width, &height);
    if (width != app.screenWidth || height != app.screenHeight) {
        // The device turned: a new surface of the new size, the bar read again, full screen left.
        // Autoscrolling stops first; its frames have the old size. A window the window system
        // made full screen (or gave back) is no turn: full screen stays as it is.
        const int systemFull = WindowIsFullScreen();
        StopAutoscroll(app);
        app.screenWidth = width;
        app.screenHeight = height;
        // The window's size is the device's screen for the next run too (not the screen's).
        if (!systemFull) {
            app.session.settings.windowWidth = width;
            app.session.settings.windowHeight = height;
        }
        ReleasePageSurface(app.layout);
        EnsurePageSurface(app.layout, width, height);
        app.painting = 1;
        if (systemFull) {
            ComputeGeometry(app);
            Refresh(app);
        } else {
            SetFullScreen(app, 0);
        }
        app.painting = 0;
    }
    // Unlike the handheld, a desktop window is uncovered while another program is in front; it
    // always shows its page.
    if (app.layout.surface) {
        PresentSurface(app.layout.surface, app.windowRect.right - app.windowRect.left,
                       app.windowRect.bottom - app.windowRect.top);
    }
}

}  // namespace lectra
