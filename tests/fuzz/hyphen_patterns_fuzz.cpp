// Fuzz target: arbitrary bytes loaded as a pattern file; a file that loads must hyphenate any word
// without reading outside its tables, with the values a plain walk over the index range gives, and
// one that does not must leave no patterns behind.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "layout/hyphen_patterns.h"
#include "layout/hyphenate.h"

using namespace lectra;

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

// The pattern pass as the loader's tables state it: every pattern of the index range compared in
// turn. The values the hyphenator ends with must be these after the boundary rule.
void PlainValues(const HyphenPatterns& h, const HyphenWork& w, char* values) {
    const int n = w.length;
    std::memset(values, '0', static_cast<size_t>(n + 2));
    for (int s = n; s >= 0; --s) {
        int entry = -1;
        for (size_t i = 0; i < h.index.size() && entry < 0; ++i) {
            if (h.index[i].code == w.framed[s]) entry = static_cast<int>(i);
        }
        if (entry < 0) continue;
        for (uint32_t i = h.index[entry].first; i < h.index[entry].end; ++i) {
            const HyphenPatterns::Pattern& p = h.patterns[i];
            if (s + p.length > n + 2 ||
                std::memcmp(h.block.data() + p.letters, w.framed + s, p.length) != 0) {
                continue;
            }
            for (int t = 0; t <= p.length; ++t) {
                const char d = static_cast<char>(h.block[p.digits + t]);
                if (s - 1 + t >= 0 && d > values[s - 1 + t]) values[s - 1 + t] = d;
            }
        }
    }
    for (int i = 1; i <= n + 1; ++i) {
        if (w.framed[i] != 0x20) continue;
        for (int g : {i - 2, i - 1}) {
            if (g > 0) values[g] = '0';
        }
        values[i] = '0';
        if (i + 1 < n + 2) values[i + 1] = '0';
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HyphenPatterns patterns;
    if (!LoadHyphenPatternsFromBytes(patterns, data, size)) {
        Check(patterns.letters.empty() && patterns.index.empty() && patterns.patterns.empty() &&
              patterns.block.empty());
        return 0;
    }
    Check(patterns.letters.size() == patterns.index.size());
    // Words made of the file's own letters (both forms), ё, and characters it has no entry for.
    char16_t word[kMaxWord + 1];
    int n = 0;
    for (const HyphenPatterns::Letter& l : patterns.letters) {
        if (n + 2 > kMaxWord) break;
        word[n++] = l.forms[0];
        word[n++] = l.forms[1];
    }
    const char16_t extra[] = {u'ё', u'-', u'1', u'Z', u'я'};
    for (char16_t c : extra) {
        if (n < kMaxWord) word[n++] = c;
    }
    HyphenWork work;
    for (int length = 0; length <= n; length += (length < 8 ? 1 : 37)) {
        for (int start = 0; start + length <= n; start += 13) {
            SetHyphenationWord(work, word + start, length);
            HyphenateWord(work, patterns, 1, 1);
            if (length >= 4) {
                char values[kMaxWord + 2];
                PlainValues(patterns, work, values);
                Check(std::memcmp(values, work.values, static_cast<size_t>(length + 2)) == 0);
            }
            for (int k = 0; k < length; ++k) {
                const char m = work.marks[k];
                Check(m == 'a' || m == 'A' || m == '*');
                Check(m != 'a' || (k >= 1 && k <= length - 3));
            }
        }
    }
    return 0;
}
