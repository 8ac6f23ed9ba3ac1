// What the benchmarks of the document store share: the book named by an environment variable,
// opened or the benchmark skipped, and the worst random GetChar of a book read through access
// points.
#pragma once
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/formats/gz_index.h"
#include "document/open_book.h"
#include "document/text_cache.h"
#include "platform/sys/utf.h"

namespace lectra::bench {

// The path in the environment variable `name`; the benchmark is skipped when it is not set.
inline std::string Env(const char* name, benchmark::State& state) {
    const char* v = std::getenv(name);
    if (!v || !*v) state.SkipWithError("book not given; run the benchmark's script in bench/");
    return v ? v : "";
}

inline bool OpenOrSkip(Document& doc, const std::string& path, benchmark::State& state,
                       int codePage = kCodePageAuto) {
    const std::u16string p = Utf8ToUtf16(path);
    OpenRequest request;
    request.codePageSetting = codePage;
    if (path.empty() || !OpenBook(doc, p.c_str(), 0, request)) {
        state.SkipWithError("open failed");
        return false;
    }
    return true;
}

// The last character before each access point (nearly a whole span to inflate), visited from the
// end backwards so that neither the caches nor the kept inflater help.
inline void WorstGetChar(benchmark::State& state, Document& doc,
                         const std::vector<GzAccessPoint>& points) {
    std::vector<int32_t> positions;
    for (size_t k = points.size(); k-- > 1;)
        positions.push_back(static_cast<int32_t>(points[k].out) - 1);
    if (positions.size() < 20) {
        state.SkipWithError("too few access points");
        return;
    }
    size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetChar(doc, positions[k]));
        k = (k + 1) % positions.size();
    }
    state.counters["points"] = static_cast<double>(points.size());
}

}  // namespace lectra::bench
