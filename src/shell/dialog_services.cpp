// What the dialogs are given of the reader: the values of the moment, and the operations on the
// window's state that they may ask for, each written here once; and where the browser starts.
#include "dialogs/file_browser.h"
#include "document/jump_history.h"
#include "document/text_cache.h"
#include "layout/heading_space.h"
#include "layout/layout_fonts.h"
#include "layout/pagination.h"
#include "platform/sys/files.h"
#include "shell/app.h"

namespace lectra {

namespace {

App& AppOf(void* context) {
    return *static_cast<App*>(context);
}

int StopForDialog(void* context) {
    App& app = AppOf(context);
    StopAutoscroll(app);
    return !app.layout.autoscrolling;
}

int LeaveFullScreen(void* context) {
    App& app = AppOf(context);
    if (!app.fullScreen) return 0;
    SetFullScreen(app, 0);
    return 1;
}

int DeleteOpenBook(void* context) {
    App& app = AppOf(context);
    const std::u16string path = app.doc->bookPath;
    CloseDocument(*app.doc);
    app.bookOpen = 0;
    const int deleted = FileDelete(path);
    // A deleted book leaves the recent list, and only it does.
    if (deleted) ForgetRecentBook(app.session.recent, path);
    return deleted;
}

void ShowFound(void* context, int32_t hit, int32_t end) {
    App& app = AppOf(context);
    // The page starts at the line that holds the hit, so that the words before it show, and the
    // matched units are marked until the next page move.
    JumpTo(*app.doc, StartOfLinesBefore(app.layout, *app.doc, hit + 1, 1));
    app.layout.searchMark = hit;
    app.layout.searchMarkEnd = end;
}

// Where the browser starts: the open book (selected in its folder), else the folder browsed last,
// else the home folder.
std::u16string BrowserStart(const App& app) {
    if (app.bookOpen) return app.doc->bookPath;
    if (!app.browseFolder.empty()) {
        return app.browseFolder.back() == u'/' ? app.browseFolder : app.browseFolder + u"/";
    }
    return std::u16string();
}

}  // namespace

void GoTo(App& app, int32_t position) {
    Document& doc = *app.doc;
    // A place on the last page shows the last full page, as every move to the end does.
    JumpTo(doc, ClampToLastPage(app.layout, doc, std::min(position, DocLength(doc))));
}

void InitDialogServices(App& app) {
    ReaderOperations& s = app.dialogOperations;
    s.context = &app;
    s.book = [](void* c) { return AppOf(c).doc.get(); };
    s.refresh = [](void* c) { Refresh(AppOf(c)); };
    s.leaveFullScreen = LeaveFullScreen;
    s.setFullScreen = [](void* c, int on) { SetFullScreen(AppOf(c), on); };
    s.computeGeometry = [](void* c) { ComputeGeometry(AppOf(c)); };
    s.makeFont = [](void* c, int which) {
        App& app = AppOf(c);
        CreateLayoutFont(app.layout, which, app.screenWidth);
    };
    s.makeBrushes = [](void* c) {
        CreateLayoutBrush(AppOf(c).layout, 0);
        CreateLayoutBrush(AppOf(c).layout, 1);
    };
    s.saveSettings = [](void* c) { SaveAll(AppOf(c)); };
    s.stopAutoscroll = StopForDialog;
    s.openBook = [](void* c, const std::u16string& path, int reopen) {
        return OpenBookForDialog(AppOf(c), path, reopen);
    };
    s.openEntry = [](void* c, const std::u16string& path, const std::u16string& entry) {
        return OpenBookEntry(AppOf(c), path, entry);
    };
    s.rememberBook = [](void* c) { RememberBook(AppOf(c)); };
    s.deleteBook = DeleteOpenBook;
    s.goTo = [](void* c, int32_t position) { GoTo(AppOf(c), position); };
    s.goToPage = [](void* c, int32_t position) {
        JumpToPage(AppOf(c).layout, *AppOf(c).doc, position);
    };
    s.moveTo = [](void* c, int32_t position) {
        App& app = AppOf(c);
        app.doc->pageStart = ClampToLastPage(app.layout, *app.doc, position);
    };
    s.showFound = ShowFound;
    s.shownFrom = [](void* c, int32_t position) {
        App& app = AppOf(c);
        return PastHiddenLead(app.layout, *app.doc, position);
    };
    s.setBrowseFolder = [](void* c, const std::u16string& folder) {
        AppOf(c).browseFolder = folder;
    };
    s.screenSize = [](void* c, int* width, int* height) {
        *width = AppOf(c).screenWidth;
        *height = AppOf(c).screenHeight;
    };
    s.paintCover = [](void* c, PlatformSurface* surface, int width, int height) {
        App& app = AppOf(c);
        return PaintCover(app.layout, *app.doc, surface, width, height);
    };
    s.showMessage = app.host.showMessage;
    s.ask = app.host.ask;
    s.runDialog = app.host.runDialog;
}

ReaderServices DialogServices(App& app) {
    ReaderServices s;
    s.bookOpen = app.bookOpen;
    s.programFolder = app.programFolder;
    s.libraryPath = app.libraryPath;
    s.settings = &app.session.settings;
    s.recent = &app.session.recent;
    s.page = &app.layout;
    s.ops = app.dialogOperations;
    return s;
}

void ShowStartupBrowser(App& app) {
    ShowOpenFileDialog(DialogServices(app), BrowserStart(app));
}

}  // namespace lectra
