// What the dialogs are given of the reader: its state, its services and where the browser starts.
#include "dialogs/file_browser.h"
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

int OpenForDialog(void* context, const std::u16string& path, int reopen) {
    return OpenBookForDialog(AppOf(context), path, reopen);
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

void InitDialogServices(App& app) {
    ReaderServices& s = app.services;
    s.context = &app;
    s.doc = app.doc.get();
    s.bookOpen = &app.bookOpen;
    s.settings = &app.session.settings;
    s.recent = &app.session.recent;
    s.layout = &app.layout;
    s.browseFolder = &app.browseFolder;
    s.fullScreen = &app.fullScreen;
    s.findNextMode = &app.findNextMode;
    s.screenWidth = &app.screenWidth;
    s.screenHeight = &app.screenHeight;
    s.programFolder = app.programFolder;
    s.libraryPath = &app.libraryPath;
    s.refresh = [](void* c) { Refresh(AppOf(c)); };
    s.setFullScreen = [](void* c, int on) { SetFullScreen(AppOf(c), on); };
    s.computeGeometry = [](void* c) { ComputeGeometry(AppOf(c)); };
    s.saveSettings = [](void* c) { SaveAll(AppOf(c)); };
    s.stopAutoscroll = StopForDialog;
    s.openBook = OpenForDialog;
    s.openEntry = [](void* c, const std::u16string& path, const std::u16string& entry) {
        return OpenBookEntry(AppOf(c), path, entry);
    };
    s.rememberBook = [](void* c) {
        App& app = AppOf(c);
        if (app.bookOpen) RememberCurrentBook(app.session.recent, *app.doc, app.browseFolder);
    };
    s.showMessage = app.host.showMessage;
    s.ask = app.host.ask;
    s.runDialog = app.host.runDialog;
}

void ShowStartupBrowser(App& app) {
    ShowOpenFileDialog(app.services, BrowserStart(app));
}

}  // namespace lectra
