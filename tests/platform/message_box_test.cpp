// The message box over the window: a text taller than the window (the page of keys) scrolls
// inside a box that stays within the window, from its first line, and the keys move it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWidget>

#include "platform/qt/gui_platform.h"
#include "platform/qt/qt_message_box.h"

namespace lectra {
namespace {

TEST(MessageBox, ALongTextScrollsInsideTheWindowFromItsFirstLine) {
    // The widgets application, kept for the process's life as the reader's is.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    NewApplication<QApplication>();
    QWidget window;
    window.resize(480, 640);
    std::u16string longText;
    for (int i = 0; i < 80; ++i) longText += u"Line " + std::u16string(1, u'A' + i % 26) + u"\n";

    QScrollBar* bar = nullptr;
    QFrame* box = MakeMessagePanel(longText, u"Keys", &window, &bar);
    ASSERT_NE(bar, nullptr);
    EXPECT_GE(box->y(), 0);
    EXPECT_LE(box->y() + box->height(), window.height());
    EXPECT_EQ(bar->value(), 0) << "the text begins at its first line";
    ASSERT_GT(bar->maximum(), 0) << "the rest is reached by scrolling";
    auto press = [box](int key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(box, &event);
    };
    press(Qt::Key_PageDown);
    EXPECT_GT(bar->value(), 0);
    press(Qt::Key_PageUp);
    EXPECT_EQ(bar->value(), 0);
    delete box;
}

}  // namespace
}  // namespace lectra
