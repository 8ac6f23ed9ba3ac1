// Starting the reader's window platform: a widgets application on a display that answers, the
// signals that end the reader delivered to its window as a close, the desktop's name and icon.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <QString>
#include <algorithm>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/qt/gui_platform.h"
#include "platform/qt/qt_window_internal.h"
#include "platform/window.h"

// A resource file compiled into a static library is registered by hand, outside any namespace.
static void StartIconResource() {
    Q_INIT_RESOURCE(logo);
}

namespace lectra {

namespace {

bool HasDisplay() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

// Whether the local X server of DISPLAY (":N", ":N.S" or "unix:N") takes a connection. Qt aborts
// the process when it cannot open its display, so the reader asks first. A display on another
// host is left to Qt.
bool LocalXServerAnswers(const char* display) {
    std::string d = display;
    if (d.rfind("unix:", 0) == 0) d.erase(0, 4);
    if (d.empty() || d[0] != ':') return true;
    const std::string number =
        d.substr(1, d.find('.') == std::string::npos ? std::string::npos : d.find('.') - 1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return true;
    const std::string path = "/tmp/.X11-unix/X" + number;
    for (int abstract = 0; abstract < 2; ++abstract) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return true;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + abstract, path.data(),
                    std::min(path.size(), sizeof address.sun_path - 2));
        const socklen_t length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + abstract + path.size());
        const int ok = connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
        close(fd);
        if (ok) return true;
    }
    return false;
}

int MakeApplication() {
    if (QCoreApplication::instance())
        return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    static QApplication* app = NewApplication<QApplication>();
    return app != nullptr;
}

// SIGTERM and SIGINT are written into a socket pair by the handler (the one thing a handler may
// safely do) and read back on the interface thread, where they close the window like its close
// box, so that the settings and the book's place are saved.
int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(signalPipe[1], &byte, 1);
}

void CatchTerminationSignals() {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char byte;
        [[maybe_unused]] const ssize_t n = read(signalPipe[0], &byte, 1);
        if (MainWindowExists()) {
            SendToMainWindow(kMsgClose, 0, 0);
        } else {
            QCoreApplication::exit(0);
        }
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

}  // namespace

int StartWindowPlatform() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((!platform || !*platform) && !HasDisplay()) {
        std::fputs(
            "lectra: no display to open a window on (neither DISPLAY nor WAYLAND_DISPLAY is "
            "set)\n",
            stderr);
        return 0;
    }
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!platform || !*platform) && !(wayland && *wayland) && x && *x && !LocalXServerAnswers(x)) {
        std::fprintf(stderr, "lectra: cannot open the display %s\n", x);
        return 0;
    }
    if (!MakeApplication()) return 0;
    QApplication::setApplicationName(QStringLiteral("lectra"));
    QApplication::setDesktopFileName(QStringLiteral("org.lectra.Reader"));
    StartIconResource();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/lectra/icon.png")));
    CatchTerminationSignals();
    // The desktop session ending asks the program to save: the same path as a close.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, [] {
        if (MainWindowExists()) SendToMainWindow(kMsgClose, 0, 0);
    });
    return 1;
}

}  // namespace lectra
