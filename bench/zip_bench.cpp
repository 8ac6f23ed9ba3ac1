// Benchmarks of the ZIP and EPUB readers on books that bench/run_zip.sh makes at run time: the
// open of a 50 MB windows-1251 book inside a ZIP and of an EPUB of 500 spine items, and the worst
// random GetChar into the ZIP book. The paths come in LECTRA_BENCH_ZIP and LECTRA_BENCH_EPUB.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "document/document.h"
#include "document/formats/zip_reader.h"
#include "document/open_book.h"
#include "document/text_cache.h"
#include "platform/sys/utf.h"

using namespace lectra;

namespace {

void BM_Open(benchmark::State& state, const char* env) {
    auto doc = NewDocument();
    for (auto _ : state) {
        if (!bench::OpenOrSkip(*doc, bench::Env(env, state), state)) break;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * doc->sourceSize);
    CloseDocument(*doc);
}
BENCHMARK_CAPTURE(BM_Open, zip_50MB, "LECTRA_BENCH_ZIP")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Open, epub_500_items, "LECTRA_BENCH_EPUB")->Unit(benchmark::kMillisecond);

// The worst random GetChar: the last block before each access point (nearly a whole span to
// inflate), visited from the end backwards so that neither the caches nor the kept inflater help.
void BM_ZipWorstGetChar(benchmark::State& state) {
    auto doc = NewDocument();
    if (!bench::OpenOrSkip(*doc, bench::Env("LECTRA_BENCH_ZIP", state), state)) return;
    bench::WorstGetChar(state, *doc, ZipOf(*doc)->items[0].index.points);
    CloseDocument(*doc);
}
BENCHMARK(BM_ZipWorstGetChar)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
