// Stylus gestures: taps on the status line and the three zones of the page, strokes across the
// quarter lines, and the jump by a tap on the progress bar; in the page's own frame whatever the
// rotation.
#include <cstdlib>

#include "dialogs/note_dialog.h"
#include "document/jump_history.h"
#include "document/notes.h"
#include "document/text_cache.h"
#include "layout/page_hit.h"
#include "layout/pagination.h"
#include "shell/app.h"

namespace lectra {

namespace {

struct Point {
    int x;
    int y;
};

// A window point in the page's own frame (pw × ph) for the rotation.
Point ToPage(int rotation, int pw, int ph, int x, int y) {
    switch (rotation) {
        case 900:
            return {pw - y, x};
        case 1800:
            return {pw - x, ph - y};
        case 2700:
            return {y, ph - x};
        default:
            return {x, y};
    }
}

bool Within(Point p, PixelRect r) {
    return p.x >= r.left - 2 && p.x <= r.right + 2 && p.y >= r.top - 1 && p.y <= r.bottom + 1;
}

// A tap on a note's reference shows the note: the character under the tap first, else its word
// ("arc[1]" is one word). 1 when it did.
int ShowTappedNote(App& app, Point at) {
    if (!app.bookOpen || app.layout.autoscrolling || app.doc->notes.empty()) return 0;
    int32_t from = 0, to = 0;
    const int32_t p = PositionAtPoint(app.layout, *app.doc, at.x, at.y, &from, &to);
    if (p < 0) return 0;
    int note = NoteIndexAt(*app.doc, p, p + 1);
    if (note < 0) note = NoteIndexAt(*app.doc, from, to);
    if (note < 0) return 0;
    ShowNotesDialog(DialogServices(app), {note}, 0);
    return 1;
}

}  // namespace

uint16_t RecognizeGesture(App& app, int x, int y, uint32_t now) {
    const Settings& s = app.session.settings;
    const PageGeometry& g = app.layout.geometry;
    const bool quick = now - app.stylusDownTick <= kHoldMs;
    const int w = g.pageWidth, h = g.pageHeight;
    const Point down = ToPage(s.rotateScreen, w, h, app.stylusDownX, app.stylusDownY);
    const Point up = ToPage(s.rotateScreen, w, h, x, y);
    const int px = app.screenWidth > 0 ? std::abs(up.x - down.x) * 100 / app.screenWidth : 100;
    const int py = app.screenHeight > 0 ? std::abs(up.y - down.y) * 100 / app.screenHeight : 100;
    const bool tap = px < 5 && py < 5 && quick;

    PixelRect status = g.statusRect, progress = g.progressRect;
    if (s.rotateScreen != 0) {
        status.left -= app.screenWidth;
        status.right -= app.screenWidth;
        progress.left -= app.screenWidth;
        progress.right -= app.screenWidth;
    }
    const int mode = app.fullScreen ? 1 : 0;
    if (s.visibleProgress[mode] && tap && Within(up, progress)) {
        if (!app.bookOpen) return 0;
        const int64_t length = DocLength(*app.doc);
        int64_t target = 0;
        if (s.modeProgress == 0) {
            target = w > 0 ? length * up.x / w : 0;
        } else {
            const int span = progress.bottom - progress.top;
            target = span > 0 ? length * up.y / span : 0;
        }
        if (target > length) target = length;
        if (target < 0) target = 0;
        StopAutoscroll(app);  // a jump ends the reading that scrolled
        JumpToPage(app.layout, *app.doc, static_cast<int32_t>(target));
        Refresh(app);
        return 0;
    }
    if (s.visibleStatus[mode] && tap && Within(up, status)) return up.x < w / 2 ? 0x0401 : 0x0402;
    if (px < 20 && quick) {
        const int q = h >> 2;
        if (down.y < q && up.y > q) return 0x0405;
        if (down.y > q && up.y < q) return 0x0406;
    }
    if (py < 20 && quick) {
        const int q = w >> 2;
        if (down.x < q && up.x > q) return 0x0403;
        if (down.x > q && up.x < q) return 0x0404;
    }
    if (tap) {
        if (ShowTappedNote(app, up)) return 0;
        if (up.y < h / 3) return 0x0407;
        if (up.y < 2 * h / 3) return 0x0408;
        return 0x0409;
    }
    return 0;
}

}  // namespace lectra
