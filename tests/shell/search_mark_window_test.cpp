// Find through its dialog in the window: the hit's units, and nothing else, are marked on the
// page shown, as wide as the matched word is drawn.
#include "dialogs/search.h"
#include "layout/search_mark.h"
#include "platform/command_ids.h"
#include "scripted_dialogs.h"

namespace lectra {
namespace {

class SearchMarkWindow : public test::Reader {
protected:
    void SetUp() override {
        test::Reader::SetUp();
        test::scripts.clear();
    }
};

TEST_F(SearchMarkWindow, FindMarksTheMatchedUnitsOnly) {
    const std::string book = dir.Write("book.txt", test::ReadBytes(test::Sample("en-story.txt")));
    Make(test::Scripted);
    ASSERT_EQ(CreateAppWindow(*app), 1);
    OpenStartupBook(*app, Utf8ToUtf16(book));
    for (ButtonBinding& b : app->session.settings.bindings)
        if (b.inputId == 0x31) b.action = static_cast<uint8_t>(kActionFind);
    test::scripts.push_back([](PlatformDialog* d) {
        SetControlText(d, kCtlFindText, u"CLOCK");
        SetChecked(d, kCtlFindFromCurrent, 0);
        SendDialogCommand(d, kCmdLeftSoftKey);
    });
    Press(0x31);
    ASSERT_EQ(test::dialogs, std::vector<int>{kTemplateFind});
    const int32_t hit = app->layout.searchMark;
    ASSERT_EQ(hit, FindFrom(*app->doc, 0, u"clock", u"CLOCK"));
    EXPECT_EQ(app->layout.searchMarkEnd, hit + 5);
    std::vector<PixelRect> marks;
    for (int i = 0; i < app->layout.linesPerPage; ++i)
        if (PixelRect r; SearchMarkRect(app->layout, i, &r)) marks.push_back(r);
    ASSERT_EQ(marks.size(), 1u);
    const PixelRect m = marks[0];
    // The word as the book spells it (the search ignores case).
    std::u16string matched;
    for (int32_t p = hit; p < hit + 5; ++p) matched += GetChar(*app->doc, p);
    const int word = app->layout.draw->measureText(app->layout.fonts.textFont, matched.data(), 5);
    EXPECT_NEAR(m.right - m.left, word, 1);

    // The same page without the mark differs from it inside the mark only.
    const std::vector<uint32_t> marked = Screen();
    app->layout.searchMark = -1;
    Repaint(*app);
    const std::vector<uint32_t> plain = Screen();
    ASSERT_EQ(marked.size(), plain.size());
    const int width = app->windowRect.right;
    int inside = 0, outside = 0;
    for (size_t k = 0; k < plain.size(); ++k) {
        if (marked[k] == plain[k]) continue;
        const int x = static_cast<int>(k) % width, y = static_cast<int>(k) / width;
        (x >= m.left && x < m.right && y >= m.top && y < m.bottom ? inside : outside) += 1;
    }
    EXPECT_GT(inside, (m.right - m.left) * (m.bottom - m.top) / 2);
    EXPECT_EQ(outside, 0);
}

}  // namespace
}  // namespace lectra
