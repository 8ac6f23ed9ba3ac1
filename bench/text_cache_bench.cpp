// Benchmarks of the document store on generated books: indexing throughput of 100 MB of text and
// of a 20 MB FictionBook, sequential and random GetChar.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "document/document.h"
#include "document/open_book.h"
#include "document/text_cache.h"
#include "platform/sys/utf.h"

using namespace lectra;

namespace {

constexpr size_t kBookBytes = 100u << 20;

// A book of `kBookBytes` made by repeating the Russian sample, in windows-1251 or as UTF-8.
const std::string& BookPath(bool utf8) {
    static std::string paths[2];
    std::string& path = paths[utf8];
    if (!path.empty()) return path;
    std::ifstream in(std::string(LECTRA_SAMPLES) + "/ru-story.txt", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    std::string unit = s.str();
    if (utf8) {
        // windows-1251 Cyrillic to UTF-8, enough for the sample's letters and punctuation.
        std::u16string wide;
        for (unsigned char c : unit) {
            if (c < 0x80)
                wide += c;
            else if (c >= 0xC0)
                wide += static_cast<char16_t>(0x410 + (c - 0xC0));
            else if (c == 0xA8)
                wide += u'\u0401';
            else if (c == 0xB8)
                wide += u'\u0451';
            else if (c == 0x97)
                wide += u'\u2014';
            else if (c == 0xAB)
                wide += u'\u00AB';
            else if (c == 0xBB)
                wide += u'\u00BB';
            else
                wide += u'?';
        }
        unit = Utf16ToUtf8(wide);
    }
    path = std::string("/tmp/lectra-bench-") + (utf8 ? "utf8" : "cp1251") + "-" +
           std::to_string(getpid()) + ".txt";
    std::ofstream out(path, std::ios::binary);
    for (size_t written = 0; written < kBookBytes; written += unit.size()) out << unit;
    return path;
}

// A FictionBook of about 20 MB: the sample's sections repeated inside one body, so that the open
// meets a title every few kilobytes, as in a novel of many short chapters.
const std::string& Fb2Path() {
    static std::string path;
    if (!path.empty()) return path;
    std::ifstream in(std::string(LECTRA_SAMPLES) + "/ru-story.fb2", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    const std::string book = s.str();
    const size_t first = book.find("<section>");
    const size_t last = book.find("</body>");
    const std::string head = book.substr(0, first);
    const std::string sections = book.substr(first, last - first);
    path = "/tmp/lectra-bench-fb2-" + std::to_string(getpid()) + ".fb2";
    std::ofstream out(path, std::ios::binary);
    out << head;
    for (size_t written = head.size(); written < (20u << 20); written += sections.size())
        out << sections;
    out << book.substr(last);
    return path;
}

void OpenBookOrDie(Document& doc, const std::string& path, benchmark::State& state) {
    const std::u16string p = Utf8ToUtf16(path);
    if (!OpenBook(doc, p.c_str(), 0, OpenRequest{})) state.SkipWithError("open failed");
}

void BM_OpenAndIndex(benchmark::State& state) {
    const bool utf8 = state.range(0);
    const std::string& path = BookPath(utf8);
    auto doc = NewDocument();
    for (auto _ : state) OpenBookOrDie(*doc, path, state);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * doc->sourceSize);
    state.SetLabel(utf8 ? "UTF-8" : "windows-1251");
}
BENCHMARK(BM_OpenAndIndex)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_OpenFb2(benchmark::State& state) {
    auto doc = NewDocument();
    for (auto _ : state) OpenBookOrDie(*doc, Fb2Path(), state);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * doc->sourceSize);
}
BENCHMARK(BM_OpenFb2)->Unit(benchmark::kMillisecond);

void BM_SequentialGetChar(benchmark::State& state) {
    const bool utf8 = state.range(0);
    auto doc = NewDocument();
    OpenBookOrDie(*doc, BookPath(utf8), state);
    for (auto _ : state) {
        uint32_t sum = 0;
        for (int32_t i = 0, n = DocLength(*doc); i < n; ++i) sum += GetChar(*doc, i);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * DocLength(*doc));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * doc->sourceSize);
    state.SetLabel(utf8 ? "UTF-8" : "windows-1251");
}
BENCHMARK(BM_SequentialGetChar)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A random position almost always misses the 16 resident blocks: the cost of one block decode.
void BM_RandomGetChar(benchmark::State& state) {
    const bool utf8 = state.range(0);
    auto doc = NewDocument();
    OpenBookOrDie(*doc, BookPath(utf8), state);
    std::mt19937 rng(42);
    const int32_t n = DocLength(*doc);
    for (auto _ : state) benchmark::DoNotOptimize(GetChar(*doc, static_cast<int32_t>(rng() % n)));
    state.SetLabel(utf8 ? "UTF-8" : "windows-1251");
}
BENCHMARK(BM_RandomGetChar)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (bool utf8 : {false, true}) ::unlink(BookPath(utf8).c_str());
    ::unlink(Fb2Path().c_str());
    return 0;
}
