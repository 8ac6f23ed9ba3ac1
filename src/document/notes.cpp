// The book's notes: references in the text and the notes they lead to, gathered beside the
// stream on the open's indexing pass together with the contents.
#include "document/notes.h"

#include <algorithm>

#include "document/format_table.h"
#include "document/formats/href_path.h"
#include "document/markup_filter.h"
#include "document/text_cache.h"
#include "platform/sys/utf.h"

namespace lectra {

namespace {

char16_t FoldAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

bool SameFolded(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

// Whether the attribute's name is `name` with or without a namespace prefix ("l:href", "HREF").
bool AttributeIs(std::u16string_view attribute, std::u16string_view name) {
    const size_t colon = attribute.rfind(u':');
    return SameFolded(colon == attribute.npos ? attribute : attribute.substr(colon + 1), name);
}

bool HasToken(std::u16string_view value, std::u16string_view token) {
    size_t at = 0;
    while (at < value.size()) {
        while (at < value.size() && value[at] <= u' ') ++at;
        size_t end = at;
        while (end < value.size() && value[end] > u' ') ++end;
        if (end > at && SameFolded(value.substr(at, end - at), token)) return true;
        at = end;
    }
    return false;
}

// The attributes of a tag's text as the filter read it ("a l:href=\"#n1\" type=\"note\">"): a
// walk that never reads past the text, whatever quotes are left open.
struct TagAttributes {
    std::u16string_view href, id, name, type, epubType, role;
};

std::u16string_view ElementName(std::u16string_view tag) {
    size_t n = 0;
    while (n < tag.size() && tag[n] > u' ' && tag[n] != u'/' && tag[n] != u'>') ++n;
    return tag.substr(0, n);
}

TagAttributes ReadAttributes(std::u16string_view tag) {
    TagAttributes a;
    size_t i = ElementName(tag).size();
    const size_t n = tag.size();
    while (i < n) {
        if (tag[i] <= u' ' || tag[i] == u'/' || tag[i] == u'>' || tag[i] == u'=') {
            ++i;
            continue;
        }
        const size_t nameStart = i;
        while (i < n && tag[i] > u' ' && tag[i] != u'=' && tag[i] != u'>' && tag[i] != u'/') ++i;
        const std::u16string_view name = tag.substr(nameStart, i - nameStart);
        while (i < n && tag[i] <= u' ') ++i;
        if (i >= n || tag[i] != u'=') continue;
        ++i;
        while (i < n && tag[i] <= u' ') ++i;
        std::u16string_view value;
        if (i < n && (tag[i] == u'"' || tag[i] == u'\'')) {
            const char16_t quote = tag[i];
            const size_t close = tag.find(quote, i + 1);
            // A value whose quote never closes (a tag cut by the filter's buffer) is no value.
            if (close == tag.npos) break;
            value = tag.substr(i + 1, close - i - 1);
            i = close + 1;
        } else {
            const size_t start = i;
            while (i < n && tag[i] > u' ' && tag[i] != u'>') ++i;
            value = tag.substr(start, i - start);
        }
        if (AttributeIs(name, u"href")) {
            a.href = value;
        } else if (SameFolded(name, u"id")) {
            a.id = value;
        } else if (SameFolded(name, u"name")) {
            a.name = value;
        } else if (SameFolded(name, u"type")) {
            a.type = value;
        } else if (AttributeIs(name, u"type")) {
            a.epubType = value;
        } else if (SameFolded(name, u"role")) {
            a.role = value;
        }
    }
    return a;
}

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return text;
}

// An href's path (the fragment already dropped) against the folder of the part it stands in:
// percent escapes undone, "." and ".." resolved. Empty when it climbs above the archive's root
// or names an absolute place.
std::string ResolvePartPath(const std::string& from, std::u16string_view href) {
    const std::string raw = PercentDecode(Utf16ToUtf8(href));
    if (raw.empty() || raw[0] == '/' || raw.find(':') != raw.npos) return {};
    const size_t slash = from.rfind('/');
    const std::string whole =
        (slash == from.npos ? std::string() : from.substr(0, slash + 1)) + raw;
    std::string path;
    if (!ResolveDotSegments(whole, 0, path)) return {};
    return UpperAscii(path);
}

std::u16string PartKey(int32_t part, std::u16string_view id) {
    std::u16string key = Utf8ToUtf16(std::to_string(part));
    key += u'#';
    key += id;
    return key;
}

// The key of the place an href leads to: its id, with its part in an EPUB; empty when it leads
// nowhere a note could be (no fragment, an empty one, a file outside the spine).
std::u16string LinkKey(const Document& doc, std::u16string_view href) {
    const NotesGather& n = doc.noteGather;
    const size_t hash = href.find(u'#');
    if (hash == href.npos || hash + 1 >= href.size()) return {};
    const std::u16string_view id = href.substr(hash + 1);
    if (n.dialect != NoteDialect::kXhtml) {
        return hash == 0 ? std::u16string(id) : std::u16string();
    }
    if (hash == 0) return n.part >= 0 ? PartKey(n.part, id) : std::u16string();
    if (n.part < 0 || static_cast<size_t>(n.part) >= doc.partNames.size()) return {};
    const std::string path = ResolvePartPath(UpperAscii(doc.partNames[static_cast<size_t>(n.part)]),
                                             href.substr(0, hash));
    const auto it = n.partByName.find(path);
    if (path.empty() || it == n.partByName.end()) return {};
    return PartKey(it->second, id);
}

void UpdateActive(Document& doc) {
    NotesGather& n = doc.noteGather;
    n.active = n.linkOpen || !n.waiting.empty() || n.endWaiting >= 0 || n.paragraphEnd >= 0;
    doc.markup.handOver = doc.gather.active || n.active;
}

void EndLink(Document& doc) {
    NotesGather& n = doc.noteGather;
    if (!n.linkOpen) return;
    n.linkOpen = 0;
    while (!n.linkText.empty() && n.linkText.back() == u' ') n.linkText.pop_back();
    if (n.linkStart < 0 || n.linkKey.empty()) return;
    const bool sure = n.linkSure || IsNoteLabel(n.linkText, n.dialect == NoteDialect::kXhtml);
    int32_t& count = sure ? n.sureLinks : n.maybeLinks;
    if (count >= kMaxNotes) return;
    ++count;
    if (static_cast<int>(n.wanted.size()) < 2 * kMaxNotes) n.wanted.insert(n.linkKey);
    n.links.push_back({n.linkStart, n.linkEnd, std::move(n.linkKey), sure ? 1 : 0});
    n.linkKey.clear();
}

void BeginLink(Document& doc, const TagAttributes& a) {
    NotesGather& n = doc.noteGather;
    EndLink(doc);
    n.linkKey = LinkKey(doc, a.href);
    if (n.linkKey.empty()) return;
    n.linkOpen = 1;
    n.linkSure = n.dialect == NoteDialect::kFb2
                     ? SameFolded(a.type, u"note")
                     : HasToken(a.epubType, u"noteref") || HasToken(a.role, u"doc-noteref");
    n.linkStart = n.linkEnd = -1;
    n.linkText.clear();
}

bool SaysNote(const TagAttributes& a) {
    return HasToken(a.epubType, u"footnote") || HasToken(a.epubType, u"endnote") ||
           HasToken(a.epubType, u"rearnote") || HasToken(a.role, u"doc-footnote") ||
           HasToken(a.role, u"doc-endnote");
}

// An element with an id: a target when it is a note, or when a link met before leads to it. Only
// the first element of an id is its target.
void MeetId(Document& doc, std::u16string_view name, const TagAttributes& a, bool selfClosed) {
    NotesGather& n = doc.noteGather;
    const bool noteLike = n.dialect == NoteDialect::kFb2 ? n.notesBody != 0 : SaysNote(a);
    if (!noteLike && n.wanted.empty()) return;
    std::u16string key =
        n.dialect == NoteDialect::kXhtml ? PartKey(n.part, a.id) : std::u16string(a.id);
    if (!noteLike && !n.wanted.count(key)) return;
    if (n.targetOf.count(key) || static_cast<int>(n.targets.size()) >= 2 * kMaxNotes) return;
    const int32_t t = static_cast<int32_t>(n.targets.size());
    n.targets.push_back({-1, -1, noteLike ? 1 : 0});
    n.targetOf.emplace(std::move(key), t);
    n.waiting.push_back(t);
    // A note's text ends where its element does (an anchor's, where its paragraph does); one still
    // open ends at the next note's start.
    if (SameFolded(name, u"a")) {
        n.paragraphEnd = t;
    } else if (!selfClosed) {
        n.openTarget = t;
        n.openName.assign(name);
        n.openNesting = 1;
    }
}

}  // namespace

int IsNoteLabel(std::u16string_view text, int star) {
    if (star && text == u"*") return 1;
    if (text.size() >= 3 && text.front() == u'[' && text.back() == u']') {
        text = text.substr(1, text.size() - 2);
    }
    if (text.empty() || text.size() > 4) return 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return 0;
    }
    return 1;
}

