// Books inside gzip files: routing, the member's kind, the access-point index, damaged files.
#include "document/formats/gz_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "book_builders.h"
#include "document/format_table.h"

namespace lectra {
namespace {

using test::Open;
using test::RawBytes;
using test::ReadBytes;
using test::ScratchDir;
using test::Varied;

// gzip of the file `name` in `dir` into `out` (a name in the same folder), with gzip's options.
std::string Gzip(const ScratchDir& dir, const std::string& name, const std::string& out,
                 const std::string& options = "-6") {
    test::Run("cd '" + dir.path() + "' && gzip " + options + " -c '" + name + "' > '" + out + "'");
    return dir.path() + "/" + out;
}

TEST(GzReader, TheMemberIsTheBookAndItsNameDecidesItsKind) {
    ScratchDir dir;
    test::OpenedBook doc;
    ASSERT_EQ(Open(*doc, test::Fixture("ru-cp1251.txt.gz")), 1);
    EXPECT_TRUE(doc->sourceFlags & kSourceGzMember);
    EXPECT_EQ(GzOf(*doc)->memberName, u"ru-cp1251.txt");

    // Without a stored name the kind comes from the file's name without ".gz".
    ASSERT_EQ(Open(*doc, test::Fixture("ru.fb2.gz")), 1);
    EXPECT_EQ(doc->formatKind, kKindFb2);
    EXPECT_EQ(GzOf(*doc)->memberName, Utf8ToUtf16(test::Fixture("ru.fb2")));
    EXPECT_EQ(RawBytes(*doc), ReadBytes(test::Fixture("ru.fb2")));

    dir.Write("notes", "plain words\n");
    // "book.gz" without a stored name is "book": TEXT, as a file of that name would be.
    ASSERT_EQ(Open(*doc, Gzip(dir, "notes", "book.gz", "-n"), 1251), 1);
    EXPECT_EQ(doc->formatKind, kKindText);
    EXPECT_EQ(RawBytes(*doc), "plain words\n");
    // A stored name that is not UTF-8 is in the OEM code page (cp866), never replacement marks.
    dir.Write("\xAA\xAD\xA8\xA3\xA0.txt", "x\n");
    ASSERT_EQ(Open(*doc, Gzip(dir, "\xAA\xAD\xA8\xA3\xA0.txt", "oem.gz"), 1251), 1);
    EXPECT_EQ(GzOf(*doc)->memberName, u"книга.txt");
    // Detection reads the decompressed text, not the compressed bytes.
    dir.Write("koi8.txt", ReadBytes(test::Fixture("ru-koi8r.txt")));
    ASSERT_EQ(Open(*doc, Gzip(dir, "koi8.txt", "k.gz")), 1);
    EXPECT_EQ(doc->bookCodePage, 20866);
    // Word, PalmDOC and TCR books inside gzip are refused: their readers read the file itself.
    for (const char* name : {"x.DOC", "x.pdb", "x.tcr"}) {
        dir.Write(name, "not a book of that kind");
        EXPECT_EQ(Open(*doc, Gzip(dir, name, "member.txt.gz")), 0) << name;
        EXPECT_EQ(doc->openErrorText, u"Bad Format!") << name;
        EXPECT_EQ(doc->readerState, nullptr);
    }
    // A ".gz" name without the signature, and gzip bytes under another name, are plain text.
    ASSERT_EQ(Open(*doc, dir.Write("fake.gz", "just text"), 1251), 1);
    EXPECT_EQ(test::ReadAll(*doc), u"just text");
    const std::string gz = ReadBytes(dir.path() + "/book.gz");
    ASSERT_EQ(Open(*doc, dir.Write("gz.txt", gz), 1251), 1);
    EXPECT_FALSE(doc->sourceFlags & kSourceGzMember);
    EXPECT_EQ(doc->sourceSize, gz.size());
}

TEST(GzReader, DamagedFilesAreRefusedWithBadFormat) {
    ScratchDir dir;
    dir.Write("t.txt", Varied(20000));
    const std::string good = ReadBytes(Gzip(dir, "t.txt", "good.gz", "-n"));
    const std::string named = ReadBytes(Gzip(dir, "t.txt", "named.gz"));
    std::string badCrc = good, badMethod = good, hugeExtra = good, extra = good;
    badCrc[badCrc.size() - 6] ^= 0x55;
    badMethod[2] = 7;
    hugeExtra[3] |= 4;
    hugeExtra.insert(10, "\xF0\xFF", 2);  // XLEN 65520: past the end of the file
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"header only", good.substr(0, 10)},
        {"cut in the middle", good.substr(0, good.size() / 2)},
        {"cut before the trailer", good.substr(0, good.size() - 8)},
        {"CRC does not match", badCrc},
        {"method 7", badMethod},
        {"extra field past the end", hugeExtra},
        {"name without its end", named.substr(0, 14)},
        {"signature alone", "\x1F\x8B"},
    };
    test::OpenedBook doc;
    for (const auto& c : cases) {
        EXPECT_EQ(Open(*doc, dir.Write("bad.txt.gz", c.bytes), 1251), 0) << c.what;
        EXPECT_EQ(doc->openErrorText, u"Bad Format!") << c.what;
        EXPECT_EQ(doc->readerState, nullptr) << c.what;
    }
    // An extra field that fits is stepped over.
    extra[3] |= 4;
    extra.insert(10, std::string("\x04\0abcd", 6));
    ASSERT_EQ(Open(*doc, dir.Write("extra.txt.gz", extra), 1251), 1);
    EXPECT_EQ(RawBytes(*doc), Varied(20000));
}

