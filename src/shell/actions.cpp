// The actions that keys, buttons and gestures are bound to, and the menu commands that reach the
// same operations.
#include "document/jump_history.h"
#include "document/text_cache.h"
#include "layout/display_commands.h"
#include "layout/pagination.h"
#include "platform/window.h"
#include "shell/app.h"

namespace lectra {

namespace {

// Actions that do nothing while autoscroll runs (the input still counts as taken).
bool Blocked(int action) {
    switch (action) {
        case kActionStatusLine:
        case kActionClearType:
        case kActionJumpNext:
        case kActionJumpPrevious:
        case kActionFind:
        case kActionFindNext:
        case kActionFileInfo:
        case kActionSaveQuote:
        case kActionOpen:
        case kActionQuit:
        case kActionAddBookmark:
        case kActionOpenBookmark:
            return true;
        default:
            return false;
    }
}

void Apply(App& app, unsigned effect) {
    if (effect & kEffectGeometry) ComputeGeometry(app);
    if (effect & kEffectRefresh) {
        Refresh(app);
    } else if (effect & kEffectRepaint) {
        Repaint(app);
    }
}

void Display(App& app, DisplayCommand command) {
    Apply(app, RunDisplayCommand(app.layout, command, app.screenWidth));
}

// The jumps move PageStart; the page is laid out and painted here, in one place.
void Jump(App& app, void (*jump)(Document&)) {
    if (!app.bookOpen) return;
    jump(*app.doc);
    Refresh(app);
}

void JumpToPosition(App& app, int32_t position) {
    if (!app.bookOpen) return;
    JumpTo(*app.doc, position);
    Refresh(app);
}

void RunAction(App& app, int action) {
    Layout& layout = app.layout;
    Document& doc = *app.doc;
    switch (action) {
        case kActionFullScreen:
            SetFullScreen(app, !app.fullScreen);
            return;
        case kActionRotate:
            Display(app, kCommandRotate);
            return;
        case kActionNextProfile:
            Display(app, kCommandNextProfile);
            return;
        case kActionIncSize:
            Display(app, kCommandIncSize);
            return;
        case kActionDecSize:
            Display(app, kCommandDecSize);
            return;
        case kActionBold:
            Display(app, kCommandBold);
            return;
        case kActionJustification:
            Display(app, kCommandJustify);
            return;
        case kActionHyphenation:
            Display(app, kCommandHyphen);
            return;
        case kActionIncInterval:
            Display(app, kCommandIncInterval);
            return;
        case kActionDecInterval:
            Display(app, kCommandDecInterval);
            return;
        case kActionNextPage:
            if (app.bookOpen || layout.autoscrolling) NextPage(layout, doc, 1);
            return;
        case kActionNextLine:
            if (app.bookOpen) NextLine(layout, doc, 1);
            return;
        case kActionPreviousPage:
            if (app.bookOpen || layout.autoscrolling) PreviousPage(layout, doc);
            return;
        case kActionPreviousLine:
            if (app.bookOpen) PreviousLine(layout, doc);
            return;
        case kActionStatusLine:
            Apply(app, ToggleStatusLine(layout, app.fullScreen));
            return;
        case kActionAutoScrolling:
            ToggleAutoscroll(app);
            return;
        case kActionClearType:
            Display(app, kCommandClearType);
            return;
        case kActionJumpNext:
            Jump(app, JumpForward);
            return;
        case kActionJumpPrevious:
            Jump(app, JumpBack);
            return;
        case kActionQuit:
            DestroyMainWindow();
            return;
        default:
            RunDialogAction(app, action);
            return;
    }
}

}  // namespace

int ExecuteAction(App& app, uint16_t inputId) {
    int matched = 0;
    for (const ButtonBinding& b : app.session.settings.bindings) {
        if (b.inputId != inputId) continue;
        matched = 1;
        if (b.action < 1 || b.action >= kActionCount) continue;
        if (app.layout.autoscrolling && Blocked(b.action)) return 1;
        RunAction(app, b.action);
    }
    return matched;
}

void DispatchCommand(App& app, uint32_t id) {
    // Opening a menu is not a command: autoscroll stops for the command chosen, unless that is
    // "AutoScrolling" itself, which toggles it.
    if (id != 40065 && id != 40001 && id != 40004) StopAutoscroll(app);
    switch (id) {
        case 40065:
            ToggleAutoscroll(app);
            return;
        case 40007:
            DestroyMainWindow();
            return;
        case 40008:
            SetFullScreen(app, !app.fullScreen);
            return;
        case 40009:
            Display(app, kCommandRotate);
            return;
        case 40010:
            Display(app, kCommandNextProfile);
            return;
        case 40016:
            Display(app, kCommandIncSize);
            return;
        case 40017:
            Display(app, kCommandDecSize);
            return;
        case 40018:
            Display(app, kCommandBold);
            return;
        case 40079:
            Display(app, kCommandClearType);
            return;
        case 40111:
            Display(app, kCommandDecInterval);
            return;
        case 40112:
            Display(app, kCommandIncInterval);
            return;
        case 40114:
            Display(app, kCommandClockUnderText);
            return;
        case 40133:
            Jump(app, JumpForward);
            return;
        case 40134:
            Jump(app, JumpBack);
            return;
        case 40135:
            JumpToPosition(app, 0);
            return;
        case 40136:
            if (app.bookOpen) JumpToPosition(app, DocLength(*app.doc) - 1);
            return;
        default:
            RunDialogCommand(app, id);
            return;
    }
}

}  // namespace lectra
