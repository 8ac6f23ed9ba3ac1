// Break marks of one word: Liang patterns through the index, the boundary rule, the list of
// characters after which a word always may break.
#include "layout/hyphenate.h"

#include <algorithm>
#include <cstring>

namespace lectra {

namespace {

// The frame around a word and every character that has no letter entry.
constexpr uint8_t kBoundary = 0x20;

// Characters that end a piece of a word as they stand: signs, slashes, dashes, the soft hyphen.
constexpr char16_t kAlwaysBreakAfter[] = {
    u'#',      u'$',      u'%',      u'&',      u'+',      u'-',
    u'/',      u'=',      u'\u0040', u'\u005C', u'\u00A6', u'\u00AD',
    u'\u00B1', u'\u2013', u'\u2014', u'\u2022', u'\u2026',
};

bool AlwaysBreaksAfter(char16_t c) {
    return std::find(std::begin(kAlwaysBreakAfter), std::end(kAlwaysBreakAfter), c) !=
           std::end(kAlwaysBreakAfter);
}

// Raises the values to one pattern's digits where they are higher. Digit t belongs to the gap
// after framed position s − 1 + t; the gap before the opening boundary does not exist.
void Apply(HyphenWork& w, const HyphenPatterns& h, const HyphenPatterns::Pattern& p, int s) {
    const uint8_t* digits = h.block.data() + p.digits;
    for (int t = 0; t <= p.length; ++t) {
        const int gap = s - 1 + t;
        if (gap >= 0 && digits[t] > static_cast<uint8_t>(w.values[gap])) {
            w.values[gap] = static_cast<char>(digits[t]);
        }
    }
}

// The pattern pass: from every start s, each pattern of the index range of the framed character
// at s whose letters equal the framed word from s on. Taking the maximum does not depend on the
// order, so the matches are found in the patterns ordered by letters: the patterns that begin
// with the framed characters s .. s + L − 1 are one run of that order, narrowed as L grows, and
// the ones that are exactly those characters open the run.
void PatternPass(HyphenWork& w, const HyphenPatterns& h) {
    const int framedLength = w.length + 2;
    const uint8_t* block = h.block.data();
    const auto& order = h.byLetters;
    for (int s = w.length; s >= 0; --s) {
        const int32_t entry = h.indexOfCode[w.framed[s]];
        if (entry < 0) continue;
        const HyphenPatterns::IndexEntry& range = h.index[entry];
        if (range.first >= range.end) continue;
        const uint8_t* key = w.framed + s;
        auto lo = order.begin(), hi = order.end();
        for (int length = 0; s + length <= framedLength && lo != hi; ++length) {
            // Pattern versus the key's first `length` characters: below, a run member, above.
            auto compare = [&](uint32_t number) {
                const HyphenPatterns::Pattern& p = h.patterns[number];
                const int c = std::memcmp(block + p.letters, key, std::min<int>(p.length, length));
                if (c != 0) return c;
                return p.length < length ? -1 : 0;
            };
            lo = std::partition_point(lo, hi, [&](uint32_t n) { return compare(n) < 0; });
            hi = std::partition_point(lo, hi, [&](uint32_t n) { return compare(n) == 0; });
            for (auto i = lo; i != hi && h.patterns[*i].length == length; ++i) {
                if (*i >= range.first && *i < range.end) Apply(w, h, h.patterns[*i], s);
            }
        }
    }
}

// No break next to a boundary: two characters at least stay on each side of a non-letter and
// before the word's end.
void BoundaryRule(HyphenWork& w) {
    const int n = w.length;
    for (int i = 1; i <= n + 1; ++i) {
        if (w.framed[i] != kBoundary) continue;
        if (i - 2 > 0) w.values[i - 2] = '0';
        if (i - 1 > 0) w.values[i - 1] = '0';
        w.values[i] = '0';
        if (i + 1 < n + 2) w.values[i + 1] = '0';
    }
}

}  // namespace

void SetHyphenationWord(HyphenWork& work, const char16_t* word, int length) {
    work.length = std::clamp(length, 0, kMaxWord);
    std::copy(word, word + work.length, work.word);
}

void HyphenateWord(HyphenWork& w, const HyphenPatterns& h, int hyphenOn, int allowed) {
    const int n = std::clamp(w.length, 0, kMaxWord);
    w.length = n;
    const bool haveLetters = !h.codeOfUnit.empty();
    w.framed[0] = kBoundary;
    w.hasLetter[0] = 0;
    for (int i = 0; i < n; ++i) {
        const int code = haveLetters ? h.codeOfUnit[w.word[i]] : -1;
        w.framed[i + 1] = code >= 0 ? static_cast<uint8_t>(code) : kBoundary;
        w.hasLetter[i + 1] = code >= 0;
    }
    w.framed[n + 1] = kBoundary;
    w.hasLetter[n + 1] = 0;
    std::memset(w.values, '0', static_cast<size_t>(n + 2));
    std::memset(w.marks, '*', static_cast<size_t>(n));
    if (n < 4) return;

    if (allowed && hyphenOn && haveLetters) PatternPass(w, h);
    BoundaryRule(w);

    // From here value k + 1 is the gap after the word's character k.
    int lead = 0;
    while (lead < n - 2 && !w.hasLetter[lead + 1]) ++lead;
    int trail = n - 2;
    for (int k = n - 1; k >= 0 && trail > lead && !w.hasLetter[k + 1]; --k) --trail;
    for (int k = 0; k < n; ++k) {
        const char v = w.values[k + 1];
        if (AlwaysBreaksAfter(w.word[k])) {
            w.marks[k] = 'A';
        } else if (v >= '1' && v <= '9' && ((v - '0') & 1) && lead < k && k < trail) {
            w.marks[k] = 'a';
        }
    }
}

std::u16string HyphenatedForm(const HyphenPatterns& patterns, const std::u16string& word) {
    HyphenWork work;
    SetHyphenationWord(work, word.data(), static_cast<int>(word.size()));
    HyphenateWord(work, patterns, 1, 1);
    std::u16string out;
    for (int k = 0; k < work.length; ++k) {
        out += work.word[k];
        if (work.marks[k] == 'a') out += u'-';
    }
    out.append(word, static_cast<size_t>(work.length));
    return out;
}

}  // namespace lectra
