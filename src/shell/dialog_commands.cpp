// The commands and actions that open dialogs, the two soft-key menus, and what the dialogs are
// given of the reader.
#include "dialogs/bookmarks.h"
#include "dialogs/buttons_dialog.h"
#include "dialogs/code_page_dialogs.h"
#include "dialogs/colour_dialog.h"
#include "dialogs/file_browser.h"
#include "dialogs/goto_dialog.h"
#include "dialogs/search.h"
#include "dialogs/settings_dialogs.h"
#include "document/formats/book_export.h"
#include "document/text_cache.h"
#include "layout/quotes.h"
#include "platform/sys/clock.h"
#include "platform/window.h"
#include "shell/app.h"

namespace lectra {

namespace {

#include "../../resources/menus.inc"

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

void Export(App& app, int pdb) {
    if (!app.bookOpen) return;
    SetWaitCursor(1);
    const int saved =
        pdb ? ExportPdb(*app.doc, app.doc->bookPath, app.session.settings.codePageSave)
            : ExportTxt(*app.doc, app.doc->bookPath, app.session.settings.codePageSave);
    SetWaitCursor(0);
    ShowMessage(app.services, saved ? u"File saved!" : u"Error");
}

void Quote(App& app) {
    if (!app.bookOpen || app.layout.autoscrolling) return;
    QuoteTime when;
    LocalDate(&when.year, &when.month, &when.day);
    LocalTime(&when.hour, &when.minute);
    const std::u16string message =
        SaveQuote(app.layout, *app.doc, app.programFolder + u"/" + kMemoFileName, when);
    if (!message.empty()) ShowMessage(app.services, message);
}

void OpenBrowser(App& app) {
    ShowOpenFileDialog(app.services, BrowserStart(app));
}

// A button given another action is taken or given back at once, not at the next activation:
// the keys held are those of the table as it is.
void EditButtons(App& app) {
    const int active = app.appActive;
    if (active) UnregisterHotKeys(app);
    ShowButtonsDialog(app.services);
    if (active) RegisterHotKeys(app);
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
    s.refresh = [](void* c) { Refresh(AppOf(c)); };
    s.setFullScreen = [](void* c, int on) { SetFullScreen(AppOf(c), on); };
    s.computeGeometry = [](void* c) { ComputeGeometry(AppOf(c)); };
    s.saveSettings = [](void* c) { SaveAll(AppOf(c)); };
    s.stopAutoscroll = StopForDialog;
    s.openBook = OpenForDialog;
    s.rememberBook = [](void* c) {
        App& app = AppOf(c);
        if (app.bookOpen) RememberCurrentBook(app.session.recent, *app.doc, app.browseFolder);
    };
    s.showMessage = app.host.showMessage;
    s.ask = app.host.ask;
    s.runDialog = app.host.runDialog;
}

void ShowStartupBrowser(App& app) {
    OpenBrowser(app);
}

int RunDialogAction(App& app, int action) {
    switch (action) {
        case kActionFind:
            ShowFindDialog(app.services, app.dialogMemory);
            return 1;
        case kActionFindNext:
            FindNext(app.services, app.dialogMemory);
            return 1;
        case kActionFileInfo:
            ShowFileInfoDialog(app.services);
            return 1;
        case kActionSaveQuote:
            Quote(app);
            return 1;
        case kActionOpen:
            OpenBrowser(app);
            return 1;
        case kActionAddBookmark:
            ShowAddBookmarkDialog(app.services);
            return 1;
        case kActionOpenBookmark:
            ShowBookmarksDialog(app.services);
            return 1;
        default:
            return 0;
    }
}

int RunDialogCommand(App& app, uint32_t id) {
    const int book = app.bookOpen;
    switch (id) {
        case 40001:
        case 40004: {
            const int right = id == 40004;
            const int chosen = right ? app.host.popUpMenu(1, kActionsMenu, std::size(kActionsMenu))
                                     : app.host.popUpMenu(0, kMainMenu, std::size(kMainMenu));
            if (chosen) DispatchCommand(app, static_cast<uint32_t>(chosen));
            return 1;
        }
        case 40003:
            ShowAboutDialog(app.services);
            return 1;
        case 40013:
            OpenBrowser(app);
            return 1;
        case 40023:
            ShowColourDialog(app.services);
            return 1;
        case 40060:
            if (book) ShowGotoDialog(app.services, app.dialogMemory);
            return 1;
        case 40061:
            ShowFindDialog(app.services, app.dialogMemory);
            return 1;
        case 40062:
            ShowRecentDialog(app.services);
            return 1;
        case 40063:
            DeleteCurrentBook(app.services);
            return 1;
        case 40066:
            ShowBookmarksDialog(app.services);
            return 1;
        case 40067:
            ShowAddBookmarkDialog(app.services);
            return 1;
        case 40068:
            Quote(app);
            return 1;
        case 40069: {
            const int backlight = app.session.settings.backlightOn;
            ShowOptionsDialog(app.services);
            if (app.session.settings.backlightOn != backlight) ApplyBacklightSetting(app);
            return 1;
        }
        case 40070:
            EditButtons(app);
            return 1;
        case 40071:
            ShowMarginsDialog(app.services);
            return 1;
        case 40078:
            ShowCodePageDialog(app.services);
            return 1;
        case 40097:
            FindNext(app.services, app.dialogMemory);
            return 1;
        case 40103:
            ShowFileInfoDialog(app.services);
            return 1;
        case 40104:
            ShowFontDialog(app.services);
            return 1;
        case 40131:
            ShowAutoscrollDialog(app.services);
            return 1;
        case 40132:
            ShowStatusLineDialog(app.services);
            return 1;
        case 40137:
            ShowSaveCodePageDialog(app.services);
            return 1;
        case 40138:
            Export(app, 0);
            return 1;
        case 40139:
            Export(app, 1);
            return 1;
        case 40146:
            ClearBookBookmarks(app.services);
            return 1;
        default:
            return 0;
    }
}

}  // namespace lectra
