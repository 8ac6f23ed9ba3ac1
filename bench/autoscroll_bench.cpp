// Smooth autoscrolling in the reader's own window on the platform it runs on (offscreen or a real
// display): the timer messages handled per second against those the timer asks for, the longest
// gap between two, and the CPU time of the process (both threads) while it scrolls.
//
//   autoscroll_bench BOOK WIDTH HEIGHT FULLSCREEN(0|1) ASW_TIME [SECONDS]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "layout/pagination.h"
#include "platform/sys/program_folder.h"
#include "platform/sys/utf.h"
#include "platform/qt/qt_draw.h"
#include "platform/window.h"
#include "shell/app.h"

using namespace lectra;
using Clock = std::chrono::steady_clock;

namespace {

std::vector<Clock::time_point> ticks;
Clock::time_point endAt;

// User plus system time of the whole process, in seconds.
double CpuSeconds() {
    std::ifstream in("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The fields after the command's closing parenthesis; utime and stime are the 12th and 13th.
    std::istringstream rest(stat.substr(stat.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 1; i <= 13 && rest >> field; ++i) {
        if (i == 12) utime = std::stoull(field);
        if (i == 13) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The window's timer handler asks for the tick count once per message: each ask is a frame.
uint32_t CountingTick() {
    const Clock::time_point now = Clock::now();
    ticks.push_back(now);
    if (now >= endAt) PostQuit(0);
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fputs("usage: autoscroll_bench BOOK WIDTH HEIGHT FULLSCREEN ASW_TIME [SECONDS]\n",
                   stderr);
        return 2;
    }
    const std::string book = argv[1];
    const int width = std::atoi(argv[2]), height = std::atoi(argv[3]);
    const int fullScreen = std::atoi(argv[4]), time = std::atoi(argv[5]);
    const double seconds = argc > 6 ? std::atof(argv[6]) : 5.0;
    char home[] = "/tmp/lectra-bench-XXXXXX";
    if (!mkdtemp(home)) return 1;
    std::ofstream(std::string(home) + "/_config.ini", std::ios::binary)
        << "FONT_FACE_TEXT=DejaVu Sans\r\nFONT_FACE_STATUS=DejaVu Sans\r\nWINDOW_WIDTH=" << width
        << "\r\nWINDOW_HEIGHT=" << height << "\r\nSTART_IN_FULLSCREEN=" << fullScreen
        << "\r\nASW_MODE=2\r\nASW_TIME=" << time << "\r\n#";
    if (!StartWindowPlatform()) return 1;
    auto app = std::make_unique<App>();
    app->host.draw = &QtDrawServices();
    InitApp(*app, Utf8ToUtf16(home), ExecutableFolder() + u"/../src/app");
    if (!CreateAppWindow(*app)) return 1;
    OpenStartupBook(*app, PathFromBytes(book));
    if (!app->bookOpen) return 1;
    const int pitch = LinePitch(app->layout);
    app->host.tickCount = CountingTick;
    endAt = Clock::now() +
            std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    StartAutoscroll(*app);
    const uint32_t interval = AutoscrollInterval(app->layout, kAutoscrollSmooth);
    const double cpu0 = CpuSeconds();
    const Clock::time_point start = Clock::now();
    RunMessageLoop();
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = CpuSeconds() - cpu0;
    const int stillRunning = app->layout.autoscrolling;
    StopAutoscroll(*app);
    double longest = 0;
    for (size_t i = 1; i < ticks.size(); ++i)
        longest = std::max(
            longest, std::chrono::duration<double, std::milli>(ticks[i] - ticks[i - 1]).count());
    std::printf(
        "%5dx%-5d%s ASW_TIME %4d: pitch %2d, tick %3u ms: asked %6.1f/s, reached %6.1f/s, "
        "longest gap %6.1f ms (%.1f ticks), CPU %5.1f %% of one core%s\n",
        width, height, fullScreen ? " full" : "     ", time, pitch, interval, 1000.0 / interval,
        static_cast<double>(ticks.size()) / wall, longest, longest / interval, 100.0 * cpu / wall,
        stillRunning ? "" : " (reached the end)");
    DestroyMainWindow();
    Shutdown(*app);
    std::system((std::string("rm -rf '") + home + "'").c_str());
    return 0;
}
