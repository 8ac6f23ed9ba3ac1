// The dialog frame: showing a dialog, its title and soft keys, the row layout of its controls, its
// list helpers and the message box.
#include "dialogs/dialog_frame.h"

#include <algorithm>
#include <cstdlib>

#include "platform/window.h"

namespace lectra {

namespace {

#include "../../resources/dialog_templates.inc"

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) {
    for (const DialogTemplate& t : kDialogTemplates) {
        if (t.id == id) return &t;
    }
    return nullptr;
}

DialogMetrics ComputeDialogMetrics(int fontHeight) {
    DialogMetrics m;
    const int h = fontHeight;
    m.rowHeight = std::abs(h);
    // Arithmetic shifts, as the height may be given negative.
    m.rowExtra = std::abs(h >> 1) - std::abs(h >> 2) + std::abs(h >> 3);
    m.rowGap = 0;
    return m;
}

PixelRect PlaceRect(const DialogMetrics& m, PixelRect client, PixelRect c, int layout, int margin,
                    int scrollBar, int row) {
    const int dl = client.left, dr = client.right - scrollBar, db = client.bottom;
    const int w = dr - dl;
    const int h = m.rowHeight + m.rowExtra;
    const int y = (m.rowGap + m.rowHeight + m.rowExtra) * row + m.rowGap;
    const bool own = row == 0xFFFF;
    int x = c.left, width = c.right - c.left, top = c.top, height = c.bottom - c.top;
    switch (layout) {
        case 0:
            width = dr - c.left - margin;
            top = own ? c.top : y;
            break;
        case 1:
            x = dl + margin;
            width = w - 2 * margin;
            if (!own) top = y + 2, height = h - 2;
            break;
        case 2:
            x = dl + margin;
            width = w - 2 * margin;
            top = own ? c.top : y;
            height = db - top - margin;
            if (!own) height = db - c.top - margin;
            break;
        case 3:
            x = margin + 3 * w / 4;
            width = w / 4 - 2 * margin;
            if (!own) top = y, height = h;
            break;
        case 4:
            x = dl + margin;
            width = 3 * w / 4 - 2 * margin;
            if (!own) top = y + 2, height = h - 2;
            break;
        case 5:
            if (own) {
                x = w / 2 + margin;
                width = w / 2 - 2 * margin;
            } else {
                x = w / 2 + 2;
                width = w / 2 - margin - 2;
                top = y, height = h;
            }
            break;
        case 6:
            x = dl + margin;
            if (own) {
                width = w / 2 - 2 * margin;
            } else {
                width = w / 2 - margin - 2;
                top = y + 2, height = h - 2;
            }
            break;
        case 7:
            x = dl + 2;
            width = w - margin - 2;
            if (!own) top = y, height = h;
            break;
        default:
            break;
    }
    return {x, top, x + std::max(width, 0), top + std::max(height, 0)};
}

void PlaceControl(PlatformDialog* dialog, int id, int layout, int margin, int row) {
    const DialogMetrics m = ComputeDialogMetrics(SystemFontHeight());
    MoveControl(
        dialog, id,
        PlaceRect(m, DialogClientRect(dialog), ControlRect(dialog, id), layout, margin, 0, row));
    ShowControl(dialog, id, 1);
}

void PlaceControls(PlatformDialog* dialog, std::span<const Placement> places) {
    for (const Placement& p : places) PlaceControl(dialog, p.id, p.layout, p.margin, p.row);
}

void PlaceRightOf(PlatformDialog* dialog, int id, int reference) {
    const PixelRect r = ControlRect(dialog, reference);
    const PixelRect c = ControlRect(dialog, id);
    MoveControl(dialog, id, {r.right, r.top, r.right + (c.right - c.left), r.bottom});
}

DialogAsk ReadCommand(uintptr_t wParam, int list) {
    const int id = static_cast<int>(wParam & 0xFFFF);
    const int note = static_cast<int>(wParam >> 16);
    if (id == kCmdLeftSoftKey || id == kCmdOk || (list && id == list && note == kListDoubleClick))
        return DialogAsk::kAction;
    if (id == kCmdRightSoftKey) return DialogAsk::kClose;
    if (id == kCmdCancel) return DialogAsk::kBack;
    return DialogAsk::kNothing;
}

int ListActionAsked(PlatformDialog* dialog, uintptr_t wParam, int list) {
    const DialogAsk ask = ReadCommand(wParam, list);
    if (ask == DialogAsk::kClose || ask == DialogAsk::kBack) EndDialog(dialog, 0);
    return ask == DialogAsk::kAction;
}

void InitDialogFrame(PlatformDialog* dialog, const std::u16string& title,
                     const std::u16string& leftSoftKey) {
    SetDialogTitle(dialog, title);
    SetSoftKeyText(dialog, kCmdLeftSoftKey, leftSoftKey);
    SetSoftKeyText(dialog, kCmdRightSoftKey, u"Cancel");
}

int LeaveFullScreen(const ReaderServices& reader) {
    return reader.ops.leaveFullScreen && reader.ops.leaveFullScreen(reader.ops.context);
}

void BackToFullScreen(const ReaderServices& reader, int left) {
    if (left) reader.ops.setFullScreen(reader.ops.context, 1);
}

PlatformSurface* CreatePreviewSurface(const ReaderServices& reader, int width, int height) {
    const Layout& page = *reader.page;
    // The page's own mask set, so that a preview shows the colours as the page will.
    const int maskSet = page.surface ? page.draw->surfaceMaskSet(page.surface) : kMaskSet565;
    return page.draw->createSurface(width, height, maskSet);
}

void DeletePreviewSurface(const ReaderServices& reader, PlatformSurface* surface) {
    if (surface) reader.page->draw->deleteSurface(surface);
}

int ShowDialog(const ReaderServices& reader, int templateId, DialogProcedure procedure,
               void* context) {
    const DialogTemplate* t = FindDialogTemplate(templateId);
    const ReaderOperations& ops = reader.ops;
    if (!t || (ops.stopAutoscroll && !ops.stopAutoscroll(ops.context))) return -1;
    const int left = LeaveFullScreen(reader);
    const int result = (ops.runDialog ? ops.runDialog : RunDialog)(*t, procedure, context);
    BackToFullScreen(reader, left);
    return result;
}

void ShowTitledMessage(const ReaderServices& reader, const std::u16string& text,
                       const std::u16string& caption) {
    // Every box leaves full screen while it shows, so that it is never hidden behind the page.
    const int left = LeaveFullScreen(reader);
    (reader.ops.showMessage ? reader.ops.showMessage : ShowMessageBox)(text, caption);
    BackToFullScreen(reader, left);
}

int Ask(const ReaderServices& reader, const std::u16string& text, const std::u16string& caption) {
    return (reader.ops.ask ? reader.ops.ask : AskOkCancel)(text, caption);
}

void Refresh(const ReaderServices& reader) {
    reader.ops.refresh(reader.ops.context);
}

void RememberBook(const ReaderServices& reader) {
    if (reader.ops.rememberBook) reader.ops.rememberBook(reader.ops.context);
}

void ShowMessage(const ReaderServices& reader, const std::u16string& text) {
    ShowTitledMessage(reader, text, u"Message!");
}

}  // namespace lectra
