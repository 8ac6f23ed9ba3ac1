// Paths in a book's links: the escapes and the dot segments that the EPUB package, the notes and
// the pictures resolve alike.
#include "document/formats/href_path.h"

#include <gtest/gtest.h>

namespace lectra {
namespace {

TEST(HrefPath, PercentEscapesNeedTwoHexDigits) {
    EXPECT_EQ(PercentDecode("a%20b%2Fc%2fd"), "a b/c/d");
    // A "%" that does not start an escape, even at the very end, stays as written.
    EXPECT_EQ(PercentDecode("100%"), "100%");
    EXPECT_EQ(PercentDecode("%4"), "%4");
    EXPECT_EQ(PercentDecode("%zz%41"), "%zzA");
    EXPECT_EQ(PercentDecode("%2541"), "%41");  // decoded once only
}

TEST(HrefPath, DotSegmentsResolveWithinTheRoot) {
    std::string out;
    ASSERT_TRUE(ResolveDotSegments("OEBPS/text/../images/./a.png", 0, out));
    EXPECT_EQ(out, "OEBPS/images/a.png");
    ASSERT_TRUE(ResolveDotSegments("//a//b/", 0, out));
    EXPECT_EQ(out, "a/b");
    ASSERT_TRUE(ResolveDotSegments("a/..", 0, out));
    EXPECT_EQ(out, "");

    // Above the root: a path in an archive fails, one on disk stays at the root.
    out = "left over";
    EXPECT_FALSE(ResolveDotSegments("a/../../b", 0, out));
    EXPECT_EQ(out, "");
    ASSERT_TRUE(ResolveDotSegments("/../../etc/../b", 1, out));
    EXPECT_EQ(out, "b");
}

}  // namespace
}  // namespace lectra
