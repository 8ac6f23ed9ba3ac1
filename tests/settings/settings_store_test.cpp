// The key=value settings file: line rules, insertion order, the decimal rules, limits and saving.
#include "settings/settings_store.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "platform/sys/files.h"
#include "settings/settings_test_util.h"
#include "test_support.h"

namespace lectra {
namespace {

using test::Dump;
using test::Parse;
using test::ScratchDir;

ino_t Inode(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

TEST(SettingsStore, LineRulesAndCuts) {
    const std::string key40(40, 'K');
    // Later keys replace; nothing trimmed; CRs dropped; keys cut to 31; a last line needs its LF.
    const SettingsStore s = Parse(
        "A=1\r\n#B=2\n C=3\nno equals sign\n\n\r\nA=2\nEMPTY=\nEQ=x=y\n"
        "S P = v \nC\rR=o\rk\n" +
        key40 + "=long\nLAST=unterminated");
    EXPECT_EQ(Dump(s), "A=2|EMPTY=|EQ=x=y|S P = v |CR=ok|" + key40.substr(0, 31) + "=long");
    EXPECT_EQ(FindEntry(s, std::u16string(31, u'K'))->value, u"long");
    // A line keeps 518 characters (a multi-byte one counts once), a value 259 of them.
    std::string line = "V=";
    for (int i = 0; i < 600; ++i) line += "\xD1\x8F";  // one two-byte Cyrillic letter
    EXPECT_EQ(Dump(Parse(line + "\n" + std::string(600, 'k') + "=after518\nNEXT=1\n")),
              "V=" + line.substr(2, 2 * kMaxValueChars) + "|NEXT=1");
    // Reading stops at a zero byte, so "B=2" has no LF before it.
    EXPECT_EQ(Dump(Parse(std::string("A=1\nB=2\0\nC=3\n", 13))), "A=1");
    // A byte-order mark is no part of the format: it becomes part of the first key.
    EXPECT_EQ(Dump(Parse("\xEF\xBB\xBFK=1\nBAD=\xFF\xFE\n")),
              "\xEF\xBB\xBFK=1|BAD=\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(SettingsStore, WhatTheStoreOrTheFileCannotHoldIsRefused) {
    SettingsStore full = Parse("A=1\nB=2\nC=3\nD=4\n", 3);
    EXPECT_EQ(SetString(full, u"E", u"5"), 0);
    EXPECT_EQ(GetInt(full, u"F", 6), 6);              // the default still comes back
    EXPECT_EQ(SetString(full, u"A", u"changed"), 1);  // an existing key still changes
    EXPECT_EQ(Dump(full), "A=changed|B=2|C=3");
    // A key too long, or a value with a line break or a zero, is refused rather than cut or split.
    SettingsStore s = Parse("PATH=/books/a.txt\n");
    s.Dirty = 0;
    EXPECT_EQ(SetString(s, std::u16string(32, u'K'), u"v"), 0);
    EXPECT_EQ(SetString(s, std::u16string(u"A\0B", 3), u"v"), 0);
    for (const std::u16string& value :
         {std::u16string(u"/books/x\nCODE_PAGE=866"), std::u16string(u"/books/x\r.txt"),
          std::u16string(u"/books/x\0.txt", 14)}) {
        EXPECT_EQ(SetString(s, u"PATH", value) + SetString(s, u"NEW", value), 0);
    }
    EXPECT_EQ(s.Dirty, 0);
    EXPECT_EQ(SettingsText(s), u"PATH=/books/a.txt\r\n#");
    EXPECT_EQ(SetString(s, std::u16string(31, u'K'), u"v"), 1);
}

TEST(SettingsStore, SaveReplacesTheFileOnlyWhenChanged) {
    ScratchDir dir;
    const std::u16string folder = Utf8ToUtf16(dir.path());
    const std::string path = dir.path() + "/_config.ini",
                      first = "PATH=/книги/Война и мир.txt\r\nPOS=1234\r\n#";
    SettingsStore s, again;
    CreateSettingsStore(s, folder, u"_config.ini", 200);
    EXPECT_EQ(test::ReadBytes(path), "");  // a first run leaves an empty file
    GetString(s, u"PATH", u"/книги/Война и мир.txt");
    GetInt(s, u"POS", 1234);
    ASSERT_EQ(Save(s), 1);
    EXPECT_EQ(test::ReadBytes(path), first);

    CreateSettingsStore(again, folder + u"/", u"_config.ini", 200);
    SetInt(again, u"POS", 1234);
    const ino_t before = Inode(path);
    ASSERT_EQ(Save(again), 1);
    EXPECT_EQ(Inode(path), before);  // a save would have renamed a new file over it
}

TEST(SettingsStore, AFileThatExistsButCannotBeReadIsNeverSavedOver) {
    ScratchDir dir;
    const std::string path = dir.Write("_recent.files.ini", "FILE_NAME_0=/books/a.txt\r\n#");
    ASSERT_EQ(chmod(dir.path().c_str(), 0755) | chmod(path.c_str(), 0), 0);
    EXPECT_EQ(test::AsOtherUser([&] {
                  SettingsStore s;
                  CreateSettingsStore(s, Utf8ToUtf16(dir.path()), kRecentFileName, kRecentCapacity);
                  SetString(s, u"FILE_NAME_0", u"");
                  return s.loadFailed && s.count == 1 && Save(s) == 0 && Save(s) == 0 ? 0 : 1;
              }),
              0);
    EXPECT_EQ(test::ReadBytes(path), "FILE_NAME_0=/books/a.txt\r\n#");
}

// Each failure says why (a reason the user reads at once: not compared here) and leaves the old
// file; the next save that can be made succeeds and clears the reason.
TEST(SettingsStore, AFailedSaveSaysWhyAndLeavesTheOldFile) {
    ScratchDir dir;
    const std::string path = dir.Write("_config.ini", "POS=1\r\n#");
    // The store of `folder` with one path changed, saved: 0 when it fails and says why.
    auto failedSave = [](SettingsStore& s, const std::string& folder) {
        CreateSettingsStore(s, Utf8ToUtf16(folder), u"_config.ini", 200);
        SetString(s, u"PATH", u"/books/a long name.txt");
        return Save(s) == 0 && !s.saveError.empty() ? 0 : 1;
    };
    // The folder is missing (a LECTRA_HOME that does not exist): the store still answers, and no
    // folder is made.
    SettingsStore missing;
    EXPECT_EQ(failedSave(missing, dir.path() + "/missing"), 0);
    EXPECT_EQ(GetInt(missing, u"A", 7), 7);
    EXPECT_FALSE(FileExists(Utf8ToUtf16(dir.path() + "/missing")));
    // No folder at all: nothing is read or written, not even in the working folder.
    SettingsStore none;
    EXPECT_EQ(failedSave(none, ""), 0);
    EXPECT_EQ(none.path, u"");
    // (A read-only folder fails where the missing one does: at the temporary file.)
    ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);  // for the other user below
    // A write that fails half-way, as on a full disk: the size limit stops it past 4 bytes.
    EXPECT_EQ(test::AsOtherUser([&] {
                  signal(SIGXFSZ, SIG_IGN);
                  rlimit limit{};
                  getrlimit(RLIMIT_FSIZE, &limit);
                  const rlim_t before = limit.rlim_cur;
                  limit.rlim_cur = 4;
                  if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
                  SettingsStore s;
                  if (failedSave(s, dir.path())) return 1;
                  if (test::ReadBytes(path) != "POS=1\r\n#") return 2;
                  limit.rlim_cur = before;
                  setrlimit(RLIMIT_FSIZE, &limit);
                  return Save(s) == 1 && s.saveError.empty() ? 0 : 4;
              }),
              0);
    EXPECT_EQ(test::ReadBytes(path), "POS=1\r\nPATH=/books/a long name.txt\r\n#");
    EXPECT_FALSE(FileExists(Utf8ToUtf16(path + ".tmp")));
}

// A link of the temporary file's name, to a file of the user's above all, is replaced.
TEST(SettingsStore, TheTemporaryFileIsNeverFollowed) {
    ScratchDir dir, elsewhere;
    const std::string victim = elsewhere.Write("victim.txt", "precious");
    const std::string tmp = dir.path() + "/_config.ini.tmp", dangling = elsewhere.path() + "/new";
    for (const std::string& target : {victim, dangling}) {
        SettingsStore s;
        CreateSettingsStore(s, Utf8ToUtf16(dir.path()), u"_config.ini", 200);
        SetString(s, u"TARGET", Utf8ToUtf16(target));
        ASSERT_EQ(symlink(target.c_str(), tmp.c_str()), 0);
        EXPECT_EQ(Save(s), 1);
        struct stat st;
        ASSERT_EQ(lstat((dir.path() + "/_config.ini").c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        EXPECT_EQ(test::ReadBytes(dir.path() + "/_config.ini"), "TARGET=" + target + "\r\n#");
        EXPECT_NE(lstat(tmp.c_str(), &st), 0);
    }
    EXPECT_EQ(test::ReadBytes(victim), "precious");
    EXPECT_FALSE(FileExists(Utf8ToUtf16(dangling)));
}

TEST(SettingsStore, ReadLimitCutsTheFile) {
    // IN's line ends on the last byte read; one byte more and it loses its LF.
    const std::string bytes = "#" + std::string(kMaxReadBytes - 7, 'x') + "\nIN=1\nOUT=1\n";
    ScratchDir dir;
    SettingsStore s;
    for (const char* prefix : {"", "#"}) {
        dir.Write("_config.ini", prefix + bytes);
        CreateSettingsStore(s, Utf8ToUtf16(dir.path()), u"_config.ini", 200);
        EXPECT_EQ(Dump(s), *prefix ? "" : "IN=1");
    }
}

}  // namespace
}  // namespace lectra