TEST(GzReader, RandomAccessThroughAccessPointsMatchesTheText) {
    ScratchDir dir;
    const std::string text = Varied(3 * 1048576 + 300000);
    dir.Write("big.txt", text);
    test::OpenedBook doc;
    ASSERT_EQ(Open(*doc, Gzip(dir, "big.txt", "big.txt.gz"), 1251), 1);
    ASSERT_EQ(doc->sourceSize, text.size());
    const std::vector<GzAccessPoint>& points = GzOf(*doc)->index.points;
    ASSERT_GE(points.size(), 3u);
    // gzip ends its blocks at any bit, so points inside a byte (primed with its bits) are met.
    EXPECT_TRUE(std::any_of(points.begin(), points.end(), [](auto& p) { return p.bits != 0; }));

    std::string buffer(8192, '\0');
    auto* out = reinterpret_cast<uint8_t*>(buffer.data());
    const auto readsTheText = [&](uint64_t o, GzCursor* cursor) {
        const int n = ReadGzRange(doc->source, GzOf(*doc)->index, o, out, 8192, cursor);
        const std::string expected = text.substr(o, 8192);
        ASSERT_EQ(n, static_cast<int>(expected.size())) << o;
        ASSERT_EQ(buffer.substr(0, n), expected) << o;
    };
    // Around each point, at the start and the very end, with a fresh inflater each time.
    std::vector<uint64_t> offsets = {0, 1, 8191, text.size() - 100, text.size() - 1};
    for (const GzAccessPoint& p : points) {
        for (int64_t d : {-8192, -1, 0, 1, 5000}) {
            if (static_cast<int64_t>(p.out) + d >= 0) offsets.push_back(p.out + d);
        }
    }
    for (uint64_t o : offsets) readsTheText(o, nullptr);
    EXPECT_EQ(ReadGzRange(doc->source, GzOf(*doc)->index, text.size(), out, 8192, nullptr), 0);
    EXPECT_EQ(ReadGzRange(doc->source, GzOf(*doc)->index, 0, out, -5, nullptr), 0);

    // A kept inflater: forwards block by block, then backwards, then a jump ahead past a point.
    offsets.clear();
    for (uint64_t o = 0; o < 300000; o += 8192) offsets.push_back(o);
    for (int64_t o = 300000; o > 8192; o -= 40000) offsets.push_back(static_cast<uint64_t>(o));
    offsets.insert(offsets.end(), {text.size() - 3000, 100});
    GzCursor cursor;
    for (uint64_t o : offsets) readsTheText(o, &cursor);
    EndGzCursor(cursor);

    // Through the text cache, back to front, and the raw block that straddles the member's end.
    for (int32_t pos = DocLength(*doc) - 1; pos >= 0; pos -= 65537)
        ASSERT_EQ(GetChar(*doc, pos), static_cast<char16_t>(static_cast<uint8_t>(text[pos])))
            << pos;
    const uint32_t lastBlock = static_cast<uint32_t>(text.size()) & ~(kRawBlockBytes - 1);
    for (uint32_t o = lastBlock; o < text.size(); o += 997)
        ASSERT_EQ(ReadSourceByte(*doc, o), static_cast<uint8_t>(text[o]));
    EXPECT_EQ(ReadSourceByte(*doc, static_cast<uint32_t>(text.size())), 0);
}

}  // namespace
}  // namespace lectra
