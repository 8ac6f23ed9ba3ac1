// The dialog frame: what every dialog of the reader shares — how it is shown, its title and soft
// keys, the row layout of its controls, its list helpers and the message box.
#pragma once
#include <cstdint>
#include <string>

#include "dialogs/control_ids.h"
#include "document/document.h"
#include "layout/layout.h"
#include "platform/dialog.h"
#include "settings/settings_model.h"

namespace lectra {

// What the dialogs may read and change of the reader, and the operations of the window they
// call; filled in by the shell, which owns all of it.
struct ReaderServices {
    void* context = nullptr;
    Document* doc = nullptr;
    int* bookOpen = nullptr;
    Settings* settings = nullptr;
    RecentFiles* recent = nullptr;
    Layout* layout = nullptr;
    std::u16string* browseFolder = nullptr;
    int* fullScreen = nullptr;
    int* findNextMode = nullptr;
    int* screenWidth = nullptr;
    int* screenHeight = nullptr;
    std::u16string programFolder;
    // The library's catalogue file (bytes; empty or null: no library), for the books' names.
    const std::string* libraryPath = nullptr;
    // Lays the page out from PageStart and paints it.
    void (*refresh)(void* context) = nullptr;
    void (*setFullScreen)(void* context, int on) = nullptr;
    // The page's rectangles again, for new margins, fonts or status line.
    void (*computeGeometry)(void* context) = nullptr;
    // Writes the settings and the recent list into their stores and to disk.
    void (*saveSettings)(void* context) = nullptr;
    // Stops autoscrolling; returns 1 when it is stopped (or was not running).
    int (*stopAutoscroll)(void* context) = nullptr;
    // Opens `path` with the recent list's memory of it (the reopen flag ignores it); 1 on success.
    // A failure has been reported to the user when it returns.
    int (*openBook)(void* context, const std::u16string& path, int reopen) = nullptr;
    // Opens the book `entry` of the ZIP archive `path`, as openBook does a file.
    int (*openEntry)(void* context, const std::u16string& path,
                     const std::u16string& entry) = nullptr;
    // Brings the open book's recent entry up to date.
    void (*rememberBook)(void* context) = nullptr;
    void (*showMessage)(const std::u16string& text, const std::u16string& caption) = nullptr;
    int (*ask)(const std::u16string& text, const std::u16string& caption) = nullptr;
    // Runs a dialog; the tests replace it with one that drives the procedure themselves.
    int (*runDialog)(const DialogTemplate& t, DialogProcedure procedure, void* context) = nullptr;
};

// The search strings and the go-to choice live from one dialog to the next.
struct DialogMemory {
    std::u16string searchLower;
    std::u16string searchUpper;
    int gotoInPages = 0;
};

// Row metrics from the system font.
struct DialogMetrics {
    int rowHeight = 0;
    int rowExtra = 0;
    int rowGap = 0;
};
DialogMetrics ComputeDialogMetrics(int fontHeight);

// Where layout `layout` with margin `margin` puts a control now at `control` in a dialog client
// area `client`; `row` 0xFFFF keeps the control's own vertical place. `scrollBar` leaves room for a
// vertical scroll bar of that width.
PixelRect PlaceRect(const DialogMetrics& m, PixelRect client, PixelRect control, int layout,
                    int margin, int scrollBar, int row);
void PlaceControl(PlatformDialog* dialog, int id, int layout, int margin, int row);
void PlaceRightOf(PlatformDialog* dialog, int id, int reference);

// What a command message asks of a dialog: its action (the left soft key, Enter, or a double
// click in the list `list`), leaving it (the right soft key), or the Back key.
enum class DialogAsk { kNothing, kAction, kClose, kBack };
DialogAsk ReadCommand(uintptr_t wParam, int list = 0);

void InitDialogFrame(PlatformDialog* dialog, const std::u16string& title,
                     const std::u16string& leftSoftKey);

// Stops autoscrolling (no dialog when it will not stop), leaves full screen around the dialog and
// runs it. Returns the dialog's result, −1 when it was not shown.
int ShowDialog(ReaderServices& reader, const DialogTemplate& t, DialogProcedure procedure,
               void* context);
// "Message!" and OK, full screen left around it.
void ShowMessage(ReaderServices& reader, const std::u16string& text);
// A message box with its own title, over the dialog that is open.
void ShowTitledMessage(ReaderServices& reader, const std::u16string& text,
                       const std::u16string& caption);

// The dialog templates, by id; null for an unknown id.
const DialogTemplate* FindDialogTemplate(int id);

}  // namespace lectra
