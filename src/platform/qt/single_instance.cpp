// The single running copy: a local socket in a folder only this user can enter. A later start
// hands its book's path over and exits; the first copy comes forward and opens it.
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/qt/qt_window_internal.h"
#include "platform/sys/utf.h"
#include "platform/window.h"

namespace lectra {

namespace {

constexpr char kMagic[4] = {'L', 'C', 'T', '1'};
// A path of the platform's limit, at up to four bytes a character.
constexpr uint32_t kMaxPathBytes = 4096 * 4;
constexpr int kWaitMs = 2000;

QLocalServer* server = nullptr;
std::u16string pendingPath;

// A folder of this user's alone: the session's runtime folder, else one made under /tmp and
// checked to be ours and closed to others (a link or someone else's folder is refused).
std::string PrivateFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st;
    if (runtime && *runtime && lstat(runtime, &st) == 0 && S_ISDIR(st.st_mode) &&
        st.st_uid == getuid() && (st.st_mode & 077) == 0) {
        return runtime;
    }
    const std::string folder = "/tmp/lectra-" + std::to_string(getuid());
    mkdir(folder.c_str(), 0700);
    if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
        (st.st_mode & 077) != 0) {
        return std::string();
    }
    return folder;
}

// One running copy per settings folder and display: two copies with their own folders (a
// portable copy beside an installed one, or separate test runs) share no file and may both run.
QString SocketName(const std::u16string& scope) {
    const std::string folder = PrivateFolder();
    if (folder.empty()) return QString();
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    std::string key =
        PathToBytes(scope) + "\n" + (display ? display : "") + "\n" + (wayland ? wayland : "");
    uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (unsigned char c : key) hash = (hash ^ c) * 1099511628211ull;
    char name[40];
    std::snprintf(name, sizeof name, "/lectra-%016llx.socket",
                  static_cast<unsigned long long>(hash));
    return QString::fromStdString(folder + name);
}

// The peer of an accepted connection must be this user.
bool SameUser(const QLocalSocket* socket) {
    ucred cred{};
    socklen_t size = sizeof cred;
    const int fd = static_cast<int>(socket->socketDescriptor());
    return fd >= 0 && getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &size) == 0 &&
           cred.uid == getuid();
}

uint32_t ReadLength(const QByteArray& bytes) {
    uint32_t n = 0;
    for (int i = 0; i < 4; ++i)
        n |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[4 + i])) << (8 * i);
    return n;
}

// One message: the magic, a little-endian length and that many bytes of path. Anything else, or
// anything too long or too slow, is dropped.
void Serve(QLocalSocket* socket) {
    if (!SameUser(socket)) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    auto* buffer = new QByteArray;
    QTimer::singleShot(kWaitMs, socket, [socket] { socket->abort(); });
    QObject::connect(socket, &QLocalSocket::disconnected, socket, [socket, buffer] {
        delete buffer;
        socket->deleteLater();
    });
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, buffer] {
        buffer->append(socket->readAll());
        if (buffer->size() < 8) return;
        const uint32_t length = ReadLength(*buffer);
        if (std::memcmp(buffer->constData(), kMagic, 4) != 0 || length > kMaxPathBytes ||
            static_cast<uint32_t>(buffer->size()) > 8 + length) {
            socket->abort();
            return;
        }
        if (static_cast<uint32_t>(buffer->size()) < 8 + length) return;
        const std::string_view bytes(buffer->constData() + 8, length);
        if (bytes.find('\0') != std::string_view::npos) {
            socket->abort();
            return;
        }
        socket->write("1", 1);
        socket->flush();
        pendingPath = PathFromBytes(bytes);
        BringToFront();
        SendToMainWindow(kMsgOpenBook, 0, 0);
    });
}

bool Listen(const QString& name) {
    server = new QLocalServer;
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name)) {
        delete server;
        server = nullptr;
        return false;
    }
    QObject::connect(server, &QLocalServer::newConnection, [] {
        while (QLocalSocket* s = server->nextPendingConnection()) Serve(s);
    });
    // The socket goes with the copy that made it, so that the folder is left as it was found.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] {
        delete server;
        server = nullptr;
    });
    return true;
}

// 1 when a running copy took the path.
int Hand(const QString& name, const std::u16string& bookPath) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kWaitMs)) return 0;
    const std::string bytes = PathToBytes(bookPath);
    QByteArray message(kMagic, 4);
    const uint32_t n = static_cast<uint32_t>(bytes.size());
    for (int i = 0; i < 4; ++i) message.append(static_cast<char>((n >> (8 * i)) & 0xFF));
    message.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
    socket.write(message);
    if (!socket.waitForBytesWritten(kWaitMs)) return 0;
    // The answer says the copy is alive and read it; a hung copy must not swallow the start.
    return socket.waitForReadyRead(kWaitMs) && socket.read(1) == "1";
}

}  // namespace

int HandOverToRunningCopy(const std::u16string& scope, const std::u16string& bookPath) {
    const QString name = SocketName(scope);
    if (name.isEmpty()) return 0;  // no private folder: run alone, unprotected by the check
    if (Hand(name, bookPath)) return 1;
    // Nobody answered: a socket left by a copy that crashed is removed, and this copy listens.
    QLocalServer::removeServer(name);
    if (Listen(name)) return 0;
    // Another start won the race to listen; it is the running copy.
    return Hand(name, bookPath);
}

std::u16string PendingBookPath() {
    return pendingPath;
}

}  // namespace lectra
