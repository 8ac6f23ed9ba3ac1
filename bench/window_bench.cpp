// Key press to repainted window, through the reader's own window procedure on the platform it
// runs on (offscreen or a real display): 500 presses each of Down, Up, Right and Left on a book,
// median and 95th percentile in milliseconds, and the resident memory with the book open.
//
//   window_bench BOOK WIDTH HEIGHT FULLSCREEN(0|1) [PRESSES]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "document/text_cache.h"
#include "platform/sys/program_folder.h"
#include "platform/sys/utf.h"
#include "platform/qt/qt_draw.h"
#include "platform/window.h"
#include "shell/app.h"

using namespace lectra;

namespace {

long ResidentKb() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fputs("usage: window_bench BOOK WIDTH HEIGHT FULLSCREEN [PRESSES]\n", stderr);
        return 2;
    }
    const std::string book = argv[1];
    const int width = std::atoi(argv[2]), height = std::atoi(argv[3]);
    const int fullScreen = std::atoi(argv[4]);
    const int presses = argc > 5 ? std::atoi(argv[5]) : 500;
    char home[] = "/tmp/lectra-bench-XXXXXX";
    if (!mkdtemp(home)) return 1;
    std::ofstream(std::string(home) + "/_config.ini", std::ios::binary)
        << "FONT_FACE_TEXT=DejaVu Sans\r\nFONT_FACE_STATUS=DejaVu Sans\r\nWINDOW_WIDTH=" << width
        << "\r\nWINDOW_HEIGHT=" << height << "\r\nSTART_IN_FULLSCREEN=" << fullScreen << "\r\n#";
    if (!StartWindowPlatform()) return 1;
    auto app = std::make_unique<App>();
    app->host.draw = &QtDrawServices();
    InitApp(*app, Utf8ToUtf16(home), ExecutableFolder() + u"/../src/app");
    if (!CreateAppWindow(*app)) return 1;
    OpenStartupBook(*app, PathFromBytes(book));
    if (!app->bookOpen) return 1;
    std::printf("%s %dx%d%s: %d characters, resident %.1f MB\n", book.c_str(), width, height,
                fullScreen ? " full screen" : "", DocLength(*app->doc), ResidentKb() / 1024.0);
    const struct {
        uint32_t key;
        const char* name;
    } keys[] = {{0x28, "Down (next page)"},
                {0x26, "Up (previous page)"},
                {0x27, "Right (next line)"},
                {0x25, "Left (previous line)"}};
    for (const auto& k : keys) {
        std::vector<double> ms;
        for (int i = 0; i < presses; ++i) {
            const auto t0 = std::chrono::steady_clock::now();
            MainWindowProc(app.get(), kMsgKeyDown, k.key, 0);
            const auto t1 = std::chrono::steady_clock::now();
            MainWindowProc(app.get(), kMsgKeyUp, k.key, 0);
            ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        }
        std::sort(ms.begin(), ms.end());
        std::printf("  %-22s median %6.2f ms   p95 %6.2f ms   (%d presses)\n", k.name,
                    ms[ms.size() / 2], ms[ms.size() * 95 / 100], presses);
    }
    std::printf("  resident after the presses: %.1f MB\n", ResidentKb() / 1024.0);
    DestroyMainWindow();
    Shutdown(*app);
    std::system((std::string("rm -rf '") + home + "'").c_str());
    return 0;
}
