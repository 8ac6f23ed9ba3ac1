// Any block decoded alone gives exactly the units of a straight pass through the book.
#include <gtest/gtest.h>

#include <random>

#include "document/encoding.h"
#include "document/format_table.h"
#include "document/markup_tables.h"
#include "straight_decode.h"
#include "test_support.h"

namespace lectra {
namespace {

class Generator {
public:
    explicit Generator(uint32_t seed) : rng_(seed) {}

    // A document of random text, tags, references and line breaks.
    std::u16string Document(bool fb2, size_t minLength) {
        std::u16string s;
        while (s.size() < minLength) Token(s, fb2);
        return s;
    }

private:
    uint32_t Pick(uint32_t n) { return rng_() % n; }

    void Word(std::u16string& s) {
        const int n = 1 + Pick(9);
        for (int i = 0; i < n; ++i) {
            s += Pick(3) ? static_cast<char16_t>(u'a' + Pick(26)) : static_cast<char16_t>(0x430 + Pick(32));
        }
    }

    void Tag(std::u16string& s, bool fb2) {
        const TagRow& row = fb2 ? kFb2TagTable[Pick(19)] : kHtmlTagTable[Pick(41)];
        // Hidden sections mostly close again, or the rest of the document would vanish.
        std::u16string name(Pick(2) ? row.openName : row.closeName);
        if (row.hidden && name == row.openName && Pick(400)) {
            s += u"<" + name + u">x<y" + (Pick(2) ? u"\n" : u"&amp;") + u"<" + std::u16string(row.closeName) + u">";
            return;
        }
        if (!fb2 && Pick(2)) {
            for (char16_t& c : name) {
                if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
            }
        }
        static const char16_t* const kAttributes[] = {u"", u"", u" align=right", u" ALIGN=center",
                                                      u" align=\"left\"", u" class=x", u" id=\"a\nb\""};
        s += u"<" + name + kAttributes[Pick(7)];
        if (Pick(40) == 0) s += std::u16string(200 + Pick(200), u'x');  // beyond the tag buffer
        s += u">";
    }

    void Token(std::u16string& s, bool fb2) {
        static const char16_t* const kPieces[] = {
            u"&amp;", u"&lt;", u"&#1040;", u"&#10;", u"&#13;", u"&#x41;", u"&notin;", u"&shy;",
            u"&abcdefghij;", u"& ", u"&#65535;", u"&#9;", u"a<b", u"<!-- c -->", u"<zz>",
            u"<script>for(i=0;i<n;i++){}</script>", u"<binary>QUJD\nREVG</binary>",
            u"<pre>x\n  y\n</pre>", u"\n", u"\r\n", u"\n\n", u"\n  ", u"\t", u"\u00A0", u"\u001E",
            u"\u0001", u"\U0001F600", u"\u2014", u"<p", u"<empty-line/>", u"</", u"&",
        };
        const uint32_t r = Pick(11);
        if (r < 7) {
            Word(s);
            s += u' ';
        } else if (r < 9) {
            Tag(s, fb2);
        } else {
            s += kPieces[Pick(sizeof kPieces / sizeof *kPieces)];
        }
    }

    std::mt19937 rng_;
};

// The text in a code page; characters it lacks are left out (they would only be "?").
std::string Encode(const std::u16string& s, int codePage) {
    if (codePage == kCodePageUtf8) return Utf16ToUtf8(s);
    std::string out;
    if (codePage == kCodePageUtf16) {
        for (char16_t c : s) {
            out += static_cast<char>(c & 0xFF);
            out += static_cast<char>(c >> 8);
        }
        return out;
    }
    for (char16_t c : s) {
        if (c < 0x80) out += static_cast<char>(c);
        else if (c >= 0x430 && c < 0x450) out += static_cast<char>(0xE0 + (c - 0x430));
        else if (c == 0xA0) out += '\xA0';
    }
    return out;
}

// 10,000 documents in four shards, so that CTest can spread them over the cores.
class BlockProperty : public testing::TestWithParam<uint32_t> {};

TEST_P(BlockProperty, EveryBlockDecodedAloneMatchesTheStraightPass) {
    test::ScratchDir dir;
    auto doc = NewDocument();
    const int codePages[] = {1251, kCodePageUtf8, kCodePageUtf16};
    int multiBlock = 0;
    const uint32_t first = GetParam() * 2500 + 1;
    for (uint32_t seed = first; seed < first + 2500; ++seed) {
        Generator gen(seed);
        const bool fb2 = seed % 2;
        const int codePage = codePages[(seed / 2) % 3];
        doc->txtParagraphMode = static_cast<int>(seed / 6 % 3);
        // Mostly just over one block of units, sometimes several.
        const size_t length = seed % 10 == 0 ? 20000 : 9000 + seed % 2000;
        const std::string path = dir.Write(fb2 ? "g.fb2" : "g.htm", Encode(gen.Document(fb2, length), codePage));
        ASSERT_EQ(test::Open(*doc, path, codePage), 1);
        const std::u16string straight = test::StraightDecode(*doc);
        ASSERT_EQ(straight.size(), static_cast<size_t>(DocLength(*doc))) << "seed " << seed;
        // The pass decodes no block, so every block is cold here; read them last to first.
        for (int32_t pos = DocLength(*doc) - 1; pos >= 0; --pos) {
            if (GetChar(*doc, pos) != straight[pos]) {
                FAIL() << "seed " << seed << " position " << pos << " code page " << codePage;
            }
        }
        multiBlock += doc->blocks.size() > 1;
    }
    EXPECT_GT(multiBlock, 1250);  // the generator does cross block boundaries
}

INSTANTIATE_TEST_SUITE_P(Shards, BlockProperty, testing::Values(0u, 1u, 2u, 3u));

}  // namespace
}  // namespace lectra
