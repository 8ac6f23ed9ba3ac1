// The file service and the program's folder.
#include "platform/sys/files.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/sys/program_folder.h"
#include "platform/sys/utf.h"
#include "test_support.h"

namespace lectra {
namespace {

TEST(Files, TruncateAppendSeekReadListRenameDelete) {
    test::ScratchDir dir;
    const std::u16string path = Utf8ToUtf16(dir.Write("книга.txt", "hello, there"));
    PlatformFile f;
    ASSERT_TRUE(FileOpenAppend(f, path));
    ASSERT_TRUE(FileSeek(f, 5));
    ASSERT_TRUE(FileTruncateHere(f));
    ASSERT_TRUE(FileWrite(f, ", world!", 8));
    ASSERT_TRUE(FileOpenRead(f, path));  // closes the file it held
    EXPECT_EQ(FileSize(f), 13);
    char buf[16] = {};
    uint32_t got = 0;
    ASSERT_TRUE(FileSeek(f, 7));
    ASSERT_TRUE(FileRead(f, buf, 16, &got));  // a short read at the end is no failure
    EXPECT_EQ(std::string(buf, got), "world!");
    FileClose(f);
    EXPECT_FALSE(FileRead(f, buf, 1, &got));
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ListFolder(Utf8ToUtf16(dir.path()), entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, u"книга.txt");
    const std::u16string moved = Utf8ToUtf16(dir.path() + "/moved.txt");
    ASSERT_TRUE(FileRename(path, moved));
    EXPECT_FALSE(FileExists(path));
    ASSERT_TRUE(FileDelete(moved));
    EXPECT_FALSE(FileOpenRead(f, moved));
    EXPECT_FALSE(ListFolder(moved, entries));
}

TEST(Files, ANameInAnOldCodePageOpensAndListsAsItself) {
    test::ScratchDir dir;
    const std::string name = "\xCA\xED\xE8\xE3\xE0.txt";  // "Книга.txt" in cp1251
    dir.Write(name, "x");
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ListFolder(PathFromBytes(dir.path()), entries));
    ASSERT_EQ(entries.size(), 1u);
    PlatformFile f;
    ASSERT_TRUE(FileOpenRead(f, PathFromBytes(dir.path() + "/") + entries[0].name));
    EXPECT_EQ(FileSize(f), 1);
    EXPECT_EQ(PathToBytes(entries[0].name), name);
}

TEST(ProgramFolder, HomeVariableThenTheUsersConfigFolder) {
    const char* old = std::getenv("LECTRA_HOME");
    const std::string saved = old ? old : "";
    setenv("LECTRA_HOME", "/some/where/", 1);
    EXPECT_EQ(ProgramFolder(), u"/some/where");
    unsetenv("LECTRA_HOME");
    // The test program keeps no data beside it, as an installed copy: its settings go to the
    // user's config folder, made when missing, never to the executable's folder.
    test::ScratchDir config;
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    EXPECT_EQ(ProgramFolder(), Utf8ToUtf16(config.path() + "/lectra"));
    EXPECT_EQ(DataFolder(), ExecutableFolder() + u"/../share/lectra");
    unsetenv("XDG_CONFIG_HOME");
    if (old) setenv("LECTRA_HOME", saved.c_str(), 1);
}

}  // namespace
}  // namespace lectra
