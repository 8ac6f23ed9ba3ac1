// The reference reading of a book: the whole source decoded in one run, no blocks involved.
#pragma once
#include <string>
#include <vector>

#include "document/document.h"
#include "document/encoding.h"
#include "document/format_table.h"
#include "document/text_cache.h"

namespace lectra::test {

// `styles`, when given, receives the emphasis of each unit as the same run's markup state says.
inline std::u16string StraightDecode(Document& doc, std::vector<uint8_t>* styles = nullptr) {
    int readable = 0;
    const ReadingPlan plan = PlanFor(doc, &readable);
    std::u16string out;
    if (!readable || plan.decode != DecodeMode::kFilter) return out;
    doc.markup = MarkupState{};
    uint32_t offset = doc.textStart;
    const uint32_t size = doc.sourceSize;
    // A book of parts reads each part as a book of its own: fresh markup, the part's end as the
    // source's end, and a paragraph mark before its first text unless it starts with one.
    size_t part = 0;
    while (offset < size && out.size() < static_cast<size_t>(DocLength(doc))) {
        if (part < doc.partStarts.size() && offset == doc.partStarts[part]) {
            doc.markup = MarkupState{};
            doc.markup.partStart = 1;
            ++part;
        }
        const uint32_t end = part < doc.partStarts.size() ? doc.partStarts[part] : size;
        doc.sourceSize = end;
        const uint32_t start = offset;
        const MarkupState before = doc.markup;
        char16_t unit = ReadSourceChar(doc, offset);
        if (plan.decodeFilter(doc, unit, offset)) {
            if (!doc.markup.partStart || unit < 16) {
                out += unit;
                if (styles) styles->push_back(EmphasisOf(doc.markup));
                doc.markup.partStart = 0;
            } else if (unit != u' ') {
                doc.markup = before;
                doc.markup.partStart = 0;
                offset = start;
                out += kMarkBody;
                if (styles) styles->push_back(EmphasisOf(doc.markup));
            }
        }
        if (doc.markup.pendingSkip > 0 && doc.bookCodePage != kCodePageUtf8) {
            const uint64_t next = offset + uint64_t{static_cast<uint32_t>(doc.markup.pendingSkip)} *
                                               (doc.bookCodePage == kCodePageUtf16 ? 2u : 1u);
            offset = next < end ? static_cast<uint32_t>(next) : end;
            doc.markup.pendingSkip = 0;
        }
        doc.sourceSize = size;
        if (offset > end) offset = end;
    }
    return out;
}

}  // namespace lectra::test
