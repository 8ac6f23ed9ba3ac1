// The main window on Qt: a frame whose client area is the handheld's screen, the page area the
// surface is shown in, the soft-key bar; Qt's events translated into the window procedure's
// messages, and its timers, hot keys, message box and wait cursor.
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>

#include "platform/command_ids.h"
#include "platform/qt/qt_surface.h"
#include "platform/qt/qt_window_internal.h"
#include "platform/qt/qt_window_keys.h"
#include "platform/sys/clock.h"
#include "platform/sys/utf.h"
#include "platform/window.h"

namespace lectra {

namespace {

class PageArea;
class Frame;

// The one main window and what the procedure was given; the interface thread alone touches it.
struct WindowState {
    Frame* frame = nullptr;
    PageArea* page = nullptr;
    QWidget* softKeys = nullptr;
    WindowProcedure procedure = nullptr;
    void* context = nullptr;
    std::map<uint32_t, QTimer*> timers;
    std::set<int> hotKeys;
    int menuBarVisible = 1;
    int inPaint = 0;
    int repaintAfterPaint = 0;
    int loopRunning = 0;
    int quitPending = 0;
    int quitCode = 0;
    int waitCursor = 0;
    // Tracing: the key whose repaint is timed, and when its event arrived.
    int traceKey = -1;
    QElapsedTimer traceClock;
    int firstPageTraced = 0;
    int sendDepth = 0;                 // messages being handled by the procedure, nested
    QProgressBar* progress = nullptr;  // shown during a long open
    int modalDepth = 0;                // message boxes open: the page takes no input
    // Set once the window system has made the window active: from then on "in front" is what
    // it says. Without a window manager that never happens and the one window is in front.
    int everActivated = 0;
    // When the window last became active: a click that brought it to the front does not also
    // act on the page.
    QElapsedTimer activatedClock;
    QRect normalGeometry;  // the window's place before full screen
};

WindowState& State() {
    static WindowState state;
    return state;
}

void Send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
    WindowState& w = State();
    if (!w.procedure) return;
    ++w.sendDepth;
    w.procedure(w.context, message, wParam, lParam);
    --w.sendDepth;
}

// A widget or timer whose own event is being handled (a key, a click, a timeout that quits) is
// deleted once that event is over; one deleted from outside goes at once.
void Dispose(QObject* object) {
    if (State().sendDepth > 0) {
        object->deleteLater();
    } else {
        delete object;
    }
}

intptr_t PointParam(int x, int y) {
    return static_cast<intptr_t>((static_cast<uint32_t>(x) & 0xFFFF) |
                                 ((static_cast<uint32_t>(y) & 0xFFFF) << 16));
}

// The first local file of a drop, as the program's path; empty when there is none.
std::u16string DroppedPath(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const QByteArray bytes = QFile::encodeName(url.toLocalFile());
        return PathFromBytes(
            std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    }
    return {};
}

std::u16string droppedPath;

class PageArea : public QWidget {
public:
    explicit PageArea(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }

    QPainter* painter = nullptr;  // open during a paint message only

protected:
    void paintEvent(QPaintEvent*) override {
        WindowState& w = State();
        QPainter p(this);
        painter = &p;
        w.inPaint = 1;
        Send(kMsgPaint);
        w.inPaint = 0;
        painter = nullptr;
        if (w.repaintAfterPaint) {
            w.repaintAfterPaint = 0;
            update();
        }
    }

    // Stylus messages are in client coordinates: those of the frame.
    void mousePressEvent(QMouseEvent* e) override {
        // The right button opens the reader's menu, as a context menu does on the desktop.
        if (e->button() == Qt::RightButton && !State().modalDepth) {
            Send(kMsgCommand, kCmdMainMenu);
            return;
        }
        if (e->button() != Qt::LeftButton || State().modalDepth) return;
        // The click that activated the window only brings it to the front.
        const QElapsedTimer& activated = State().activatedClock;
        // (Without a window manager the window is never made active and is always in front.)
        const bool active = !State().everActivated || window()->isActiveWindow();
        pressTaken_ = active && !(activated.isValid() && activated.elapsed() < kActivationClickMs);
        if (!pressTaken_) return;
        const QPoint q = mapToParent(e->position().toPoint());
        Send(kMsgStylusDown, 0, PointParam(q.x(), q.y()));
    }
    // The second press of a double click is no second tap: a double click in the middle of the
    // page toggles full screen once, not twice.
    void mouseDoubleClickEvent(QMouseEvent*) override { pressTaken_ = 0; }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() != Qt::LeftButton || State().modalDepth || !pressTaken_) return;
        pressTaken_ = 0;
        const QPoint q = mapToParent(e->position().toPoint());
        Send(kMsgStylusUp, 0, PointParam(q.x(), q.y()));
    }

