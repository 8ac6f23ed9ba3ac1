// Hyphenation: the pattern loader, break points against pyphen, the rules around the patterns,
// and the patterns of the book's language.
#include <gtest/gtest.h>

#include <algorithm>

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

bool HavePyphen() {
    return test::Run("/usr/bin/python3 -c 'import pyphen' 2>&1; echo $?") == "0\n";
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

TEST(HyphenPatterns, ASmallFileHyphenatesAndABrokenOneLeavesNoPatterns) {
    HyphenPatterns small;
    ASSERT_EQ(Load(small, PatternFile().Bytes()), 1);
    ASSERT_EQ(small.patterns.size(), 2u);
    // "1ba" allows the break before "ba"; the one after the initial A would leave one character.
    EXPECT_EQ(Hyphenated(u"ABBAB", 1, 1, small), "AB-BAB");

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
        {u"ЗЕЛЁНОГО", "ЗЕ-ЛЁ-НО-ГО"}, {u"«электричество»,", "«элек-три-че-ство»,"},
        {u"x2paragraph", "x2para-graph"}, {u"abc-def", "abc-|def", 0}, {u"and/or", "and/|or"},
        {u"да—нет", "да—|нет", 0, 0}, {u"soft\u00ADware", "soft\u00AD|ware", 0},
        {u"hyphenation", "hyphenation", 0}, {u"hyphenation", "hyphenation", 1, 0},
        {u"hyphen-ation", "hyphen-|ation", 1, 1, none},
        {u"a-b", "a-b"}, {u"and", "and"}, {u"a-bc", "a-|bc"},
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
    if (!HavePyphen()) GTEST_SKIP() << "python3-pyphen is not installed (scripts/setup.sh)";
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

std::string Hyphenated(const HyphenPatterns& patterns, const std::u16string& word) {
    return Utf16ToUtf8(HyphenatedForm(patterns, word));
}

// Words of each language, long ones and ones with its own letters, some capitalised or in
// capitals; pyphen's name for the language's patterns.
struct LanguageWords {
    const char* code;
    const char* pyphen;
    const char* words;
};
constexpr LanguageWords kWords[] = {
    {"uk", "uk_UA", "незалежність Батьківщина їжачок європейський ґудзик ЄВРОПЕЙСЬКИЙ"},
    {"be", "be_BY", "беларуская універсітэт заўсёды паведамленне жыццё дзяўчынка Беларусь"},
    {"de", "de_DE", "Donaudampfschifffahrt Übersetzung Straßenbahn Eichhörnchen ÜBERRASCHUNG"},
    {"fr", "fr", "anticonstitutionnellement responsabilité bibliothèque manœuvre Éléphant"},
    {"es", "es_ES", "desafortunadamente murciélago pequeño corazón lingüística ÁRBOLES"},
    {"it", "it_IT", "precipitevolissimevolmente responsabilità chiacchierare ghiacciaio Perché"},
    {"pl", "pl_PL", "niebezpieczeństwo gżegżółka książka wyobraźnia ŻÓŁTKO"},
    {"pt", "pt_PT", "constitucionalidade informação coração português pássaro amanhã ÓCULOS"},
};

// Every word of each language against pyphen on the Debian file the pattern file was made from,
// run now; a language file that lost its letters, its second level or its capitals shows here.
TEST(HyphenLanguages, EachLanguageAgreesWithPyphen) {
    if (!HavePyphen()) GTEST_SKIP() << "python3-pyphen is not installed (scripts/setup.sh)";
    test::ScratchDir dir;
    std::string list;
    for (const LanguageWords& l : kWords) {
        for (const std::string& w : test::Words(l.words))
            list += std::string(l.pyphen) + " " + w + "\n";
    }
    const std::string words = dir.Write("words.txt", list);
    const std::string script = dir.Write("h.py",
                                         "import pyphen, sys\n"
                                         "for line in open(sys.argv[1], encoding='utf-8'):\n"
                                         "    lang, word = line.split()\n"
                                         "    print(pyphen.Pyphen(lang=lang).inserted(word))\n");
    const std::vector<std::string> expected =
        test::Words(test::Run("/usr/bin/python3 " + script + " " + words));
    size_t i = 0;
    for (const LanguageWords& l : kWords) {
        HyphenPatterns patterns;
        ASSERT_EQ(LoadHyphenPatterns(patterns, test::PatternFolder()), 1);
        ASSERT_EQ(SelectHyphenPatterns(patterns, l.code), 1) << l.code;
        int broken = 0;
        for (const std::string& w : test::Words(l.words)) {
            ASSERT_LT(i, expected.size());
            const std::string ours = Hyphenated(patterns, Utf8ToUtf16(w));
            EXPECT_EQ(ours, expected[i]) << l.code << " " << w;
            broken += ours != w;
            ++i;
        }
        // The words have breaks: the patterns are really in use.
        EXPECT_GE(broken, 4) << l.code;
    }
    EXPECT_EQ(i, expected.size());
}

// The file by language, chosen in turn: English, Russian and a language not known read En.pat,
// the others their own (codes are lower case); a language without patterns, or a folder without
// the files, leaves the words whole. Letters beyond the pyphen words: German's ẞ, and a letter
// of the script that no German pattern has, which is a letter still, not a word's edge.
TEST(HyphenLanguages, TheLanguageChoosesThePatterns) {
    HyphenPatterns h;
    ASSERT_EQ(LoadHyphenPatterns(h, test::PatternFolder()), 1);
    const struct {
        const char* code;
        int selected;
        const char16_t* word;
        const char* expected;
    } cases[] = {
        {"uk", 1, u"hyphenation", "hyphenation"},  // no Latin letters in Ukrainian's
        {"ru", 1, u"тёмными", "тём-ны-ми"},
        {"nl", 0, u"zee-egel", "zee-egel"},  // the "-" breaks as it stands, unmarked
        {"en", 1, u"hyphenation", "hy-phen-ation"},
        {"EN", 0, u"hyphenation", "hyphenation"},
        {"", 1, u"hyphenation", "hy-phen-ation"},
        {"de", 1, u"STRAẞENBAHN", "STRA-ẞEN-BAHN"},
        {"de", 1, u"Kindergartęn", "Kin-der-gar-tęn"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SelectHyphenPatterns(h, c.code), c.selected) << c.code;
        EXPECT_EQ(h.patterns.empty() && h.codeOfUnit.empty(), !c.selected) << c.code;
        EXPECT_EQ(Hyphenated(h, c.word), c.expected) << c.code;
    }
    test::ScratchDir empty;
    HyphenPatterns missing;
    EXPECT_EQ(LoadHyphenPatterns(missing, Utf8ToUtf16(empty.path())), 0);
    EXPECT_EQ(SelectHyphenPatterns(missing, "de"), 0);
    EXPECT_EQ(Hyphenated(missing, u"Freundschaft"), "Freundschaft");
}

}  // namespace
}  // namespace lectra
