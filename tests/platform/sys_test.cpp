// The POSIX services: UTF-8 and UTF-16 at the edges, paths of any bytes, the single-byte code-page
// tables against glibc's iconv (encoding is checked through the export) and the program's folder.
// (The file calls: through the bookmarks, the file browser and the settings saves.)
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <optional>

#include "platform/sys/code_pages.h"
#include "platform/sys/program_folder.h"
#include "platform/sys/utf.h"
#include "test_support.h"

namespace lectra {
namespace {

TEST(Utf, EveryPlaneRoundTripsAndIllFormedInputBecomesReplacementCharacters) {
    const std::u16string text = u"a\u00E9\u0416\u2014\U0001F600z";
    EXPECT_EQ(Utf16ToUtf8(text), "a\xC3\xA9\xD0\x96\xE2\x80\x94\xF0\x9F\x98\x80z");
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    const std::pair<std::string, std::u16string> illFormed[] = {
        {"a\xFF", u"a\uFFFD"},
        {"\xE2\x80", u"\uFFFD"},        // cut sequence
        {"\xC0\xAF", u"\uFFFD\uFFFD"},  // overlong
        {"\xED\xA0\x80x", u"\uFFFDx"},  // an encoded surrogate
    };
    for (const auto& [bytes, text] : illFormed) EXPECT_EQ(Utf8ToUtf16(bytes), text) << bytes;
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
}

// Each byte of a file name that is no UTF-8 (a lone lead byte, an encoded surrogate) rides in a
// lone surrogate and comes back; UTF-8 stays itself. (A cp1251 name listed and opened: the file
// browser's test.)
TEST(Utf, FileNamesRoundTripEveryByte) {
    const std::string bytes = "a\xD0/\xED\xA0\x80\xF0\x9F\x98\x80";
    const std::u16string path = u"a\xDCD0/\xDCED\xDCA0\xDC80\U0001F600";
    EXPECT_EQ(PathFromBytes(bytes), path);
    EXPECT_EQ(PathToBytes(path), bytes);
    EXPECT_FALSE(IsUtf8(bytes));
    EXPECT_TRUE(IsUtf8("/\xD0\x9A.txt"));
}

// What glibc's iconv makes of each byte 128..255 on its own; nothing where it has no character.
std::array<std::optional<char16_t>, 128> IconvHighHalf(const char* charset) {
    std::array<std::optional<char16_t>, 128> out;
    iconv_t cd = iconv_open("UTF-16LE", charset);
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    for (int i = 0; i < 128; ++i) {
        char byte = static_cast<char>(128 + i), *in = &byte;
        char16_t units[4];
        char* to = reinterpret_cast<char*>(units);
        size_t inLeft = 1, outLeft = sizeof units;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        // The second call flushes a character held back to see whether a combining mark follows.
        if (iconv(cd, &in, &inLeft, &to, &outLeft) != static_cast<size_t>(-1) &&
            iconv(cd, nullptr, nullptr, &to, &outLeft) != static_cast<size_t>(-1) &&
            outLeft == sizeof units - 2) {
            out[i] = units[0];
        }
    }
    iconv_close(cd);
    return out;
}

// (The Mac Cyrillic table: the dump of ru-mac.txt against iconv.)
TEST(CodePageTables, AgreeWithIconv) {
    const std::pair<int, const char*> cases[] = {
        {1251, "CP1251"},      {20866, "KOI8-R"}, {866, "CP866"},
        {28595, "ISO-8859-5"}, {1252, "CP1252"},  {437, "CP437"},
        {37, "CP037"},         {1250, "CP1250"},  {874, "CP874"},
    };
    for (const auto& [codePage, charset] : cases) {
        SCOPED_TRACE(testing::Message() << "code page " << codePage << " vs iconv " << charset);
        std::array<char16_t, 128> ours{};
        ASSERT_EQ(CodePageHighHalf(codePage, ours.data()), 1);
        const auto theirs = IconvHighHalf(charset);
        int defined = 0;
        for (int i = 0; i < 128; ++i) {
            defined += theirs[i].has_value();
            EXPECT_EQ(ours[i], theirs[i].value_or(0x80 + i)) << std::hex << "byte 0x" << 128 + i;
        }
        EXPECT_GT(defined, 64) << "iconv hardly knows this charset";
    }
}

// Without LECTRA_HOME (which the reader process tests set), the settings go to the user's config
// folder, made when missing, never to the executable's folder as an installed copy has no data
// beside it.
TEST(ProgramFolder, TheUsersConfigFolderWithoutTheHomeVariable) {
    unsetenv("LECTRA_HOME");
    test::ScratchDir config;
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    EXPECT_EQ(ProgramFolder(), Utf8ToUtf16(config.path() + "/lectra"));
    unsetenv("XDG_CONFIG_HOME");
}

// Refused when someone got there first with a link or a folder of their own.
TEST(ProgramFolder, APrivateFolderIsOursAloneOrNone) {
    test::ScratchDir shared, elsewhere;
    const std::u16string parent = Utf8ToUtf16(shared.path());
    const std::u16string made = PrivateFolderIn(parent, u"own");
    ASSERT_EQ(made, parent + u"/own");
    struct stat st;
    ASSERT_EQ(lstat((shared.path() + "/own").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(chmod((shared.path() + "/own").c_str(), 0777), 0);
    EXPECT_EQ(PrivateFolderIn(parent, u"own"), made);  // ours: closed again
    ASSERT_EQ(lstat((shared.path() + "/own").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(symlink(elsewhere.path().c_str(), (shared.path() + "/link").c_str()), 0);
    EXPECT_EQ(PrivateFolderIn(parent, u"link"), u"");
    shared.Write("file", "x");
    EXPECT_EQ(PrivateFolderIn(parent, u"file"), u"");
    if (geteuid() == 0) {
        ASSERT_EQ(mkdir((shared.path() + "/theirs").c_str(), 0700), 0);
        ASSERT_EQ(chown((shared.path() + "/theirs").c_str(), 65534, 65534), 0);
        EXPECT_EQ(PrivateFolderIn(parent, u"theirs"), u"");
    }
}

// No HOME, XDG_CONFIG_HOME, LECTRA_HOME nor home in the password database: a private folder in
// the temporary folder, or none when someone else has put a link there first.
TEST(ProgramFolder, WithoutAHomeTheFallbackIsPrivateOrNone) {
    if (geteuid() != 0) GTEST_SKIP() << "needs a user without a home to switch to";
    test::ScratchDir tmp, elsewhere;
    ASSERT_EQ(chmod(tmp.path().c_str(), 01777), 0);
    // nobody, whose home in the password database does not exist.
    EXPECT_EQ(
        test::AsOtherUser([&] {
            unsetenv("LECTRA_HOME");
            unsetenv("XDG_CONFIG_HOME");
            unsetenv("HOME");
            setenv("TMPDIR", tmp.path().c_str(), 1);
            const std::string own = tmp.path() + "/lectra-settings-65534";
            if (Utf16ToUtf8(ProgramFolder()) != own) return 3;
            struct stat st;
            if (lstat(own.c_str(), &st) != 0 || st.st_uid != 65534 || (st.st_mode & 0777) != 0700)
                return 4;
            if (rmdir(own.c_str()) != 0 || symlink(elsewhere.path().c_str(), own.c_str()) != 0)
                return 5;
            return ProgramFolder().empty() ? 0 : 6;
        }),
        0);
}

}  // namespace
}  // namespace lectra
