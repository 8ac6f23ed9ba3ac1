// The soft-key menus: a pop-up menu built from a table of items, opened above its soft key.
#include <QMenu>
#include <QWidget>
#include <vector>

#include "platform/qt/qt_window_internal.h"
#include "platform/window.h"

namespace lectra {

int PopUpMenu(int softKey, const MenuItem* items, int count) {
    QWidget* owner = MainWindowWidget();
    if (!owner || !items || count <= 0) return 0;
    QMenu top(owner);
    QMenu* sub = nullptr;
    for (int i = 0; i < count; ++i) {
        const MenuItem& item = items[i];
        QMenu* into = item.level > 0 && sub ? sub : &top;
        if (!item.text) {
            into->addSeparator();
        } else if (item.command == 0) {
            sub = top.addMenu(QString::fromUtf16(item.text));
        } else {
            QString text = QString::fromUtf16(item.text);
            // Text after a tab is the menu's shortcut column.
            if (item.shortcut) text += QLatin1Char('\t') + QString::fromUtf16(item.shortcut);
            QAction* action = into->addAction(text);
            action->setData(item.command);
            action->setEnabled(!item.disabled);
        }
    }
    const PixelRect bar = MenuBarRect();
    const QSize size = top.sizeHint();
    int x = softKey == 0 ? 0 : owner->width() - size.width();
    int y = (bar.bottom > bar.top ? bar.top : owner->height()) - size.height();
    if (y < 0) y = 0;
    if (x < 0) x = 0;
    EnterModal(1);
    QAction* chosen = top.exec(owner->mapToGlobal(QPoint(x, y)));
    EnterModal(0);
    return chosen ? chosen->data().toInt() : 0;
}

}  // namespace lectra
