// The pattern file loader: the file supplied with the program, and every check that makes a file
// invalid (which leaves hyphenation without patterns rather than reading past the file).
#include "layout/hyphen_patterns.h"

#include <gtest/gtest.h>

#include "layout/hyphenate.h"
#include "layout_test_support.h"
#include "platform/sys/utf.h"
#include "test_support.h"

namespace lectra {
namespace {

void Put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
}

// A small file: letters a and b; the patterns "1ba" (break before "ba") and ".a1" (break after an
// initial a), indexed by their first codes, b and the word's edge.
struct PatternFile {
    uint32_t n = 2, p = 2;
    std::string letters = std::string("a\0A\0a", 5) + std::string("b\0B\0b", 5);
    std::string index;
    std::string block = std::string(
                            "ba\0"
                            "100\0",
                            7) +
                        std::string(
                            " a\0"
                            "001\0",
                            7);
    int64_t bExtra = 0;  // added to B in the header

    PatternFile() { SetIndex('b', 0, 1, ' ', 1, 2); }
    void SetIndex(uint8_t c0, uint32_t f0, uint32_t e0, uint8_t c1, uint32_t f1, uint32_t e1) {
        index.clear();
        index += static_cast<char>(c0);
        Put32(index, f0);
        Put32(index, e0);
        index += static_cast<char>(c1);
        Put32(index, f1);
        Put32(index, e1);
    }
    std::string Bytes() const {
        std::string s = "LcH1";
        Put32(s, n);
        Put32(s, p);
        Put32(s, static_cast<uint32_t>(static_cast<int64_t>(block.size()) + bExtra));
        return s + letters + index + block;
    }
};

int Load(HyphenPatterns& h, const std::string& bytes) {
    return LoadHyphenPatternsFromBytes(h, reinterpret_cast<const uint8_t*>(bytes.data()),
                                       bytes.size());
}

TEST(HyphenPatterns, TheSuppliedFileLoadsBothAlphabets) {
    HyphenPatterns h;
    ASSERT_EQ(LoadHyphenPatterns(h, Utf8ToUtf16(test::EnPatFolder())), 1);
    EXPECT_EQ(h.letters.size(), 26u + 32u + 1u);
    EXPECT_GT(h.patterns.size(), 14000u);
    EXPECT_EQ(h.codeOfUnit[u'Q'], h.codeOfUnit[u'q']);
    EXPECT_EQ(h.codeOfUnit[u'Я'], h.codeOfUnit[u'я']);
    EXPECT_EQ(h.codeOfUnit[u'ё'], h.codeOfUnit[u'е']);
    EXPECT_EQ(h.codeOfUnit[u'1'], -1);
}

TEST(HyphenPatterns, AMissingFileLeavesNoPatterns) {
    test::ScratchDir dir;
    HyphenPatterns h;
    EXPECT_EQ(LoadHyphenPatterns(h, Utf8ToUtf16(dir.path())), 0);
    EXPECT_TRUE(h.patterns.empty());
    EXPECT_TRUE(h.codeOfUnit.empty());
}

TEST(HyphenPatterns, ASmallValidFileHyphenates) {
    HyphenPatterns h;
    ASSERT_EQ(Load(h, PatternFile().Bytes()), 1);
    ASSERT_EQ(h.patterns.size(), 2u);
    HyphenWork work;
    const std::u16string word = u"ABBAB";
    SetHyphenationWord(work, word.data(), 5);
    HyphenateWord(work, h, 1, 1);
    // "1ba" allows the break before "ba" (after the second B); the one after the initial A would
    // leave one character on the left.
    EXPECT_EQ(std::string(work.marks, 5), "*a***");
}

TEST(HyphenPatterns, EveryBrokenRuleMakesTheFileInvalid) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::vector<Case> cases;
    {
        PatternFile f;
        std::string b = f.Bytes();
        b[3] = '2';
        cases.push_back({"magic", b});
    }
    cases.push_back({"short header", PatternFile().Bytes().substr(0, 10)});
    cases.push_back({"empty", ""});
    {
        PatternFile f;
        f.bExtra = 1;
        cases.push_back({"B larger than the file", f.Bytes()});
    }
    cases.push_back({"trailing byte", PatternFile().Bytes() + "x"});
    {
        PatternFile f;
        f.n = 3;
        cases.push_back({"N larger than the tables", f.Bytes()});
    }
    {
        PatternFile f;
        f.SetIndex('b', 2, 2, ' ', 1, 2);
        cases.push_back({"first not below P", f.Bytes()});
    }
    {
        PatternFile f;
        f.SetIndex('b', 0, 3, ' ', 1, 2);
        cases.push_back({"end beyond P", f.Bytes()});
    }
    {
        PatternFile f;
        f.p = 3;
        f.block += std::string(3, 'x');  // room for a third pattern but only one string
        f.block += '\0';
        cases.push_back({"fewer than 2 P strings", f.Bytes()});
    }
    {
        PatternFile f;
        f.block.pop_back();  // the last digits string is not terminated
        f.block += '1';
        cases.push_back({"unterminated string", f.Bytes()});
    }
    {
        PatternFile f;
        f.block = std::string(
                      "ba\0"
                      "10\0",
                      6) +
                  std::string(
                      " a\0"
                      "001\0",
                      7);
        cases.push_back({"digits not one more than letters", f.Bytes()});
    }
    {
        PatternFile f;
        f.block = std::string(
                      "ba\0"
                      "1x0\0",
                      7) +
                  std::string(
                      " a\0"
                      "001\0",
                      7);
        cases.push_back({"a digit that is not one", f.Bytes()});
    }
    {
        PatternFile f;
        f.p = 0x40000000;
        cases.push_back({"P too large for the block", f.Bytes()});
    }
    for (const Case& c : cases) {
        HyphenPatterns h;
        ASSERT_EQ(Load(h, PatternFile().Bytes()), 1);
        EXPECT_EQ(Load(h, c.bytes), 0) << c.what;
        EXPECT_TRUE(h.letters.empty() && h.index.empty() && h.patterns.empty() && h.block.empty())
            << c.what;
    }
}

}  // namespace
}  // namespace lectra
