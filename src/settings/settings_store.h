// The key=value settings file: an in-memory table of text keys and values bound to one UTF-8 file.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lectra {

constexpr char16_t kConfigFileName[] = u"_config.ini";
constexpr int kConfigCapacity = 200;
constexpr char16_t kRecentFileName[] = u"_recent.files.ini";
constexpr int kRecentCapacity = 100;

constexpr int kMaxKeyChars = 31;
// A store's values are cut to 259 characters unless it is made with a longer limit (the recent
// store holds paths, up to the platform's limit); lines to 518, or a key and the longest value.
constexpr int kMaxValueChars = 259;
constexpr int kMaxLineChars = 518;
// A save writes entries while the running total of key + value + 4 stays below this, or below
// what a full store of the longest values counts when that is more; a load reads at most three
// bytes for each of those characters. Each counted character is at most three UTF-8 bytes, so
// everything a save writes is read back whole. (Sixteen recent books with two 259-character paths
// each would not fit under a write limit of 8192, and a save cut between the keys of one book.)
constexpr int32_t kMaxSaveChars = 65536;
constexpr uint32_t kMaxReadBytes = 3 * kMaxSaveChars;

struct SettingsEntry {
    char16_t key[kMaxKeyChars + 1] = {};
    int32_t keyLength = 0;  // so that a look-up rejects most entries without reading their keys
    // Never null here: a line ending in "=" holds the empty value, which reads as the empty text
    // and as the number 0.
    std::u16string value;
};

struct SettingsStore {
    std::u16string path;
    std::vector<SettingsEntry> entries;  // `capacity` rows, the first `count` in insertion order
    int capacity = 0;
    int count = 0;
    int Dirty = 0;
    int maxValueChars = kMaxValueChars;
    int32_t maxSaveChars = kMaxSaveChars;
    // The file exists but the last load could not read it: saving would replace what the user
    // has (every remembered book) with defaults, so saves are refused until a load succeeds.
    int loadFailed = 0;
    int loadFailureTold = 0;
    // Why the last save failed, for the user: the system's reason and the file; empty after a
    // save that succeeded.
    std::u16string saveError;
};

// Binds the store to folder/fileName with room for `capacity` entries of values up to
// `maxValueChars` characters and loads the file. An empty folder binds it to no file: it starts
// empty and its saves fail.
void CreateSettingsStore(SettingsStore& store, const std::u16string& folder,
                         std::u16string_view fileName, int capacity,
                         int maxValueChars = kMaxValueChars);

// Replaces the entries with those of the file (creating it empty when missing). An unreadable file
// leaves the store empty and sets loadFailed. Dirty is 0 afterwards.
void Load(SettingsStore& store);
// Parses the bytes of a settings file into the store, as Load does after reading them: at most
// three bytes per character a save may write, up to the first zero byte, a last line without LF
// ignored.
void LoadFromBytes(SettingsStore& store, const uint8_t* bytes, size_t size);

// When Dirty, writes the file through a temporary file beside it that replaces it in one rename,
// so the old file survives a failed or interrupted save. Returns 1 when written or not dirty;
// 0 with the reason in saveError when it could not be written (no folder, a folder that is
// missing or read-only, a full disk). Dirty stays as it was. After a failed load of an existing
// file nothing is written (0), and the first such refusal says so on standard error.
int Save(SettingsStore& store);
// The text a save writes: the entries in order as key=value CR LF, then "#".
std::u16string SettingsText(const SettingsStore& store);

// The stored value; a missing key is set to `defaultValue`, which is returned.
std::u16string GetString(SettingsStore& store, std::u16string_view key,
                         std::u16string_view defaultValue);
// The stored value read as a decimal number (leading white space and a sign allowed, stopping at
// the first non-digit, 0 without digits, saturated to 32 bits); a missing key is set to the
// default.
int32_t GetInt(SettingsStore& store, std::u16string_view key, int32_t defaultValue);
// 1 stored (or already equal); 0, changing nothing, when the key is new and the store is full,
// when the key is longer than 31 characters or holds a zero, or when the value holds a CR, LF or
// zero, which the file cannot carry.
int SetString(SettingsStore& store, std::u16string_view key, std::u16string_view value);
int SetInt(SettingsStore& store, std::u16string_view key, int32_t value);

// The entry of `key`, or null.
const SettingsEntry* FindEntry(const SettingsStore& store, std::u16string_view key);

// Decimal text of a number, with "-" when negative.
std::u16string DecimalText(int32_t value);
// The number at the start of `text` by GetInt's rules.
int32_t ParseDecimal(std::u16string_view text);

}  // namespace lectra
