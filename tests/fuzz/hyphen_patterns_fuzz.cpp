// Fuzz target: bytes as a pattern file; loaded or refused, no read outside its tables.
#include "fuzz_support.h"
#include "layout/hyphen_patterns.h"
#include "layout/hyphenate.h"

using namespace lectra;
using fuzz::Check;

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
    for (char16_t c : {u'ё', u'-', u'1', u'Z', u'я'}) {
        if (n < kMaxWord) word[n++] = c;
    }
    HyphenWork work;
    for (int length = 0; length <= n; length += (length < 8 ? 1 : 37)) {
        for (int start = 0; start + length <= n; start += 13) {
            SetHyphenationWord(work, word + start, length);
            HyphenateWord(work, patterns, 1, 1);
            for (int k = 0; k < length; ++k) {
                const char m = work.marks[k];
                Check(m == 'a' || m == 'A' || m == '*');
                Check(m != 'a' || (k >= 1 && k <= length - 3));
            }
        }
    }
    return 0;
}
