// The single running copy: a lock file and a local socket in a folder only this user can enter.
// The copy that holds the lock is the running one; a later start hands its book's path over the
// socket and exits, and the running copy comes forward and opens it.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "platform/qt/qt_window_internal.h"
#include "platform/sys/program_folder.h"
#include "platform/sys/utf.h"
#include "platform/window.h"

namespace lectra {

namespace {

constexpr char kMagic[4] = {'L', 'C', 'T', '1'};
// A path of the platform's limit, at up to four bytes a character.
constexpr uint32_t kMaxPathBytes = 4096 * 4;
// A connection must deliver its whole message within this, or it is dropped.
constexpr int kReadMs = 2000;
// How long a start waits for a running copy that is alive (it holds the lock) but busy: a long
// open or search answers only when it is over.
constexpr int kBusyWaitMs = 30000;
constexpr int kRetryMs = 100;
// Hand-overs that arrive before the window has taken the earlier ones.
constexpr size_t kMaxPending = 64;

constexpr char kPrefix[] = "lectra-";
constexpr char kSocketSuffix[] = ".socket";
constexpr char kLockSuffix[] = ".lock";
constexpr size_t kHashDigits = 16;

QLocalServer* server = nullptr;
std::deque<std::u16string> pendingPaths;
int lockFd = -1;
std::string lockPath;

// A folder of this user's alone: the session's runtime folder, else one made under /tmp and
// checked to be ours and closed to others (a link or someone else's folder is refused).
std::string PrivateFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st;
    if (runtime && *runtime && lstat(runtime, &st) == 0 && S_ISDIR(st.st_mode) &&
        st.st_uid == getuid() && (st.st_mode & 077) == 0) {
        return runtime;
    }
    const std::string uid = std::to_string(getuid());
    return PathToBytes(PrivateFolderIn(u"/tmp", u"lectra-" + PathFromBytes(uid)));
}

// One running copy per settings folder and display: two copies with their own folders (a
// portable copy beside an installed one, or separate test runs) share no file and may both run.
// The socket and the lock of a scope share this name, without their endings.
std::string ScopeBase(const std::string& folder, const std::u16string& scope) {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    std::string key =
        PathToBytes(scope) + "\n" + (display ? display : "") + "\n" + (wayland ? wayland : "");
    uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (unsigned char c : key) hash = (hash ^ c) * 1099511628211ull;
    char name[40];
    std::snprintf(name, sizeof name, "/%s%016llx", kPrefix, static_cast<unsigned long long>(hash));
    return folder + name;
}

enum LockResult { kLockHeld = -1, kNoLockFile = -2, kLockFailed = -3 };

// Takes the lock of `path` without waiting: its descriptor, or kLockHeld while a running copy
// holds it. A copy that ends removes its lock file while it still holds it, so a lock taken on a
// file that is no longer at `path` is no lock, and the file is opened again.
int TryLock(const std::string& path, int create) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int fd =
            open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0), 0600);
        if (fd < 0) return errno == ENOENT && !create ? kNoLockFile : kLockFailed;
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            close(fd);
            return error == EWOULDBLOCK ? kLockHeld : kLockFailed;
        }
        struct stat held, named;
        if (fstat(fd, &held) == 0 && lstat(path.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            return fd;
        }
        close(fd);
    }
    return kLockFailed;
}

bool IsScopeName(const std::string& name, std::string* base) {
    const size_t prefix = sizeof kPrefix - 1;
    if (name.size() < prefix + kHashDigits || name.compare(0, prefix, kPrefix) != 0) return false;
    for (size_t i = prefix; i < prefix + kHashDigits; ++i) {
        if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
    }
    const std::string rest = name.substr(prefix + kHashDigits);
    if (rest != kSocketSuffix && rest != kLockSuffix) return false;
    *base = name.substr(0, prefix + kHashDigits);
    return true;
}