void StartNotes(Document& doc) {
    doc.notes.clear();
    doc.noteGather = NotesGather{};
    NotesGather& n = doc.noteGather;
    int readable = 0;
    const ReadingPlan plan = PlanFor(doc, &readable);
    if (!readable || plan.pass != PassMode::kFiltered) return;
    if (plan.passFilter == Fb2Filter) n.dialect = NoteDialect::kFb2;
    if (plan.passFilter == HtmlFilter) n.dialect = NoteDialect::kHtml;
    if (plan.passFilter == XhtmlFilter) n.dialect = NoteDialect::kXhtml;
    if (n.dialect == NoteDialect::kXhtml) {
        for (size_t p = 0; p < doc.partNames.size() && p < doc.partStarts.size(); ++p) {
            if (!doc.partNames[p].empty())
                n.partByName.emplace(UpperAscii(doc.partNames[p]), static_cast<int32_t>(p));
        }
    }
}

void NotesPartStart(Document& doc, int32_t part) {
    NotesGather& n = doc.noteGather;
    if (n.dialect == NoteDialect::kNone) return;
    // Nothing runs on into the next part: a link left open there is dropped, a note ends.
    n.linkOpen = 0;
    n.linkKey.clear();
    if (n.openTarget >= 0) n.endWaiting = n.openTarget;
    n.openTarget = -1;
    n.paragraphEnd = -1;
    n.part = part;
    UpdateActive(doc);
}

