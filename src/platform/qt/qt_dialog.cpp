// Dialogs on Qt: a template's controls built inside a panel that covers the main window, with a
// title and a soft-key bar; the procedure gets the dialog messages, and works on controls by id.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRawFont>
#include <QVBoxLayout>
#include <map>

#include "platform/dialog.h"
#include "platform/qt/qt_surface.h"
#include "platform/qt/qt_window_internal.h"
#include "platform/window.h"

namespace lectra {

namespace {

QString ToQ(const std::u16string& s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

std::u16string FromQ(const QString& s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()),
                          static_cast<size_t>(s.size()));
}

}  // namespace

// The dialog while it runs: its panel, the controls by id, the loop that makes it modal.
struct PlatformDialog : QObject {
    QPointer<QFrame> panel;
    QLabel* title = nullptr;
    QWidget* client = nullptr;
    QPushButton* left = nullptr;
    QPushButton* right = nullptr;
    std::map<int, QWidget*> controls;
    std::map<int, ControlKind> kinds;
    DialogProcedure procedure = nullptr;
    void* context = nullptr;
    QEventLoop loop;
    int result = 0;
    int ended = 0;

    int Send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
        if (ended || !procedure) return 0;
        return procedure(context, this, message, wParam, lParam);
    }
    void Command(int id, int notification = 0) {
        Send(kDlgCommand, static_cast<uintptr_t>(id) | static_cast<uintptr_t>(notification) << 16);
    }
    QWidget* Control(int id) const {
        auto it = controls.find(id);
        return it == controls.end() ? nullptr : it->second;
    }

    // Enter is OK, Escape the right soft key, Backspace outside an edit box the Back key.
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::KeyPress) return QObject::eventFilter(watched, e);
        auto* key = static_cast<QKeyEvent*>(e);
        const bool inEdit = qobject_cast<QLineEdit*>(watched) != nullptr;
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (qobject_cast<QPlainTextEdit*>(watched)) break;
                Command(kCmdOk);
                return true;
            case Qt::Key_Escape:
                Command(kCmdRightSoftKey);
                return true;
            case Qt::Key_Backspace:
                if (inEdit) break;
                Command(kCmdCancel);
                return true;
            case Qt::Key_Delete:
                if (auto* list = qobject_cast<QListWidget*>(watched)) {
                    for (const auto& [id, control] : controls) {
                        if (control == list) Command(id, kListDelete);
                    }
                    return true;
                }
                break;
            default:
                break;
        }
        return QObject::eventFilter(watched, e);
    }
};

namespace {

// A child window whose picture the dialog draws into a surface of its own.
struct PreviewControl : QWidget {
    using QWidget::QWidget;
    PlatformSurface* surface = nullptr;
    void paintEvent(QPaintEvent*) override {
        if (!surface) return;
        QPainter p(this);
        DrawSurfaceArea(p, QPoint(0, 0), surface, surface->image.width(), surface->image.height());
    }
};

QWidget* MakeControl(PlatformDialog* d, const ControlTemplate& c) {
    QWidget* w = nullptr;
    const QString text = c.text ? QString::fromUtf16(c.text) : QString();
    switch (c.kind) {
        case ControlKind::kLabel:
            w = new QLabel(text, d->client);
            break;
        case ControlKind::kList: {
            auto* list = new QListWidget(d->client);
            list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            const int id = c.id;
            QObject::connect(list, &QListWidget::currentRowChanged, d,
                             [d, id](int) { d->Command(id, kListSelectionChange); });
            QObject::connect(list, &QListWidget::itemDoubleClicked, d,
                             [d, id](QListWidgetItem*) { d->Command(id, kListDoubleClick); });
            w = list;
            break;
        }
        case ControlKind::kEdit: {
            auto* edit = new QLineEdit(text, d->client);
            const int id = c.id;
            QObject::connect(edit, &QLineEdit::textEdited, d,
                             [d, id](const QString&) { d->Command(id, kEditChange); });
            w = edit;
            break;
        }
        case ControlKind::kCheck:
            w = new QCheckBox(text, d->client);
            break;
        case ControlKind::kSpinList: {
            auto* combo = new QComboBox(d->client);
            const int id = c.id;
            QObject::connect(combo, &QComboBox::currentIndexChanged, d,
                             [d, id](int) { d->Command(id, kListSelectionChange); });
            w = combo;
            break;
        }
        case ControlKind::kInfo: {
            auto* box = new QPlainTextEdit(text, d->client);
            box->setReadOnly(true);
            w = box;
            break;
        }
        case ControlKind::kPreview:
            w = new PreviewControl(d->client);
            break;
        case ControlKind::kButton: {
            auto* button = new QPushButton(text, d->client);
            button->setAutoDefault(false);
            const int id = c.id;
            QObject::connect(button, &QPushButton::clicked, d,
                             [d, id] { d->Command(id, kButtonPress); });
            w = button;
            break;
        }
    }
    w->setGeometry(c.place.left, c.place.top, c.place.right - c.place.left,
                   c.place.bottom - c.place.top);
    w->installEventFilter(d);
    return w;
}

}  // namespace

