// Hyphenation in the book's language: each pattern file against pyphen, the choice of file.
#include <gtest/gtest.h>

#include <algorithm>

#include "layout_test_support.h"

namespace lectra {
namespace {

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
    {"uk", "uk_UA",
     "незалежність українська Батьківщина їжачок європейський ґудзик запорізький знаходиться "
     "співробітництво відповідальність письменник університет бібліотека міністерство навчання "
     "щоденник електростанція громадянин перекладач суспільство дослідження ЄВРОПЕЙСЬКИЙ"},
    {"be", "be_BY",
     "беларуская незалежнасць дзяржава універсітэт бібліятэка сонейка прыгожы рэспубліка "
     "заўсёды паведамленне літаратура гісторыя адукацыя супрацоўніцтва вучэбны кніжка жыццё "
     "даведнік хлопчык праўда дзяўчынка Беларусь"},
    {"de", "de_DE",
     "Donaudampfschifffahrt Sprachwissenschaft Bundesverfassungsgericht Freundschaft "
     "Übersetzung Gemütlichkeit Straßenbahn Entschuldigung Verantwortung Lebensmittelgeschäft "
     "Schmetterling Krankenhaus Wahrscheinlichkeit Eichhörnchen Fußballmannschaft "
     "Geschwindigkeitsbegrenzung Handschuh Kindergarten Zusammenarbeit Universität Frühstück "
     "Weltanschauung ÜBERRASCHUNG"},
    {"fr", "fr",
     "anticonstitutionnellement développement extraordinaire responsabilité bibliothèque "
     "gouvernement particulièrement connaissance électricité malheureusement château "
     "précédemment nécessairement probablement télévision hôpital français tranquillité "
     "renseignement hésitation littérature événement manœuvre Éléphant"},
    {"es", "es_ES",
     "desafortunadamente electricidad constitución murciélago pequeño ciudadano extraordinario "
     "responsabilidad universidad biblioteca computadora montaña corazón mañana información "
     "ferrocarril camarero aprovechamiento espectáculo habitación lingüística desarrollo "
     "paralelepípedo ÁRBOLES"},
    {"it", "it_IT",
     "precipitevolissimevolmente ambasciatore cittadinanza bicicletta università "
     "responsabilità architettura gelateria macchina sfortunatamente particolarmente "
     "chiacchierare formaggio settimana ospedale prosciutto meraviglioso incredibile zucchero "
     "ghiacciaio sviluppo Perché"},
    {"pl", "pl_PL",
     "Konstantynopolitańczykowianeczka przedsiębiorstwo niebezpieczeństwo źdźbło gżegżółka "
     "rzeczywistość bezwzględnie odpowiedzialność dziewczynka chrząszcz szczęśliwy książka "
     "źrebię językoznawstwo wyobraźnia społeczeństwo zażółcić Wrocław uniwersytet przyjaciółka "
     "państwowy najważniejszy ŻÓŁTKO"},
    {"pt", "pt_PT",
     "desenvolvimento constitucionalidade informação coração português obrigação excepcional "
     "extraordinário universidade responsabilidade biblioteca computador civilização esperança "
     "pássaro conhecimento cachorro paralelepípedo lições amanhã estação ÓCULOS"},
};

// Every word of each language against pyphen on the Debian file the pattern file was made from,
// run now; a language file that lost its letters, its second level or its capitals shows here.
TEST(HyphenLanguages, EachLanguageAgreesWithPyphen) {
    if (test::Run("/usr/bin/python3 -c 'import pyphen' 2>&1; echo $?") != "0\n")
        GTEST_SKIP() << "python3-pyphen is not installed (scripts/setup.sh)";
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
        // Most of the words have breaks: the patterns are really in use.
        EXPECT_GT(broken, 18) << l.code;
    }
    EXPECT_EQ(i, expected.size());
}

// The file by language: English, Russian and a language not known read En.pat, the others their
// own; a book in the language of the last reads nothing; a language without patterns, or a file
// that is missing, leaves the words whole (the list of always-breaks still applies).
TEST(HyphenLanguages, TheLanguageChoosesThePatterns) {
    EXPECT_EQ(std::u16string(PatternFileFor("en")), u"En.pat");
    EXPECT_EQ(std::u16string(PatternFileFor("ru")), u"En.pat");
    EXPECT_EQ(std::u16string(PatternFileFor("")), u"En.pat");
    EXPECT_EQ(std::u16string(PatternFileFor("de")), u"de.pat");
    EXPECT_EQ(PatternFileFor("nl"), nullptr);
    EXPECT_EQ(PatternFileFor("EN"), nullptr);  // codes are lower case

    HyphenPatterns h;
    ASSERT_EQ(LoadHyphenPatterns(h, test::PatternFolder()), 1);
    EXPECT_EQ(Hyphenated(h, u"hyphenation"), "hy-phen-ation");
    EXPECT_EQ(Hyphenated(h, u"электричество"), "элек-три-че-ство");
    ASSERT_EQ(SelectHyphenPatterns(h, "uk"), 1);
    EXPECT_EQ(Hyphenated(h, u"незалежність"), "не-за-ле-ж-ність");  // as pyphen has it
    EXPECT_EQ(Hyphenated(h, u"hyphenation"), "hyphenation");  // no Latin letters in Ukrainian's
    const size_t ukPatterns = h.patterns.size();
    ASSERT_EQ(SelectHyphenPatterns(h, "uk"), 1);
    EXPECT_EQ(h.patterns.size(), ukPatterns);

    EXPECT_EQ(SelectHyphenPatterns(h, "nl"), 0);
    EXPECT_TRUE(h.patterns.empty() && h.codeOfUnit.empty());
    EXPECT_EQ(Hyphenated(h, u"ontwikkeling"), "ontwikkeling");
    EXPECT_EQ(Hyphenated(h, u"zee-egel"), "zee-egel");  // the "-" breaks as it stands, unmarked
    // Back to a language with patterns after one without.
    ASSERT_EQ(SelectHyphenPatterns(h, "en"), 1);
    EXPECT_EQ(Hyphenated(h, u"hyphenation"), "hy-phen-ation");

    test::ScratchDir empty;
    HyphenPatterns missing;
    EXPECT_EQ(LoadHyphenPatterns(missing, Utf8ToUtf16(empty.path())), 0);
    EXPECT_EQ(SelectHyphenPatterns(missing, "de"), 0);
    EXPECT_EQ(Hyphenated(missing, u"Freundschaft"), "Freundschaft");
    HyphenPatterns never;
    EXPECT_EQ(SelectHyphenPatterns(never, "en"), 0);
}

