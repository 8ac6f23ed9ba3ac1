// The dialogs' long work, through the reader's own code on the platform it runs on: a search over
// a book for a string that is not in it and for one near its end, and the file browser filled
// from a folder of many files; with a fifth book, its contents dialog opened with every entry.
//
//   dialogs_bench BOOK MISSING FOUND FOLDER [CONTENTS_BOOK]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "dialogs/contents_dialog.h"
#include "dialogs/file_browser.h"
#include "dialogs/search.h"
#include "document/text_cache.h"
#include "platform/qt/qt_draw.h"
#include "platform/sys/program_folder.h"
#include "platform/sys/utf.h"
#include "platform/window.h"
#include "shell/app.h"

using namespace lectra;

namespace {

double Ms(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

double Search(App& app, const std::u16string& text, int32_t* hit) {
    std::u16string lower = text, upper = text;
    for (char16_t& c : lower) c = LowerUnit(c);
    for (char16_t& c : upper) c = UpperUnit(c);
    const auto t0 = std::chrono::steady_clock::now();
    *hit = FindFrom(*app.doc, 0, lower, upper);
    return Ms(t0);
}

// A dialog is opened and closed as soon as its list is filled.
double ListMs = 0;
int CloseAtOnce(const DialogTemplate& t, DialogProcedure procedure, void* context) {
    const auto t0 = std::chrono::steady_clock::now();
    PlatformDialog* d = OpenDialog(t, procedure, context);
    ListMs = Ms(t0);
    const int list = t.id == kTemplateContents ? kCtlContentsList : kCtlCaptionedList;
    std::printf("  list lines: %d\n", ListCount(d, list));
    SendDialogCommand(d, kCmdRightSoftKey);
    CloseDialog(d);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fputs("usage: dialogs_bench BOOK MISSING FOUND FOLDER\n", stderr);
        return 2;
    }
    char home[] = "/tmp/lectra-bench-XXXXXX";
    if (!mkdtemp(home)) return 1;
    std::ofstream(std::string(home) + "/_config.ini", std::ios::binary)
        << "FONT_FACE_TEXT=DejaVu Sans\r\nFONT_FACE_STATUS=DejaVu Sans\r\n#";
    if (!StartWindowPlatform()) return 1;
    auto app = std::make_unique<App>();
    app->host.draw = &QtDrawServices();
    app->host.runDialog = CloseAtOnce;
    InitApp(*app, Utf8ToUtf16(home), ExecutableFolder() + u"/../src/app");
    if (!CreateAppWindow(*app)) return 1;
    const auto open0 = std::chrono::steady_clock::now();
    OpenStartupBook(*app, PathFromBytes(argv[1]));
    std::printf("  open and first page: %.1f ms\n", Ms(open0));
    int32_t hit = 0;
    const double missing = Search(*app, Utf8ToUtf16(argv[2]), &hit);
    std::printf("  search, not found:   %8.1f ms (hit %d)\n", missing, hit);
    const double found = Search(*app, Utf8ToUtf16(argv[3]), &hit);
    std::printf("  search, near the end: %7.1f ms (hit %d of %d)\n", found, hit,
                DocLength(*app->doc));
    ShowOpenFileDialog(DialogServices(*app), PathFromBytes(argv[4]) + u"/");
    std::printf("  browser filled: %.1f ms\n", ListMs);
    if (argc > 5) {
        OpenStartupBook(*app, PathFromBytes(argv[5]));
        ShowContentsDialog(DialogServices(*app));
        std::printf("  contents dialog filled: %.1f ms\n", ListMs);
    }
    DestroyMainWindow();
    Shutdown(*app);
    std::system((std::string("rm -rf '") + home + "'").c_str());
    return 0;
}