PlatformDialog* OpenDialog(const DialogTemplate& t, DialogProcedure procedure, void* context) {
    QWidget* owner = MainWindowWidget();
    if (!owner) return nullptr;
    auto* d = new PlatformDialog;
    d->procedure = procedure;
    d->context = context;
    d->panel = new QFrame(owner);
    d->panel->setAutoFillBackground(true);
    d->panel->setGeometry(0, 0, owner->width(), owner->height());
    d->panel->installEventFilter(d);
    auto* column = new QVBoxLayout(d->panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    d->title = new QLabel(d->panel);
    QFont bold = d->title->font();
    bold.setBold(true);
    d->title->setFont(bold);
    d->title->setContentsMargins(6, 4, 6, 4);
    d->client = new QWidget(d->panel);
    auto* keys = new QWidget(d->panel);
    auto* row = new QHBoxLayout(keys);
    row->setContentsMargins(4, 2, 4, 2);
    d->left = new QPushButton(QStringLiteral("OK"), keys);
    d->right = new QPushButton(QStringLiteral("Cancel"), keys);
    for (QPushButton* b : {d->left, d->right}) {
        b->setFlat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    QObject::connect(d->left, &QPushButton::clicked, d, [d] { d->Command(kCmdLeftSoftKey); });
    QObject::connect(d->right, &QPushButton::clicked, d, [d] { d->Command(kCmdRightSoftKey); });
    row->addWidget(d->left);
    row->addStretch(1);
    row->addWidget(d->right);
    column->addWidget(d->title);
    column->addWidget(d->client, 1);
    column->addWidget(keys);
    d->panel->show();
    d->panel->raise();
    // The controls are placed in the client area, which has its size once laid out.
    column->activate();
    for (int i = 0; i < t.count; ++i) {
        d->controls[t.controls[i].id] = MakeControl(d, t.controls[i]);
        d->kinds[t.controls[i].id] = t.controls[i].kind;
    }
    EnterModal(1);
    d->Send(kDlgInit);
    if (!d->ended) {
        // The first control that takes the keyboard has it, unless the dialog gave it to one.
        QWidget* focus = QApplication::focusWidget();
        if (!focus || !d->panel->isAncestorOf(focus)) {
            for (int i = 0; i < t.count; ++i) {
                QWidget* w = d->controls[t.controls[i].id];
                if (t.controls[i].kind != ControlKind::kLabel && w->isVisible()) {
                    w->setFocus();
                    break;
                }
            }
        }
    }
    return d;
}

void SendDialogCommand(PlatformDialog* d, int id, int notification) {
    d->Command(id, notification);
}

int DialogResult(PlatformDialog* d, int* result) {
    if (result) *result = d->result;
    return d->ended;
}

void CloseDialog(PlatformDialog* d) {
    EnterModal(0);
    delete d->panel;  // null when the window went first
    delete d;
}

int RunDialog(const DialogTemplate& t, DialogProcedure procedure, void* context) {
    PlatformDialog* d = OpenDialog(t, procedure, context);
    if (!d) return 0;
    if (!d->ended) d->loop.exec();
    const int result = d->result;
    CloseDialog(d);
    return result;
}

void EndDialog(PlatformDialog* d, int result) {
    d->result = result;
    d->ended = 1;
    d->loop.quit();
}

void SetDialogTitle(PlatformDialog* d, const std::u16string& title) {
    d->title->setText(ToQ(title));
}

void SetSoftKeyText(PlatformDialog* d, int command, const std::u16string& text) {
    (command == kCmdRightSoftKey ? d->right : d->left)->setText(ToQ(text));
}

PixelRect DialogClientRect(PlatformDialog* d) {
    return {0, 0, d->client->width(), d->client->height()};
}

PixelRect ControlRect(PlatformDialog* d, int id) {
    QWidget* w = d->Control(id);
    if (!w) return {};
    const QRect r = w->geometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void MoveControl(PlatformDialog* d, int id, PixelRect r) {
    if (QWidget* w = d->Control(id)) {
        w->setGeometry(r.left, r.top, std::max(0, r.right - r.left), std::max(0, r.bottom - r.top));
    }
}

void ShowControl(PlatformDialog* d, int id, int visible) {
    if (QWidget* w = d->Control(id)) w->setVisible(visible != 0);
}

void SetControlFocus(PlatformDialog* d, int id) {
    if (QWidget* w = d->Control(id)) w->setFocus();
}

int ControlShown(PlatformDialog* d, int id) {
    QWidget* w = d->Control(id);
    return w && !w->isHidden();
}

int ControlHasFocus(PlatformDialog* d, int id) {
    QWidget* w = d->Control(id);
    return w && w->window()->focusWidget() == w;
}

std::u16string ControlText(PlatformDialog* d, int id) {
    QWidget* w = d->Control(id);
    if (auto* e = qobject_cast<QLineEdit*>(w)) return FromQ(e->text());
    if (auto* l = qobject_cast<QLabel*>(w)) return FromQ(l->text());
    if (auto* c = qobject_cast<QAbstractButton*>(w)) return FromQ(c->text());
    if (auto* p = qobject_cast<QPlainTextEdit*>(w)) return FromQ(p->toPlainText());
    if (auto* b = qobject_cast<QComboBox*>(w)) return FromQ(b->currentText());
    return {};
}

void SetControlText(PlatformDialog* d, int id, const std::u16string& text) {
    QWidget* w = d->Control(id);
    if (auto* e = qobject_cast<QLineEdit*>(w)) e->setText(ToQ(text));
    if (auto* l = qobject_cast<QLabel*>(w)) l->setText(ToQ(text));
    if (auto* c = qobject_cast<QAbstractButton*>(w)) c->setText(ToQ(text));
    if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
        // The handheld's boxes take CR LF; one line break each here.
        QString q = ToQ(text);
        q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        p->setPlainText(q);
    }
}

void SetTextLimit(PlatformDialog* d, int id, int characters) {
    if (auto* e = qobject_cast<QLineEdit*>(d->Control(id))) e->setMaxLength(characters);
}

void SelectAllText(PlatformDialog* d, int id) {
    if (auto* e = qobject_cast<QLineEdit*>(d->Control(id))) e->selectAll();
}

int IsChecked(PlatformDialog* d, int id) {
    auto* c = qobject_cast<QCheckBox*>(d->Control(id));
    return c && c->isChecked();
}

void SetChecked(PlatformDialog* d, int id, int checked) {
    if (auto* c = qobject_cast<QCheckBox*>(d->Control(id))) c->setChecked(checked != 0);
}

void ListReset(PlatformDialog* d, int id) {
    QWidget* w = d->Control(id);
    if (auto* l = qobject_cast<QListWidget*>(w)) {
        const QSignalBlocker quiet(l);
        l->clear();
    }
    if (auto* b = qobject_cast<QComboBox*>(w)) {
        const QSignalBlocker quiet(b);
        b->clear();
    }
}

int ListAdd(PlatformDialog* d, int id, const std::u16string& line) {
    QWidget* w = d->Control(id);
    if (auto* l = qobject_cast<QListWidget*>(w)) {
        l->addItem(ToQ(line));
        return l->count() - 1;
    }
    if (auto* b = qobject_cast<QComboBox*>(w)) {
        const QSignalBlocker quiet(b);
        b->addItem(ToQ(line));
        return b->count() - 1;
    }
    return -1;
}

int ListCount(PlatformDialog* d, int id) {
    QWidget* w = d->Control(id);
    if (auto* l = qobject_cast<QListWidget*>(w)) return l->count();
    if (auto* b = qobject_cast<QComboBox*>(w)) return b->count();
    return 0;
}

std::u16string ListLine(PlatformDialog* d, int id, int index) {
    QWidget* w = d->Control(id);
    if (auto* l = qobject_cast<QListWidget*>(w)) {
        if (QListWidgetItem* item = l->item(index)) return FromQ(item->text());
    }
    if (auto* b = qobject_cast<QComboBox*>(w)) {
        if (index >= 0 && index < b->count()) return FromQ(b->itemText(index));
    }
    return {};
}

int ListSelection(PlatformDialog* d, int id) {
    QWidget* w = d->Control(id);
    if (auto* l = qobject_cast<QListWidget*>(w)) {
        return l->currentItem() && l->currentItem()->isSelected() ? l->currentRow() : -1;
    }
    if (auto* b = qobject_cast<QComboBox*>(w)) return b->currentIndex();
    return -1;
}

void ListSelect(PlatformDialog* d, int id, int index) {
    QWidget* w = d->Control(id);
    if (auto* l = qobject_cast<QListWidget*>(w)) {
        const QSignalBlocker quiet(l);
        if (index < 0 || index >= l->count()) {
            l->clearSelection();
            l->setCurrentRow(-1);
        } else {
            l->setCurrentRow(index);
            l->scrollToItem(l->item(index));
        }
    }
    if (auto* b = qobject_cast<QComboBox*>(w)) {
        const QSignalBlocker quiet(b);
        b->setCurrentIndex(index);
    }
}

void SetPreviewSurface(PlatformDialog* d, int id, PlatformSurface* surface) {
    if (d->kinds.count(id) && d->kinds[id] == ControlKind::kPreview) {
        auto* preview = static_cast<PreviewControl*>(d->Control(id));
        preview->surface = surface;
        preview->repaint();  // at once, as the choice changes
    }
}

namespace {

// The family without the foundry that the database adds when two foundries give the same name
// ("C059 [urw]").
QString WithoutFoundry(const QString& family) {
    const qsizetype bracket = family.indexOf(QLatin1String(" ["));
    return bracket > 0 && family.endsWith(QLatin1Char(']')) ? family.left(bracket) : family;
}

// A family that writes text: its own font (not a fallback) has the Latin letters. Symbol and
// dingbat fonts that the database still lists under Latin have none of them, or other glyphs in
// the symbol area only.
bool WritesLatinText(const QString& family) {
    if (QFontDatabase::isPrivateFamily(family)) return false;
    if (QFontDatabase::writingSystems(family).contains(QFontDatabase::Symbol)) return false;
    QFont font(family);
    font.setStyleStrategy(QFont::NoFontMerging);
    const QRawFont raw = QRawFont::fromFont(font, QFontDatabase::Latin);
    if (!raw.isValid() || raw.familyName() != WithoutFoundry(family)) return false;
    for (char32_t c : {U'A', U'Z', U'a', U'z', U'e'}) {
        if (!raw.supportsCharacter(c)) return false;
    }
    return true;
}

}  // namespace

std::vector<std::u16string> LatinFontFamilies() {
    std::vector<std::u16string> names;
    for (const QString& family : QFontDatabase::families(QFontDatabase::Latin)) {
        if (WritesLatinText(family)) names.push_back(FromQ(family));
    }
    return names;
}

std::u16string DrawnFontFamily(const std::u16string& face) {
    QFont font(ToQ(face));
    font.setPixelSize(16);
    return FromQ(QFontInfo(font).family());
}

int SystemFontHeight() {
    return QFontMetrics(QApplication::font()).height();
}

}  // namespace lectra
