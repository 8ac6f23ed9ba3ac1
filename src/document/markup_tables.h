// The tag tables of HTML and FictionBook and the named character references, as data.
#pragma once
#include <cstdint>
#include <string_view>

namespace lectra {

// Tag flags.
constexpr uint32_t kTagBlock = 0x001;       // opening and closing emit a paragraph mark
constexpr uint32_t kTagCentre = 0x002;      // raises the centre depth while open
constexpr uint32_t kTagRight = 0x004;       // raises the right depth while open
constexpr uint32_t kTagInline = 0x100;      // an inline element: yields nothing, open or closed
constexpr uint32_t kTagLeft = 0x200;        // raises the left depth while open
constexpr uint32_t kTagCentreOnce = 0x400;  // opening sets centre-once (HTML)
constexpr uint32_t kTagLeftOnce = 0x800;
constexpr uint32_t kTagRightOnce = 0x1000;

struct TagRow {
    bool preformatted;
    bool hidden;
    char16_t openUnit;
    char16_t closeUnit;
    bool alignCheck;
    std::u16string_view openName;  // the view carries the name's length
    std::u16string_view closeName;
    uint32_t flags;
};

struct EntityRow {
    std::u16string_view name;
    char16_t codePoint;  // 0: the reference yields nothing
};

// Searched in order; the first row whose name is a prefix of the tag text wins.
extern const TagRow kHtmlTagTable[41];
extern const TagRow kFb2TagTable[19];
// Inline elements that no row has: they sit inside words and before punctuation ("H<sub>2</sub>O",
// "<strong>word</strong>:"), so, opening or closing, they yield nothing where any other unknown
// tag yields a space. Whole names, compared after the tag text is read (HTML upper-cased).
extern const std::u16string_view kHtmlSilentTags[15];
extern const std::u16string_view kFb2SilentTags[7];
// Elements that emphasise their text, by whole name (HTML upper-cased); they move the markup
// state's emphasis depths and nothing else, so what a tag yields is the rows' business alone.
struct EmphasisTag {
    std::u16string_view name;
    uint8_t style;  // one kEmphasis… bit
};
extern const EmphasisTag kHtmlEmphasisTags[17];
extern const EmphasisTag kFb2EmphasisTags[8];
// The first characters of each table's names as bits of (character & 63), so that the filter
// passes over a tag that starts none of them without comparing names.
extern const uint64_t kHtmlEmphasisFirsts;
extern const uint64_t kFb2EmphasisFirsts;
constexpr uint64_t FirstCharBit(char16_t c) {
    return c < 128 ? uint64_t{1} << (c & 63) : ~uint64_t{0};
}
// The named references of HTML 4.01 in the order of its entity sets.
extern const EntityRow kEntityTable[252];

}  // namespace lectra
