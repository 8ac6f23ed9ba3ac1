// The window reads each book in its language's patterns.
#include "layout/hyphen_patterns.h"
#include "reader_test_support.h"

namespace lectra {
namespace {

class BookLanguageWindow : public test::Reader {};

std::string Fb2(const std::string& lang, const std::string& text) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><FictionBook><description><title-info>"
           "<book-title>T</book-title><lang>" +
           lang + "</lang></title-info></description><body><p>" + text +
           "</p></body></FictionBook>";
}

TEST_F(BookLanguageWindow, EachBookInItsLanguagesPatterns) {
    const std::string german =
        dir.Write("de.fb2", Fb2("de", "Der alte Mann ging zum Fluss und setzte sich."));
    const std::string dutch = dir.Write("nl.fb2", Fb2("nl", "De oude man liep naar de rivier."));
    Start(test::Sample("ru-story.fb2"));
    ASSERT_EQ(app->bookOpen, 1);
    EXPECT_EQ(app->doc->language, "ru");
    EXPECT_EQ(app->layout.patterns.file, u"En.pat");
    EXPECT_FALSE(app->layout.patterns.patterns.empty());

    ASSERT_TRUE(OpenBookInWindow(*app, Utf8ToUtf16(german)));
    EXPECT_EQ(app->doc->language, "de");
    EXPECT_EQ(app->layout.patterns.file, u"de.pat");
    EXPECT_FALSE(app->layout.patterns.patterns.empty());

    // A book that cannot be read leaves the one being read, and its patterns.
    EXPECT_EQ(OpenBookInWindow(*app, Utf8ToUtf16(dir.path() + "/gone.fb2")), 0);
    EXPECT_EQ(app->layout.patterns.file, u"de.pat");

    ASSERT_TRUE(OpenBookInWindow(*app, Utf8ToUtf16(dutch)));
    EXPECT_EQ(app->doc->language, "nl");
    EXPECT_TRUE(app->layout.patterns.patterns.empty());
}

}  // namespace
}  // namespace lectra