void NotesStep(Document& doc, int32_t position, char16_t unit) {
    NotesGather& n = doc.noteGather;
    if (!n.active) return;
    if (n.endWaiting >= 0) {
        NoteTarget& t = n.targets[static_cast<size_t>(n.endWaiting)];
        if (t.end < 0) t.end = position;
        n.endWaiting = -1;
    }
    if (unit < 16 && n.paragraphEnd >= 0) {
        NoteTarget& t = n.targets[static_cast<size_t>(n.paragraphEnd)];
        if (t.position >= 0) {
            if (t.end < 0) t.end = position;
            n.paragraphEnd = -1;
        }
    }
    if (unit > 32) {
        for (int32_t t : n.waiting) n.targets[static_cast<size_t>(t)].position = position;
        n.waiting.clear();
        if (n.linkOpen) {
            if (n.linkStart < 0) n.linkStart = position;
            n.linkEnd = position + 1;
            if (static_cast<int>(n.linkText.size()) <= kMaxNoteLabel) n.linkText += unit;
        }
    } else if (n.linkOpen && !n.linkText.empty() && n.linkText.back() != u' ' &&
               static_cast<int>(n.linkText.size()) <= kMaxNoteLabel) {
        n.linkText += u' ';
    }
    UpdateActive(doc);
}

void NotesElement(Document& doc, std::u16string_view tag, int hidden) {
    NotesGather& n = doc.noteGather;
    if (n.dialect == NoteDialect::kNone || tag.empty()) return;
    const bool closing = tag[0] == u'/';
    const std::u16string_view body = closing ? tag.substr(1) : tag;
    const std::u16string_view name = ElementName(body);
    if (name.empty() || name[0] == u'!' || name[0] == u'?') return;
    const bool selfClosed = tag.size() >= 2 && tag[tag.size() - 2] == u'/';
    if (n.openTarget >= 0 && SameFolded(name, n.openName) && !selfClosed) {
        if (!closing) {
            if (n.openNesting < INT32_MAX) ++n.openNesting;
        } else if (--n.openNesting <= 0) {
            n.endWaiting = n.openTarget;
            n.openTarget = -1;
        }
    }
    if (closing) {
        if (SameFolded(name, u"a")) EndLink(doc);
        if (n.dialect == NoteDialect::kFb2 && name == u"body") n.notesBody = 0;
        UpdateActive(doc);
        return;
    }
    if (n.dialect == NoteDialect::kFb2 && name == u"body") {
        // The notes (and comments) are a body of their own.
        n.notesBody = body.find(u"name=\"notes\"") != body.npos ||
                      body.find(u"name='notes'") != body.npos ||
                      body.find(u"name=\"comments\"") != body.npos;
    }
    const bool link = SameFolded(name, u"a");
    // Most tags have no attribute: nothing to read beyond the name.
    if (hidden || (!link && body.find(u'=', name.size()) == body.npos)) return;
    TagAttributes a = ReadAttributes(body);
    // An older HTML anchor names its place instead of giving it an id.
    if (a.id.empty() && link && n.dialect != NoteDialect::kFb2) a.id = a.name;
    if (!a.id.empty()) MeetId(doc, name, a, selfClosed);
    if (link) {
        if (selfClosed) {
            EndLink(doc);
        } else {
            BeginLink(doc, a);
        }
    }
    UpdateActive(doc);
}

