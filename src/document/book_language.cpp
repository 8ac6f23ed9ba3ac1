// The language of a book as a two-letter code: a declared tag reduced to its code, or a guess from
// the letters and the common words of its text.
#include "document/book_language.h"

#include <algorithm>
#include <array>

#include "document/text_cache.h"

namespace lectra {

namespace {

// Three-letter codes (both ISO 639-2 forms) and English names of the languages a book is likely to
// be in, with their two-letter codes; the ones that name no language give none.
struct TagName {
    std::string_view tag;
    std::string_view code;
};
constexpr TagName kTagNames[] = {
    {"eng", "en"},     {"rus", "ru"},        {"ukr", "uk"},       {"bel", "be"},
    {"ger", "de"},     {"deu", "de"},        {"fre", "fr"},       {"fra", "fr"},
    {"spa", "es"},     {"ita", "it"},        {"pol", "pl"},       {"por", "pt"},
    {"dut", "nl"},     {"nld", "nl"},        {"cze", "cs"},       {"ces", "cs"},
    {"bul", "bg"},     {"srp", "sr"},        {"swe", "sv"},       {"fin", "fi"},
    {"english", "en"}, {"russian", "ru"},    {"ukrainian", "uk"}, {"belarusian", "be"},
    {"german", "de"},  {"french", "fr"},     {"spanish", "es"},   {"italian", "it"},
    {"polish", "pl"},  {"portuguese", "pt"}, {"und", ""},         {"mul", ""},
    {"zxx", ""},       {"mis", ""},
};

constexpr std::string_view kCyrillicLanguages[] = {"ru", "uk", "be", "bg", "sr", "mk",
                                                   "kk", "ky", "tg", "mn", "tt", "ba"};
constexpr std::string_view kLatinLanguages[] = {
    "en", "de", "fr", "es", "it", "pl", "pt", "nl", "sv", "da", "no", "nb", "nn",
    "fi", "cs", "sk", "sl", "hr", "hu", "ro", "tr", "lt", "lv", "et", "ca", "gl",
    "eu", "id", "ms", "af", "is", "ga", "cy", "sq", "la", "eo", "bs", "vi"};

// The Latin-script languages the guess tells apart. Dutch has no patterns here: it is told apart
// so that a Dutch text is left whole instead of being taken for another language.
enum Latin { kEn, kDe, kFr, kEs, kIt, kPl, kPt, kNl, kLatinCount };
constexpr std::string_view kLatinCodes[kLatinCount] = {"en", "de", "fr", "es",
                                                       "it", "pl", "pt", "nl"};
constexpr unsigned Bit(Latin l) {
    return 1u << l;
}

// Common words: a hit counts for every language that has the word. Each language has words of its
// own besides the shared ones, which decide.
struct CommonWord {
    std::u16string_view word;
    unsigned languages;
};
constexpr CommonWord kCommonWords[] = {
    {u"the", Bit(kEn)},
    {u"and", Bit(kEn)},
    {u"of", Bit(kEn)},
    {u"to", Bit(kEn) | Bit(kPl)},
    {u"is", Bit(kEn) | Bit(kNl)},
    {u"that", Bit(kEn)},
    {u"with", Bit(kEn)},
    {u"was", Bit(kEn)},
    {u"for", Bit(kEn)},
    {u"his", Bit(kEn)},
    {u"you", Bit(kEn)},
    {u"which", Bit(kEn)},
    {u"der", Bit(kDe)},
    {u"die", Bit(kDe) | Bit(kNl)},
    {u"und", Bit(kDe)},
    {u"das", Bit(kDe)},
    {u"ist", Bit(kDe)},
    {u"nicht", Bit(kDe)},
    {u"ein", Bit(kDe)},
    {u"eine", Bit(kDe)},
    {u"den", Bit(kDe)},
    {u"mit", Bit(kDe)},
    {u"sich", Bit(kDe)},
    {u"auf", Bit(kDe)},
    {u"ich", Bit(kDe)},
    {u"le", Bit(kFr)},
    {u"la", Bit(kFr) | Bit(kEs) | Bit(kIt)},
    {u"et", Bit(kFr)},
    {u"les", Bit(kFr)},
    {u"des", Bit(kFr)},
    {u"est", Bit(kFr)},
    {u"une", Bit(kFr)},
    {u"du", Bit(kFr)},
    {u"dans", Bit(kFr)},
    {u"pas", Bit(kFr)},
    {u"pour", Bit(kFr)},
    {u"qui", Bit(kFr)},
    {u"avec", Bit(kFr)},
    {u"el", Bit(kEs)},
    {u"y", Bit(kEs)},
    {u"los", Bit(kEs)},
    {u"las", Bit(kEs)},
    {u"por", Bit(kEs)},
    {u"con", Bit(kEs)},
    {u"pero", Bit(kEs)},
    {u"muy", Bit(kEs)},
    {u"en", Bit(kEs) | Bit(kNl)},
    {u"del", Bit(kEs) | Bit(kIt)},
    {u"que", Bit(kFr) | Bit(kEs) | Bit(kPt)},
    {u"de", Bit(kFr) | Bit(kEs) | Bit(kPt) | Bit(kNl)},
    {u"una", Bit(kEs) | Bit(kIt)},
    {u"il", Bit(kIt) | Bit(kFr)},
    {u"di", Bit(kIt)},
    {u"che", Bit(kIt)},
    {u"per", Bit(kIt)},
    {u"non", Bit(kIt)},
    {u"della", Bit(kIt)},
    {u"gli", Bit(kIt)},
    {u"sono", Bit(kIt)},
    {u"anche", Bit(kIt)},
    {u"nel", Bit(kIt)},
    {u"è", Bit(kIt)},
    {u"e", Bit(kIt) | Bit(kPt)},
    {u"i", Bit(kPl)},
    {u"się", Bit(kPl)},
    {u"nie", Bit(kPl)},
    {u"w", Bit(kPl)},
    {u"z", Bit(kPl)},
    {u"na", Bit(kPl)},
    {u"jest", Bit(kPl)},
    {u"że", Bit(kPl)},
    {u"jak", Bit(kPl)},
    {u"ale", Bit(kPl)},
    {u"przez", Bit(kPl)},
    {u"o", Bit(kPt) | Bit(kPl)},
    {u"não", Bit(kPt)},
    {u"os", Bit(kPt)},
    {u"em", Bit(kPt)},
    {u"da", Bit(kPt)},
    {u"do", Bit(kPt) | Bit(kPl)},
    {u"um", Bit(kPt)},
    {u"uma", Bit(kPt)},
    {u"é", Bit(kPt)},
    {u"com", Bit(kPt)},
    {u"para", Bit(kPt)},
    {u"het", Bit(kNl)},
    {u"een", Bit(kNl)},
    {u"van", Bit(kNl)},
    {u"niet", Bit(kNl)},
    {u"dat", Bit(kNl)},
    {u"zijn", Bit(kNl)},
    {u"op", Bit(kNl)},
};

// Letters that only some of the languages write; an occurrence counts for each, shared out.
struct HintLetter {
    char16_t lower;
    unsigned languages;
};
constexpr HintLetter kHintLetters[] = {
    {u'ä', Bit(kDe)},
    {u'ö', Bit(kDe)},
    {u'ß', Bit(kDe)},
    {u'ü', Bit(kDe) | Bit(kEs)},
    {u'ñ', Bit(kEs)},
    {u'á', Bit(kEs) | Bit(kPt)},
    {u'í', Bit(kEs) | Bit(kPt)},
    {u'ú', Bit(kEs) | Bit(kPt)},
    {u'ó', Bit(kEs) | Bit(kPt) | Bit(kPl)},
    {u'ã', Bit(kPt)},
    {u'õ', Bit(kPt)},
    {u'ç', Bit(kFr) | Bit(kPt)},
    {u'â', Bit(kFr) | Bit(kPt)},
    {u'ê', Bit(kFr) | Bit(kPt)},
    {u'ô', Bit(kFr) | Bit(kPt)},
    {u'à', Bit(kFr) | Bit(kIt) | Bit(kPt)},
    {u'è', Bit(kFr) | Bit(kIt)},
    {u'ù', Bit(kFr) | Bit(kIt)},
    {u'é', Bit(kFr)},
    {u'ë', Bit(kFr) | Bit(kNl)},
    {u'î', Bit(kFr)},
    {u'ï', Bit(kFr) | Bit(kNl)},
    {u'û', Bit(kFr)},
    {u'œ', Bit(kFr)},
    {u'ì', Bit(kIt)},
    {u'ò', Bit(kIt)},
    {u'ą', Bit(kPl)},
    {u'ć', Bit(kPl)},
    {u'ę', Bit(kPl)},
    {u'ł', Bit(kPl)},
    {u'ń', Bit(kPl)},
    {u'ś', Bit(kPl)},
    {u'ź', Bit(kPl)},
    {u'ż', Bit(kPl)},
};

bool IsCyrillic(char16_t c) {
    return c >= 0x0400 && c <= 0x04FF;
}

// Latin letters: ASCII, Latin-1's and Latin Extended-A's (× and ÷ are signs).
bool IsLatin(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
           (c >= 0xC0 && c <= 0x17F && c != 0xD7 && c != 0xF7);
}

// Lower case of a Latin letter, enough for the tables above: ASCII and Latin-1 by their offset,
// Latin Extended-A's pairs (capital first, except in the runs whose capitals are on odd units).
char16_t LatinLower(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
    if (c == 0x178) return 0xFF;  // Ÿ, whose small letter is Latin-1's
    if (c >= 0x100 && c <= 0x17F && c != 0x138) {
        const bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddCapitals ? (c & 1) : !(c & 1)) return c + 1;
    }
    return c;
}

// Cyrillic letters that only some of the languages write.
bool IsUkrainianLetter(char16_t c) {
    return c == u'і' || c == u'І' || c == u'ї' || c == u'Ї' || c == u'є' || c == u'Є' ||
           c == u'ґ' || c == u'Ґ';
}
bool IsBelarusianLetter(char16_t c) {
    return c == u'ў' || c == u'Ў';
}

struct Tally {
    int64_t cyrillic = 0;
    int64_t latin = 0;
    int64_t ukrainian = 0;
    int64_t belarusian = 0;
    int64_t latinWords = 0;
    std::array<double, kLatinCount> score{};
    std::array<int64_t, kLatinCount> wordHits{};  // the common words alone
};

void AddShared(Tally& t, unsigned languages) {
    int n = 0;
    for (int l = 0; l < kLatinCount; ++l) n += (languages >> l) & 1;
    for (int l = 0; l < kLatinCount; ++l) {
        if ((languages >> l) & 1) t.score[l] += 1.0 / n;
    }
}

// One Latin word, lower-cased. A word of one letter counts only as written in lower case, so that
// English's "I" is not Polish's "i".
void CountWord(Tally& t, std::u16string_view word, bool wasLower) {
    ++t.latinWords;
    if (word.size() == 1 && !wasLower) return;
    for (const CommonWord& w : kCommonWords) {
        if (w.word == word) {
            for (int l = 0; l < kLatinCount; ++l) {
                if ((w.languages >> l) & 1) {
                    t.score[l] += 1;
                    ++t.wordHits[l];
                }
            }
            return;
        }
    }
}

}  // namespace

