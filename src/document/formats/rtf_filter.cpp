// The RTF filter: drops RTF syntax and turns control words, escapes and destinations into units.
#include "document/formats/rtf_filter.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "document/encoding.h"

namespace lectra {

const RtfWord kRtfWordTable[24] = {
    {kRtfSkipGroup, 0, "STYLESHEET"}, {kRtfSkipGroup, 0, "FONTTBL"},   {kRtfEmit, 0x2014, "EMDASH"},
    {kRtfEmit, u'-', "ENDASH"},       {kRtfEmit, u' ', "EMSPACE"},     {kRtfEmit, u' ', "ENSPACE"},
    {kRtfEmit, 0x2022, "BULLET"},     {kRtfEmit, 0x2018, "LQUOTE"},    {kRtfEmit, 0x2019, "RQUOTE"},
    {kRtfEmit, 0x201C, "LDBLQUOTE"},  {kRtfEmit, 0x201D, "RDBLQUOTE"}, {kRtfSkipGroup, 0, "INFO"},
    {kRtfSkipGroup, 0, "PICT"},       {kRtfEmit, kMarkBody, "PAGE"},   {kRtfEmit, u' ', "CELL"},
    {kRtfEmit, kMarkBody, "LINE"},    {kRtfEmit, kMarkBody, "SECT"},   {kRtfEmit, 0, "PARD"},
    {kRtfEmit, u' ', "TAB"},          {kRtfEmit, kMarkBody, "PAR"},    {kRtfEmit, kMarkTitle, "QC"},
    {kRtfEmit, kMarkRight, "QR"},     {kRtfEmit, kMarkBody, "ROW"},    {kRtfSkipGroup, 0, "*"},
};

namespace {

constexpr int kMaxWordLetters = 32;  // longer than any name in the table

bool IsLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Reading ahead through the source from a copy of the offset, counting what is consumed.
struct Lookahead {
    Document* doc;
    uint32_t at;
    uint64_t consumed = 0;

