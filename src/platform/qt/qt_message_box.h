// The message box's panel on its own, for the tests: a box of `text` over `owner`, with the
// scroll bar of its text.
#pragma once
#include <string>

class QFrame;
class QScrollBar;
class QWidget;

namespace lectra {

QFrame* MakeMessagePanel(const std::u16string& text, const std::u16string& caption, QWidget* owner,
                         QScrollBar** textScrollBar);

}  // namespace lectra
