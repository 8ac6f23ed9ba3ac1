// Pictures on a 480 × 640 page with the Qt services: the page of a 2,000 × 3,000 JPEG laid out and
// painted the first time (its base64 decoded, its header read, the picture decoded at the drawn
// size) and again from the cache; and the peak resident memory of reading page by page through a
// book of many pictures. The books are made at run time by bench/run_pictures.sh.
//
// usage: picture_bench first BOOK    (the median of 15 first paints and of 200 cached ones, in ms)
//        picture_bench through BOOK  (pages read, pictures drawn, peak resident memory in MB)
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench_settings.h"
#include "document/document.h"
#include "document/encoding.h"
#include "document/open_book.h"
#include "document/text_cache.h"
#include "layout/layout_fonts.h"
#include "layout/page_geometry.h"
#include "layout/page_paint.h"
#include "layout/pagination.h"
#include "layout/picture_blocks.h"
#include "platform/qt/gui_platform.h"
#include "platform/qt/qt_draw.h"
#include "platform/qt/qt_image.h"
#include "platform/sys/utf.h"

using namespace lectra;

namespace {

struct Reader {
    std::unique_ptr<Document> doc = NewDocument();
    Settings settings;
    Layout layout;
    PictureBlocks pictures;

    explicit Reader(const std::string& book) {
        StartGuiPlatform();
        bench::LoadBenchSettings(settings);
        layout.draw = &QtDrawServices();
        layout.settings = &settings;
        pictures.images = &QtImageServices();
        layout.pictures = &pictures;
        EnsurePageSurface(layout, 480, 640);
        CreateLayoutFont(layout, 0, 480);
        CreateLayoutFont(layout, 1, 480);
        CreateLayoutBrush(layout, 0);
        CreateLayoutBrush(layout, 1);
        layout.geometry =
            ComputePageGeometry(settings, 480, 640, 480, layout.fonts.statusFontHeight, 0);
        OpenRequest request;
        const std::u16string path = Utf8ToUtf16(book);
        if (!OpenBook(*doc, path.c_str(), 0, request)) {
            std::fprintf(stderr, "cannot open %s\n", book.c_str());
            std::exit(1);
        }
    }
    ~Reader() {
        ReleasePictures(pictures);
        ReleaseLayoutFonts(layout);
        ReleasePageSurface(layout);
        CloseDocument(*doc);
    }
    // What the window does after a move: lay the page out and paint it.
    void Show() {
        LayoutPage(layout, *doc, doc->pageStart);
        PaintPage(layout, doc.get());
    }
};

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The thread's own processor time: on a machine shared with other work the wall time of one paint
// says more of the others than of the paint.
double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int First(const std::string& book) {
    Reader r(book);
    // The page that shows the book's last picture (the big one; the first is a small cover).
    if (r.doc->pictures.anchors.empty()) return 1;
    const int32_t big = r.doc->pictures.anchors.back().source;
    r.doc->pageStart = 0;
    for (r.Show();;) {
        const auto& shown = r.pictures.shown;
        if (std::any_of(shown.begin(), shown.end(),
                        [&](const PictureBlocks::Shown& s) { return s.source == big; }))
            break;
        if (!NextPage(r.layout, *r.doc)) return 1;
        r.Show();
    }
    std::vector<double> first, cached, firstCpu, cachedCpu;
    for (int i = 0; i < 15; ++i) {
        // Nothing known of the picture: neither its size nor its decoded pixels.
        ReleasePictures(r.pictures);
        for (PictureSource& s : r.doc->pictures.sources) s.sized = 0;
        const double cpu = CpuMs();
        const auto start = std::chrono::steady_clock::now();
        r.Show();
        first.push_back(Ms(std::chrono::steady_clock::now() - start));
        firstCpu.push_back(CpuMs() - cpu);
    }
    for (int i = 0; i < 200; ++i) {
        const double cpu = CpuMs();
        const auto start = std::chrono::steady_clock::now();
        r.Show();
        cached.push_back(Ms(std::chrono::steady_clock::now() - start));
        cachedCpu.push_back(CpuMs() - cpu);
    }
    int drawn = 0;
    for (const PictureBlocks::Entry& e : r.pictures.cache) {
        if (e.source == big && e.image) {
            ++drawn;
            std::printf("drawn at %d x %d\n", e.width, e.height);
        }
    }
    std::printf("page with the picture, first time: %.2f ms median of %zu (processor %.2f ms)\n",
                Median(first), first.size(), Median(firstCpu));
    std::printf("page with the picture, cached: %.3f ms median of %zu (processor %.3f ms)\n",
                Median(cached), cached.size(), Median(cachedCpu));
    return drawn > 0 ? 0 : 1;
}

int Through(const std::string& book) {
    Reader r(book);
    int pages = 0;
    size_t most = 0;
    r.doc->pageStart = 0;
    r.Show();
    for (;;) {
        ++pages;
        most = std::max(most, r.pictures.cacheBytes);
        if (!NextPage(r.layout, *r.doc)) break;
        r.Show();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("pages read: %d, pictures: %zu, cache at most %.1f MB\n", pages,
                r.doc->pictures.anchors.size(), static_cast<double>(most) / (1 << 20));
    std::printf("peak resident memory: %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: picture_bench first|through BOOK\n");
        return 2;
    }
    if (!std::strcmp(argv[1], "first")) return First(argv[2]);
    if (!std::strcmp(argv[1], "through")) return Through(argv[2]);
    return 2;
}
