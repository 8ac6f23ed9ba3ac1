// The folded form of names and titles that the catalogue sorts and searches by.
#include "library/name_fold.h"

#include "platform/sys/case_map.h"
#include "platform/sys/utf.h"

namespace lectra {

namespace {

// A search term is limited so that a pasted page cannot make a query of thousands of words.
constexpr size_t kMaxQueryWords = 16;

// Letters and digits make words; everything else (spaces, punctuation, quotes, dashes) parts
// them. Surrogates are kept inside words so that a character beyond the first plane is not cut.
bool WordUnit(char16_t c) {
    if (c < 0x80)
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    if (c >= 0x2000 && c <= 0x206F) return false;  // general punctuation: dashes, quotes, ellipsis
    if (c == 0xAB || c == 0xBB || c == 0xA0 || c == 0xB7 || c == 0xFFFD) return false;
    if (c == 0x3000 || (c >= 0xFE10 && c <= 0xFE6F) || (c >= 0xFF01 && c <= 0xFF0F)) return false;
    return true;
}

}  // namespace

std::u16string FoldName(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) {
        c = LowerCase(c);
        if (c == u'ё') c = u'е';
    }
    return out;
}

std::vector<std::string> FoldedWords(std::u16string_view text) {
    std::vector<std::string> words;
    const std::u16string folded = FoldName(text);
    size_t i = 0;
    while (i < folded.size()) {
        while (i < folded.size() && !WordUnit(folded[i])) ++i;
        const size_t start = i;
        while (i < folded.size() && WordUnit(folded[i])) ++i;
        if (i > start)
            words.push_back(Utf16ToUtf8(std::u16string_view(folded).substr(start, i - start)));
    }
    return words;
}

std::string SearchExpression(std::u16string_view query) {
    std::string expression;
    const std::vector<std::string> words = FoldedWords(query);
    for (size_t i = 0; i < words.size() && i < kMaxQueryWords; ++i) {
        // Each word as a quoted string (a quote doubled inside), a prefix of a stored word.
        if (!expression.empty()) expression += ' ';
        expression += '"';
        for (char c : words[i]) {
            if (c == '"') expression += '"';
            expression += c;
        }
        expression += "\"*";
    }
    return expression;
}

}  // namespace lectra
