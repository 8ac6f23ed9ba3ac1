// The reference reading of a book for tests: the whole source decoded in one run from its start,
// no blocks involved, to compare with what GetChar gives block by block.
#pragma once
#include <string>

#include "document/document.h"
#include "document/encoding.h"
#include "document/format_table.h"
#include "document/text_cache.h"

namespace lectra::test {

inline std::u16string StraightDecode(Document& doc) {
    int readable = 0;
    const ReadingPlan plan = PlanFor(doc, &readable);
    std::u16string out;
    if (!readable || plan.decode != DecodeMode::kFilter) return out;
    doc.markup = MarkupState{};
    uint32_t offset = doc.textStart;
    while (offset < doc.sourceSize && out.size() < static_cast<size_t>(DocLength(doc))) {
        char16_t unit = ReadSourceChar(doc, offset);
        if (plan.decodeFilter(doc, unit, offset)) out += unit;
        if (doc.markup.pendingSkip > 0 && doc.bookCodePage != kCodePageUtf8) {
            const uint64_t next = offset + uint64_t{static_cast<uint32_t>(doc.markup.pendingSkip)} *
                                               (doc.bookCodePage == kCodePageUtf16 ? 2u : 1u);
            offset = next < doc.sourceSize ? static_cast<uint32_t>(next) : doc.sourceSize;
            doc.markup.pendingSkip = 0;
        }
    }
    return out;
}

}  // namespace lectra::test