// Letters of a language file: each letter in both cases, ß and its capital, and ё as a letter of
// its own in Belarusian (whose patterns have it) while Ukrainian, without it, reads it as е.
TEST(HyphenLanguages, LettersOfTheLanguageFiles) {
    HyphenPatterns h;
    ASSERT_EQ(LoadHyphenPatterns(h, test::PatternFolder()), 1);
    ASSERT_EQ(SelectHyphenPatterns(h, "de"), 1);
    EXPECT_EQ(Hyphenated(h, u"Straßenbahn"), "Stra-ßen-bahn");
    EXPECT_EQ(Hyphenated(h, u"STRAẞENBAHN"), "STRA-ẞEN-BAHN");
    // A letter of the script that no German pattern has is a letter still, not a word's edge.
    EXPECT_EQ(Hyphenated(h, u"Kindergarten"), "Kin-der-gar-ten");
    EXPECT_EQ(Hyphenated(h, u"Kindergartęn"), "Kin-der-gar-tęn");
    EXPECT_GE(h.codeOfUnit[u'ä'], 0x80);
    EXPECT_EQ(h.codeOfUnit[u'ä'], h.codeOfUnit[u'Ä']);
    ASSERT_EQ(SelectHyphenPatterns(h, "be"), 1);
    EXPECT_NE(h.codeOfUnit[u'ё'], h.codeOfUnit[u'е']);
    EXPECT_EQ(h.codeOfUnit[u'ў'], h.codeOfUnit[u'Ў']);
    ASSERT_EQ(SelectHyphenPatterns(h, "uk"), 1);
    EXPECT_EQ(h.codeOfUnit[u'ё'], h.codeOfUnit[u'е']);
    EXPECT_GE(h.codeOfUnit[u'ґ'], 0x80);
}

// The patterns ordered by letters, as the pattern pass searches them: whole for German's large
// file, whose groups come in order, and for a file whose groups do not (which gets sorted).
bool OrderedByLetters(const HyphenPatterns& h) {
    return std::is_sorted(h.byLetters.begin(), h.byLetters.end(), [&h](uint32_t a, uint32_t b) {
        const auto& x = h.patterns[a];
        const auto& y = h.patterns[b];
        return std::lexicographical_compare(
            h.block.begin() + x.letters, h.block.begin() + x.letters + x.length,
            h.block.begin() + y.letters, h.block.begin() + y.letters + y.length);
    });
}

std::string U32(uint32_t v) {
    return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

TEST(HyphenLanguages, PatternsOrderedByLettersWhateverTheFilesOrder) {
    HyphenPatterns h;
    ASSERT_EQ(LoadHyphenPatterns(h, test::PatternFolder()), 1);
    ASSERT_EQ(SelectHyphenPatterns(h, "de"), 1);
    EXPECT_EQ(h.byLetters.size(), h.patterns.size());
    EXPECT_TRUE(OrderedByLetters(h));

    // Letters a and b; "1ba", "bb1" and ".a1", the b group written in and out of order.
    const std::string letters("a\0A\0ab\0B\0b \0 \0 ", 15);
    const std::string index = "a" + U32(0) + U32(0) + "b" + U32(0) + U32(2) + " " + U32(2) + U32(3);
    // A pattern: its letters and its digits, each ended by a zero byte.
    auto pattern = [](const char* letters, const char* digits) {
        return std::string(letters) + '\0' + digits + '\0';
    };
    const std::string ba = pattern("ba", "100"), bb = pattern("bb", "001"),
                      edge = pattern(" a", "001");
    std::string broken[2];
    int i = 0;
    for (const std::string& block : {ba + bb + edge, bb + ba + edge}) {
        const std::string file =
            "LcH1" + U32(3) + U32(3) + U32(uint32_t(block.size())) + letters + index + block;
        HyphenPatterns small;
        ASSERT_EQ(LoadHyphenPatternsFromBytes(small, reinterpret_cast<const uint8_t*>(file.data()),
                                              file.size()),
                  1);
        EXPECT_TRUE(OrderedByLetters(small));
        broken[i++] = Hyphenated(small, u"ABBABBA");
    }
    EXPECT_EQ(broken[0], "AB-B-AB-BA");
    EXPECT_EQ(broken[1], broken[0]);
}

}  // namespace
}  // namespace lectra
