// Keeping the display on: the desktop's screen-saver inhibition over the session bus.
#include <QDBusConnection>
#include <QDBusMessage>

#include "platform/window.h"

namespace lectra {

namespace {

uint32_t cookie = 0;
int held = 0;

// A call to the screen saver, waiting at most a second: a session whose saver does not answer
// must not freeze the reader.
QDBusMessage CallSaver(const QString& method, const QList<QVariant>& arguments) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.ScreenSaver"),
                                       QStringLiteral("/org/freedesktop/ScreenSaver"),
                                       QStringLiteral("org.freedesktop.ScreenSaver"), method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 1000);
}

}  // namespace

void KeepDisplayOn(int on) {
    if ((on != 0) == (held != 0)) return;
    if (!QDBusConnection::sessionBus().isConnected()) return;  // no session bus: nothing to hold
    if (on) {
        const QDBusMessage reply = CallSaver(QStringLiteral("Inhibit"),
                                             {QStringLiteral("lectra"), QStringLiteral("Reading")});
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
            cookie = reply.arguments().first().toUInt();
            held = 1;
        }
    } else {
        CallSaver(QStringLiteral("UnInhibit"), {cookie});
        held = 0;
    }
}

}  // namespace lectra
