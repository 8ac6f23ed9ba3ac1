// The search hit's mark as Qt paints it: a page of the story with a match across a hyphenated
// break against its golden picture, and the mark turning with the page at every rotation.
#include <gtest/gtest.h>

#include "qt_page_support.h"

namespace lectra {
namespace {

// The story's page at 2000, where a line ends in a hyphen.
struct HitPage : test::QtPage {
    static constexpr int32_t kAt = 2000;
    // The screen area after painting with units from .. to − 1 marked.
    std::vector<uint32_t> Paint(int rotation, int32_t from, int32_t to) {
        layout.searchMark = from;
        layout.searchMarkEnd = to;
        return QtPage::Paint(rotation, kAt);
    }
    // The upright page's first hyphenated line: from the start of its last whole word to the end
    // of the word's tail on the next line.
    bool HitAcrossABreak(int32_t* from, int32_t* to) {
        Lay(0, kAt);
        for (int i = 0; i + 1 < layout.linesPerPage; ++i) {
            const LineRecord& line = layout.pageLines[static_cast<size_t>(i)];
            const std::u16string& next = layout.pageLines[static_cast<size_t>(i) + 1].text;
            if (line.text.size() < 2 || line.text.back() != u'-' || next.find(u' ') == 0) continue;
            const size_t space = line.text.rfind(u' ', line.text.rfind(u' ') - 1);
            if (space == std::u16string::npos || next.find(u' ') == std::u16string::npos) continue;
            *from = line.end - static_cast<int32_t>(line.text.size() - 2 - space);
            *to = line.end + static_cast<int32_t>(next.find(u' '));
            return true;
        }
        return false;
    }
};

using test::CompareWithGolden;

TEST_F(HitPage, AMatchAcrossAHyphenatedBreakMatchesItsGoldenPicture) {
    int32_t from = -1, to = -1;
    ASSERT_TRUE(HitAcrossABreak(&from, &to));
    const test::ScratchDir scratch;
    for (int rotation : {0, 900}) {
        const std::vector<uint32_t> plain = Paint(rotation, -1, -1);
        EXPECT_NE(Paint(rotation, from, to), plain) << rotation;
        const std::string name = "search-hit-" + std::to_string(rotation);
        const std::string out = scratch.path() + "/" + name + ".png";
        ASSERT_EQ(WriteSurfacePng(layout.surface, 240, 320, Utf8ToUtf16(out)), 1);
        CompareWithGolden(name, out);
    }
}

// Half a turn is the upright picture upside down, mark and all.
TEST_F(HitPage, TheMarkTurnsWithThePage) {
    int32_t from = -1, to = -1;
    ASSERT_TRUE(HitAcrossABreak(&from, &to));
    const std::vector<uint32_t> upright = Paint(0, from, to);
    EXPECT_NE(upright, Paint(0, -1, -1));
    EXPECT_EQ(test::DifferUpsideDown(upright, Paint(1800, from, to)), 0);
    EXPECT_EQ(test::DifferUpsideDown(Paint(900, from, to), Paint(2700, from, to)), 0);
}

}  // namespace
}  // namespace lectra
