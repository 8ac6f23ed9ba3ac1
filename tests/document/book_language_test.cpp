// The book's language: tags to codes, the guess from letters and words, the declared language.
#include "document/book_language.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace lectra {
namespace {

TEST(BookLanguage, TagsAsBooksWriteThem) {
    const struct {
        const char16_t* tag;
        const char* code;
    } cases[] = {
        // clang-format off
        {u"en", "en"}, {u"en-US", "en"}, {u"ru_RU", "ru"}, {u"UKR", "uk"}, {u"deu", "de"},
        {u"ger", "de"}, {u"pt-BR", "pt"}, {u" fr", "fr"}, {u"Russian", "ru"}, {u"kor", "kor"},
        {u"nl", "nl"}, {u"und", ""}, {u"", ""}, {u"x-klingon", ""}, {u"e1", ""},
        {u"русский", ""}, {u"englishlanguage-of-the-book", ""},
        // clang-format on
    };
    for (const auto& c : cases) EXPECT_EQ(LanguageCode(c.tag), c.code) << Utf16ToUtf8(c.tag);
}

// Sentences written for the test in the languages that share the most words and letters (German
// and Dutch, Spanish and Portuguese), and English, which has no letters of its own.
TEST(BookLanguage, TheGuessFromTheText) {
    const struct {
        const char16_t* text;
        const char* code;
    } cases[] = {
        {u"The old man walked to the river and sat on the bank. He thought of the years that "
         u"had gone by, and I knew that he was tired.",
         "en"},
        {u"Der alte Mann ging zum Fluss und setzte sich an das Ufer. Er dachte an die Jahre, die "
         u"vergangen waren, und er war müde.",
         "de"},
        {u"El viejo caminó hasta el río y se sentó en la orilla. Pensaba en los años que habían "
         u"pasado y estaba muy cansado.",
         "es"},
        {u"O velho caminhou até o rio e sentou-se na margem. Pensava nos anos que tinham "
         u"passado, e não sabia o que fazer da vida.",
         "pt"},
        {u"De oude man liep naar de rivier en ging op de oever zitten. Hij dacht aan de jaren "
         u"die voorbij waren, en het was niet goed.",
         "nl"},
        // Single words, by their letters alone; a Latin word without any says nothing.
        // clang-format off
        {u"Straße", "de"}, {u"przedsiębiorstwo", "pl"}, {u"informação", "pt"}, {u"niño", "es"},
        {u"заўсёды", "be"}, {u"їжак", "uk"}, {u"слово", "ru"}, {u"hyphenation", ""},
        {u"12345 — 678", ""}, {u"", ""}, {u"日本語の本", ""},
        // clang-format on
    };
    for (const auto& c : cases) EXPECT_EQ(GuessLanguage(c.text), c.code) << Utf16ToUtf8(c.text);

    // A few words of another language in a long text are quotations.
    std::u16string russian;
    for (int i = 0; i < 40; ++i) russian += u"Он долго смотрел на воду и молчал. ";
    EXPECT_EQ(GuessLanguage(russian + u"«Ґанок, їжак, єдиний», — сказал он."), "ru");
    EXPECT_EQ(GuessLanguage(russian + u"Праўда."), "ru");
    // English's "I" is not Polish's "i".
    EXPECT_EQ(GuessLanguage(u"I said I would, and I did it, I think."), "en");
    // Latin text of a language the table does not know is not taken for one it does.
    std::u16string finnish;
    for (int i = 0; i < 20; ++i) finnish += u"Vanha mies käveli joelle ja istui rannalle. ";
    EXPECT_EQ(GuessLanguage(finnish), "");
}

// One fixture of each kind (the library's DeclaredLanguage has the rest).
TEST(BookLanguage, TheGuessOverTheFixturesAndASampleOfBoundedLength) {
    const struct {
        const char* file;
        const char* code;
    } books[] = {
        // clang-format off
        {"en-utf16le-bom.txt", "en"}, {"ru-koi8r.txt", "ru"}, {"en.fb2", "en"}, {"en-lo.rtf", "en"},
        {"ru-lo.doc", "ru"}, {"en-txt2pdbdoc.pdb", "en"}, {"ru-gen.tcr", "ru"},
        // clang-format on
    };
    for (const auto& b : books) {
        test::OpenedBook doc;
        ASSERT_EQ(test::Open(*doc, test::Fixture(b.file)), 1) << b.file;
        EXPECT_EQ(GuessBookLanguage(*doc), b.code) << b.file;
    }

    test::ScratchDir dir;
    std::string text;
    while (text.size() < size_t(kLanguageSampleUnits))
        text += "Der alte Mann ging zum Fluss und setzte sich an das Ufer.\n";
    const std::string german = dir.Write("de.txt", text);
    for (int i = 0; i < 4000; ++i) text += "The old man walked to the river and sat on the bank.\n";
    const std::string mixed = dir.Write("mixed.txt", text);
    for (const std::string& path : {german, mixed}) {
        test::OpenedBook doc;
        ASSERT_EQ(test::Open(*doc, path), 1);
        EXPECT_EQ(GuessBookLanguage(*doc), "de") << path;
    }
    test::OpenedBook empty;
    ASSERT_EQ(test::Open(*empty, dir.Write("empty.txt", "")), 1);
    EXPECT_EQ(GuessBookLanguage(*empty), "");
}

// The declared language holds unless the text is in the other script.
TEST(BookLanguage, TheDeclaredLanguageAgainstTheLetters) {
    EXPECT_EQ(ChooseLanguage("en", "ru"), "ru");  // a Russian book a converter marked English
    EXPECT_EQ(ChooseLanguage("uk", "ru"), "uk");  // same script: the book knows best
    EXPECT_EQ(ChooseLanguage("nl", ""), "nl");
    EXPECT_EQ(ChooseLanguage("", "pl"), "pl");
    EXPECT_EQ(ChooseLanguage("ja", "en"), "ja");  // a script the check does not know
    EXPECT_EQ(ChooseLanguage("", ""), "");
}

}  // namespace
}  // namespace lectra
