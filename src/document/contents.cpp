// The book's contents: gathered beside the stream on the open's indexing pass (FictionBook titles,
// HTML headings, an EPUB's navigation), or found in a plain-text book when first asked for.
#include "document/contents.h"

#include <algorithm>

#include "document/encoding.h"
#include "document/format_table.h"
#include "document/markup_filter.h"
#include "document/notes.h"
#include "document/text_cache.h"

namespace lectra {

namespace {

// A plain-text line longer than this is prose, not a heading.
constexpr int kHeadingLineMax = 80;

bool IsNameChar(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
           c == u'-' || c == u':' || c == u'_' || c == u'.';
}

// Whether the tag's name is `name` exactly ("title", not "title-info").
bool NameIs(std::u16string_view tag, std::u16string_view name) {
    return tag.size() >= name.size() && tag.compare(0, name.size(), name) == 0 &&
           (tag.size() == name.size() || !IsNameChar(tag[name.size()]));
}

bool SelfClosed(std::u16string_view tag) {
    return !tag.empty() && tag.back() == u'/';
}

// 1 to 6 for an HTML heading's tag text (upper-cased), else 0.
int HeadingLevel(std::u16string_view tag) {
    if (tag.size() < 2 || tag[0] != u'H' || tag[1] < u'1' || tag[1] > u'6') return 0;
    if (tag.size() > 2 && IsNameChar(tag[2])) return 0;
    return tag[1] - u'0';
}

// The value of the ID attribute in upper-cased tag text; empty when there is none.
std::u16string_view IdOf(std::u16string_view tag) {
    size_t at = tag.find(u" ID=");
    if (at == std::u16string_view::npos) return {};
    at += 4;
    if (at >= tag.size()) return {};
    const char16_t quote = tag[at];
    if (quote == u'"' || quote == u'\'') {
        const size_t close = tag.find(quote, at + 1);
        if (close == std::u16string_view::npos) return {};
        return tag.substr(at + 1, close - at - 1);
    }
    size_t end = at;
    while (end < tag.size() && tag[end] != u' ' && tag[end] != u'>' && tag[end] != u'/') ++end;
    return tag.substr(at, end - at);
}

// The markup filters hand the units over only while the gatherer is active: a title opens at a
// tag, which the filter reads before it yields anything, so between titles gathering costs the
// pass nothing.
void UpdateActive(Document& doc) {
    ContentsGather& g = doc.gather;
    g.active = g.collecting || g.partWaiting >= 0 || !g.waiting.empty();
    doc.markup.handOver = g.active || NotesActive(doc);
}

int32_t ClampDepth(int32_t depth) {
    return std::clamp<int32_t>(depth, 0, kMaxContentsDepth);
}

void EndTitle(Document& doc) {
    ContentsGather& g = doc.gather;
    if (!g.collecting) return;
    g.collecting = 0;
    UpdateActive(doc);
    while (!g.text.empty() && g.text.back() == u' ') g.text.pop_back();
    if (g.text.empty() || g.start < 0) return;
    if (g.kind == GatherKind::kHtmlHeadings) {
        // Both groups are kept whole until the end decides whether the lower one counts.
        int32_t& count = g.level <= 3 ? g.highCount : g.lowCount;
        if (count >= kMaxContentsEntries) return;
        ++count;
        g.levels.push_back(g.level);
    } else if (static_cast<int>(doc.contents.size()) >= kMaxContentsEntries) {
        return;
    }
    doc.contents.push_back({std::move(g.text), g.start, ClampDepth(g.level)});
    g.text.clear();
}

void BeginTitle(Document& doc, int32_t level) {
    EndTitle(doc);
    ContentsGather& g = doc.gather;
    g.collecting = 1;
    g.level = level;
    g.start = -1;
    g.text.clear();
    UpdateActive(doc);
}

void Fb2Tag(Document& doc, std::u16string_view tag, int hidden) {
    ContentsGather& g = doc.gather;
    const bool closing = !tag.empty() && tag[0] == u'/';
    const std::u16string_view name = closing ? tag.substr(1) : tag;
    // Only "body", "section" and "title" move the gatherer; any other opening tag but an image
    // ends the wait for a section's title.
    const char16_t first = name.empty() ? 0 : name[0];
    if (first != u'b' && first != u's' && first != u't') {
        if (!closing && g.awaitTitle && !NameIs(name, u"image")) g.awaitTitle = 0;
        return;
    }
    if (NameIs(name, u"body")) {
        EndTitle(doc);
        g.sectionDepth = 0;
        // The notes (and comments) are a body of their own, not contents.
        g.notesBody = !closing && (name.find(u"name=\"notes\"") != name.npos ||
                                   name.find(u"name='notes'") != name.npos ||
                                   name.find(u"name=\"comments\"") != name.npos);
        g.awaitTitle = !closing && !g.notesBody;
        return;
    }
    if (NameIs(name, u"section")) {
        if (SelfClosed(name)) return;
        EndTitle(doc);
        if (closing) {
            if (g.sectionDepth > 0) --g.sectionDepth;
            g.awaitTitle = 0;
        } else {
            if (g.sectionDepth < INT32_MAX) ++g.sectionDepth;
            g.awaitTitle = !g.notesBody;
        }
        return;
    }
    if (NameIs(name, u"title")) {
        if (closing) {
            EndTitle(doc);
        } else if (g.awaitTitle && !hidden && !SelfClosed(name)) {
            // The body's title and the first level of sections are the top of the contents.
            BeginTitle(doc, std::max<int32_t>(g.sectionDepth - 1, 0));
            g.awaitTitle = 0;
        }
        return;
    }
    // Only a title that comes first (after a picture) is its section's own; a poem's is not.
    if (!closing && !NameIs(name, u"image")) g.awaitTitle = 0;
}

void WaitForId(Document& doc, std::u16string_view id) {
    ContentsGather& g = doc.gather;
    const std::vector<ContentsTarget>& targets = doc.contentsTargets;
    auto less = [&](int32_t t, std::u16string_view key) {
        return targets[t].part != g.part ? targets[t].part < g.part : targets[t].id < key;
    };
    auto it = std::lower_bound(g.byId.begin(), g.byId.end(), id, less);
    for (; it != g.byId.end() && targets[*it].part == g.part && targets[*it].id == id; ++it) {
        // The first element of an id is the target.
        if (g.targetPositions[*it] < 0 &&
            std::find(g.waiting.begin(), g.waiting.end(), *it) == g.waiting.end()) {
            g.waiting.push_back(*it);
        }
    }
    UpdateActive(doc);
}

void HtmlTag(Document& doc, std::u16string_view tag, int hidden) {
    ContentsGather& g = doc.gather;
    const bool closing = !tag.empty() && tag[0] == u'/';
    const std::u16string_view name = closing ? tag.substr(1) : tag;
    if (g.kind == GatherKind::kTargets) {
        if (!closing && !g.byId.empty()) {
            const std::u16string_view id = IdOf(name);
            if (!id.empty()) WaitForId(doc, id);
        }
        return;
    }
    const int level = HeadingLevel(name);
    if (!level) return;
    if (closing) {
        EndTitle(doc);
        return;
    }
    if (hidden || SelfClosed(name)) return;
    if (g.kind == GatherKind::kPartHeadings) {
        if (g.partHeading) return;
        g.partHeading = 1;
        BeginTitle(doc, 0);
    } else {
        BeginTitle(doc, level);
    }
}

// HTML: H4 to H6 count only when there are fewer than three of H1 to H3; the depth is the level
// below the highest level kept.
void ThinHeadings(Document& doc) {
    ContentsGather& g = doc.gather;
    const bool keepLow = g.highCount < 3;
    int32_t top = 6;
    for (int32_t level : g.levels) {
        if (keepLow || level <= 3) top = std::min(top, level);
    }
    std::vector<ContentsEntry> kept;
    for (size_t i = 0; i < doc.contents.size() && i < g.levels.size(); ++i) {
        if (!keepLow && g.levels[i] > 3) continue;
        if (static_cast<int>(kept.size()) >= kMaxContentsEntries) break;
        ContentsEntry e = std::move(doc.contents[i]);
        e.depth = g.levels[i] - top;
        kept.push_back(std::move(e));
    }
    doc.contents.swap(kept);
}

// EPUB navigation: each target at the first visible character of its element, else of its part
// (an id that no tag carries), else of the next part with any text.
void SettleTargets(Document& doc) {
    ContentsGather& g = doc.gather;
    for (size_t i = g.partFirst.size(); i-- > 1;) {
        if (g.partFirst[i - 1] < 0) g.partFirst[i - 1] = g.partFirst[i];
    }
    for (size_t t = 0; t < doc.contentsTargets.size(); ++t) {
        const ContentsTarget& target = doc.contentsTargets[t];
        int32_t position = g.targetPositions[t];
        if (position < 0 && target.part >= 0 &&
            static_cast<size_t>(target.part) < g.partFirst.size()) {
            position = g.partFirst[static_cast<size_t>(target.part)];
        }
        if (position < 0 || static_cast<int>(doc.contents.size()) >= kMaxContentsEntries) continue;
        doc.contents.push_back({target.title, position, ClampDepth(target.depth)});
    }
}

char16_t FoldCase(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
    if (c >= u'\u0410' && c <= u'\u042F') return static_cast<char16_t>(c + 32);
    if (c == u'\u0401') return u'\u0451';
    return c;
}

bool IsLetter(char16_t c) {
    c = FoldCase(c);
    return (c >= u'a' && c <= u'z') || (c >= u'\u0430' && c <= u'\u044F') || c == u'\u0451';
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool IsRoman(std::u16string_view word, bool upperOnly) {
    if (word.empty() || word.size() > 8) return false;
    for (char16_t c : word) {
        const char16_t f =
            upperOnly ? c : static_cast<char16_t>(c >= u'a' && c <= u'z' ? c - 32 : c);
        if (f != u'I' && f != u'V' && f != u'X' && f != u'L' && f != u'C' && f != u'D' && f != u'M')
            return false;
    }
    return true;
}

bool StartsFolded(std::u16string_view line, std::u16string_view lower) {
    if (line.size() < lower.size()) return false;
    for (size_t i = 0; i < lower.size(); ++i) {
        if (FoldCase(line[i]) != lower[i]) return false;
    }
    return line.size() == lower.size() || !IsLetter(line[lower.size()]);
}

// What may end a heading's number or word: the line's end, or a stop before the chapter's name.
bool EndsHeadingWord(std::u16string_view rest) {
    size_t i = 0;
    while (i < rest.size() && rest[i] == u' ') ++i;
    if (i == rest.size()) return true;
    const char16_t c = rest[i];
    return c == u'.' || c == u':' || c == u'\u2014' || c == u'\u2013' || c == u'-';
}

struct HeadingWord {
    std::u16string_view lower;
    int32_t depth;
    bool numbered;  // followed by a number or an ordinal word; else alone or before a stop
};

constexpr HeadingWord kHeadingWords[] = {
    {u"\u0447\u0430\u0441\u0442\u044c", 0, true},  // часть
    {u"\u043a\u043d\u0438\u0433\u0430", 0, true},  // книга
    {u"part", 0, true},
    {u"book", 0, true},
    {u"\u0433\u043b\u0430\u0432\u0430", 1, true},  // глава
    {u"chapter", 1, true},
    {u"\u043f\u0440\u043e\u043b\u043e\u0433", 1, false},  // пролог
    {u"\u044d\u043f\u0438\u043b\u043e\u0433", 1, false},  // эпилог
    {u"prologue", 1, false},
    {u"epilogue", 1, false},
};

void EndTextLine(std::vector<ContentsEntry>& entries, const char16_t* line, int length,
                 bool tooLong, int32_t start, std::vector<int32_t>& depths) {
    if (tooLong || length == 0 || start < 0) return;
    while (length > 0 && (line[length - 1] == u' ' || line[length - 1] == u'\t')) --length;
    int32_t depth = 0;
    if (!IsChapterHeading(std::u16string_view(line, static_cast<size_t>(length)), &depth)) return;
    if (static_cast<int>(entries.size()) >= kMaxContentsEntries) return;
    ContentsEntry e;
    for (int i = 0; i < length; ++i) {
        const char16_t c = line[i] == u'\t' ? u' ' : line[i];
        if (c == u' ' && !e.title.empty() && e.title.back() == u' ') continue;
        e.title += c;
    }
    e.position = start;
    e.depth = depth;
    depths.push_back(depth);
    entries.push_back(std::move(e));
}

}  // namespace

// One pass over the text's characters, which are its units one for one: a line's position is the
// count of characters before its first visible one.
std::vector<ContentsEntry> FindTextChapters(Document& doc, std::atomic<uint64_t>* done) {
    std::vector<ContentsEntry> entries;
    const uint32_t size = doc.sourceSize;
    const int32_t length = doc.docLength;
    if (!doc.sourceIsOpen || length <= 0) return entries;
    char16_t line[kHeadingLineMax];
    int n = 0;
    bool tooLong = false;
    int32_t start = -1;
    std::vector<int32_t> depths;
    uint32_t offset = doc.textStart;
    constexpr uint32_t kProgressStep = 1u << 20;
    uint32_t nextReport = offset + kProgressStep;
    for (int32_t pos = 0; pos < length && offset < size; ++pos) {
        const char16_t c = ReadSourceChar(doc, offset);
        if (c == u'\n' || c == u'\r') {
            EndTextLine(entries, line, n, tooLong, start, depths);
            n = 0;
            tooLong = false;
            start = -1;
        } else if (n == 0 && (c == u' ' || c == u'\t' || c == 0xA0 || c == 0xFEFF)) {
            // Indentation is not part of the heading.
        } else if (n < kHeadingLineMax) {
            if (n == 0) start = pos;
            line[n++] = c;
        } else {
            tooLong = true;
        }
        if (offset >= nextReport) {
            if (done) done->store(offset, std::memory_order_relaxed);
            ReportProgress(doc, offset, size);
            nextReport = offset + kProgressStep;
        }
    }
    EndTextLine(entries, line, n, tooLong, start, depths);
    // A book without parts has its chapters at the top.
    if (!depths.empty() && *std::min_element(depths.begin(), depths.end()) > 0) {
        for (ContentsEntry& e : entries) e.depth = 0;
    }
    return entries;
}

int IsChapterHeading(std::u16string_view line, int32_t* depth) {
    while (!line.empty() && (line.back() == u' ' || line.back() == u'\t')) line.remove_suffix(1);
    if (line.empty() || line.size() > kHeadingLineMax) return 0;
    // A line of only a Roman numeral, in capitals, with or without a full stop.
    std::u16string_view numeral = line;
    if (numeral.back() == u'.') numeral.remove_suffix(1);
    if (IsRoman(numeral, true)) {
        *depth = 1;
        return 1;
    }
    for (const HeadingWord& w : kHeadingWords) {
        if (!StartsFolded(line, w.lower)) continue;
        std::u16string_view rest = line.substr(w.lower.size());
        if (!w.numbered) {
            if (!EndsHeadingWord(rest)) return 0;
            *depth = w.depth;
            return 1;
        }
        size_t i = 0;
        while (i < rest.size() && rest[i] == u' ') ++i;
        if (i == 0 || i == rest.size()) return 0;
        size_t end = i;
        while (end < rest.size() && (IsLetter(rest[end]) || IsDigit(rest[end]))) ++end;
        const std::u16string_view word = rest.substr(i, end - i);
        if (word.empty()) return 0;
        bool digits = true;
        for (char16_t c : word) digits = digits && IsDigit(c);
        // "Глава 5. Name" and "Chapter XII" whatever follows; an ordinal word ("Часть вторая")
        // only alone or before a stop, so that "Часть людей ушла" stays prose.
        if (!digits && !IsRoman(word, false) && !EndsHeadingWord(rest.substr(end))) return 0;
        *depth = w.depth;
        return 1;
    }
    return 0;
}

void StartContents(Document& doc) {
    StartNotes(doc);
    doc.contents.clear();
    doc.contentsOnDemand = 0;
    doc.contentsFound = 0;
    doc.gather = ContentsGather{};
    ContentsGather& g = doc.gather;
    int readable = 0;
    const ReadingPlan plan = PlanFor(doc, &readable);
    if (!readable) return;
    if (plan.pass == PassMode::kFiltered) {
        if (plan.passFilter == Fb2Filter) g.kind = GatherKind::kFb2Titles;
        if (plan.passFilter == HtmlFilter) g.kind = GatherKind::kHtmlHeadings;
        if (plan.passFilter == XhtmlFilter) {
            g.kind = doc.contentsTargets.empty() ? GatherKind::kPartHeadings : GatherKind::kTargets;
        }
    } else if ((plan.pass == PassMode::kOneForOne || plan.pass == PassMode::kReadChar) &&
               plan.decode == DecodeMode::kFilter && plan.decodeFilter == TxtFilter) {
        doc.contentsOnDemand = 1;
    }
    if (g.kind == GatherKind::kTargets) {
        const std::vector<ContentsTarget>& targets = doc.contentsTargets;
        g.partFirst.assign(doc.partStarts.size(), -1);
        g.targetPositions.assign(targets.size(), -1);
        for (size_t t = 0; t < targets.size(); ++t) g.byId.push_back(static_cast<int32_t>(t));
        std::stable_sort(g.byId.begin(), g.byId.end(), [&](int32_t a, int32_t b) {
            return targets[a].part != targets[b].part ? targets[a].part < targets[b].part
                                                      : targets[a].id < targets[b].id;
        });
    }
    g.indexing = g.kind != GatherKind::kNone;
}

void FinishContents(Document& doc) {
    EndTitle(doc);
    if (doc.gather.kind == GatherKind::kHtmlHeadings) ThinHeadings(doc);
    if (doc.gather.kind == GatherKind::kTargets) SettleTargets(doc);
    FinishNotes(doc);
    doc.gather = ContentsGather{};
    doc.markup.handOver = 0;
}

void GatherPartStart(Document& doc, uint32_t offset) {
    ContentsGather& g = doc.gather;
    if (!g.indexing) return;
    const auto it = std::lower_bound(doc.partStarts.begin(), doc.partStarts.end(), offset);
    if (it == doc.partStarts.end() || *it != offset) return;
    // A heading left open does not run on into the next part, as no markup does.
    EndTitle(doc);
    g.part = static_cast<int32_t>(it - doc.partStarts.begin());
    NotesPartStart(doc, g.part);
    g.partHeading = 0;
    if (g.kind == GatherKind::kTargets) {
        if (static_cast<size_t>(g.part) < g.partFirst.size()) g.partWaiting = g.part;
        WaitForId(doc, u"");
    }
}

void GatherStep(Document& doc, int32_t position, char16_t unit) {
    NotesStep(doc, position, unit);
    ContentsGather& g = doc.gather;
    if (!g.active) return;
    if (unit > 32) {
        if (g.partWaiting >= 0) {
            g.partFirst[static_cast<size_t>(g.partWaiting)] = position;
            g.partWaiting = -1;
        }
        for (int32_t t : g.waiting) g.targetPositions[static_cast<size_t>(t)] = position;
        g.waiting.clear();
        if (g.collecting && g.start < 0) g.start = position;
    }
    if (g.collecting) {
        // White space and paragraph marks inside a title fold to one space.
        if (unit <= 32) {
            if (!g.text.empty() && g.text.back() != u' ') g.text += u' ';
        } else if (static_cast<int>(g.text.size()) < kMaxContentsTitle) {
            g.text += unit;
        }
    }
    UpdateActive(doc);
}

void GatherContentsTag(Document& doc, std::u16string_view tag, int html, int hidden) {
    if (doc.gather.kind == GatherKind::kFb2Titles) {
        if (!html) Fb2Tag(doc, tag, hidden);
    } else if (html) {
        HtmlTag(doc, tag, hidden);
    }
}

const std::vector<ContentsEntry>& BookContents(Document& doc) {
    if (doc.contentsOnDemand && !doc.contentsFound) {
        doc.contentsFound = 1;
        // The window finds them away from its thread; without it, here with the wait cursor.
        if (!doc.hooks.findContents || !doc.hooks.findContents(doc.hooks.context, doc)) {
            if (doc.hooks.setWaitCursor) doc.hooks.setWaitCursor(doc.hooks.context, 1);
            doc.contents = FindTextChapters(doc, nullptr);
            if (doc.hooks.setWaitCursor) doc.hooks.setWaitCursor(doc.hooks.context, 0);
        }
    }
    return doc.contents;
}

int32_t FirstVisibleAt(Document& doc, int32_t pageStart, int32_t limit) {
    const int32_t end = std::min(DocLength(doc), pageStart + std::max(limit, 0));
    for (int32_t p = std::max(pageStart, 0); p < end; ++p) {
        if (GetChar(doc, p) > 32) return p;
    }
    return pageStart;
}

int ContentsIndexAt(const std::vector<ContentsEntry>& entries, int32_t position) {
    if (entries.empty()) return -1;
    int best = -1;
    // An EPUB's navigation need not be in book order: the latest start wins, not the last listed.
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].position <= position &&
            (best < 0 || entries[i].position >= entries[static_cast<size_t>(best)].position)) {
            best = static_cast<int>(i);
        }
    }
    return best < 0 ? 0 : best;
}

}  // namespace lectra
