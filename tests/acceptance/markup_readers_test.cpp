// HTML and FictionBook text against w3m and Python's XML parser (hidden sections removed).
#include <gtest/gtest.h>

#include "test_support.h"

namespace lectra {
namespace {

using test::ScratchDir;

TEST(IndependentReading, SameWordsAsW3mAndXmllint) {
    // w3m does not show the <title> that becomes the first heading here: drop it for both.
    ScratchDir dir;
    const std::string html = dir.path() + "/book.html";
    test::Run("LC_ALL=C sed 's#<title>.*</title>##' '" + test::Fixture("ru-cp1251.html") + "' > '" +
              html + "'");
    const std::string tool = std::string(LECTRA_TOOL) + " dump ";
    const std::string w3m =
        test::Run("w3m -dump -T text/html -I cp1251 -O utf-8 -cols 10000 '" + html + "'");
    const std::string ours = test::Run(tool + "'" + html + "'");
    auto strip = [](std::vector<std::string> w) {
        // w3m draws the table with "|" cells and puts the note marks apart; keep the words only.
        std::vector<std::string> out;
        for (std::string& s : w) {
            if (s != "|" && s != "•") out.push_back(s);
        }
        return out;
    };
    EXPECT_EQ(strip(test::Words(ours)), strip(test::Words(w3m)));

    // A note link yields nothing whatever the order of its attributes ("arc[1].").
    const std::string fb2 = test::Fixture("en.fb2");
    const std::string xml = test::Run("python3 '" + std::string(LECTRA_FIXTURES) +
                                      "/../tools/fb2_text.py' '" + fb2 + "'");
    EXPECT_EQ(test::Words(test::Run(tool + "'" + fb2 + "'")), test::Words(xml));
}

}  // namespace
}  // namespace lectra
