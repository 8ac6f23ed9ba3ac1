// Hyphenation with the patterns supplied with the program: break points of English and Russian
// words as the Debian patterns give them in an independent implementation, the boundary rule, the
// always-list, and the switches that leave only that list.
#include "layout/hyphenate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "layout/hyphen_patterns.h"
#include "layout_test_support.h"
#include "platform/sys/utf.h"
#include "test_support.h"

namespace lectra {
namespace {

const HyphenPatterns& Patterns() {
    static HyphenPatterns patterns;
    static const int loaded = LoadHyphenPatterns(patterns, Utf8ToUtf16(test::EnPatFolder()));
    EXPECT_EQ(loaded, 1);
    return patterns;
}

// The word with "-" after each character marked 'a', and "|" after each marked 'A'.
std::string Hyphenated(const std::u16string& word, int hyphenOn = 1, int allowed = 1) {
    HyphenWork work;
    SetHyphenationWord(work, word.data(), static_cast<int>(word.size()));
    HyphenateWord(work, Patterns(), hyphenOn, allowed);
    std::u16string out;
    for (int k = 0; k < work.length; ++k) {
        out += work.word[k];
        if (work.marks[k] == 'a') out += u'-';
        if (work.marks[k] == 'A') out += u'|';
    }
    return Utf16ToUtf8(out);
}

// Expected break points from Debian's python3-pyphen 0.13.2 over the same Debian pattern files
// (hyphen-en-us, hyphen-ru), two characters at least on each side, ё written as е:
//   /usr/bin/python3 -c 'import pyphen; print(pyphen.Pyphen(lang="en_US").inserted("after"))'
// and lang="ru_RU" for the Russian words. Several of them ("after", "silent", "утра") depend on
// the patterns that match at a word's start.
TEST(Hyphenate, EnglishAndRussianWordsBreakWhereThePatternsSay) {
    const char* expected[] = {
        "hy-phen-ation",
        "Hy-phen-ation",
        "com-put-er",
        "rep-re-sen-ta-tion",
        "in-ter-na-tion-al",
        "para-graph",
        "jus-ti-fi-ca-tion",
        "pen-du-lum",
        "oc-ca-sion-al-ly",
        "some-body",
        "elec-tric-i-ty",
        "un-be-liev-able",
        "type-writ-er",
        "af-ter",
        "cor-ner",
        "en-gine",
        "rec-tan-gle",
        "silent",
        "cart-wheels",
        "элек-три-че-ство",
        "па-ром-щи-ка",
        "пе-ре-пра-вить-ся",
        "гео-де-зист",
        "за-ре-чин-скую",
        "не-то-роп-ли-вый",
        "Коль-цов",
        "про-ти-во-по-лож-но-го",
        "мок-рых",
        "утра",
    };
    for (const char* e : expected) {
        std::string word = e;
        word.erase(std::remove(word.begin(), word.end(), '-'), word.end());
        EXPECT_EQ(Hyphenated(Utf8ToUtf16(word)), e);
    }
}

TEST(Hyphenate, YoHyphenatesAsYe) {
    EXPECT_EQ(Hyphenated(u"тёмными"), "тём-ны-ми");
    EXPECT_EQ(Hyphenated(u"ЗЕЛЁНОГО"), "ЗЕ-ЛЁ-НО-ГО");
}

// Every word of both stories against the independent implementation, run now.
TEST(Hyphenate, EveryWordOfTheStoriesAgreesWithPyphen) {
    const std::string probe = test::Run("/usr/bin/python3 -c 'import pyphen' 2>&1; echo $?");
    if (probe != "0\n") GTEST_SKIP() << "python3-pyphen is not installed (scripts/setup.sh)";
    // Runs of Latin and Cyrillic letters.
    std::set<std::string> words;
    for (const char* f : {"source/en.txt", "source/ru.txt"}) {
        const std::u16string text = Utf8ToUtf16(test::ReadBytes(test::Fixture(f)));
        std::u16string word;
        for (char16_t c : text + u' ') {
            const bool letter =
                (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= 0x400 && c <= 0x4FF);
            if (letter) {
                word += c;
            } else if (!word.empty()) {
                words.insert(Utf16ToUtf8(word));
                word.clear();
            }
        }
    }
    test::ScratchDir dir;
    std::string list;
    for (const std::string& w : words) list += w + "\n";
    const std::string listPath = dir.Write("words", list);
    const std::string script = dir.Write(
        "h.py",
        "import pyphen, re, sys\n"
        "en, ru = pyphen.Pyphen(lang='en_US'), pyphen.Pyphen(lang='ru_RU')\n"
        "for w in open(sys.argv[1], encoding='utf-8').read().split():\n"
        "    d = ru if re.search('[\\u0400-\\u04ff]', w) else en\n"
        "    print(d.inserted(w.replace('\\u0451', '\\u0435').replace('\\u0401', '\\u0415')))\n");
    const std::vector<std::string> reference =
        test::Words(test::Run("/usr/bin/python3 " + script + " " + listPath));
    ASSERT_EQ(reference.size(), words.size());
    size_t i = 0;
    int differ = 0;
    for (const std::string& w : words) {
        // pyphen was given ё as е; compare in that spelling.
        std::u16string ours = Utf8ToUtf16(Hyphenated(Utf8ToUtf16(w)));
        std::replace(ours.begin(), ours.end(), u'ё', u'е');
        std::replace(ours.begin(), ours.end(), u'Ё', u'Е');
        const std::string& theirs = reference[i++];
        if (Utf16ToUtf8(ours) != theirs) {
            ++differ;
            ADD_FAILURE() << w << ": " << Utf16ToUtf8(ours) << " vs pyphen " << theirs;
        }
    }
    EXPECT_EQ(differ, 0) << "of " << words.size() << " words";
}

TEST(Hyphenate, NonLettersActAsWordEdges) {
    // Quotes and punctuation take no break next to them, and the two-character minimum counts
    // from the first and last letters.
    EXPECT_EQ(Hyphenated(u"«электричество»,"), "«элек-три-че-ство»,");
    EXPECT_EQ(Hyphenated(u"(computer)"), "(com-put-er)");
    EXPECT_EQ(Hyphenated(u"x2paragraph"), "x2para-graph");
}

TEST(Hyphenate, AlwaysListBreaksAsItStandsWhateverTheSwitches) {
    EXPECT_EQ(Hyphenated(u"abc-def"), "abc-|def");
    EXPECT_EQ(Hyphenated(u"abc-def", 0), "abc-|def");
    EXPECT_EQ(Hyphenated(u"and/or"), "and/|or");
    EXPECT_EQ(Hyphenated(u"да—нет", 0, 0), "да—|нет");
    EXPECT_EQ(Hyphenated(u"soft\u00ADware", 0), "soft\u00AD|ware");
    // HYPHEN off or the pass not allowed: no pattern breaks at all.
    EXPECT_EQ(Hyphenated(u"hyphenation", 0, 1), "hyphenation");
    EXPECT_EQ(Hyphenated(u"hyphenation", 1, 0), "hyphenation");
}

TEST(Hyphenate, WordsOfThreeCharactersOrFewerNeverBreak) {
    EXPECT_EQ(Hyphenated(u"a-b"), "a-b");
    EXPECT_EQ(Hyphenated(u"a/b"), "a/b");
    EXPECT_EQ(Hyphenated(u"and"), "and");
    EXPECT_EQ(Hyphenated(u"a-bc"), "a-|bc");
}

TEST(Hyphenate, WithoutPatternsOnlyTheAlwaysListBreaks) {
    HyphenPatterns none;
    HyphenWork work;
    const std::u16string word = u"hyphen-ation";
    SetHyphenationWord(work, word.data(), static_cast<int>(word.size()));
    HyphenateWord(work, none, 1, 1);
    EXPECT_EQ(std::string(work.marks, work.length), "******A*****");
}

TEST(Hyphenate, LongWordsAreCutToTheBuffer) {
    const std::u16string word(400, u'a');
    HyphenWork work;
    SetHyphenationWord(work, word.data(), static_cast<int>(word.size()));
    EXPECT_EQ(work.length, kMaxWord);
    HyphenateWord(work, Patterns(), 1, 1);
    EXPECT_EQ(std::string(work.marks, work.length).find_first_not_of("a*"), std::string::npos);
}

}  // namespace
}  // namespace lectra