// Copies that were killed leave their sockets behind, one for every settings folder they used.
// A socket whose lock nobody holds (or that has no lock file at all) is removed with its lock.
void RemoveStaleSockets(const std::string& folder) {
    std::set<std::string> bases;
    if (DIR* dir = opendir(folder.c_str())) {
        std::string base;
        while (const dirent* e = readdir(dir)) {
            if (IsScopeName(e->d_name, &base)) bases.insert(folder + "/" + base);
        }
        closedir(dir);
    }
    for (const std::string& base : bases) {
        const std::string lock = base + kLockSuffix;
        const int fd = TryLock(lock, 0);
        if (fd == kLockHeld || fd == kLockFailed) continue;
        unlink((base + kSocketSuffix).c_str());
        if (fd >= 0) {
            unlink(lock.c_str());
            close(fd);
        }
    }
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
// anything too long or too slow, is dropped. The connection is answered and closed before the
// window hears of the path: opening the book may run a nested event loop (a message box), and
// the socket must not be closed or deleted by that loop under its own read handler.
void Serve(QLocalSocket* socket) {
    if (!SameUser(socket)) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    auto buffer = std::make_shared<QByteArray>();
    QTimer::singleShot(kReadMs, socket, [socket] { socket->abort(); });
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
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
        if (pendingPaths.size() < kMaxPending) {
            pendingPaths.push_back(PathFromBytes(bytes));
        } else {
            std::fprintf(stderr, "too many books handed over at once; one is dropped\n");
        }
        buffer->clear();
        socket->write("1", 1);
        socket->disconnectFromServer();
        BringToFront();
        PostToMainWindow(kMsgOpenBook, 0, 0);
    });
}

// Called holding the lock: whatever socket is there was left by a copy that ended.
bool Listen(const QString& name) {
    QLocalServer::removeServer(name);
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
    return true;
}

// Holds the lock for the rest of the run; the socket and then the lock file go with the copy, so
// that the folder is left as it was found.
void BecomeRunningCopy(int fd, const std::string& base) {
    lockFd = fd;
    lockPath = base + kLockSuffix;
    const QString name = QString::fromStdString(base + kSocketSuffix);
    if (!Listen(name)) {
        std::fprintf(stderr, "%s: cannot listen; later starts will not find this copy\n",
                     name.toLocal8Bit().constData());
    }
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] {
        delete server;
        server = nullptr;
        if (lockFd >= 0) {
            unlink(lockPath.c_str());
            close(lockFd);
            lockFd = -1;
        }
    });
}

// 1 when a running copy took the path, answering within `waitMs`.
int Hand(const QString& name, const std::u16string& bookPath, int waitMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(waitMs)) return 0;
    const std::string bytes = PathToBytes(bookPath);
    QByteArray message(kMagic, 4);
    const uint32_t n = static_cast<uint32_t>(bytes.size());
    for (int i = 0; i < 4; ++i) message.append(static_cast<char>((n >> (8 * i)) & 0xFF));
    message.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
    socket.write(message);
    if (!socket.waitForBytesWritten(waitMs)) return 0;
    return socket.waitForReadyRead(waitMs) && socket.read(1) == "1";
}

}  // namespace

int HandOverToRunningCopy(const std::u16string& scope, const std::u16string& bookPath) {
    const std::string folder = PrivateFolder();
    if (folder.empty()) return 0;  // no private folder: run alone, unprotected by the check
    RemoveStaleSockets(folder);
    const std::string base = ScopeBase(folder, scope);
    const QString name = QString::fromStdString(base + kSocketSuffix);
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(kBusyWaitMs);
    // Whether a copy runs is the lock's to say, never a timeout's: a copy that holds it is alive,
    // however long it takes to answer, and its socket is never removed.
    for (;;) {
        const int fd = TryLock(base + kLockSuffix, 1);
        if (fd >= 0) {
            BecomeRunningCopy(fd, base);
            return 0;
        }
        if (fd == kLockFailed) return 0;  // the lock cannot be had: run alone
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) break;
        if (Hand(name, bookPath, static_cast<int>(left))) return 1;
        // Not listening yet, or it ended while we waited: look at the lock again shortly.
        std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMs));
    }
    std::fprintf(stderr,
                 "Another copy of the reader is running but has not answered for %d seconds; "
                 "this one is not started.\n",
                 kBusyWaitMs / 1000);
    return 1;
}

std::u16string PendingBookPath() {
    if (pendingPaths.empty()) return std::u16string();
    std::u16string path = pendingPaths.front();
    pendingPaths.pop_front();
    return path;
}

}  // namespace lectra
