// A plain-text book's chapters found by a worker over a document of its own, the window showing
// the progress bar after half a second and waiting as it does for an open.
#include <chrono>
#include <thread>

#include "document/contents.h"
#include "document/open_book.h"
#include "document/text_cache.h"
#include "platform/window.h"
#include "shell/app.h"

namespace lectra {

namespace {

constexpr uint32_t kProgressDelayMs = 500;
constexpr auto kPollPeriod = std::chrono::milliseconds(20);

}  // namespace

int FindContentsInWorker(void* context, Document& doc) {
    App& app = *static_cast<App*>(context);
    if (app.opening || !doc.sourceIsOpen) return 0;
    // The same book opened again, with the code page and paragraph mode it was read in, gives the
    // same stream: its positions are the window's.
    std::unique_ptr<Document> own = NewDocument();
    own->txtParagraphMode = doc.txtParagraphMode;
    own->zipEntryName = doc.zipEntryName;
    OpenRequest request;
    request.codePageSetting = doc.bookCodePage;
    if (!OpenBook(*own, doc.bookPath.c_str(), 0, request) || DocLength(*own) != DocLength(doc)) {
        CloseDocument(*own);
        return 0;
    }
    std::atomic<uint64_t> done{0};
    std::atomic<int> finished{0};
    std::vector<ContentsEntry> found;
    std::thread worker([&] {
        found = FindTextChapters(*own, &done);
        finished.store(1, std::memory_order_release);
    });
    // The window waits as for an open: it paints, and a close waits for the end.
    app.opening = 1;
    const uint32_t start = app.host.tickCount();
    const uint64_t total = own->sourceSize;
    int shown = 0;
    while (!finished.load(std::memory_order_acquire)) {
        if (app.windowCreated && total && app.host.tickCount() - start >= kProgressDelayMs) {
            ShowProgress(static_cast<int>(std::min<uint64_t>(done.load(), total) * 100 / total));
            shown = 1;
        }
        std::this_thread::sleep_for(kPollPeriod);
    }
    worker.join();
    if (shown) ShowProgress(-1);
    app.opening = 0;
    CloseDocument(*own);
    doc.contents = std::move(found);
    if (app.closeWaiting) {
        app.closeWaiting = 0;
        DestroyMainWindow();
    }
    if ((!app.pendingBooks.empty() || app.pendingDeactivate) && !app.pendingTimerRunning &&
        app.windowCreated) {
        app.pendingTimerRunning = SetWindowTimer(kPendingTimer, kPendingPeriodMs);
    }
    return 1;
}

}  // namespace lectra