void FinishNotes(Document& doc) {
    NotesGather& n = doc.noteGather;
    if (n.dialect == NoteDialect::kNone) {
        doc.noteGather = NotesGather{};
        return;
    }
    EndLink(doc);
    const int32_t length = doc.docLength;
    if (n.endWaiting >= 0 && n.targets[static_cast<size_t>(n.endWaiting)].end < 0)
        n.targets[static_cast<size_t>(n.endWaiting)].end = length;
    // Each note ends at the next target's start at the latest, and within the bound.
    std::vector<int32_t> starts;
    for (const NoteTarget& t : n.targets) {
        if (t.position >= 0) starts.push_back(t.position);
    }
    std::sort(starts.begin(), starts.end());
    for (NoteTarget& t : n.targets) {
        if (t.position < 0) continue;
        const auto next = std::upper_bound(starts.begin(), starts.end(), t.position);
        int32_t end = t.end > t.position ? t.end : length;
        if (next != starts.end()) end = std::min(end, *next);
        t.end = std::min({end, length, t.position + kMaxNoteText});
    }
    for (const NoteLink& link : n.links) {
        const auto it = n.targetOf.find(link.key);
        if (it == n.targetOf.end()) continue;  // a link to nowhere
        const NoteTarget& t = n.targets[static_cast<size_t>(it->second)];
        if (t.position < 0 || (!link.sure && !t.noteLike)) continue;
        // A link to its own text is no note.
        if (t.position >= link.start && t.position < link.end) continue;
        doc.notes.push_back({link.start, link.end, t.position, t.end});
    }
    doc.noteGather = NotesGather{};
}

int NoteIndexAt(const Document& doc, int32_t from, int32_t to) {
    const std::vector<NoteRef>& notes = doc.notes;
    // The references are in book order and never overlap: the first one ending after `from`.
    const auto it = std::upper_bound(notes.begin(), notes.end(), from,
                                     [](int32_t p, const NoteRef& r) { return p < r.end; });
    if (it == notes.end() || it->start >= std::max(to, from + 1)) return -1;
    return static_cast<int>(it - notes.begin());
}

std::vector<int> NotesBetween(const Document& doc, int32_t from, int32_t to) {
    std::vector<int> found;
    const auto first = std::lower_bound(doc.notes.begin(), doc.notes.end(), from,
                                        [](const NoteRef& r, int32_t p) { return r.start < p; });
    for (auto it = first; it != doc.notes.end() && it->start < to; ++it)
        found.push_back(static_cast<int>(it - doc.notes.begin()));
    return found;
}

std::u16string NoteText(Document& doc, const NoteRef& ref, int32_t limit, int lines) {
    std::u16string text;
    const int32_t end = std::min({ref.targetEnd, DocLength(doc), ref.target + std::max(limit, 0)});
    for (int32_t p = std::max(ref.target, 0); p < end; ++p) {
        const char16_t c = GetChar(doc, p);
        if (c < 16 && lines) {
            while (!text.empty() && text.back() == u' ') text.pop_back();
            if (!text.empty() && text.back() != u'\n') text += u'\n';
        } else if (c <= 32) {
            if (!text.empty() && text.back() != u' ' && text.back() != u'\n') text += u' ';
        } else {
            text += c;
        }
    }
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\n')) text.pop_back();
    return text;
}

std::u16string NoteLabel(Document& doc, const NoteRef& ref) {
    std::u16string label;
    for (int32_t p = ref.start; p < ref.end && p < DocLength(doc) && label.size() < 32; ++p) {
        const char16_t c = GetChar(doc, p);
        label += c <= 32 ? u' ' : c;
    }
    return label;
}

}  // namespace lectra
