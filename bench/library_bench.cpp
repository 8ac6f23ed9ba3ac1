// Benchmarks of the library's catalogue on the collection that bench/run_library.sh makes and
// scans at run time: a search by a word of an author's name, the first page of the whole
// catalogue by title and by author, and pages deep in it. The database comes in
// LECTRA_BENCH_LIBRARY.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "library/library_db.h"

using namespace lectra;

namespace {

constexpr int64_t kPage = 50;  // lines on a page of the library's list

bool OpenOrSkip(LibraryDb& library, benchmark::State& state) {
    const char* path = std::getenv("LECTRA_BENCH_LIBRARY");
    if (!path || !*path || OpenLibrary(library, path) != kLibraryOpened) {
        state.SkipWithError("catalogue not given; run bench/run_library.sh");
        return false;
    }
    return true;
}

// A fresh connection each time, as a window opening the library has: no cache is warm but the
// system's.
void BM_Search(benchmark::State& state, const char16_t* query) {
    size_t found = 0;
    for (auto _ : state) {
        LibraryDb library;
        if (!OpenOrSkip(library, state)) return;
        std::vector<BookRow> rows;
        SearchBooks(library, query, kPage, rows);
        found = rows.size();
        CloseLibrary(library);
    }
    state.counters["books"] = static_cast<double>(found);
}
BENCHMARK_CAPTURE(BM_Search, author_word, u"толстой")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, author_prefix, u"Кор")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, two_words, u"dickens river")->Unit(benchmark::kMillisecond);

void BM_FirstPage(benchmark::State& state, ListOrder order) {
    for (auto _ : state) {
        LibraryDb library;
        if (!OpenOrSkip(library, state)) return;
        std::vector<BookRow> rows;
        ListBooks(library, order, 0, kPage, rows);
        CloseLibrary(library);
    }
}
BENCHMARK_CAPTURE(BM_FirstPage, by_title, ListOrder::kTitle)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FirstPage, by_author, ListOrder::kAuthor)->Unit(benchmark::kMillisecond);

// A page deep in the list, as scrolling to the middle asks for: skipping the rows before it
// (OFFSET, the count included), and as the dialog pages, after the last row shown by its key.
void BM_MiddlePage(benchmark::State& state) {
    for (auto _ : state) {
        LibraryDb library;
        if (!OpenOrSkip(library, state)) return;
        std::vector<BookRow> rows;
        ListBooks(library, ListOrder::kTitle, CountBooks(library) / 2, kPage, rows);
        CloseLibrary(library);
    }
}
BENCHMARK(BM_MiddlePage)->Unit(benchmark::kMillisecond);

// `where` of the way down the list (0..1): the page after the row there, by key.
void BM_PageByKey(benchmark::State& state, ListOrder order, double where) {
    BookRow last;
    {
        LibraryDb library;
        if (!OpenOrSkip(library, state)) return;
        std::vector<BookRow> rows;
        const int64_t at = static_cast<int64_t>(static_cast<double>(CountBooks(library)) * where);
        ListBooks(library, order, at > 0 ? at - 1 : 0, 1, rows);
        CloseLibrary(library);
        if (rows.empty()) {
            state.SkipWithError("empty catalogue");
            return;
        }
        last = rows[0];
    }
    size_t found = 0;
    for (auto _ : state) {
        LibraryDb library;
        if (!OpenOrSkip(library, state)) return;
        std::vector<BookRow> rows;
        ListBooksAfter(library, order, last, kPage, rows);
        found = rows.size();
        CloseLibrary(library);
    }
    state.counters["books"] = static_cast<double>(found);
}
BENCHMARK_CAPTURE(BM_PageByKey, middle_by_title, ListOrder::kTitle, 0.5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PageByKey, middle_by_author, ListOrder::kAuthor, 0.5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PageByKey, last_by_title, ListOrder::kTitle, 0.9995)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PageByKey, middle_by_added, ListOrder::kAdded, 0.5)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
