// The HTML and FictionBook filters: tags and character references read ahead in the source,
// paragraph marks from block tags and the depths they raise.
#include "document/markup_filter.h"

#include <string_view>

#include "document/contents.h"
#include "document/encoding.h"
#include "document/markup_tables.h"
#include "document/pictures.h"
#include "document/txt_filter.h"

namespace lectra {

namespace {

constexpr int kTagBuffer = 256;
constexpr int kReferenceMax = 9;  // characters of a reference, ";" included

struct Dialect {
    const TagRow* rows;
    int rowCount;
    bool html;  // upper-cases tag text, checks ALIGN=, keeps the once flags
    const std::u16string_view* silent;
    int silentCount;
    const EmphasisTag* emphasis;
    int emphasisCount;
    const uint64_t* emphasisFirsts;
    // XHTML (the parts of an EPUB): the head is hidden, and a tag closed in itself ("<br/>",
    // "<script src=…/>") opens nothing that would wait for a closing tag.
    bool xhtml;
};

constexpr Dialect kHtml{
    kHtmlTagTable,        41,   true, kHtmlSilentTags, 15, kHtmlEmphasisTags, 17,
    &kHtmlEmphasisFirsts, false};
constexpr Dialect kFb2{kFb2TagTable,        19,   false, kFb2SilentTags, 7, kFb2EmphasisTags, 8,
                       &kFb2EmphasisFirsts, false};
constexpr Dialect kXhtml{
    kHtmlTagTable,        41,  true, kHtmlSilentTags, 15, kHtmlEmphasisTags, 17,
    &kHtmlEmphasisFirsts, true};

bool Hidden(const Dialect& d, const TagRow& row) {
    return row.hidden || (d.xhtml && row.openName == u"HEAD");
}

void Raise(int32_t& v) {
    if (v < kMarkupCounterMax) ++v;
}
void Lower(int32_t& v) {
    if (v > 0) --v;
}

// The markup filters' normalisation: a line feed survives only inside preformatted text.
char16_t NormaliseMarkup(const Document& doc, char16_t u) {
    u = Normalise(u);
    if (u == 10 && doc.markup.preDepth <= 0) u = u' ';
    return u;
}

bool StartsWith(std::u16string_view text, std::u16string_view name) {
    return text.size() >= name.size() && text.compare(0, name.size(), name) == 0;
}

bool IsNameChar(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
           c == u'-';
}

const TagRow* FindOpening(const Dialect& d, std::u16string_view text) {
    for (int i = 0; i < d.rowCount; ++i) {
        if (StartsWith(text, d.rows[i].openName)) return &d.rows[i];
    }
    return nullptr;
}

// What a tag that no row matches yields: nothing for a silent inline element, else a space.
char16_t Unmatched(const Dialect& d, std::u16string_view tag) {
    if (!tag.empty() && tag[0] == u'/') tag.remove_prefix(1);
    size_t n = 0;
    while (n < tag.size() && tag[n] != u' ' && tag[n] != u'/' && tag[n] != u'>') ++n;
    for (int i = 0; i < d.silentCount; ++i) {
        if (tag.substr(0, n) == d.silent[i]) return 0;
    }
    return u' ';
}

// "/P" is a prefix of "/PRE>", so the row whose closing name ends at a name boundary wins first;
// only when none does, a plain prefix match ("</title-info>" still closes "title").
const TagRow* FindClosing(const Dialect& d, std::u16string_view text) {
    for (int i = 0; i < d.rowCount; ++i) {
        const std::u16string_view name = d.rows[i].closeName;
        if (StartsWith(text, name) &&
            (text.size() == name.size() || !IsNameChar(text[name.size()]))) {
            return &d.rows[i];
        }
    }
    for (int i = 0; i < d.rowCount; ++i) {
        if (StartsWith(text, d.rows[i].closeName)) return &d.rows[i];
    }
    return nullptr;
}

char16_t Mark(const MarkupState& m, char16_t unit) {
    if (unit == 0) return 0;
    if (m.centreDepth > 0 || m.centreOnce) return kMarkTitle;
    if (m.rightDepth > 0 || m.rightOnce) return kMarkRight;
    if (m.leftDepth > 0 || m.leftOnce) return kMarkLeft;
    return kMarkBody;
}

// An emphasis element, found by its whole name, moves its depth; one closed in itself ("<i/>")
// emphasises nothing. Whatever the tag yields is decided by the rows, apart from this.
void MoveEmphasis(MarkupState& m, const Dialect& d, std::u16string_view tag) {
    const bool closing = !tag.empty() && tag[0] == u'/';
    if (closing) tag.remove_prefix(1);
    // Most tags (paragraphs, sections) start with no emphasis name's first character.
    if (tag.empty() || !(*d.emphasisFirsts & FirstCharBit(tag[0]))) return;
    if (tag.size() >= 2 && tag[tag.size() - 2] == u'/') return;
    size_t n = 0;
    while (n < tag.size() && tag[n] != u' ' && tag[n] != u'/' && tag[n] != u'>') ++n;
    const std::u16string_view name = tag.substr(0, n);
    for (int i = 0; i < d.emphasisCount; ++i) {
        if (name != d.emphasis[i].name) continue;
        for (int k = 0; k < kEmphasisKinds; ++k) {
            if (!(d.emphasis[i].style & (1u << k))) continue;
            int32_t& depth = m.emphasisDepth[k];
            if (closing) {
                if (depth > 0) --depth;
            } else if (depth < kEmphasisDepthMax) {
                ++depth;
            }
        }
        return;
    }
}

void MoveDepths(MarkupState& m, uint32_t flags, bool open) {
    int32_t* depths[3] = {&m.centreDepth, &m.rightDepth, &m.leftDepth};
    const uint32_t bits[3] = {kTagCentre, kTagRight, kTagLeft};
    for (int i = 0; i < 3; ++i) {
        if (flags & bits[i]) open ? Raise(*depths[i]) : Lower(*depths[i]);
    }
}

void ClearOnce(MarkupState& m) {
    m.centreOnce = m.leftOnce = m.rightOnce = 0;
}

bool Contains(std::u16string_view text, std::u16string_view what) {
    return text.find(what) != std::u16string_view::npos;
}

// Reads the tag that the "<" just read opens; returns the unit to store (0 for none) and leaves
// the pending skip at the characters read plus one.
char16_t ReadTag(Document& doc, uint32_t offset, const Dialect& d) {
    MarkupState& m = doc.markup;
    m.pendingSkip = 1;
    const uint32_t size = doc.sourceSize;
    const uint32_t tagStart = offset;
    char16_t text[kTagBuffer];
    int stored = 0;
    int32_t read = 0;
    bool closed = false;
    // An XHTML document type's internal subset ("<!DOCTYPE html [ <!ENTITY …> ]>") is part of the
    // tag: its declarations, quoted values and comments may hold "<" and ">", so only the "]"
    // outside quotes ends it. One read to the end at most: a subset never closed swallows the
    // rest of the part, as any tag left open does.
    bool inSubset = false;
    char16_t quote = 0;
    while (offset < size) {
        char16_t c = NormaliseMarkup(doc, ReadSourceChar(doc, offset));
        if (inSubset) {
            if (read < INT32_MAX - 1) ++read;
            if (quote) {
                if (c == quote) quote = 0;
            } else if (c == u'"' || c == u'\'') {
                quote = c;
            } else if (c == u']') {
                inSubset = false;
            }
            continue;
        }
        if (d.xhtml && c == u'[' && stored >= 8 &&
            std::u16string_view(text, 8) == std::u16string_view(u"!DOCTYPE")) {
            inSubset = true;
            if (read < INT32_MAX - 1) ++read;
            continue;
        }
        if (c == u'<') {
            // Another "<" before the ">": the first one was an ordinary character ("i<n" in a
            // script).
            m.pendingSkip = 1;
            return u'<';
        }
        if (d.html && c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
        if (read < INT32_MAX - 1) ++read;
        if (stored < kTagBuffer) text[stored++] = c;
        if (c == u'>') {
            closed = true;
            break;
        }
    }
    // Every character read is skipped, also those beyond the buffer; the count saturates far
    // above any buffer so that a runaway tag cannot overflow it.
    m.pendingSkip = read < INT32_MAX - 1 ? read + 1 : INT32_MAX;
    if (!closed) return u'<';  // the end came first: the rest of the source is swallowed
    // A control character (normalised to 0) ends the text for comparisons.
    int length = 0;
    while (length < stored && text[length] != 0) ++length;
    const std::u16string_view tag(text, length);
    if (doc.gather.indexing) GatherTag(doc, tag, d.html, m.hiddenDepth > 0);
    MoveEmphasis(m, d, tag);
    if (doc.pictures.indexing)
        GatherPictureTag(doc, tag, d.html, m.hiddenDepth > 0, tagStart, offset);

    if (!tag.empty() && tag[0] == u'/') {
        const TagRow* row = FindClosing(d, tag);
        if (!row) return Unmatched(d, tag);
        if (row->preformatted) Lower(m.preDepth);
        if (Hidden(d, *row)) Lower(m.hiddenDepth);
        if (row->flags & kTagBlock) {
            if (d.html) ClearOnce(m);
            MoveDepths(m, row->flags, false);
            return Mark(m, row->closeUnit);
        }
        if (row->flags & kTagInline) return 0;
        return row->closeUnit;
    }
    const TagRow* row = FindOpening(d, tag);
    if (!row) return Unmatched(d, tag);
    if (d.xhtml && tag.size() >= 2 && tag[tag.size() - 2] == u'/') {
        if (row->flags & kTagBlock) {
            ClearOnce(m);
            return Mark(m, row->openUnit);
        }
        return row->flags & kTagInline ? 0 : row->openUnit;
    }
    if (row->preformatted) Raise(m.preDepth);
    if (Hidden(d, *row)) Raise(m.hiddenDepth);
    if (row->flags & kTagBlock) {
        if (d.html) {
            ClearOnce(m);
            if (row->alignCheck) {
                bool found = false;
                if (Contains(tag, u"ALIGN=CENTER")) m.centreOnce = 1, found = true;
                if (Contains(tag, u"ALIGN=RIGHT")) m.rightOnce = 1, found = true;
                if (Contains(tag, u"ALIGN=LEFT")) m.leftOnce = 1, found = true;
                if (found) return Mark(m, row->openUnit);
            }
        }
        MoveDepths(m, row->flags, true);
        if (d.html) {
            if (row->flags & kTagCentreOnce) m.centreOnce = 1;
            if (row->flags & kTagLeftOnce) m.leftOnce = 1;
            if (row->flags & kTagRightOnce) m.rightOnce = 1;
        }
        return Mark(m, row->openUnit);
    }
    if (row->flags & kTagInline) return 0;
    return row->openUnit;
}

// Reads the character reference that the "&" just read opens; returns its unit, or "&" (with no
// skip) when it is not one, so that its text follows as ordinary characters.
char16_t ReadReference(Document& doc, uint32_t offset) {
    MarkupState& m = doc.markup;
    m.pendingSkip = 1;
    if (offset >= doc.sourceSize) return u' ';
    char16_t text[kReferenceMax];
    int length = 0;
    for (;;) {
        if (length == kReferenceMax || offset >= doc.sourceSize) {
            m.pendingSkip = 0;
            return u'&';
        }
        const char16_t c = NormaliseMarkup(doc, ReadSourceChar(doc, offset));
        ++m.pendingSkip;
        if (c == u';') break;
        text[length++] = c;
    }
    const std::u16string_view ref(text, length);
    if (!ref.empty() && ref[0] == u'#') {
        uint32_t value = 0;
        for (size_t i = 1; i < ref.size() && i <= 5 && ref[i] >= u'0' && ref[i] <= u'9'; ++i) {
            value = value * 10 + (ref[i] - u'0');
        }
        if (value > 0 && value < 65535) return static_cast<char16_t>(value);
    }
    for (const EntityRow& row : kEntityTable) {
        if (StartsWith(ref, row.name)) return row.codePoint;
    }
    m.pendingSkip = 0;
    return u'&';
}

int MarkupFilter(Document& doc, char16_t& unit, uint32_t offset, const Dialect& d) {
    MarkupState& m = doc.markup;
    if (m.pendingSkip > 0) {
        // UTF-8 books skip what a lookahead consumed one character at a time.
        --m.pendingSkip;
        return 0;
    }
    m.pendingSkip = 0;
    char16_t u = NormaliseMarkup(doc, unit);
    if (u == 10 && m.hiddenDepth == 0 && doc.txtParagraphMode != kTxtPlainAsIs) {
        unit = DetectParagraph(doc, offset);
        return 1 << m.handOver;
    }
    if (u == u'<' || u == u'&') {
        // A reference's character is normalised as the same character in the source would be,
        // so that no no-break space reaches the stream (a run of them would be one long word,
        // and search could not match it as white space). Values below 32 stay marks.
        u = u == u'<' ? ReadTag(doc, offset, d) : ReadReference(doc, offset);
        if (u >= 32) u = Normalise(u);
        if (m.pendingSkip > 0) --m.pendingSkip;
    }
    unit = u;
    return (u != 0 && m.hiddenDepth == 0) << m.handOver;
}

}  // namespace

int HtmlFilter(Document& doc, char16_t& unit, uint32_t offset) {
    return MarkupFilter(doc, unit, offset, kHtml);
}

int Fb2Filter(Document& doc, char16_t& unit, uint32_t offset) {
    return MarkupFilter(doc, unit, offset, kFb2);
}

int XhtmlFilter(Document& doc, char16_t& unit, uint32_t offset) {
    return MarkupFilter(doc, unit, offset, kXhtml);
}

}  // namespace lectra
