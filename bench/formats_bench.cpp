// Benchmarks of the container readers and the exports on books that bench/run_formats.sh makes at
// run time: opening a 50 MB gzip book and reading it through, the worst random GetChar into it,
// opening 20 MB PalmDOC and TCR books and producing their raw blocks, exporting 20 MB as TXT and
// PDB. The books' paths come in the environment (LECTRA_BENCH_GZ, _PDB, _TCR, _TXT).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "document/document.h"
#include "document/formats/book_export.h"
#include "document/formats/gz_reader.h"
#include "document/formats/pdb_reader.h"
#include "document/formats/tcr_reader.h"
#include "document/open_book.h"
#include "document/text_cache.h"
#include "platform/sys/utf.h"

using namespace lectra;

namespace {

using bench::Env;

bool OpenOrSkip(Document& doc, const std::string& path, benchmark::State& state) {
    return bench::OpenOrSkip(doc, path, state, 1251);
}

void BM_Open(benchmark::State& state, const char* env) {
    const std::string path = Env(env, state);
    auto doc = NewDocument();
    for (auto _ : state) {
        if (!OpenOrSkip(*doc, path, state)) break;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * doc->sourceSize);
    CloseDocument(*doc);
}
BENCHMARK_CAPTURE(BM_Open, gz_50MB, "LECTRA_BENCH_GZ")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Open, palmdoc_20MB, "LECTRA_BENCH_PDB")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Open, tcr_20MB, "LECTRA_BENCH_TCR")->Unit(benchmark::kMillisecond);

// Every GetChar of the gzip book, in order, on a freshly opened book.
void BM_GzSequentialGetChar(benchmark::State& state) {
    const std::string path = Env("LECTRA_BENCH_GZ", state);
    auto doc = NewDocument();
    for (auto _ : state) {
        state.PauseTiming();
        const bool ok = OpenOrSkip(*doc, path, state);
        state.ResumeTiming();
        if (!ok) break;
        uint32_t sum = 0;
        for (int32_t i = 0, n = DocLength(*doc); i < n; ++i) sum += GetChar(*doc, i);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * doc->sourceSize);
    CloseDocument(*doc);
}
BENCHMARK(BM_GzSequentialGetChar)->Unit(benchmark::kMillisecond);

// The worst random GetChar: the last block before each access point (nearly a whole span to
// inflate), visited from the end of the book backwards so that neither the caches nor the kept
// inflater can help.
void BM_GzWorstGetChar(benchmark::State& state) {
    const std::string path = Env("LECTRA_BENCH_GZ", state);
    auto doc = NewDocument();
    if (!OpenOrSkip(*doc, path, state)) return;
    bench::WorstGetChar(state, *doc, GzOf(*doc)->index.points);
    CloseDocument(*doc);
}
BENCHMARK(BM_GzWorstGetChar)->Unit(benchmark::kMillisecond);

// Uniformly random GetChar into the gzip book, for comparison with the worst case.
void BM_GzRandomGetChar(benchmark::State& state) {
    const std::string path = Env("LECTRA_BENCH_GZ", state);
    auto doc = NewDocument();
    if (!OpenOrSkip(*doc, path, state)) return;
    std::mt19937 rng(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(GetChar(*doc, static_cast<int32_t>(rng() % DocLength(*doc))));
    CloseDocument(*doc);
}
BENCHMARK(BM_GzRandomGetChar)->Unit(benchmark::kMillisecond);

// One raw block produced straight by the format's filler, at random offsets.
void BM_RawBlock(benchmark::State& state, const char* env) {
    const std::string path = Env(env, state);
    auto doc = NewDocument();
    if (!OpenOrSkip(*doc, path, state)) return;
    std::mt19937 rng(2);
    static uint8_t block[kRawBlockBytes];
    const bool tcr = doc->formatKind == kKindTcr;
    for (auto _ : state) {
        const uint32_t offset = static_cast<uint32_t>(rng() % doc->sourceSize);
        if (tcr) {
            ReadTcrRawBlock(*doc, offset, block);
        } else {
            ReadPdbRawBlock(*doc, offset, block);
        }
        benchmark::DoNotOptimize(block[0]);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kRawBlockBytes);
    CloseDocument(*doc);
}
BENCHMARK_CAPTURE(BM_RawBlock, palmdoc, "LECTRA_BENCH_PDB")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RawBlock, tcr, "LECTRA_BENCH_TCR")->Unit(benchmark::kMicrosecond);

void BM_Export(benchmark::State& state, int pdb) {
    const std::string path = Env("LECTRA_BENCH_TXT", state);
    auto doc = NewDocument();
    if (!OpenOrSkip(*doc, path, state)) return;
    const std::u16string out = Utf8ToUtf16(path + ".bench");
    for (auto _ : state) {
        if (!(pdb ? ExportPdb(*doc, out, 866) : ExportTxt(*doc, out, 866)))
            state.SkipWithError("export failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * doc->sourceSize);
    CloseDocument(*doc);
}
BENCHMARK_CAPTURE(BM_Export, txt_20MB, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Export, pdb_20MB, 1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
