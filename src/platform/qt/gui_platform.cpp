// Starting Qt's GUI platform for drawing without a window: the command-line tool and the tests of
// the layout. The reader's window platform starts a widgets application instead.
#include "platform/qt/gui_platform.h"

#include <QGuiApplication>
#include <QString>
#include <cstdlib>

namespace lectra {

namespace {

QtMessageHandler previousHandler = nullptr;

// Notices that say only that a headless platform or a bare font set lacks something the reader
// never uses; they would bury the tool's output and the tests' logs.
constexpr const char* kNoise[] = {
    "This plugin does not support",
    "OpenType support missing for",
    "XDG_RUNTIME_DIR not set",
};

void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    for (const char* noise : kNoise) {
        if (message.contains(QLatin1String(noise))) return;
    }
    if (previousHandler) previousHandler(type, context, message);
}

bool HasDisplay() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

int MakeApplication() {
    if (QGuiApplication::instance()) return 1;
    static QGuiApplication* app = NewApplication<QGuiApplication>();
    return app != nullptr;
}

}  // namespace

void InstallMessageFilter() {
    if (!previousHandler) previousHandler = qInstallMessageHandler(FilterMessages);
}

int StartGuiPlatform() {
    if (QCoreApplication::instance()) return 1;
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((!platform || !*platform) && !HasDisplay()) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return MakeApplication();
}

}  // namespace lectra

#if defined(__SANITIZE_ADDRESS__)
// fontconfig keeps what it allocates for the process's life and is never told to let go, and so
// does the D-Bus library under a real display; under LeakSanitizer (the test build) that would
// fail every program that made a font or a window.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}
#endif
