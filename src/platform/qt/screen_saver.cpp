// Keeping the display on: the desktop's screen-saver inhibition over the session bus.
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

#include "platform/window.h"

namespace lectra {

namespace {

uint32_t cookie = 0;
int held = 0;

}  // namespace

void KeepDisplayOn(int on) {
    if ((on != 0) == (held != 0)) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;  // no session bus: nothing to hold
    QDBusInterface saver(QStringLiteral("org.freedesktop.ScreenSaver"),
                         QStringLiteral("/org/freedesktop/ScreenSaver"),
                         QStringLiteral("org.freedesktop.ScreenSaver"), bus);
    if (!saver.isValid()) return;
    // A session whose saver does not answer must not freeze the reader.
    saver.setTimeout(1000);
    if (on) {
        QDBusReply<uint32_t> reply = saver.call(QStringLiteral("Inhibit"), QStringLiteral("lectra"),
                                                QStringLiteral("Reading"));
        if (reply.isValid()) {
            cookie = reply.value();
            held = 1;
        }
    } else {
        saver.call(QStringLiteral("UnInhibit"), cookie);
        held = 0;
    }
}

}  // namespace lectra
