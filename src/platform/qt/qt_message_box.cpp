// Message boxes inside the main window: a caption, the text, OK (and Cancel when asked).
#include "platform/qt/qt_message_box.h"

#include <QApplication>
#include <QEventLoop>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>

#include "platform/dialog.h"
#include "platform/qt/qt_window_internal.h"
#include "platform/window.h"

namespace lectra {

namespace {

struct ScrollKey {
    int key;
    QAbstractSlider::SliderAction action;
};
constexpr ScrollKey kScrollKeys[] = {
    {Qt::Key_Down, QAbstractSlider::SliderSingleStepAdd},
    {Qt::Key_Up, QAbstractSlider::SliderSingleStepSub},
    {Qt::Key_PageDown, QAbstractSlider::SliderPageStepAdd},
    {Qt::Key_PageUp, QAbstractSlider::SliderPageStepSub},
};

// Inside the window, as the handheld covers its screen: the keyboard stays with the window
// whatever the window manager does. Enter or Space is OK, Escape is Cancel (or OK when alone).
// A text taller than the window (the page of keys) scrolls inside the box: the arrows, Page Up
// and Page Down and the wheel move it, and the box stays within the window.
class MessagePanel : public QFrame {
public:
    MessagePanel(const QString& caption, const QString& text, int withCancel, QWidget* owner,
                 std::function<void(int)> done)
        : QFrame(owner), withCancel_(withCancel), done_(std::move(done)) {
        setFrameShape(QFrame::Box);
        setAutoFillBackground(true);
        setFocusPolicy(Qt::StrongFocus);
        auto* column = new QVBoxLayout(this);
        auto* title = new QLabel(caption, this);
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        auto* message = new QLabel(text);
        message->setWordWrap(true);
        message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        scroll_ = new QScrollArea(this);
        scroll_->setFrameShape(QFrame::NoFrame);
        scroll_->setWidgetResizable(true);
        scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll_->setFocusPolicy(Qt::NoFocus);
        scroll_->setWidget(message);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        auto* ok = new QPushButton(QStringLiteral("OK"), this);
        ok->setFocusPolicy(Qt::NoFocus);
        connect(ok, &QPushButton::clicked, this, [this] { done_(1); });
        buttons->addWidget(ok);
        if (withCancel) {
            auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
            cancel->setFocusPolicy(Qt::NoFocus);
            connect(cancel, &QPushButton::clicked, this, [this] { done_(0); });
            buttons->addWidget(cancel);
        }
        column->addWidget(title);
        column->addWidget(scroll_);
        column->addLayout(buttons);
        if (owner) {
            const int width = std::min(owner->width() - 20, std::max(200, owner->width() * 3 / 4));
            setFixedWidth(std::max(width, 100));
            // The text as tall as it wraps at the box's width, or as the window leaves room for.
            const QMargins m = column->contentsMargins();
            const int textWidth = this->width() - m.left() - m.right() -
                                  scroll_->verticalScrollBar()->sizeHint().width();
            const int rest = m.top() + m.bottom() + 2 * column->spacing() +
                             title->sizeHint().height() + buttons->sizeHint().height();
            const int room = std::max(owner->height() - 20 - rest, message->fontMetrics().height());
            scroll_->setFixedHeight(std::min(message->heightForWidth(textWidth) + 2, room));
            adjustSize();
            move((owner->width() - this->width()) / 2,
                 std::max(0, (owner->height() - height()) / 3));
        }
    }
    QScrollBar* TextScrollBar() const { return scroll_->verticalScrollBar(); }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        // The text's keys repeat while held; the box's answers do not.
        for (const ScrollKey& k : kScrollKeys) {
            if (e->key() == k.key) {
                TextScrollBar()->triggerAction(k.action);
                return;
            }
        }
        if (e->isAutoRepeat()) return;
        switch (e->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Space:
                done_(1);
                return;
            case Qt::Key_Escape:
                done_(withCancel_ ? 0 : 1);
                return;
            default:
                return;  // nothing reaches the page while the box waits
        }
    }
    void keyReleaseEvent(QKeyEvent*) override {}
    void focusOutEvent(QFocusEvent*) override {
        // The box keeps the keyboard while it is open.
        QTimer::singleShot(0, this, [this] { setFocus(); });
    }

private:
    QScrollArea* scroll_ = nullptr;
    int withCancel_;
    std::function<void(int)> done_;
};

int RunBox(const std::u16string& text, const std::u16string& caption, int withCancel) {
    QEventLoop loop;
    int answer = 0;
    QPointer<MessagePanel> panel =
        new MessagePanel(QString::fromUtf16(caption.data(), static_cast<qsizetype>(caption.size())),
                         QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())),
                         withCancel, MainWindowWidget(), [&loop, &answer](int a) {
                             answer = a;
                             loop.quit();
                         });
    EnterModal(1);
    panel->show();
    panel->raise();
    panel->setFocus();
    loop.exec();
    EnterModal(0);
    // A close of the window while the box was open took the box with it.
    delete panel;
    return answer;
}

}  // namespace

QFrame* MakeMessagePanel(const std::u16string& text, const std::u16string& caption, QWidget* owner,
                         QScrollBar** textScrollBar) {
    auto* panel = new MessagePanel(
        QString::fromUtf16(caption.data(), static_cast<qsizetype>(caption.size())),
        QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())), 0, owner, [](int) {});
    if (textScrollBar) *textScrollBar = panel->TextScrollBar();
    return panel;
}

void ShowMessageBox(const std::u16string& text, const std::u16string& caption) {
    RunBox(text, caption, 0);
}

int AskOkCancel(const std::u16string& text, const std::u16string& caption) {
    return RunBox(text, caption, 1);
}

}  // namespace lectra