private:
    static constexpr int kActivationClickMs = 250;
    int pressTaken_ = 0;
};

class Frame : public QWidget {
public:
    Frame() {
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_InputMethodEnabled, false);
        setAcceptDrops(true);
    }

protected:
    // A book dropped on the window is opened, as one named by a later start.
    void dragEnterEvent(QDragEnterEvent* e) override {
        if (!DroppedPath(e->mimeData()).empty()) e->acceptProposedAction();
    }
    void dropEvent(QDropEvent* e) override {
        const std::u16string path = DroppedPath(e->mimeData());
        if (path.empty()) return;
        e->acceptProposedAction();
        // Posted: the book opens from the event loop once the drop has ended, not inside it.
        QMetaObject::invokeMethod(
            this,
            [path] {
                droppedPath = path;
                Send(kMsgDropBook);
            },
            Qt::QueuedConnection);
    }

    void keyPressEvent(QKeyEvent* e) override {
        if (State().modalDepth) return;
        const KeyTranslation t = TranslateKey(e->key(), e->modifiers());
        WindowState& w = State();
        switch (t.kind) {
            case KeyKind::kKey:
                if (TraceEnabled()) {
                    w.traceKey = t.code;
                    w.traceClock.start();
                }
                Send(kMsgKeyDown, static_cast<uintptr_t>(t.code));
                return;
            case KeyKind::kCommand:
                if (!e->isAutoRepeat()) Send(kMsgCommand, static_cast<uintptr_t>(t.code));
                return;
            case KeyKind::kButton:
                // Acts on release; the press finds no binding of its own.
                if (!e->isAutoRepeat())
                    Send(kMsgHotKey, 0, static_cast<intptr_t>(t.code) << 16 | kHotKeyModifier);
                return;
            case KeyKind::kAppButton:
                if (!e->isAutoRepeat() && w.hotKeys.count(t.code))
                    Send(kMsgHotKey, 0, static_cast<intptr_t>(t.code) << 16 | kHotKeyModifier);
                return;
            case KeyKind::kNone:
                QWidget::keyPressEvent(e);
                return;
        }
    }

    void keyReleaseEvent(QKeyEvent* e) override {
        if (e->isAutoRepeat() || State().modalDepth) return;
        const KeyTranslation t = TranslateKey(e->key(), e->modifiers());
        switch (t.kind) {
            case KeyKind::kKey:
            case KeyKind::kAppButton:
                Send(kMsgKeyUp, static_cast<uintptr_t>(t.code));
                return;
            case KeyKind::kButton:
                Send(kMsgHotKey, 0,
                     static_cast<intptr_t>(t.code) << 16 | kHotKeyModifier | kHotKeyRelease);
                Send(kMsgKeyUp, static_cast<uintptr_t>(t.code));
                return;
            default:
                QWidget::keyReleaseEvent(e);
        }
    }

    // One notch of the wheel is one press of Page Down or Page Up: next or previous page at any
    // rotation.
    void wheelEvent(QWheelEvent* e) override {
        if (State().modalDepth) return;
        // Ctrl and the wheel: the text size, a step a notch.
        if (e->modifiers() & Qt::ControlModifier) {
            zoomRest_ += e->angleDelta().y();
            while (zoomRest_ <= -120 || zoomRest_ >= 120) {
                Send(kMsgCommand, zoomRest_ > 0 ? kCmdIncSize : kCmdDecSize);
                zoomRest_ += zoomRest_ > 0 ? -120 : 120;
            }
            e->accept();
            return;
        }
        wheelRest_ += e->angleDelta().y();
        while (wheelRest_ <= -120 || wheelRest_ >= 120) {
            const uintptr_t key = wheelRest_ < 0 ? kVkPageDown : kVkPageUp;
            wheelRest_ += wheelRest_ < 0 ? 120 : -120;
            Send(kMsgKeyDown, key);
            Send(kMsgKeyUp, key);
        }
        e->accept();
    }

    void resizeEvent(QResizeEvent*) override { PlaceSoftKeys(); }

    void closeEvent(QCloseEvent* e) override {
        // The procedure decides; it destroys the window through the normal shutdown.
        e->ignore();
        Send(kMsgClose);
    }

    bool event(QEvent* e) override {
        if (e->type() == QEvent::WindowActivate) {
            State().everActivated = 1;
            State().activatedClock.start();
            Send(kMsgActivate, 1);
        }
        if (e->type() == QEvent::WindowDeactivate) Send(kMsgActivate, 0);
        return QWidget::event(e);
    }

public:
    void PlaceSoftKeys() {
        WindowState& w = State();
        if (!w.softKeys) return;
        const int h = w.softKeys->sizeHint().height();
        if (w.menuBarVisible) {
            w.softKeys->setGeometry(0, height() - h, width(), h);
            w.softKeys->show();
        } else {
            // Out of sight below the client area, as the handheld pushes its bar off the screen.
            w.softKeys->setGeometry(0, height(), width(), h);
            w.softKeys->hide();
        }
    }

