// Layout latency on the real Qt fonts (a 480 × 640 page, 14-pixel DejaVu Sans, the Russian
// sample) with hyphenation on and off, End then Page Up in books of many nested sections, and
// hyphenation throughput over a word list.
// The word list is the file named by LECTRA_BENCH_WORDS (one word a line; bench/run_layout.sh
// makes it and times python3-pyphen on the same list in the same run).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench_settings.h"
#include "document/document.h"
#include "document/encoding.h"
#include "document/open_book.h"
#include "document/text_cache.h"
#include "layout/hyphen_patterns.h"
#include "layout/hyphenate.h"
#include "layout/layout_fonts.h"
#include "layout/page_geometry.h"
#include "layout/pagination.h"
#include "platform/qt/gui_platform.h"
#include "platform/qt/qt_draw.h"
#include "platform/sys/utf.h"

using namespace lectra;

namespace {

// One open book and one layout for every benchmark; the page starts of a forward walk through it.
struct Reader {
    std::unique_ptr<Document> doc = NewDocument();
    Settings settings;
    Layout layout;
    std::vector<int32_t> pageStarts;

    Reader() {
        StartGuiPlatform();
        bench::LoadBenchSettings(settings);
        layout.draw = &QtDrawServices();
        layout.settings = &settings;
        CreateLayoutFont(layout, 0, 480);
        CreateLayoutFont(layout, 1, 480);
        LoadHyphenPatterns(layout.patterns, Utf8ToUtf16(LECTRA_EN_PAT_FOLDER));
        layout.geometry =
            ComputePageGeometry(settings, 480, 640, 480, layout.fonts.statusFontHeight, 0);
        OpenRequest request;
        const std::u16string path = Utf8ToUtf16(LECTRA_SAMPLES "/ru-story.fb2");
        OpenBook(*doc, path.c_str(), 0, request);
        Walk();
    }
    void Walk() {
        pageStarts.clear();
        doc->pageStart = 0;
        LayoutPage(layout, *doc, doc->pageStart);
        while (pageStarts.empty() || pageStarts.back() != doc->pageStart) {
            pageStarts.push_back(doc->pageStart);
            if (doc->pageEnd >= DocLength(*doc)) break;
            if (NextPage(layout, *doc)) LayoutPage(layout, *doc, doc->pageStart);
        }
    }
};

Reader& TheReader() {
    static Reader reader;
    return reader;
}

void SetHyphen(Reader& r, int on) {
    if (r.settings.hyphen != on) {
        r.settings.hyphen = on;
        r.Walk();
    }
}

void BM_LayoutPage(benchmark::State& state) {
    Reader& r = TheReader();
    SetHyphen(r, static_cast<int>(state.range(0)));
    size_t i = 0;
    for (auto _ : state) {
        LayoutPage(r.layout, *r.doc, r.pageStarts[i++ % r.pageStarts.size()]);
        benchmark::DoNotOptimize(r.doc->pageEnd);
    }
    state.counters["pages"] = static_cast<double>(r.pageStarts.size());
}

void BM_NextPage(benchmark::State& state) {
    Reader& r = TheReader();
    SetHyphen(r, static_cast<int>(state.range(0)));
    size_t i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        r.doc->pageStart = r.pageStarts[i++ % (r.pageStarts.size() - 1)];
        LayoutPage(r.layout, *r.doc, r.doc->pageStart);
        state.ResumeTiming();
        if (NextPage(r.layout, *r.doc)) LayoutPage(r.layout, *r.doc, r.doc->pageStart);
    }
}

void BM_PreviousPage(benchmark::State& state) {
    Reader& r = TheReader();
    SetHyphen(r, static_cast<int>(state.range(0)));
    size_t i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        r.doc->pageStart = r.pageStarts[1 + i++ % (r.pageStarts.size() - 1)];
        LayoutPage(r.layout, *r.doc, r.doc->pageStart);
        state.ResumeTiming();
        if (PreviousPage(r.layout, *r.doc)) LayoutPage(r.layout, *r.doc, r.doc->pageStart);
    }
}

