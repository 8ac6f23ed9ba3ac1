// Pagination on the fixed-advance services: properties over the sample books at several page
// sizes (pages tile the book, a page forward and back returns, the backward scan stays inside),
// and the rules of the page and the moves.
#include "layout/pagination.h"

#include <gtest/gtest.h>

#include "layout/hyphen_patterns.h"
#include "layout/line_breaker.h"
#include "layout_test_support.h"
#include "platform/sys/utf.h"
#include "test_support.h"

namespace lectra {
namespace {

using test::FakeLayout;
using test::MemoryBook;

struct PageSize {
    int width;
    int height;
};
constexpr PageSize kSizes[] = {{200, 140}, {470, 600}, {90, 30}, {1000, 14}};
const char* const kBooks[] = {"ru-story.fb2", "en-story.html", "ru-story.txt"};

struct SampleBook {
    std::unique_ptr<Document> doc = NewDocument();
    explicit SampleBook(const char* name) {
        EXPECT_EQ(test::Open(*doc, std::string(LECTRA_SAMPLES) + "/" + name), 1) << name;
    }
};

std::vector<int32_t> WalkForward(FakeLayout& f, Document& doc) {
    std::vector<int32_t> starts;
    doc.pageStart = 0;
    Refresh(f.layout, doc);
    for (;;) {
        starts.push_back(doc.pageStart);
        EXPECT_EQ(f.layout.pageLines[0].start, doc.pageStart);
        if (doc.pageEnd >= DocLength(doc)) break;
        const int32_t end = doc.pageEnd;
        NextPage(f.layout, doc, 1);
        EXPECT_EQ(doc.pageStart, end) << "a page forward starts where the page ended";
        if (doc.pageStart != end || starts.size() > static_cast<size_t>(DocLength(doc))) break;
    }
    return starts;
}

TEST(Pagination, PagesTileEveryBookAndAPageForwardAndBackReturns) {
    for (const char* name : kBooks) {
        SampleBook book(name);
        for (const PageSize& size : kSizes) {
            FakeLayout f(size.width, size.height);
            ASSERT_EQ(LoadHyphenPatterns(f.layout.patterns, Utf8ToUtf16(test::EnPatFolder())), 1);
            SCOPED_TRACE(std::string(name) + " " + std::to_string(size.width) + "x" +
                         std::to_string(size.height));
            const std::vector<int32_t> starts = WalkForward(f, *book.doc);
            EXPECT_EQ(book.doc->pageEnd, DocLength(*book.doc));
            EXPECT_DOUBLE_EQ(PercentRead(*book.doc), 100.0);
            // Forty pages spread over the book keep the sanitizer build quick.
            const size_t stride = std::max<size_t>(1, starts.size() / 40);
            for (size_t i = 1; i < starts.size(); i += stride) {
                book.doc->pageStart = starts[i - 1];
                Refresh(f.layout, *book.doc);
                NextPage(f.layout, *book.doc, 1);
                ASSERT_EQ(book.doc->pageStart, starts[i]);
                PreviousPage(f.layout, *book.doc);
                ASSERT_EQ(book.doc->pageStart, starts[i - 1]) << "back from page " << i;
            }
            // Backwards, from pages spread over the book down to the start.
            book.doc->pageStart = starts.back();
            Refresh(f.layout, *book.doc);
            for (size_t i = starts.size() - 1; i > 0; i -= std::min(i, stride)) {
                book.doc->pageStart = starts[i];
                Refresh(f.layout, *book.doc);
                PreviousPage(f.layout, *book.doc);
                ASSERT_EQ(book.doc->pageStart, starts[i - 1]);
            }
        }
    }
}

TEST(Pagination, TheFirstLineStartsAtPageStartAnywhere) {
    SampleBook book("ru-story.fb2");
    FakeLayout f(300, 200);
    Document& doc = *book.doc;
    for (int32_t pos = 0; pos < DocLength(doc); pos += 97) {
        LayoutPage(f.layout, doc, pos);
        const LineRecord& first = f.layout.pageLines[0];
        ASSERT_EQ(first.start, pos);
        // In the middle of a paragraph the line has no indent.
        if (GetChar(doc, pos) > 32 && GetChar(doc, pos - 1) > 32) {
            EXPECT_EQ(first.flags & kParaStart, 0u) << pos;
            EXPECT_NE(first.text.substr(0, 3), u"   ") << pos;
        }
    }
}

TEST(Pagination, TheBackwardScanStaysInsideTheBookAndItsTwoBlocks) {
    SampleBook book("ru-story.fb2");
    Document& doc = *book.doc;
    for (int32_t p = 0; p <= DocLength(doc) + 5; ++p) {
        const int32_t q = BackwardScan(doc, p);
        ASSERT_GE(q, 0);
        ASSERT_LE(q, std::max(p - 1, 0));
        ASSERT_GE(q, ((p >> kBlockShift) - 2) * kBlockUnits);
    }
    // A book without marks: the scan stops two blocks back, at a block's first position.
    MemoryBook plain(std::u16string(5 * kBlockUnits, u'z'));
    EXPECT_EQ(BackwardScan(*plain, 4 * kBlockUnits + 100), 2 * kBlockUnits);
    EXPECT_EQ(BackwardScan(*plain, 4 * kBlockUnits), 2 * kBlockUnits);
    EXPECT_EQ(BackwardScan(*plain, 1000), 0);
}

TEST(Pagination, BackwardsWithoutAnyMarkLaysOutFromTheStart) {
    std::u16string text;
    for (int i = 0; i < 120; ++i)
        text += u"word" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u' ';
    MemoryBook book(text);
    FakeLayout f(100, 28);  // two lines of ten units
    const std::vector<int32_t> starts = WalkForward(f, *book);
    ASSERT_GT(starts.size(), 20u);
    for (size_t i = starts.size() - 1; i > 0; --i) {
        book.doc->pageStart = starts[i];
        Refresh(f.layout, *book);
        PreviousPage(f.layout, *book);
        ASSERT_EQ(book.doc->pageStart, starts[i - 1]);
        // The line above the page is the page's own second line laid out before it.
        book.doc->pageStart = starts[i];
        EXPECT_EQ(PreviousLineStart(f.layout, *book), f.layout.pageLines[1].start);
    }
}

TEST(Pagination, LinesPerPageAndTheLineInterval) {
    MemoryBook book(
        u"\x0b"
        u"one two three four five six seven eight nine ten");
    FakeLayout f(50, 100);  // font height 14
    LayoutPage(f.layout, *book, 0);
    EXPECT_EQ(f.layout.linesPerPage, 7);
    EXPECT_EQ(f.layout.pageLines.size(), 8u);
    // Pitch 10: nine lines would need 8 × 10 + 14 = 94 pixels.
    f.settings.lineIl[0] = -4;
    f.layout.textRect.bottom = 95;
    LayoutPage(f.layout, *book, 0);
    EXPECT_EQ(f.layout.linesPerPage, 9);
    f.layout.textRect.bottom = 93;
    LayoutPage(f.layout, *book, 0);
    EXPECT_EQ(f.layout.linesPerPage, 8);
    // The pitch is kept between 1 and 4 × the font height, and the interval stored back.
    f.settings.lineIl[0] = -20;
    LayoutPage(f.layout, *book, 0);
    EXPECT_EQ(f.settings.lineIl[0], -13);
    EXPECT_EQ(LinePitch(f.layout), 1);
    EXPECT_EQ(f.layout.linesPerPage, 80);
    f.settings.lineIl[0] = 50;
    LayoutPage(f.layout, *book, 0);
    EXPECT_EQ(f.settings.lineIl[0], 42);
    // Room for less than one line still lays out one.
    f.settings.lineIl[0] = 0;
    f.layout.textRect.bottom = 5;
    LayoutPage(f.layout, *book, 0);
    EXPECT_EQ(f.layout.linesPerPage, 1);
    f.layout.textRect.bottom = -50;
    LayoutPage(f.layout, *book, 0);
    EXPECT_EQ(f.layout.linesPerPage, 1);
}

TEST(Pagination, BlankAndStarLinesBecomeCentredParagraphs) {
    MemoryBook book(
        u"\x0a"
        u"* * *\x0a\x0a"
        u"text");
    FakeLayout f(200, 60);
    LayoutPage(f.layout, *book, 0);
    const uint32_t centred = kStyleTitle | kParaEnd | kParaStart;
    EXPECT_EQ(f.layout.pageLines[0].flags, centred);  // the empty line of the first mark
    EXPECT_EQ(f.layout.pageLines[1].text, u"   * * *");
    EXPECT_EQ(f.layout.pageLines[1].flags, centred);
    EXPECT_EQ(f.layout.pageLines[2].flags, centred);
    EXPECT_EQ(f.layout.pageLines[3].flags, kStyleBody | kParaStart);
}

TEST(Pagination, KeepingOneLineAndTheOneLinePage) {
    SampleBook book("en-story.html");
    Document& doc = *book.doc;
    FakeLayout f(300, 140);
    // A page start that the continuous layout from the book's start passes through.
    const int32_t start = WalkForward(f, doc).at(5);
    f.settings.keepOneItem = 1;
    doc.pageStart = start;
    Refresh(f.layout, doc);
    const int32_t lastLine = f.layout.pageLines[f.layout.linesPerPage - 1].start;
    NextPage(f.layout, doc, 1);
    EXPECT_EQ(doc.pageStart, lastLine);
    PreviousPage(f.layout, doc);
    EXPECT_EQ(doc.pageStart, start);
    // One line a page, that line kept: neither move goes anywhere.
    f.layout.textRect.bottom = 14;
    Refresh(f.layout, doc);
    ASSERT_EQ(f.layout.linesPerPage, 1);
    NextPage(f.layout, doc, 1);
    EXPECT_EQ(doc.pageStart, start);
    PreviousPage(f.layout, doc);
    EXPECT_EQ(doc.pageStart, start);
}

TEST(Pagination, LinesMovesHistoryAndTheEnd) {
    SampleBook book("ru-story.txt");
    Document& doc = *book.doc;
    FakeLayout f(300, 140);
    const int32_t start = WalkForward(f, doc).at(10);
    doc.historyIndex = 2;
    doc.pageStart = start;
    Refresh(f.layout, doc);
    const int32_t second = f.layout.pageLines[1].start;
    NextLine(f.layout, doc, 1);
    EXPECT_EQ(doc.pageStart, second);
    EXPECT_EQ(doc.history[2], second);
    PreviousLine(f.layout, doc);
    EXPECT_EQ(doc.pageStart, start);
    EXPECT_EQ(doc.history[2], start);
    EXPECT_EQ(doc.history[1], -1);  // moves replace the current entry, they add none
    // The forward moves stop on the last character.
    doc.pageStart = DocLength(doc) - 3;
    Refresh(f.layout, doc);
    NextPage(f.layout, doc, 1);
    EXPECT_EQ(doc.pageStart, DocLength(doc) - 1);
    NextLine(f.layout, doc, 1);
    EXPECT_EQ(doc.pageStart, DocLength(doc) - 1);
    // And the backward ones on the first.
    doc.pageStart = 0;
    PreviousLine(f.layout, doc);
    EXPECT_EQ(doc.pageStart, 0);
    PreviousPage(f.layout, doc);
    EXPECT_EQ(doc.pageStart, 0);
}

TEST(Pagination, WhileAutoscrollingThePageKeysChangeTheSpeed) {
    MemoryBook book(std::u16string(3000, u'q'));
    FakeLayout f(100, 140);
    int faster = 0, slower = 0, painted = 0;
    struct Counters {
        int* faster;
        int* slower;
        int* painted;
    } counters{&faster, &slower, &painted};
    f.layout.hooks.context = &counters;
    f.layout.hooks.autoscrollFaster = [](void* c) { ++*static_cast<Counters*>(c)->faster; };
    f.layout.hooks.autoscrollSlower = [](void* c) { ++*static_cast<Counters*>(c)->slower; };
    f.layout.hooks.afterLayout = [](void* c) { ++*static_cast<Counters*>(c)->painted; };
    book.doc->pageStart = 1000;
    Refresh(f.layout, *book);
    EXPECT_EQ(painted, 1);
    f.layout.autoscrolling = 1;
    NextPage(f.layout, *book, 1);
    PreviousPage(f.layout, *book);
    NextLine(f.layout, *book, 1);
    PreviousLine(f.layout, *book);
    EXPECT_EQ(book.doc->pageStart, 1000);
    EXPECT_EQ(faster, 1);
    EXPECT_EQ(slower, 1);
    EXPECT_EQ(painted, 1);
    // The autoscroller's own page step moves.
    NextPage(f.layout, *book, 0);
    EXPECT_EQ(book.doc->pageStart, 1100);
    EXPECT_EQ(painted, 2);
}

TEST(Pagination, ProgressAndPageNumbers) {
    MemoryBook book(std::u16string(5000, u'x'));
    Document& doc = *book;
    doc.pageEnd = 1000;
    EXPECT_DOUBLE_EQ(PercentRead(doc), 20.0);
    EXPECT_EQ(CurrentPageNumber(doc), 0);
    EXPECT_EQ(PageCount(doc), 4);
    doc.pageStart = 2048;
    EXPECT_EQ(CurrentPageNumber(doc), 2);
    MemoryBook empty(u"");
    EXPECT_DOUBLE_EQ(PercentRead(*empty), 0.0);
}

}  // namespace
}  // namespace lectra