private:
    int wheelRest_ = 0;
    int zoomRest_ = 0;
};

QPushButton* SoftKey(const char16_t* caption, uint32_t command, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf16(caption), parent);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFlat(true);
    QObject::connect(b, &QPushButton::clicked, [command] { Send(kMsgCommand, command); });
    return b;
}

}  // namespace

void SendToMainWindow(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    Send(message, wParam, lParam);
}

void PostToMainWindow(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    QMetaObject::invokeMethod(
        qApp, [message, wParam, lParam] { Send(message, wParam, lParam); }, Qt::QueuedConnection);
}

int CreateMainWindow(WindowProcedure procedure, void* context, const char16_t* title,
                     const char16_t* leftSoftKey, const char16_t* rightSoftKey, int width,
                     int height) {
    WindowState& w = State();
    if (w.frame) return 0;
    w.quitPending = 0;
    w.firstPageTraced = 0;
    w.procedure = procedure;
    w.context = context;
    w.frame = new Frame;
    w.frame->setWindowTitle(QString::fromUtf16(title));
    w.page = new PageArea(w.frame);
    w.softKeys = new QWidget(w.frame);
    w.softKeys->setAutoFillBackground(true);
    auto* row = new QHBoxLayout(w.softKeys);
    row->setContentsMargins(4, 2, 4, 2);
    // The two buttons of the menu bar; each opens its pop-up menu by the command of its button.
    row->addWidget(SoftKey(leftSoftKey, kCmdMainMenu, w.softKeys));
    row->addStretch(1);
    row->addWidget(SoftKey(rightSoftKey, kCmdActionsMenu, w.softKeys));
    // A remembered size larger than the screen would put the soft keys out of reach. (The
    // offscreen platform's screen is a fixed stand-in, not a limit.)
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen && QGuiApplication::platformName() != QLatin1String("offscreen")) {
        const QSize room = screen->availableGeometry().size();
        if (room.width() > 0) width = std::min(width, room.width());
        if (room.height() > 0) height = std::min(height, room.height());
    }
    w.frame->resize(width, height);
    w.page->setGeometry(0, 0, width, height);
    w.frame->PlaceSoftKeys();
    Send(kMsgCreate);
    w.frame->show();
    w.frame->activateWindow();
    w.frame->setFocus();
    return 1;
}

std::u16string DroppedBookPath() {
    return droppedPath;
}

void SetMainWindowTitle(const std::u16string& title) {
    if (State().frame)
        State().frame->setWindowTitle(QString::fromUtf16(title.data(), title.size()));
}

void ResizeMainWindow(int width, int height) {
    if (State().frame) State().frame->resize(width, height);
}

void DestroyMainWindow() {
    WindowState& w = State();
    if (!w.frame) return;
    for (auto& [id, timer] : w.timers) {
        timer->stop();
        Dispose(timer);
    }
    w.timers.clear();
    w.hotKeys.clear();
    Send(kMsgDestroy);
    Frame* frame = w.frame;
    w.frame = nullptr;
    w.page = nullptr;
    w.softKeys = nullptr;
    w.procedure = nullptr;
    w.context = nullptr;
    frame->hide();
    Dispose(frame);
}

int MainWindowExists() {
    return State().frame != nullptr;
}

void ScreenSize(int* width, int* height) {
    const Frame* f = State().frame;
    *width = f ? f->width() : 0;
    *height = f ? f->height() : 0;
}

PixelRect MenuBarRect() {
    const WindowState& w = State();
    if (!w.frame || !w.softKeys) return {};
    const int h = w.softKeys->sizeHint().height();
    return {0, w.frame->height() - h, w.frame->width(), w.frame->height()};
}

void SetWindowFullScreen(int on) {
    WindowState& w = State();
    if (!w.frame || QGuiApplication::platformName() == QLatin1String("offscreen")) return;
    if (on && !w.frame->isFullScreen()) {
        // The screen's geometry is set as well: without a window manager the state alone moves
        // nothing.
        w.normalGeometry = w.frame->geometry();
        if (const QScreen* screen = w.frame->screen()) w.frame->setGeometry(screen->geometry());
        w.frame->showFullScreen();
    } else if (!on && w.frame->isFullScreen()) {
        w.frame->showNormal();
        if (w.normalGeometry.isValid()) w.frame->setGeometry(w.normalGeometry);
    }
}

int WindowIsFullScreen() {
    WindowState& w = State();
    return w.frame && w.frame->isFullScreen();
}

