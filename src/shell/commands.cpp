// The reader's commands in one table: each row names a menu command, the action number that keys,
// buttons and gestures are bound to, or both, with its handler, the handler's argument and the
// rules of autoscroll and of the open book. One dispatcher walks it for either way in.
#include <algorithm>
#include <vector>

#include "dialogs/bookmarks.h"
#include "dialogs/buttons_dialog.h"
#include "dialogs/code_page_dialogs.h"
#include "dialogs/colour_dialog.h"
#include "dialogs/contents_dialog.h"
#include "dialogs/file_browser.h"
#include "dialogs/goto_dialog.h"
#include "dialogs/note_dialog.h"
#include "dialogs/search.h"
#include "dialogs/settings_dialogs.h"
#include "document/chapter_step.h"
#include "document/contents.h"
#include "document/formats/book_export.h"
#include "document/jump_history.h"
#include "document/notes.h"
#include "document/text_cache.h"
#include "layout/display_commands.h"
#include "layout/pagination.h"
#include "layout/quotes.h"
#include "platform/command_ids.h"
#include "platform/sys/clock.h"
#include "platform/sys/utf.h"
#include "platform/window.h"
#include "shell/app.h"

namespace lectra {

namespace {

#include "../../resources/menus.inc"

enum CommandRule : uint8_t {
    kRuleNone = 0,
    // As an action, it does nothing while autoscroll runs (the input still counts as taken).
    kBlockedWhileScrolling = 1,
    // As a menu command, it leaves autoscroll running: the menus themselves, and "AutoScrolling",
    // which toggles it. Every other menu command stops autoscroll before it runs.
    kKeepsAutoscroll = 2,
    // Does nothing without an open book.
    kNeedsBook = 4,
};

struct CommandRow {
    uint32_t command;  // the menu command, 0 for an action only
    int action;        // the action number, kActionDefault for a menu command only
    void (*run)(App& app, int argument);
    int argument;
    uint8_t rules;
};

void Apply(App& app, unsigned effect) {
    if (effect & kEffectGeometry) ComputeGeometry(app);
    if (effect & kEffectRefresh) {
        Refresh(app);
    } else if (effect & kEffectRepaint) {
        Repaint(app);
    }
}

std::u16string OnOff(const char16_t* what, int on) {
    return std::u16string(what) + (on ? u" on" : u" off");
}

// What a toggle says over the page, since its change may not show at once; empty for none.
std::u16string NoteFor(int command, const Settings& s) {
    const int p = ActiveProfile(s);
    switch (command) {
        case kCommandHyphen:
            return OnOff(u"Hyphenation", s.hyphen);
        case kCommandJustify:
            return OnOff(u"Justification", s.justify);
        case kCommandBold:
            return OnOff(u"Bold", s.fontBoldText[p]);
        case kCommandClearType:
            return OnOff(u"Smooth text", s.fontCtText[p]);
        case kCommandNextProfile:
            return u"Profile " + Utf8ToUtf16(std::to_string(p + 1));
        case kCommandIncSize:
        case kCommandDecSize:
            return u"Text size " + Utf8ToUtf16(std::to_string(s.fontSizeText[p]));
        case kCommandIncInterval:
        case kCommandDecInterval:
            return u"Line spacing " + Utf8ToUtf16(std::to_string(s.lineIl[p]));
        default:
            return std::u16string();
    }
}

void Display(App& app, int command) {
    const unsigned effect =
        RunDisplayCommand(app.layout, static_cast<DisplayCommand>(command), app.screenWidth);
    if (effect != kEffectNone) ShowNote(app, NoteFor(command, app.session.settings));
    Apply(app, effect);
}

void StatusLine(App& app, int) {
    const unsigned effect = ToggleStatusLine(app.layout, app.fullScreen);
    ShowNote(app,
             OnOff(u"Status line", app.session.settings.visibleStatus[app.fullScreen ? 1 : 0]));
    Apply(app, effect);
}

void FullScreen(App& app, int) {
    SetFullScreen(app, !app.fullScreen);
}

void LeaveFullScreen(App& app, int) {
    if (app.fullScreen) SetFullScreen(app, 0);
}

void Keys(App& app, int) {
    ShowTitledMessage(DialogServices(app), KeysPageText(app.session.settings), u"Keys");
}

void Autoscrolling(App& app, int) {
    ToggleAutoscroll(app);
}

void Quit(App&, int) {
    DestroyMainWindow();
}

enum PageMove { kMoveNextPage, kMoveNextLine, kMovePreviousPage, kMovePreviousLine };

// The page moves; while autoscroll runs, a page move sets its speed instead and a line move does
// nothing (the line steps are the autoscroller's).
void Move(App& app, int move) {
    app.layout.searchMark = -1;  // a search hit is marked until the page moves
    if (app.layout.autoscrolling) {
        if (move == kMoveNextPage || move == kMovePreviousPage)
            ChangeAutoscrollSpeed(app, move == kMoveNextPage);
        return;
    }
    if (!app.bookOpen) return;
    Layout& layout = app.layout;
    Document& doc = *app.doc;
    const int moved = move == kMoveNextPage       ? NextPage(layout, doc)
                      : move == kMoveNextLine     ? NextLine(layout, doc)
                      : move == kMovePreviousPage ? PreviousPage(layout, doc)
                                                  : PreviousLine(layout, doc);
    if (moved) Refresh(app);
}

// The jumps move PageStart; the page is laid out and painted here.
enum Jump { kJumpForward, kJumpBack, kJumpStart, kJumpEnd };

void JumpIn(App& app, int jump) {
    app.layout.searchMark = -1;
    Document& doc = *app.doc;
    switch (jump) {
        case kJumpForward:
            JumpForward(doc);
            break;
        case kJumpBack:
            JumpBack(doc);
            break;
        case kJumpStart:
            JumpTo(doc, 0);
            break;
        default:
            // The end shows the last full page.
            JumpToPage(app.layout, doc, DocLength(doc));
            break;
    }
    Refresh(app);
}

// The contents' next or previous entry from the page's first visible character (a page begun by
// paragraph marks is at the title they open), reached through the jump history.
void Chapter(App& app, int forward) {
    constexpr int32_t kLeadingMarks = 64;
    app.layout.searchMark = -1;
    Document& doc = *app.doc;
    const int32_t at = FirstVisibleAt(doc, doc.pageStart, kLeadingMarks);
    const int32_t target = ChapterStep(BookContents(doc), at, forward);
    if (target < 0) {
        ShowNote(app, forward ? u"No next chapter" : u"No previous chapter");
        return;
    }
    GoTo(app, target);
    Refresh(app);
}

// The notes whose references stand on the page, in order.
void PageNotes(App& app, int) {
    const Document& doc = *app.doc;
    ShowNotesDialog(DialogServices(app), NotesBetween(doc, doc.pageStart, doc.pageEnd), 0);
}

// "story.fb2.zip" is saved as "story.txt" beside it, and the message names the file written.
void Export(App& app, int pdb) {
    const std::u16string suffix = pdb ? u".pdb" : u".txt";
    const std::u16string base = ExportBase(app.doc->bookPath, suffix);
    SetWaitCursor(1);
    const int saved = pdb ? ExportPdb(*app.doc, base, app.session.settings.codePageSave)
                          : ExportTxt(*app.doc, base, app.session.settings.codePageSave);
    SetWaitCursor(0);
    ShowMessage(DialogServices(app), saved ? u"File saved: " + base + suffix : u"Error");
}

void Quote(App& app, int) {
    if (app.layout.autoscrolling) return;
    QuoteTime when;
    LocalDate(&when.year, &when.month, &when.day);
    LocalTime(&when.hour, &when.minute);
    // Without a folder of its own the reader keeps no quotations (never "/" + the file's name).
    const std::u16string message =
        app.programFolder.empty()
            ? std::u16string(u"Error writing in file")
            : SaveQuote(app.layout, *app.doc, app.programFolder + u"/" + kMemoFileName, when);
    if (!message.empty()) ShowMessage(DialogServices(app), message);
}

void OpenBrowser(App& app, int) {
    ShowStartupBrowser(app);
}

// A button given another action is taken or given back at once, not at the next activation:
// the keys held are those of the table as it is.
void EditButtons(App& app, int) {
    const int active = app.appActive;
    if (active) UnregisterHotKeys(app);
    ShowButtonsDialog(DialogServices(app));
    if (active) RegisterHotKeys(app);
}

void Options(App& app, int) {
    const int backlight = app.session.settings.backlightOn;
    ShowOptionsDialog(DialogServices(app));
    if (app.session.settings.backlightOn != backlight) ApplyBacklightSetting(app);
}

int NeedsBook(uint32_t command);

// A soft-key menu with the items that need a book greyed while none is open.
void Menu(App& app, int right) {
    std::vector<MenuItem> items =
        right ? std::vector<MenuItem>(std::begin(kActionsMenu), std::end(kActionsMenu))
              : std::vector<MenuItem>(std::begin(kMainMenu), std::end(kMainMenu));
    for (MenuItem& item : items) {
        item.disabled =
            item.command > 0 && !app.bookOpen && NeedsBook(static_cast<uint32_t>(item.command));
    }
    const int chosen = app.host.popUpMenu(right, items.data(), static_cast<int>(items.size()));
    if (chosen) DispatchCommand(app, static_cast<uint32_t>(chosen));
}

// A dialog that takes only the services.
template <void (*show)(const ReaderServices&)>
void Dialog(App& app, int) {
    show(DialogServices(app));
}

// A dialog that takes the services and what the dialogs remember.
template <void (*show)(const ReaderServices&, DialogMemory&)>
void DialogWithMemory(App& app, int) {
    show(DialogServices(app), app.dialogMemory);
}

void Library(App& app, int) {
    ShowLibrary(app);
}

void Recent(App& app, int) {
    ShowRecentDialog(DialogServices(app));
}

constexpr uint8_t kBlocked = kBlockedWhileScrolling;

constexpr CommandRow kCommands[] = {
    // The menus.
    {kCmdMainMenu, kActionDefault, Menu, 0, kKeepsAutoscroll},
    {kCmdActionsMenu, kActionDefault, Menu, 1, kKeepsAutoscroll},
    // The page and its display; display commands are ignored while autoscroll runs.
    {0, kActionNextPage, Move, kMoveNextPage, kRuleNone},
    {0, kActionNextLine, Move, kMoveNextLine, kRuleNone},
    {0, kActionPreviousPage, Move, kMovePreviousPage, kRuleNone},
    {0, kActionPreviousLine, Move, kMovePreviousLine, kRuleNone},
    {kCmdFullScreen, kActionFullScreen, FullScreen, 0, kRuleNone},
    {kCmdLeaveFullScreen, kActionDefault, LeaveFullScreen, 0, kKeepsAutoscroll},
    {kCmdRotate, kActionRotate, Display, kCommandRotate, kBlocked},
    {kCmdNextProfile, kActionNextProfile, Display, kCommandNextProfile, kBlocked},
    {kCmdIncSize, kActionIncSize, Display, kCommandIncSize, kBlocked},
    {kCmdDecSize, kActionDecSize, Display, kCommandDecSize, kBlocked},
    {kCmdBold, kActionBold, Display, kCommandBold, kBlocked},
    {kCmdClearType, kActionClearType, Display, kCommandClearType, kBlocked},
    {0, kActionJustification, Display, kCommandJustify, kBlocked},
    {0, kActionHyphenation, Display, kCommandHyphen, kBlocked},
    {kCmdIncInterval, kActionIncInterval, Display, kCommandIncInterval, kBlocked},
    {kCmdDecInterval, kActionDecInterval, Display, kCommandDecInterval, kBlocked},
    {kCmdClockUnderText, kActionDefault, Display, kCommandClockUnderText, kRuleNone},
    {0, kActionStatusLine, StatusLine, 0, kBlocked},
    {kCmdAutoscroll, kActionAutoScrolling, Autoscrolling, 0, kKeepsAutoscroll},
    // Jumps.
    {kCmdJumpNext, kActionJumpNext, JumpIn, kJumpForward, kBlocked | kNeedsBook},
    {kCmdJumpPrevious, kActionJumpPrevious, JumpIn, kJumpBack, kBlocked | kNeedsBook},
    {kCmdFileStart, kActionDefault, JumpIn, kJumpStart, kNeedsBook},
    {kCmdFileEnd, kActionDefault, JumpIn, kJumpEnd, kNeedsBook},
    {kCmdGoTo, kActionDefault, DialogWithMemory<ShowGotoDialog>, 0, kNeedsBook},
    {kCmdContents, kActionDefault, Dialog<ShowContentsDialog>, 0, kBlocked | kNeedsBook},
    {kCmdNextChapter, kActionNextChapter, Chapter, 1, kBlocked | kNeedsBook},
    {kCmdPreviousChapter, kActionPreviousChapter, Chapter, 0, kBlocked | kNeedsBook},
    {kCmdNotes, kActionDefault, PageNotes, 0, kBlocked | kNeedsBook},
    {kCmdFind, kActionFind, DialogWithMemory<ShowFindDialog>, 0, kBlocked | kNeedsBook},
    {kCmdFindNext, kActionFindNext, DialogWithMemory<FindNext>, 0, kBlocked | kNeedsBook},
    // Books, bookmarks and quotations.
    {kCmdOpen, kActionOpen, OpenBrowser, 0, kBlocked},
    {kCmdLibrary, kActionDefault, Library, 0, kRuleNone},
    {kCmdRecentFiles, kActionDefault, Recent, 0, kRuleNone},
    {kCmdDeleteFile, kActionDefault, Dialog<DeleteCurrentBook>, 0, kNeedsBook},
    {kCmdFileInfo, kActionFileInfo, Dialog<ShowFileInfoDialog>, 0, kBlocked | kNeedsBook},
    {kCmdSaveQuote, kActionSaveQuote, Quote, 0, kBlocked | kNeedsBook},
    {kCmdAddBookmark, kActionAddBookmark, Dialog<ShowAddBookmarkDialog>, 0, kBlocked | kNeedsBook},
    {kCmdOpenBookmark, kActionOpenBookmark, Dialog<ShowBookmarksDialog>, 0, kBlocked | kNeedsBook},
    {kCmdClearBookmarks, kActionDefault, Dialog<ClearBookBookmarks>, 0, kNeedsBook},
    {kCmdSaveAsTxt, kActionDefault, Export, 0, kNeedsBook},
    {kCmdSaveAsPdb, kActionDefault, Export, 1, kNeedsBook},
    {kCmdSaveCodePage, kActionDefault, Dialog<ShowSaveCodePageDialog>, 0, kRuleNone},
    // Settings.
    {kCmdOptions, kActionDefault, Options, 0, kRuleNone},
    {kCmdCodePage, kActionDefault, Dialog<ShowCodePageDialog>, 0, kRuleNone},
    {kCmdButtons, kActionDefault, EditButtons, 0, kRuleNone},
    {kCmdMargins, kActionDefault, Dialog<ShowMarginsDialog>, 0, kRuleNone},
    {kCmdAutoscrollSettings, kActionDefault, Dialog<ShowAutoscrollDialog>, 0, kRuleNone},
    {kCmdStatusLineSettings, kActionDefault, Dialog<ShowStatusLineDialog>, 0, kRuleNone},
    {kCmdColours, kActionDefault, Dialog<ShowColourDialog>, 0, kRuleNone},
    {kCmdFont, kActionDefault, Dialog<ShowFontDialog>, 0, kRuleNone},
    // The program.
    {kCmdAbout, kActionDefault, Dialog<ShowAboutDialog>, 0, kRuleNone},
    {kCmdKeys, kActionDefault, Keys, 0, kRuleNone},
    {kCmdQuit, kActionQuit, Quit, 0, kBlocked},
};

int NeedsBook(uint32_t command) {
    for (const CommandRow& row : kCommands) {
        if (row.command == command) return (row.rules & kNeedsBook) != 0;
    }
    return 0;
}

void Run(App& app, const CommandRow& row) {
    if ((row.rules & kNeedsBook) && !app.bookOpen) return;
    row.run(app, row.argument);
}

}  // namespace

int ExecuteAction(App& app, uint16_t inputId) {
    int matched = 0;
    for (const ButtonBinding& b : app.session.settings.bindings) {
        if (b.inputId != inputId) continue;
        matched = 1;
        if (b.action <= kActionDefault || b.action >= kActionCount) continue;
        for (const CommandRow& row : kCommands) {
            if (row.action != b.action) continue;
            if (app.layout.autoscrolling && (row.rules & kBlockedWhileScrolling)) return 1;
            Run(app, row);
            break;
        }
    }
    return matched;
}

void DispatchCommand(App& app, uint32_t id) {
    for (const CommandRow& row : kCommands) {
        if (row.command != id) continue;
        if (!(row.rules & kKeepsAutoscroll)) StopAutoscroll(app);
        Run(app, row);
        return;
    }
}

}  // namespace lectra
