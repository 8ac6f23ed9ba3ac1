// Benchmarks of the library's catalogue on the collection that bench/run_library.sh makes and
// scans at run time: a search by a word of an author's name, and the first page of the whole
// catalogue by title and by author. The database comes in LECTRA_BENCH_LIBRARY.
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

// A page deep in the list, as scrolling to the middle asks for.
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

}  // namespace

BENCHMARK_MAIN();