// An FB2 of `sections` nested sections, each opened with a title paragraph of its number, written
// to a temporary file: its stream ends with a run of one space for each closing tag, which the
// backward move from the end has to cross.
std::string NestedSectionsBook(int sections) {
    const std::string path = "/tmp/lectra-bench-nested-" + std::to_string(sections) + "-" +
                             std::to_string(getpid()) + ".fb2";
    std::ofstream out(path, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<FictionBook><body>";
    for (int i = 0; i < sections; ++i) out << "<section><title><p>" << i << "</p></title>";
    for (int i = 0; i < sections; ++i) out << "</section>";
    out << "</body></FictionBook>\n";
    return path;
}

// End then Page Up, as the reader's End did it (the page start at the last character) and as the
// last full page gives it, in books of 10,000 and 100,000 nested sections with the open of the
// book, whose indexing pass is linear in the book: 100,000 sections take about 10 times as long as
// 10,000, where a move back that lays out the rest of the book again makes it about 100. Without
// the open, at 100,000 and 1,000,000 sections, whose white space at the end covers a page and
// more: the moves cost a page of it, whatever its length.
void BM_EndThenPageUp(benchmark::State& state) {
    Reader& r = TheReader();
    SetHyphen(r, 1);
    const int sections = static_cast<int>(state.range(0));
    const bool withOpen = state.range(1) != 0;
    const std::string path = NestedSectionsBook(sections);
    const std::u16string book = Utf8ToUtf16(path);
    auto doc = NewDocument();
    OpenRequest request;
    if (!OpenBook(*doc, book.c_str(), 0, request)) state.SkipWithError("open failed");
    for (auto _ : state) {
        if (withOpen) {
            CloseDocument(*doc);
            doc = NewDocument();
            if (!OpenBook(*doc, book.c_str(), 0, request)) {
                state.SkipWithError("open failed");
                break;
            }
        }
        doc->pageStart = std::max(DocLength(*doc) - 1, 0);
        LayoutPage(r.layout, *doc, doc->pageStart);
        if (PreviousPage(r.layout, *doc)) LayoutPage(r.layout, *doc, doc->pageStart);
        doc->pageStart = ClampToLastPage(r.layout, *doc, DocLength(*doc));
        LayoutPage(r.layout, *doc, doc->pageStart);
        if (PreviousPage(r.layout, *doc)) LayoutPage(r.layout, *doc, doc->pageStart);
        benchmark::DoNotOptimize(doc->pageStart);
    }
    state.counters["units"] = static_cast<double>(DocLength(*doc));
    CloseDocument(*doc);
    std::remove(path.c_str());
}

void BM_HyphenateWords(benchmark::State& state) {
    Reader& r = TheReader();
    std::vector<std::u16string> words;
    if (const char* list = std::getenv("LECTRA_BENCH_WORDS")) {
        std::ifstream in(list);
        for (std::string w; std::getline(in, w);) {
            if (!w.empty()) words.push_back(Utf8ToUtf16(w));
        }
    }
    if (words.empty()) {
        state.SkipWithError("set LECTRA_BENCH_WORDS to a word list (bench/run_layout.sh does)");
        return;
    }
    HyphenWork work;
    for (auto _ : state) {
        for (const std::u16string& w : words) {
            SetHyphenationWord(work, w.data(), static_cast<int>(w.size()));
            HyphenateWord(work, r.layout.patterns, 1, 1);
            benchmark::DoNotOptimize(work.marks);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * words.size()));
}

}  // namespace

BENCHMARK(BM_LayoutPage)->Arg(1)->Arg(0)->ArgName("hyphen")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NextPage)->Arg(1)->Arg(0)->ArgName("hyphen")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviousPage)->Arg(1)->Arg(0)->ArgName("hyphen")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EndThenPageUp)
    ->Args({10000, 1})
    ->Args({100000, 1})
    ->Args({100000, 0})
    ->Args({1000000, 0})
    ->ArgNames({"sections", "open"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HyphenateWords)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
