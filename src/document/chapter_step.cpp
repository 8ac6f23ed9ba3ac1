// Moving by chapters: the contents' next or previous entry from a place in the book.
#include "document/chapter_step.h"

namespace lectra {

int32_t ChapterStep(const std::vector<ContentsEntry>& entries, int32_t at, int forward) {
    int32_t best = -1;
    for (const ContentsEntry& e : entries) {
        if (forward ? e.position > at && (best < 0 || e.position < best)
                    : e.position < at && e.position > best) {
            best = e.position;
        }
    }
    return best;
}

}  // namespace lectra