std::string LanguageCode(std::u16string_view tag) {
    while (!tag.empty() && (tag.front() == u' ' || tag.front() == u'\t')) tag.remove_prefix(1);
    std::string primary;
    for (char16_t c : tag) {
        if (c == u'-' || c == u'_' || c == u' ') break;
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
        if (c < u'a' || c > u'z' || primary.size() >= 16) return std::string();
        primary += static_cast<char>(c);
    }
    for (const TagName& t : kTagNames) {
        if (t.tag == primary) return std::string(t.code);
    }
    // Two letters are a code as they stand; three that the table does not know still name a
    // language (one without patterns here).
    return primary.size() == 2 || primary.size() == 3 ? primary : std::string();
}

int LanguageScript(std::string_view code) {
    for (std::string_view c : kCyrillicLanguages) {
        if (c == code) return 1;
    }
    for (std::string_view c : kLatinLanguages) {
        if (c == code) return 2;
    }
    return 0;
}

std::string GuessLanguage(std::u16string_view text) {
    Tally t;
    std::u16string word;
    bool wordLower = true;
    for (size_t i = 0; i <= text.size(); ++i) {
        const char16_t c = i < text.size() ? text[i] : u' ';
        if (IsCyrillic(c)) {
            ++t.cyrillic;
            t.ukrainian += IsUkrainianLetter(c);
            t.belarusian += IsBelarusianLetter(c);
        }
        if (IsLatin(c)) {
            ++t.latin;
            const char16_t lower = LatinLower(c);
            wordLower = wordLower && lower == c;
            if (word.size() < 16) word += lower;
            // Every hint letter is beyond ASCII: most letters need no look-up.
            if (lower >= 0xDF) {
                for (const HintLetter& h : kHintLetters) {
                    if (h.lower == lower) AddShared(t, h.languages);
                }
            }
            continue;
        }
        if (!word.empty()) CountWord(t, word, wordLower);
        word.clear();
        wordLower = true;
    }
    if (t.cyrillic == 0 && t.latin == 0) return std::string();
    if (t.cyrillic >= t.latin) {
        // A few words of another language in a long text are quotations, not its language.
        if (t.belarusian > 0 && t.belarusian * 1000 >= t.cyrillic) return "be";
        if (t.ukrainian > 0 && t.ukrainian * 200 >= t.cyrillic) return "uk";
        return "ru";
    }
    int best = -1;
    double bestScore = 0, second = 0;
    for (int l = 0; l < kLatinCount; ++l) {
        if (t.score[l] > bestScore) {
            second = bestScore;
            bestScore = t.score[l];
            best = l;
        } else if (t.score[l] > second) {
            second = t.score[l];
        }
    }
    // A clear lead, and in a text of many words enough of them common words of that language
    // (about one word in six is, in running text of each) that it is not a stranger to the table
    // whose letters happen to look like one of them (Finnish's ä).
    if (best < 0 || bestScore <= second) return std::string();
    if (t.latinWords >= 50 && t.wordHits[best] * 25 < t.latinWords) return std::string();
    return std::string(kLatinCodes[best]);
}

std::string GuessBookLanguage(Document& doc) {
    const int32_t n = std::min<int32_t>(DocLength(doc), kLanguageSampleUnits);
    std::u16string sample;
    sample.reserve(static_cast<size_t>(std::max(n, 0)));
    for (int32_t pos = 0; pos < n; ++pos) sample += GetChar(doc, pos);
    return GuessLanguage(sample);
}

std::string ChooseLanguage(std::string_view declaredCode, std::string_view guessed) {
    if (declaredCode.empty()) return std::string(guessed);
    const int declaredScript = LanguageScript(declaredCode);
    const int guessedScript = LanguageScript(guessed);
    if (declaredScript && guessedScript && declaredScript != guessedScript)
        return std::string(guessed);
    return std::string(declaredCode);
}

}  // namespace lectra
