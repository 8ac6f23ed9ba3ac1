// The file service and the program's folder.
#include "platform/sys/files.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

#include "platform/sys/program_folder.h"
#include "platform/sys/utf.h"
#include "test_support.h"

namespace lectra {
namespace {

TEST(Files, WriteAppendReadSeekTruncateDelete) {
    test::ScratchDir dir;
    const std::u16string path = Utf8ToUtf16(dir.path() + "/\u043A\u043D\u0438\u0433\u0430.txt");
    PlatformFile f;
    ASSERT_TRUE(FileCreate(f, path));
    ASSERT_TRUE(FileWrite(f, "hello world", 11));
    FileClose(f);
    ASSERT_TRUE(FileOpenAppend(f, path));
    ASSERT_TRUE(FileWrite(f, "!", 1));
    FileClose(f);
    ASSERT_TRUE(FileOpenRead(f, path));
    EXPECT_EQ(FileSize(f), 12);
    char buf[16] = {};
    uint32_t got = 0;
    ASSERT_TRUE(FileSeek(f, 6));
    ASSERT_TRUE(FileRead(f, buf, 16, &got));
    EXPECT_EQ(got, 6u);
    EXPECT_EQ(std::string(buf, got), "world!");
    FileClose(f);
    EXPECT_FALSE(FileIsOpen(f));
    EXPECT_FALSE(FileSeek(f, 0));
    ASSERT_TRUE(FileOpenAppend(f, path));
    FileClose(f);
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ListFolder(Utf8ToUtf16(dir.path()), entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, u"\u043A\u043D\u0438\u0433\u0430.txt");
    EXPECT_FALSE(entries[0].isFolder);
    const std::u16string moved = Utf8ToUtf16(dir.path() + "/moved.txt");
    ASSERT_TRUE(FileRename(path, moved));
    EXPECT_FALSE(FileExists(path));
    ASSERT_TRUE(FileDelete(moved));
    EXPECT_FALSE(FileExists(moved));
    EXPECT_FALSE(FileOpenRead(f, moved));
    EXPECT_FALSE(ListFolder(moved, entries));
}

TEST(Files, TruncateHereCutsTheFile) {
    test::ScratchDir dir;
    const std::u16string path = Utf8ToUtf16(dir.Write("t.bin", "0123456789"));
    PlatformFile f;
    ASSERT_TRUE(FileOpenAppend(f, path));
    FileClose(f);
    f.fd = ::open(Utf16ToUtf8(path).c_str(), O_RDWR);
    ASSERT_TRUE(FileSeek(f, 4));
    ASSERT_TRUE(FileTruncateHere(f));
    EXPECT_EQ(FileSize(f), 4);
    FileClose(f);
}

TEST(ProgramFolder, HomeVariableThenExecutableFolder) {
    const char* old = std::getenv("LECTRA_HOME");
    const std::string saved = old ? old : "";
    setenv("LECTRA_HOME", "/some/where/", 1);
    EXPECT_EQ(ProgramFolder(), u"/some/where");
    unsetenv("LECTRA_HOME");
    // The test program's folder (the build tree) is writable, so a portable copy lives there.
    EXPECT_EQ(ProgramFolder(), ExecutableFolder());
    if (old) setenv("LECTRA_HOME", saved.c_str(), 1);
}

}  // namespace
}  // namespace lectra
