// Books inside gzip files made by gzip: routing by name and signature, the member's kind, the
// access-point index and random reads through it, and refusals of damaged files.
#include "document/formats/gz_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "book_builders.h"
#include "document/format_table.h"

namespace lectra {
namespace {

using test::Open;
using test::ScratchDir;

// gzip of the file `name` in `dir` into `out` (a name in the same folder), with gzip's options.
std::string Gzip(const ScratchDir& dir, const std::string& name, const std::string& out,
                 const std::string& options = "-6") {
    test::Run("cd '" + dir.path() + "' && gzip " + options + " -c '" + name + "' > '" + out + "'");
    return dir.path() + "/" + out;
}

// Text of many different words, so that gzip writes many deflate blocks.
std::string Varied(size_t bytes) {
    std::mt19937 rng(7);
    const char* words[] = {"river",     "lamp",    "Orion", "reel",     "northern",
                           "station",   "weather", "log",   "midnight", "film",
                           "projector", "wind",    "cloud", "keeper",   "ticket"};
    std::string s;
    while (s.size() < bytes) {
        s += words[rng() % 15];
        s += std::to_string(rng() % 1000);
        s += rng() % 12 ? ' ' : '\n';
    }
    s.resize(bytes);
    return s;
}

// Opens the file as the open sequence would up to the gzip step, and runs that step alone.
int OpenMemberOnly(Document& doc, const std::string& path) {
    ResetTextCache(doc);
    doc.bookPath = Utf8ToUtf16(path);
    if (!OpenSourceFile(doc)) return 0;
    return OpenGzMember(doc);
}

TEST(GzReader, MembersMadeByGzipReadAsTheBookInside) {
    auto doc = NewDocument();
    ASSERT_EQ(Open(*doc, test::Fixture("ru-cp1251.txt.gz")), 1);
    EXPECT_EQ(doc->formatKind, kKindText);
    EXPECT_TRUE(doc->sourceFlags & kSourceGzMember);
    EXPECT_EQ(doc->bookCodePage, 1251);  // detected from the decompressed text
    EXPECT_EQ(doc->gz->memberName, u"ru-cp1251.txt");
    // A member under 1 MiB has one access point, at its start.
    ASSERT_EQ(doc->gz->index.points.size(), 1u);
    EXPECT_EQ(doc->gz->index.points[0].out, 0u);
    EXPECT_EQ(test::RawBytes(*doc), test::ReadBytes(test::Fixture("ru-cp1251.txt")));
    EXPECT_EQ(test::StreamWords(*doc), test::FileWords(test::Fixture("source/ru.txt")));

    ASSERT_EQ(Open(*doc, test::Fixture("en-cp1252.txt.gz"), 1252), 1);
    EXPECT_EQ(test::StreamWords(*doc), test::FileWords(test::Fixture("source/en.txt")));

    // Without a stored name the kind comes from the file's name without ".gz".
    ASSERT_EQ(OpenMemberOnly(*doc, test::Fixture("ru.fb2.gz")), 1);
    EXPECT_EQ(doc->formatKind, kKindFb2);
    EXPECT_EQ(doc->gz->memberName, Utf8ToUtf16(test::Fixture("ru.fb2")));
    EXPECT_EQ(test::RawBytes(*doc), test::ReadBytes(test::Fixture("ru.fb2")));
    CloseDocument(*doc);
    EXPECT_EQ(doc->gz, nullptr);
    EXPECT_FALSE(doc->sourceFlags & kSourceGzMember);
}

TEST(GzReader, TheMembersNameDecidesItsKind) {
    ScratchDir dir;
    dir.Write("notes", "plain words\n");
    dir.Write("x.DOC", "not a Word file");
    dir.Write("x.pdb", "not a database");
    dir.Write("x.tcr", "not a TCR book");
    dir.Write("koi8.txt", test::ReadBytes(test::Fixture("ru-koi8r.txt")));
    auto doc = NewDocument();
    // "book.gz" without a stored name is "book": TEXT, as a file of that name would be.
    ASSERT_EQ(Open(*doc, Gzip(dir, "notes", "book.gz", "-n"), 1251), 1);
    EXPECT_EQ(doc->formatKind, kKindText);
    EXPECT_EQ(test::RawBytes(*doc), "plain words\n");
    // A stored name without an extension reads as TEXT too; the suffix may be in any case.
    ASSERT_EQ(Open(*doc, Gzip(dir, "notes", "B.TXT.GZ"), 1251), 1);
    EXPECT_EQ(doc->gz->memberName, u"notes");
    EXPECT_EQ(test::RawBytes(*doc), "plain words\n");
    // Detection reads the decompressed text, not the compressed bytes.
    ASSERT_EQ(Open(*doc, Gzip(dir, "koi8.txt", "k.gz")), 1);
    EXPECT_EQ(doc->bookCodePage, 20866);
    // Word, PalmDOC and TCR books inside gzip are refused: their readers read the file itself.
    for (const char* name : {"x.DOC", "x.pdb", "x.tcr"}) {
        EXPECT_EQ(Open(*doc, Gzip(dir, name, "member.txt.gz")), 0) << name;
        EXPECT_EQ(doc->openErrorText, u"Bad Format!") << name;
        EXPECT_EQ(doc->gz, nullptr);
        EXPECT_FALSE(doc->sourceFlags & kSourceGzMember);
    }
    // A ".gz" name without the signature, and gzip bytes under another name, are plain text.
    ASSERT_EQ(Open(*doc, dir.Write("fake.gz", "just text"), 1251), 1);
    EXPECT_EQ(test::ReadAll(*doc), u"just text");
    const std::string gz = test::ReadBytes(dir.path() + "/book.gz");
    ASSERT_EQ(Open(*doc, dir.Write("gz.txt", gz), 1251), 1);
    EXPECT_FALSE(doc->sourceFlags & kSourceGzMember);
    EXPECT_EQ(doc->sourceSize, gz.size());
    CloseDocument(*doc);
}

TEST(GzReader, DamagedFilesAreRefusedWithBadFormat) {
    ScratchDir dir;
    dir.Write("t.txt", Varied(20000));
    const std::string good = test::ReadBytes(Gzip(dir, "t.txt", "good.gz", "-n"));
    std::string named = test::ReadBytes(Gzip(dir, "t.txt", "named.gz"));
    std::string badCrc = good;
    badCrc[badCrc.size() - 6] ^= 0x55;
    std::string badMethod = good;
    badMethod[2] = 7;
    std::string hugeExtra = good;
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
    auto doc = NewDocument();
    for (const auto& c : cases) {
        EXPECT_EQ(Open(*doc, dir.Write("bad.txt.gz", c.bytes), 1251), 0) << c.what;
        EXPECT_EQ(doc->openErrorText, u"Bad Format!") << c.what;
        EXPECT_EQ(doc->gz, nullptr) << c.what;
    }
    // An extra field that fits is stepped over.
    std::string extra = good;
    extra[3] |= 4;
    extra.insert(10, std::string("\x04\x00"
                                 "abcd",
                                 6));
    ASSERT_EQ(Open(*doc, dir.Write("extra.txt.gz", extra), 1251), 1);
    EXPECT_EQ(test::RawBytes(*doc), Varied(20000));
    CloseDocument(*doc);
}

TEST(GzReader, RandomAccessThroughAccessPointsMatchesTheText) {
    ScratchDir dir;
    const std::string text = Varied(3 * 1048576 + 300000);
    dir.Write("big.txt", text);
    auto doc = NewDocument();
    ASSERT_EQ(Open(*doc, Gzip(dir, "big.txt", "big.txt.gz"), 1251), 1);
    ASSERT_EQ(doc->sourceSize, text.size());
    const std::vector<GzAccessPoint>& points = doc->gz->index.points;
    ASSERT_GE(points.size(), 3u);
    // gzip ends its blocks at any bit, so points inside a byte (primed with its bits) are met.
    EXPECT_TRUE(std::any_of(points.begin(), points.end(),
                            [](const GzAccessPoint& p) { return p.bits != 0; }));
    EXPECT_EQ(points[0].out, 0u);
    for (size_t i = 1; i < points.size(); ++i)
        EXPECT_GT(points[i].out - points[i - 1].out, kGzSpan);

    // Ranges just before and after each point, across it, at the start and the very end, read
    // with a fresh inflater each time.
    std::vector<uint64_t> offsets = {0, 1, 8191, text.size() - 100, text.size() - 1};
    for (const GzAccessPoint& p : points) {
        for (int64_t d : {-8192, -1, 0, 1, 5000}) {
            if (static_cast<int64_t>(p.out) + d >= 0) offsets.push_back(p.out + d);
        }
    }
    std::string buffer(8192, '\0');
    for (uint64_t o : offsets) {
        const int n = ReadGzRange(doc->source, doc->gz->index, o,
                                  reinterpret_cast<uint8_t*>(buffer.data()), 8192, nullptr);
        const std::string expected = text.substr(o, 8192);
        ASSERT_EQ(n, static_cast<int>(expected.size())) << o;
        EXPECT_EQ(buffer.substr(0, n), expected) << o;
    }
    EXPECT_EQ(ReadGzRange(doc->source, doc->gz->index, text.size(),
                          reinterpret_cast<uint8_t*>(buffer.data()), 8192, nullptr),
              0);
    EXPECT_EQ(ReadGzRange(doc->source, doc->gz->index, 0, reinterpret_cast<uint8_t*>(buffer.data()),
                          -5, nullptr),
              0);

    // Through the text cache: positions from the end back to the start, and the raw block that
    // straddles the end of the member, filled up to it.
    for (int32_t pos = DocLength(*doc) - 1; pos >= 0; pos -= 65537) {
        ASSERT_EQ(GetChar(*doc, pos), static_cast<char16_t>(static_cast<uint8_t>(text[pos])))
            << pos;
    }
    const uint32_t lastBlock = static_cast<uint32_t>(text.size()) & ~(kRawBlockBytes - 1);
    for (uint32_t o = lastBlock; o < text.size(); o += 997)
        ASSERT_EQ(ReadSourceByte(*doc, o), static_cast<uint8_t>(text[o]));
    EXPECT_EQ(ReadSourceByte(*doc, static_cast<uint32_t>(text.size())), 0);
    CloseDocument(*doc);
}

TEST(GzReader, AKeptInflaterReadsOnAndStartsAgainWhenItMustGoBack) {
    ScratchDir dir;
    const std::string text = Varied(2 * 1048576 + 5000);
    dir.Write("c.txt", text);
    auto doc = NewDocument();
    ASSERT_EQ(Open(*doc, Gzip(dir, "c.txt", "c.txt.gz"), 1251), 1);
    GzCursor cursor;
    std::string buffer(8192, '\0');
    auto* out = reinterpret_cast<uint8_t*>(buffer.data());
    // Forwards block by block, then backwards, then a jump ahead past a point: each read must
    // give the text whether the stream was kept or started again.
    std::vector<uint64_t> offsets;
    for (uint64_t o = 0; o < 300000; o += 8192) offsets.push_back(o);
    for (int64_t o = 300000; o > 8192; o -= 40000) offsets.push_back(static_cast<uint64_t>(o));
    offsets.push_back(text.size() - 3000);
    offsets.push_back(100);
    for (uint64_t o : offsets) {
        const int n = ReadGzRange(doc->source, doc->gz->index, o, out, 8192, &cursor);
        const std::string expected = text.substr(o, 8192);
        ASSERT_EQ(n, static_cast<int>(expected.size())) << o;
        ASSERT_EQ(buffer.substr(0, n), expected) << o;
    }
    EndGzCursor(cursor);
    CloseDocument(*doc);
}

}  // namespace
}  // namespace lectra