    bool Peek(char16_t& c) const {
        if (at >= doc->sourceSize) return false;
        uint32_t a = at;
        c = ReadSourceChar(*doc, a);
        return true;
    }
    bool Next(char16_t& c) {
        if (at >= doc->sourceSize) return false;
        c = ReadSourceChar(*doc, at);
        ++consumed;
        return true;
    }
    void Take() {
        char16_t c;
        Next(c);
    }
};

// Swallows the rest of a group (escaped braces do not count) and, at depth 0, its closing brace.
// The end of the source ends it too.
void SkipGroup(Lookahead& in, int depth) {
    char16_t c;
    while (depth > 0 && in.Next(c)) {
        if (c == u'\\') {
            if (!in.Next(c)) break;
        } else if (c == u'{') {
            ++depth;
        } else if (c == u'}') {
            --depth;
        }
    }
}

// What the control word or symbol after a backslash stands for (0: nothing). The characters it
// consumed after the backslash are left in the pending skip; a backslash that starts nothing
// readable is returned itself with nothing consumed.
char16_t ReadControl(Document& doc, uint32_t offset) {
    MarkupState& m = doc.markup;
    m.pendingSkip = 0;
    Lookahead in{&doc, offset};
    auto done = [&](char16_t result) {
        m.pendingSkip = static_cast<int32_t>(std::min<uint64_t>(in.consumed, INT32_MAX));
        return result;
    };
    char16_t first;
    if (!in.Next(first)) return u'\\';
    switch (first) {
        case 9:
        case u'~':
        case u'/':
            return done(u' ');
        case 10:
        case 13:
        case u':':
            return done(kMarkBody);
        case u'{':
        case u'}':
        case u'\\':
            return done(first);
        case u'-':
            return done(0);
        case u'_':
            return done(u'-');
        case u'*':
            SkipGroup(in, 1);
            return done(0);
        case u'\'': {
            char16_t h1, h2;
            if (in.Next(h1) && in.Next(h2) && HexValue(h1) >= 0 && HexValue(h2) >= 0) {
                const char16_t u = doc.byteToChar[HexValue(h1) * 16 + HexValue(h2)];
                if (u >= 20) return done(u);
            }
            return u'\\';
        }
        default:
            break;
    }
    if (!IsLetter(first)) {
        // An unknown symbol vanishes; its character stays in the text unless it is a space, a
        // control or ";".
        if (first <= u' ' || first == u';') return done(0);
        return 0;
    }

    // A control word is letters, then an optional parameter (digits, perhaps after "-"); the
    // first other character ends it and is swallowed only as a delimiting space (or ";").
    char name[kMaxWordLetters];
    int letters = 0;
    name[letters++] = static_cast<char>(first & ~0x20);
    char16_t c;
    while (in.Peek(c) && IsLetter(c)) {
        in.Take();
        if (letters < kMaxWordLetters) name[letters++] = static_cast<char>(c & ~0x20);
    }
    bool negative = false, hasParam = false;
    int64_t param = 0;
    if (in.Peek(c) && c == u'-') {
        Lookahead probe = in;
        probe.Take();
        if (probe.Peek(c) && IsDigit(c)) {
            negative = true;
            in = probe;
        }
    }
    while (in.Peek(c) && IsDigit(c)) {
        in.Take();
        hasParam = true;
        param = std::min<int64_t>(param * 10 + (c - u'0'), 1000000000);
    }
    char16_t terminator;
    if (!in.Peek(terminator)) return u'\\';  // the source ends inside the word
    const std::string_view word(name, letters);

    if (word == "U" && hasParam) {
        // Values above 32767 are written negative, as signed 16-bit numbers.
        const int64_t value = negative ? 65536 - param : param;
        if (value > 0 && value < 65536) {
            // The fallback for readers without Unicode follows: as many characters as the last
            // \ucN said, skipped as they come.
            m.rtfFallback = m.rtfUnicodeSkip;
            if (terminator == u' ') in.Take();
            return done(static_cast<char16_t>(value));
        }
    }
    if (word == "UC" && hasParam)
        m.rtfUnicodeSkip = negative ? 0 : static_cast<int32_t>(std::min<int64_t>(param, 255));

    for (const RtfWord& row : kRtfWordTable) {
        if (!word.starts_with(row.name)) continue;
        if (row.kind == kRtfSkipGroup) {
            int depth = 1;
            if (terminator == u'}') return done(0);  // the group closes here; the brace stays
            if (terminator == u'{') {
                in.Take();
                depth = 2;
            }
            SkipGroup(in, depth);
            return done(0);
        }
        if (terminator == u' ' || terminator == u';') in.Take();
        return done(row.emits);
    }
    if (terminator == u' ' || terminator == u';') in.Take();
    return done(0);
}

}  // namespace

int RtfFilter(Document& doc, char16_t& unit, uint32_t offset) {
    MarkupState& m = doc.markup;
    if (m.pendingSkip > 0) {
        --m.pendingSkip;
        return 0;
    }
    const char16_t ch = unit;
    if (m.rtfFallback > 0) {
        // A \uN's fallback: plain characters and escapes count one each; line breaks of the
        // source are not characters; a brace or another control word ends it early.
        if (ch == u'{' || ch == u'}') {
            m.rtfFallback = 0;
        } else if (ch < 32) {
            return 0;
        } else if (ch != u'\\') {
            --m.rtfFallback;
            return 0;
        } else {
            const Lookahead in{&doc, offset};
            char16_t next;
            if (in.Peek(next) && (next == u'\'' || next == u'\\' || next == u'{' || next == u'}')) {
                --m.rtfFallback;
                m.pendingSkip = next == u'\'' ? 3 : 1;
                return 0;
            }
            m.rtfFallback = 0;
        }
    }
    if (ch < 32 || ch == u'{' || ch == u'}') return 0;
    if (ch != u'\\') return 1;
    unit = ReadControl(doc, offset);
    return unit != 0;
}

}  // namespace lectra
