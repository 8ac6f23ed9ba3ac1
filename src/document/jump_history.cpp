// The jump history: the last 64 reading positions left by jumps, newest first.
#include "document/jump_history.h"

#include <cstring>

#include "document/text_cache.h"

namespace lectra {

void JumpTo(Document& doc, int32_t pos) {
    while (pos >= 0 && GetChar(doc, pos) >= 33) --pos;
    // With no space before it the jump lands on the book's start; −1 would read as an empty entry.
    if (pos < 0) pos = 0;
    std::memmove(doc.history + 1, doc.history, sizeof(int32_t) * (kHistorySize - 1));
    doc.history[1] = doc.pageStart;
    doc.history[0] = pos;
    doc.historyIndex = 0;
    doc.pageStart = pos;
}

void JumpBack(Document& doc) {
    const int next = doc.historyIndex + 1;
    if (next < kHistorySize && doc.history[next] != -1) {
        doc.historyIndex = next;
        doc.pageStart = doc.history[next];
    }
}

void JumpForward(Document& doc) {
    if (doc.historyIndex > 0) {
        --doc.historyIndex;
        doc.pageStart = doc.history[doc.historyIndex];
    }
}

}  // namespace lectra