void ShowMenuBar(int visible) {
    WindowState& w = State();
    w.menuBarVisible = visible ? 1 : 0;
    if (w.frame) w.frame->PlaceSoftKeys();
}

void PlacePageArea(PixelRect r) {
    WindowState& w = State();
    if (!w.page) return;
    w.page->setGeometry(r.left, r.top, std::max(0, r.right - r.left),
                        std::max(0, r.bottom - r.top));
}

void RepaintWindow() {
    WindowState& w = State();
    if (!w.page) return;
    if (w.inPaint) {
        w.repaintAfterPaint = 1;
    } else {
        w.page->repaint();
    }
}

void PresentSurface(PlatformSurface* surface, int width, int height) {
    WindowState& w = State();
    if (!w.page || !w.page->painter || !surface) return;
    DrawSurfaceArea(*w.page->painter, QPoint(0, 0), surface, width, height);
    if (!TraceEnabled()) return;
    if (!w.firstPageTraced && w.loopRunning) {
        w.firstPageTraced = 1;
        std::fprintf(stderr, "first-page-ms %lld\n",
                     static_cast<long long>(MillisecondsSinceProcessStart()));
    }
    if (w.traceKey >= 0) {
        std::fprintf(stderr, "key 0x%02X repaint-ms %.2f\n", w.traceKey,
                     static_cast<double>(w.traceClock.nsecsElapsed()) / 1e6);
        w.traceKey = -1;
    }
}

void ScrollPageArea(PixelRect r, int dx, int dy) {
    WindowState& w = State();
    if (!w.page) return;
    w.page->scroll(dx, dy, QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
}

int SetWindowTimer(uint32_t id, uint32_t milliseconds) {
    WindowState& w = State();
    if (!w.frame) return 0;
    QTimer*& timer = w.timers[id];
    if (!timer) {
        timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [id] { Send(kMsgTimer, id); });
    }
    timer->start(static_cast<int>(std::min<uint32_t>(milliseconds, 0x7FFFFFFF)));
    return 1;
}

void KillWindowTimer(uint32_t id) {
    WindowState& w = State();
    auto it = w.timers.find(id);
    if (it == w.timers.end()) return;
    it->second->stop();
    Dispose(it->second);
    w.timers.erase(it);
}

int RegisterButtonHotKey(int virtualKey) {
    if (!State().frame) return 0;
    State().hotKeys.insert(virtualKey);
    return 1;
}

void UnregisterButtonHotKey(int virtualKey) {
    State().hotKeys.erase(virtualKey);
}

int IsForegroundWindow() {
    const Frame* f = State().frame;
    if (!f || !f->isVisible()) return 0;
    return f->isActiveWindow() || !State().everActivated;
}

void BringToFront() {
    Frame* f = State().frame;
    if (!f) return;
    if (f->isMinimized()) f->showNormal();
    f->raise();
    f->activateWindow();
}

int ModalLoopActive() {
    return State().modalDepth > 0;
}

QWidget* MainWindowWidget() {
    return State().frame;
}

void EnterModal(int on) {
    WindowState& w = State();
    w.modalDepth += on ? 1 : -1;
    // The cursor must not hide the buttons of a box or dialog.
    if (w.waitCursor) {
        if (on) {
            QApplication::restoreOverrideCursor();
        } else {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
    }
}

void ShowProgress(int percent) {
    WindowState& w = State();
    if (!w.frame) return;
    if (percent < 0) {
        delete w.progress;
        w.progress = nullptr;
        return;
    }
    if (!w.progress) {
        w.progress = new QProgressBar(w.frame);
        w.progress->setRange(0, 100);
        const int width = std::max(100, w.frame->width() * 2 / 3);
        w.progress->setGeometry((w.frame->width() - width) / 2, w.frame->height() / 2 - 12, width,
                                24);
        w.progress->show();
    }
    w.progress->setValue(std::clamp(percent, 0, 100));
    // Paint and timers go on; what a person does waits for the work to end.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void SetWaitCursor(int on) {
    WindowState& w = State();
    if (on && !w.waitCursor) QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!on && w.waitCursor) QApplication::restoreOverrideCursor();
    w.waitCursor = on ? 1 : 0;
}

int RunMessageLoop() {
    WindowState& w = State();
    if (w.quitPending) return w.quitCode;
    w.loopRunning = 1;
    const int code = QApplication::exec();
    w.loopRunning = 0;
    // The window closed from one of its own events is deleted now that the loop is over.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return code;
}

void PostQuit(int code) {
    WindowState& w = State();
    w.quitPending = 1;
    w.quitCode = code;
    QCoreApplication::exit(code);
}

int TraceEnabled() {
    static const int enabled = [] {
        const char* v = std::getenv("LECTRA_TRACE");
        return v && v[0] == '1' ? 1 : 0;
    }();
    return enabled;
}

}  // namespace lectra
