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
// Common words of each language in the order above, one space between words. A hit counts for
// every language whose list has the word; each language has words of its own besides the shared
// ones, which decide.
constexpr std::u16string_view kCommonWords[kLatinCount] = {
    u"the and of to is that with was for his you which",              // en
    u"der die und das ist nicht ein eine den mit sich auf ich",       // de
    u"le la et les des est une du dans pas pour qui avec que de il",  // fr
    u"la el y los las por con pero muy en del que de una",            // es
    u"la del una il di che per non della gli sono anche nel è e",     // it
    u"to i się nie w z na jest że jak ale przez o do",                // pl
    u"que de e o não os em da do um uma é com para",                  // pt
    u"is die en de het een van niet dat zijn op",                     // nl
};

// Letters that only some of the languages write, in the same order; an occurrence counts for each
// language that writes it, shared out.
constexpr std::u16string_view kHintLetters[kLatinCount] = {
    u"",               // en
    u"äößü",           // de
    u"çâêôàèùéëîïûœ",  // fr
    u"üñáíúó",         // es
    u"àèùìò",          // it
    u"óąćęłńśźż",      // pl
    u"áíúóãõçâêôà",    // pt
    u"ëï",             // nl
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

// Whether `word` stands in `list` between spaces or the list's ends.
bool HasWord(std::u16string_view list, std::u16string_view word) {
    if (word.empty()) return false;
    for (size_t at = list.find(word); at != list.npos; at = list.find(word, at + 1)) {
        const size_t end = at + word.size();
        if ((at == 0 || list[at - 1] == u' ') && (end == list.size() || list[end] == u' '))
            return true;
    }
    return false;
}

// One Latin word, lower-cased. A word of one letter counts only as written in lower case, so that
// English's "I" is not Polish's "i".
void CountWord(Tally& t, std::u16string_view word, bool wasLower) {
    ++t.latinWords;
    if (word.size() == 1 && !wasLower) return;
    for (int l = 0; l < kLatinCount; ++l) {
        if (HasWord(kCommonWords[l], word)) {
            t.score[l] += 1;
            ++t.wordHits[l];
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
                unsigned languages = 0;
                for (int l = 0; l < kLatinCount; ++l) {
                    if (kHintLetters[l].find(lower) != std::u16string_view::npos)
                        languages |= 1u << l;
                }
                if (languages) AddShared(t, languages);
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
