// The main window procedure: every message of the main window, the keys with their repeat gate
// and rotation, the hardware buttons taken as hot keys.
#include "platform/window.h"
#include "shell/app.h"

namespace lectra {

namespace {

// Acts on an input id and starts the repeat gate when a binding took it.
void Act(App& app, uint16_t inputId) {
    if (ExecuteAction(app, inputId) && app.keyRepeatTick == 0) {
        app.keyRepeatTick = app.host.tickCount();
        // A tick of 0 would read as "no key held".
        if (app.keyRepeatTick == 0) app.keyRepeatTick = 1;
    }
}

bool HeldTooShort(const App& app) {
    return app.keyRepeatTick != 0 && app.host.tickCount() - app.keyRepeatTick <= kHoldMs;
}

}  // namespace

void OnKeyDown(App& app, uint32_t virtualKey) {
    if (HeldTooShort(app)) return;
    uint32_t code = virtualKey & 0xFFFF;
    const Settings& s = app.session.settings;
    // Page Down and Page Up (the desktop's paging keys, Space and the wheel) mean the next and
    // the previous page at every rotation: they act as the unturned Down and Up.
    if (code == kVkPageDown || code == kVkPageUp) {
        Act(app, code == kVkPageDown ? 0x28 : 0x26);
        return;
    }
    if (code >= 0x25 && code <= 0x28 && s.rotateJ) {
        // The arrows turn with the page: at 900, left becomes up.
        code += s.rotateScreen == 900    ? 1
                : s.rotateScreen == 1800 ? 2
                : s.rotateScreen == 2700 ? 3
                                         : 0;
        if (code > 0x28) code -= 4;
    }
    Act(app, static_cast<uint16_t>(code));
}

void OnHotKey(App& app, uint32_t modifiers, uint32_t virtualKey) {
    if (HeldTooShort(app)) return;
    const uint32_t vk = virtualKey & 0xFF;
    uint16_t inputId = 0;
    if ((vk == 0x75 || vk == 0x76 || vk == 0x79) && (modifiers & kHotKeyRelease)) {
        inputId = static_cast<uint16_t>(vk + 0x100);
    } else {
        const ButtonBinding* b = app.session.settings.bindings;
        for (int i = 0; i < kBindingCount && !inputId; ++i) {
            if ((b[i].inputId & 0x200) && (b[i].inputId & 0xFF) == vk) inputId = b[i].inputId;
        }
        if (!inputId) return;
    }
    Act(app, inputId);
}

void RegisterHotKeys(App& app) {
    if (!app.windowCreated) return;
    for (const ButtonBinding& b : app.session.settings.bindings) {
        if ((b.inputId & 0x200) && b.action != kActionDefault)
            RegisterButtonHotKey(b.inputId & 0xFF);
    }
}

void UnregisterHotKeys(App& app) {
    for (const ButtonBinding& b : app.session.settings.bindings) {
        if ((b.inputId & 0x200) && b.action != kActionDefault)
            UnregisterButtonHotKey(b.inputId & 0xFF);
    }
}

void MainWindowProc(void* context, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    App& app = *static_cast<App*>(context);
    if (app.opening) {
        // While a book opens the window only shows what it has; a close waits for the open.
        if (message == kMsgPaint && app.layout.surface) {
            PresentSurface(app.layout.surface, app.windowRect.right - app.windowRect.left,
                           app.windowRect.bottom - app.windowRect.top);
        }
        if (message == kMsgClose) app.closeWaiting = 1;
        if (message == kMsgActivate) app.pendingDeactivate = wParam == 0;
        if (message == kMsgOpenBook) QueueBook(app, PendingBookPath());
        if (message == kMsgDropBook) QueueBook(app, DroppedBookPath());
        return;
    }
    const uint32_t low = static_cast<uint32_t>(lParam) & 0xFFFF;
    const uint32_t high = (static_cast<uint32_t>(lParam) >> 16) & 0xFFFF;
    switch (message) {
        case kMsgDestroy:
            app.windowCreated = 0;
            StopAutoscroll(app);  // the worker is joined while the window still exists
            PostQuit(0);
            return;
        case kMsgClose:
            // The close box, a termination signal and the session's end all leave like "Quit".
            DestroyMainWindow();
            return;
        case kMsgActivate:
            if (wParam == 0) {
                if (app.appActive) SetActive(app, 0);
            } else {
                // Activation happens in the paint handler, once the window is in front.
                ShowPage(app);
            }
            return;
        case kMsgPaint:
            OnPaint(app);
            return;
        case kMsgKeyDown:
            OnKeyDown(app, static_cast<uint32_t>(wParam));
            return;
        case kMsgKeyUp:
            app.keyRepeatTick = 0;
            return;
        case kMsgCommand:
            DispatchCommand(app, static_cast<uint32_t>(wParam) & 0xFFFF);
            return;
        case kMsgTimer:
            OnTimer(app, static_cast<uint32_t>(wParam));
            return;
        case kMsgStylusDown:
            app.stylusDownTick = app.host.tickCount();
            app.stylusDownX = static_cast<uint16_t>(low);
            app.stylusDownY = static_cast<uint16_t>(high);
            return;
        case kMsgStylusUp: {
            const uint16_t id = RecognizeGesture(app, static_cast<int>(low), static_cast<int>(high),
                                                 app.host.tickCount());
            if (id) ExecuteAction(app, id);
            return;
        }
        case kMsgHotKey:
            OnHotKey(app, low, high);
            return;
        case kMsgOpenBook:
            QueueBook(app, PendingBookPath());
            return;
        case kMsgDropBook:
            QueueBook(app, DroppedBookPath());
            return;
        default:
            return;
    }
}

}  // namespace lectra
