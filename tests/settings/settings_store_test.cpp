// The key=value settings file: line rules, insertion order, the decimal rules, limits and saving.
#include "settings/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <string>

#include "platform/sys/files.h"
#include "platform/sys/utf.h"
#include "test_support.h"

namespace lectra {
namespace {

using test::ScratchDir;

SettingsStore Parse(const std::string& bytes, int capacity = 200) {
    SettingsStore store;
    store.capacity = capacity;
    store.entries.resize(capacity);
    LoadFromBytes(store, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return store;
}

std::string Value(const SettingsStore& store, const char* key) {
    const SettingsEntry* e = FindEntry(store, Utf8ToUtf16(key));
    return e ? Utf16ToUtf8(e->value) : "<missing>";
}

std::string Keys(const SettingsStore& store) {
    std::string keys;
    for (int i = 0; i < store.count; ++i) {
        if (i) keys += ",";
        keys += Utf16ToUtf8(store.entries[i].key);
    }
    return keys;
}

ino_t Inode(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

TEST(SettingsStore, LineRules) {
    const std::string key40(40, 'K');
    const SettingsStore s = Parse(
        "A=1\r\n"
        "#B=2\n"
        " C=3\n"
        "no equals sign\n"
        "\n"
        "\r\n"
        "A=2\n"        // a repeated key replaces the earlier value
        "EMPTY=\n"     // an empty value, not a missing one
        "EQ=x=y\n"     // the key ends at the first "="
        "S P = v \n"   // nothing is trimmed
        "C\rR=o\rk\n"  // every CR is dropped wherever it stands
        + key40 +
        "=long\n"              // cut to its first 31 characters
        "LAST=unterminated");  // a last line without LF is not taken
    EXPECT_EQ(Keys(s), "A,EMPTY,EQ,S P ,CR," + key40.substr(0, 31));
    EXPECT_EQ(Value(s, "A"), "2");
    EXPECT_EQ(Value(s, "EMPTY"), "");
    EXPECT_EQ(Value(s, "EQ"), "x=y");
    EXPECT_EQ(Value(s, "S P "), " v ");
    EXPECT_EQ(Value(s, "CR"), "ok");
    EXPECT_EQ(Value(s, key40.substr(0, 31).c_str()), "long");
    EXPECT_EQ(Value(s, "LAST"), "<missing>");
    EXPECT_EQ(s.Dirty, 1);  // LoadFromBytes is the parse alone; Load clears Dirty
}

TEST(SettingsStore, LongLinesAndValuesAreCut) {
    // The line keeps 518 characters (multi-byte ones count once), the value 259 of them.
    const std::string ya = "\xD1\x8F";  // one Cyrillic letter, two bytes
    std::string line = "V=";
    for (int i = 0; i < 600; ++i) line += ya;
    std::string longKey(600, 'k');
    SettingsStore s = Parse(line + "\n" + longKey + "=after518\nNEXT=1\n");
    std::string expected;
    for (int i = 0; i < kMaxValueChars; ++i) expected += ya;
    EXPECT_EQ(Value(s, "V"), expected);
    // The "=" of the long-key line lies beyond character 518: the line holds no "=" at all.
    EXPECT_EQ(Keys(s), "V,NEXT");
}

TEST(SettingsStore, BytesAfterAZeroOrBadUtf8) {
    const char withZero[] = "A=1\nB=2\0\nC=3\n";
    SettingsStore s = Parse(std::string(withZero, sizeof withZero - 1));
    EXPECT_EQ(Keys(s), "A");  // reading stops at the zero; "B=2" has no LF before it
    // A byte-order mark is no part of the format: it becomes part of the first key.
    s = Parse("\xEF\xBB\xBFK=1\nBAD=\xFF\xFE\n");
    EXPECT_EQ(Value(s, "\xEF\xBB\xBFK"), "1");
    EXPECT_EQ(Value(s, "BAD"), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(SettingsStore, GetIntReadsDecimalText) {
    SettingsStore s = Parse(
        "SP= \t-12abc\nPLUS=+7\nWORD=abc\nEMPTY=\nBIG=99999999999\nSMALL=-99999999999\n"
        "HEX=0x10\n");
    EXPECT_EQ(GetInt(s, u"SP", 5), -12);
    EXPECT_EQ(GetInt(s, u"PLUS", 5), 7);
    EXPECT_EQ(GetInt(s, u"WORD", 5), 0);
    EXPECT_EQ(GetInt(s, u"EMPTY", 5), 0);  // a stored empty value is a value
    EXPECT_EQ(GetInt(s, u"BIG", 5), INT32_MAX);
    EXPECT_EQ(GetInt(s, u"SMALL", 5), INT32_MIN);
    EXPECT_EQ(GetInt(s, u"HEX", 5), 0);
    EXPECT_EQ(DecimalText(INT32_MIN), u"-2147483648");
    EXPECT_EQ(ParseDecimal(DecimalText(INT32_MIN)), INT32_MIN);
}

TEST(SettingsStore, GettersAddMissingKeysInOrderAndSettersTrackDirty) {
    SettingsStore s = Parse("B=old\n");
    s.Dirty = 0;
    EXPECT_EQ(GetString(s, u"B", u"default"), u"old");
    EXPECT_EQ(s.Dirty, 0);
    EXPECT_EQ(GetInt(s, u"N", -5), -5);
    EXPECT_EQ(GetString(s, u"A", u"text"), u"text");
    EXPECT_EQ(Keys(s), "B,N,A");
    EXPECT_EQ(Value(s, "N"), "-5");
    EXPECT_EQ(s.Dirty, 1);

    s.Dirty = 0;
    EXPECT_EQ(SetString(s, u"B", u"old"), 1);  // equal value: not a change
    EXPECT_EQ(SetInt(s, u"N", -5), 1);
    EXPECT_EQ(s.Dirty, 0);
    EXPECT_EQ(SetString(s, u"B", u"new"), 1);
    EXPECT_EQ(s.Dirty, 1);
    EXPECT_EQ(Keys(s), "B,N,A");
    EXPECT_EQ(SettingsText(s), u"B=new\r\nN=-5\r\nA=text\r\n#");
}

TEST(SettingsStore, AFullStoreRefusesNewKeys) {
    SettingsStore s = Parse("A=1\nB=2\nC=3\nD=4\n", 3);
    EXPECT_EQ(Keys(s), "A,B,C");
    EXPECT_EQ(SetString(s, u"E", u"5"), 0);
    EXPECT_EQ(GetInt(s, u"F", 6), 6);  // the default still comes back
    EXPECT_EQ(s.count, 3);
    EXPECT_EQ(SetString(s, u"A", u"changed"), 1);  // an existing key still changes
    // A caller's key that cannot be held whole is refused rather than cut into another key.
    SettingsStore t = Parse("");
    EXPECT_EQ(SetString(t, std::u16string(32, u'K'), u"v"), 0);
    EXPECT_EQ(SetString(t, std::u16string(u"A\0B", 3), u"v"), 0);
    EXPECT_EQ(SetString(t, std::u16string(31, u'K'), u"v"), 1);
    EXPECT_EQ(t.count, 1);
}

TEST(SettingsStore, ValuesTheFileCannotCarryAreRefused) {
    // Written as they stand, these would split into a line of the caller's choosing, lose a
    // character, or end the whole file at the next load.
    SettingsStore s = Parse("PATH=/books/a.txt\n");
    s.Dirty = 0;
    const std::u16string bad[] = {u"/books/x\nCODE_PAGE=866", u"/books/x\r.txt",
                                  std::u16string(u"/books/x\0.txt", 14)};
    for (const std::u16string& value : bad) {
        EXPECT_EQ(SetString(s, u"PATH", value), 0);
        EXPECT_EQ(SetString(s, u"NEW", value), 0);
    }
    EXPECT_EQ(Value(s, "PATH"), "/books/a.txt");
    EXPECT_EQ(s.count, 1);
    EXPECT_EQ(s.Dirty, 0);
    EXPECT_EQ(GetString(s, u"OTHER", u"a\nb"), u"a\nb");  // the default still comes back
    EXPECT_EQ(SettingsText(s), u"PATH=/books/a.txt\r\n#");
}

TEST(SettingsStore, SaveWritesTheEntriesThenAHashAndReadsBack) {
    ScratchDir dir;
    const std::u16string folder = Utf8ToUtf16(dir.path());
    SettingsStore s;
    CreateSettingsStore(s, folder, u"_config.ini", 200);
    EXPECT_EQ(s.count, 0);
    EXPECT_EQ(s.Dirty, 0);
    // A first run leaves an empty file.
    EXPECT_EQ(test::ReadBytes(dir.path() + "/_config.ini"), "");
    GetString(s, u"PATH", u"/книги/Война и мир.txt");
    GetInt(s, u"POS", 1234);
    ASSERT_EQ(Save(s), 1);
    EXPECT_EQ(test::ReadBytes(dir.path() + "/_config.ini"),
              "PATH=/книги/Война и мир.txt\r\nPOS=1234\r\n#");
    EXPECT_FALSE(FileExists(Utf8ToUtf16(dir.path() + "/_config.ini.tmp")));
    EXPECT_EQ(s.Dirty, 1);  // a save leaves Dirty as it was

    SettingsStore again;
    CreateSettingsStore(again, folder + u"/", u"_config.ini", 200);
    EXPECT_EQ(again.path, folder + u"/_config.ini");
    EXPECT_EQ(GetString(again, u"PATH", u""), u"/книги/Война и мир.txt");
    EXPECT_EQ(GetInt(again, u"POS", 0), 1234);
    EXPECT_EQ(again.Dirty, 0);
}

TEST(SettingsStore, AStoreThatDidNotChangeIsNotRewritten) {
    ScratchDir dir;
    const std::string path = dir.Write("_config.ini", "A=1\r\nB=2\r\n#");
    SettingsStore s;
    CreateSettingsStore(s, Utf8ToUtf16(dir.path()), u"_config.ini", 200);
    SetInt(s, u"A", 1);
    const ino_t before = Inode(path);
    ASSERT_EQ(Save(s), 1);
    EXPECT_EQ(Inode(path), before);  // a save would have renamed a new file over it
    SetInt(s, u"A", 3);
    ASSERT_EQ(Save(s), 1);
    EXPECT_NE(Inode(path), before);
    EXPECT_EQ(test::ReadBytes(path), "A=3\r\nB=2\r\n#");
}

TEST(SettingsStore, AFailedSaveLeavesTheOldFile) {
    ScratchDir dir;
    const std::string path = dir.Write("_config.ini", "A=1\r\n#");
    SettingsStore s;
    CreateSettingsStore(s, Utf8ToUtf16(dir.path()), u"_config.ini", 200);
    SetInt(s, u"A", 2);
    // The temporary file cannot be made: the save fails and the settings on disk are untouched.
    ASSERT_EQ(mkdir((path + ".tmp").c_str(), 0700), 0);
    EXPECT_EQ(Save(s), 0);
    EXPECT_EQ(test::ReadBytes(path), "A=1\r\n#");
    rmdir((path + ".tmp").c_str());
    EXPECT_EQ(Save(s), 1);
    EXPECT_EQ(test::ReadBytes(path), "A=2\r\n#");

    // A folder that does not exist gives an empty store whose saves write nothing.
    SettingsStore missing;
    CreateSettingsStore(missing, Utf8ToUtf16(dir.path() + "/no/such"), u"_config.ini", 200);
    EXPECT_EQ(GetInt(missing, u"A", 7), 7);
    EXPECT_EQ(Save(missing), 0);
    EXPECT_FALSE(FileExists(Utf8ToUtf16(dir.path() + "/no")));
}

TEST(SettingsStore, ReadLimitCutsTheFile) {
    // Comment lines up to the limit, then one key whose line ends on the last byte read and one
    // whose line end is the first byte left unread.
    const std::string inside = "IN=1\n", outside = "OUT=1\n";
    std::string bytes;
    while (bytes.size() + 100 < kMaxReadBytes - inside.size())
        bytes += "#" + std::string(98, 'x') + "\n";
    bytes += "#" + std::string(kMaxReadBytes - inside.size() - bytes.size() - 2, 'y') + "\n";
    bytes += inside;
    ASSERT_EQ(bytes.size(), kMaxReadBytes);
    bytes += outside;
    ScratchDir dir;
    dir.Write("_config.ini", bytes);
    SettingsStore s;
    CreateSettingsStore(s, Utf8ToUtf16(dir.path()), u"_config.ini", 200);
    EXPECT_EQ(Keys(s), "IN");

    // One byte more and the line of IN loses its LF.
    dir.Write("_config.ini", "#" + bytes);
    CreateSettingsStore(s, Utf8ToUtf16(dir.path()), u"_config.ini", 200);
    EXPECT_EQ(Keys(s), "");
}

TEST(SettingsStore, WriteLimitLeavesLaterEntriesInMemoryOnly) {
    // 300 entries of 2 + 250 + 4 = 256 counted characters: the running total reaches 65536 at
    // the 256th, which is left out with all after it.
    SettingsStore s = Parse("", 300);
    const std::u16string value(250, u'v');
    for (int i = 0; i < 300; ++i) {
        const char16_t key[3] = {static_cast<char16_t>(u'A' + i / 26 % 26),
                                 static_cast<char16_t>(u'a' + i % 26), 0};
        ASSERT_EQ(SetString(s, key, value), 1);
    }
    const std::u16string text = SettingsText(s);
    EXPECT_EQ(text.size(), 255u * (2 + 1 + 250 + 2) + 1);
    EXPECT_EQ(text.back(), u'#');
    EXPECT_EQ(s.count, 300);
}

}  // namespace
}  // namespace lectra
