// Hyphenation: the pattern loader, break points against pyphen, the rules around the patterns.
#include <gtest/gtest.h>

#include "layout_test_support.h"

namespace lectra {
namespace {

const HyphenPatterns& EnPat() {
    static HyphenPatterns patterns;
    static const int loaded = test::LoadEnPat(patterns);
    EXPECT_EQ(loaded, 1);
    return patterns;
}

// The word with "-" after each character marked 'a', and "|" after each marked 'A'.
std::string Hyphenated(const std::u16string& word, int hyphenOn = 1, int allowed = 1,
                       const HyphenPatterns& patterns = EnPat()) {
    HyphenWork work;
    SetHyphenationWord(work, word.data(), static_cast<int>(word.size()));
    HyphenateWord(work, patterns, hyphenOn, allowed);
    std::u16string out;
    for (int k = 0; k < work.length; ++k) {
        out += work.word[k];
        if (work.marks[k] == 'a') out += u'-';
        if (work.marks[k] == 'A') out += u'|';
    }
    return Utf16ToUtf8(out);
}

std::string U32(uint32_t v) {
    return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

// Strings each ended by a zero byte.
template <class... Strings>
std::string Z(Strings... strings) {
    return ((std::string(strings) + '\0') + ...);
}

// A small file: letters a and b; the patterns "1ba" (break before "ba") and ".a1" (break after an
// initial a), indexed by their first codes: b, then the word's edge.
struct PatternFile {
    std::string magic = "LcH1", block = Z("ba", "100", " a", "001"), tail;
    uint32_t n = 2, p = 2, range[4] = {0, 1, 1, 2};  // first and end of each index entry
    int64_t bExtra = 0;                              // added to B in the header
    size_t keep = std::string::npos;                 // bytes kept of the whole
    std::string Bytes() const {
        return (magic + U32(n) + U32(p) + U32(uint32_t(int64_t(block.size()) + bExtra)) +
                std::string("a\0A\0ab\0B\0b", 10) + "b" + U32(range[0]) + U32(range[1]) + " " +
                U32(range[2]) + U32(range[3]) + block + tail)
            .substr(0, keep);
    }
};

int Load(HyphenPatterns& h, const std::string& bytes) {
    return LoadHyphenPatternsFromBytes(h, reinterpret_cast<const uint8_t*>(bytes.data()),
                                       bytes.size());
}

TEST(HyphenPatterns, ASmallFileHyphenatesAndAMissingOrBrokenOneLeavesNoPatterns) {
    HyphenPatterns small;
    ASSERT_EQ(Load(small, PatternFile().Bytes()), 1);
    ASSERT_EQ(small.patterns.size(), 2u);
    // "1ba" allows the break before "ba"; the one after the initial A would leave one character.
    EXPECT_EQ(Hyphenated(u"ABBAB", 1, 1, small), "AB-BAB");

    test::ScratchDir dir;
    HyphenPatterns missing;
    EXPECT_EQ(LoadHyphenPatterns(missing, Utf8ToUtf16(dir.path())), 0);
    EXPECT_TRUE(missing.patterns.empty() && missing.codeOfUnit.empty());

    const struct {
        const char* what;
        void (*edit)(PatternFile&);
    } cases[] = {
        {"magic", [](PatternFile& f) { f.magic = "LcH2"; }},
        {"short header", [](PatternFile& f) { f.keep = 10; }},
        {"empty", [](PatternFile& f) { f.keep = 0; }},
        {"B larger than the file", [](PatternFile& f) { f.bExtra = 1; }},
        {"trailing byte", [](PatternFile& f) { f.tail = "x"; }},
        {"N larger than the tables", [](PatternFile& f) { f.n = 3; }},
        {"first not below P", [](PatternFile& f) { f.range[0] = f.range[1] = 2; }},
        {"end beyond P", [](PatternFile& f) { f.range[1] = 3; }},
        {"fewer than 2 P strings", [](PatternFile& f) { f.p = 3, f.block += Z("xxx"); }},
        {"unterminated string", [](PatternFile& f) { f.block.back() = '1'; }},
        {"digits unlike letters", [](PatternFile& f) { f.block = Z("ba", "10", " a", "001"); }},
        {"a digit that is not one", [](PatternFile& f) { f.block = Z("ba", "1x0", " a", "001"); }},
        {"P too large for the block", [](PatternFile& f) { f.p = 0x40000000; }},
    };
    for (const auto& c : cases) {
        PatternFile f;
        c.edit(f);
        HyphenPatterns h;
        ASSERT_EQ(Load(h, PatternFile().Bytes()), 1);  // a bad file replaces loaded patterns
        EXPECT_EQ(Load(h, f.Bytes()), 0) << c.what;
        EXPECT_TRUE(h.letters.empty() && h.index.empty() && h.patterns.empty() && h.block.empty())
            << c.what;
    }
}

// ё as е, non-letters as word edges (no break next to them, the two-character minimum counted
// from the letters), the always-list whatever the switches, no pattern breaks with HYPHEN off or
// the pass not allowed or no patterns, and words of three characters or fewer never broken.
TEST(Hyphenate, TheRulesAroundThePatterns) {
    const HyphenPatterns none;
    const struct {
        const char16_t* word;
        const char* expected;
        int hyphenOn = 1, allowed = 1;
        const HyphenPatterns& patterns = EnPat();
    } cases[] = {
        // clang-format off
        {u"тёмными", "тём-ны-ми"}, {u"ЗЕЛЁНОГО", "ЗЕ-ЛЁ-НО-ГО"},
        {u"«электричество»,", "«элек-три-че-ство»,"}, {u"(computer)", "(com-put-er)"},
        {u"x2paragraph", "x2para-graph"},
        {u"abc-def", "abc-|def"}, {u"abc-def", "abc-|def", 0}, {u"and/or", "and/|or"},
        {u"да—нет", "да—|нет", 0, 0}, {u"soft\u00ADware", "soft\u00AD|ware", 0},
        {u"hyphenation", "hyphenation", 0}, {u"hyphenation", "hyphenation", 1, 0},
        {u"hyphen-ation", "hyphen-|ation", 1, 1, none},
        {u"a-b", "a-b"}, {u"a/b", "a/b"}, {u"and", "and"}, {u"a-bc", "a-|bc"},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(Hyphenated(c.word, c.hyphenOn, c.allowed, c.patterns), c.expected);
}

TEST(Hyphenate, LongWordsAreCutToTheBuffer) {
    const std::string h = Hyphenated(std::u16string(400, u'a'));
    EXPECT_EQ(std::count(h.begin(), h.end(), 'a'), kMaxWord);
    EXPECT_EQ(h.find_first_not_of("a-"), std::string::npos);
}

TEST(Hyphenate, EveryWordOfTheStoriesAgreesWithPyphen) {
    if (test::Run("/usr/bin/python3 -c 'import pyphen' 2>&1; echo $?") != "0\n")
        GTEST_SKIP() << "python3-pyphen is not installed (scripts/setup.sh)";
    // Each run of Latin or Cyrillic letters once, and its break points with ё given as е.
    test::ScratchDir dir;
    const std::string script =
        dir.Write("h.py",
                  "import pyphen, re, sys\n"
                  "en, ru = pyphen.Pyphen(lang='en_US'), pyphen.Pyphen(lang='ru_RU')\n"
                  "text = ' '.join(open(f, encoding='utf-8').read() for f in sys.argv[1:])\n"
                  "for w in sorted(set(re.findall('[A-Za-z\\u0400-\\u04ff]+', text))):\n"
                  "    d = ru if re.search('[\\u0400-\\u04ff]', w) else en\n"
                  "    print(w, d.inserted(w.replace('\\u0451', '\\u0435').replace('\\u0401', "
                  "'\\u0415')))\n");
    const std::vector<std::string> out =
        test::Words(test::Run("/usr/bin/python3 " + script + " " + test::Fixture("source/en.txt") +
                              " " + test::Fixture("source/ru.txt")));
    ASSERT_GT(out.size(), 2000u);
    ASSERT_EQ(out.size() % 2, 0u);
    for (size_t i = 0; i < out.size(); i += 2) {
        std::u16string ours = Utf8ToUtf16(Hyphenated(Utf8ToUtf16(out[i])));
        for (char16_t& c : ours) c = c == u'ё' ? u'е' : c == u'Ё' ? u'Е' : c;
        EXPECT_EQ(Utf16ToUtf8(ours), out[i + 1]) << out[i];
    }
}

}  // namespace
}  // namespace lectra
