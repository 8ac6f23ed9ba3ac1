// The key=value settings file: an in-memory table of text keys and values bound to one UTF-8 file.
#include "settings/settings_store.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/sys/files.h"
#include "platform/sys/utf.h"

namespace lectra {

namespace {

std::u16string_view KeyOf(const SettingsEntry& e) {
    return std::u16string_view(e.key, static_cast<size_t>(e.keyLength));
}

SettingsEntry* Find(SettingsStore& store, std::u16string_view key) {
    for (int i = 0; i < store.count; ++i) {
        if (KeyOf(store.entries[i]) == key) return &store.entries[i];
    }
    return nullptr;
}

uint32_t ReadLimit(const SettingsStore& store) {
    return 3 * static_cast<uint32_t>(store.maxSaveChars);
}

// One line without its end: a comment or a line without "=" is skipped; the key is cut to 31
// characters and the value to the store's limit.
void ParseLine(SettingsStore& store, std::u16string_view line) {
    if (line.empty() || line[0] == u'#' || line[0] == u' ') return;
    const size_t eq = line.find(u'=');
    if (eq == std::u16string_view::npos) return;
    const std::u16string_view key = line.substr(0, std::min<size_t>(eq, kMaxKeyChars));
    const std::u16string_view value = line.substr(eq + 1, static_cast<size_t>(store.maxValueChars));
    SetString(store, key, value);
}

bool IsSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

}  // namespace

void CreateSettingsStore(SettingsStore& store, const std::u16string& folder,
                         std::u16string_view fileName, int capacity, int maxValueChars) {
    // No folder means nowhere to keep the file (not the working folder): nothing is read or
    // written.
    store.path.clear();
    if (!folder.empty()) {
        store.path = folder;
        if (store.path.back() != u'/') store.path += u'/';
        store.path += fileName;
    }
    store.capacity = std::max(capacity, 0);
    store.maxValueChars = std::clamp(maxValueChars, 1, kMaxPathBytes);
    const int64_t full =
        static_cast<int64_t>(store.capacity) * (kMaxKeyChars + 4 + store.maxValueChars);
    store.maxSaveChars = static_cast<int32_t>(std::max<int64_t>(kMaxSaveChars, full + 1));
    store.entries.assign(static_cast<size_t>(store.capacity), SettingsEntry{});
    store.count = 0;
    store.Dirty = 0;
    Load(store);
}

void Load(SettingsStore& store) {
    store.count = 0;
    store.loadFailed = 0;
    if (store.path.empty()) {
        store.Dirty = 0;
        return;
    }
    PlatformFile file;
    // A first run leaves an empty file behind, as the reader always has.
    if (!FileExists(store.path) && FileOpenAppend(file, store.path)) FileClose(file);
    int read = 0;
    if (FileOpenRead(file, store.path)) {
        const int64_t size = FileSize(file);
        const uint32_t limit =
            static_cast<uint32_t>(std::clamp<int64_t>(size, 0, ReadLimit(store)));
        std::unique_ptr<uint8_t[]> buffer(new uint8_t[limit + 1]);
        uint32_t got = 0;
        read = size >= 0 && FileRead(file, buffer.get(), limit, &got);
        if (read) LoadFromBytes(store, buffer.get(), got);
        FileClose(file);
    }
    store.loadFailed = !read && FileExists(store.path);
    store.Dirty = 0;
}

void LoadFromBytes(SettingsStore& store, const uint8_t* bytes, size_t size) {
    if (!bytes || size == 0) return;
    size = std::min<size_t>(size, ReadLimit(store));
    const void* zero = std::memchr(bytes, 0, size);
    if (zero) size = static_cast<size_t>(static_cast<const uint8_t*>(zero) - bytes);
    const std::u16string text =
        PathFromBytes(std::string_view(reinterpret_cast<const char*>(bytes), size));
    std::u16string line;
    const size_t lineLimit =
        std::max<size_t>(kMaxLineChars, kMaxKeyChars + 1 + store.maxValueChars);
    line.reserve(lineLimit);
    for (char16_t c : text) {
        if (c == u'\n') {
            if (!line.empty()) ParseLine(store, line);
            line.clear();
        } else if (c != u'\r' && line.size() < lineLimit) {
            line += c;
        }
    }
    // A last line without its LF may be a write cut short: it is not taken.
}

std::u16string SettingsText(const SettingsStore& store) {
    std::u16string text;
    int64_t total = 0;
    for (int i = 0; i < store.count; ++i) {
        const SettingsEntry& e = store.entries[i];
        const std::u16string_view key = KeyOf(e);
        total += static_cast<int64_t>(key.size()) + 4 + static_cast<int64_t>(e.value.size());
        if (total >= store.maxSaveChars) break;
        text += key;
        text += u'=';
        text += e.value;
        text += u"\r\n";
    }
    text += u'#';
    return text;
}

int Save(SettingsStore& store) {
    if (!store.Dirty) return 1;
    if (store.path.empty()) {
        store.saveError = u"there is no private folder to keep them in";
        return 0;
    }
    if (store.loadFailed) {
        store.saveError = u"the file could not be read and is left as it is (" + store.path + u")";
        if (!store.loadFailureTold) {
            std::fprintf(stderr, "%s could not be read; it is left as it is and not saved\n",
                         PathToBytes(store.path).c_str());
            store.loadFailureTold = 1;
        }
        return 0;
    }
    const std::string bytes = PathToBytes(SettingsText(store));
    // Written beside the file and renamed over it: a save that dies half-way leaves the old file.
    // The temporary file is always a new one: whatever has its name (a file left by a save that
    // died, or a link to somewhere else) is removed, never written through.
    const std::u16string temp = store.path + u".tmp";
    PlatformFile file;
    errno = 0;
    int error = 0;
    if (!FileCreateNew(file, temp)) {
        error = errno;
    } else {
        if (!FileWrite(file, bytes.data(), static_cast<uint32_t>(bytes.size())) ||
            !FileSync(file)) {
            error = errno ? errno : EIO;
        }
        FileClose(file);
        if (!error && !FileRename(temp, store.path)) error = errno;
        if (error) FileDelete(temp);
    }
    if (error) {
        store.saveError = PathFromBytes(std::strerror(error)) + u" (" + store.path + u")";
        return 0;
    }
    store.saveError.clear();
    return 1;
}

const SettingsEntry* FindEntry(const SettingsStore& store, std::u16string_view key) {
    return Find(const_cast<SettingsStore&>(store), key);
}

int SetString(SettingsStore& store, std::u16string_view key, std::u16string_view value) {
    // A key is held zero-terminated in 32 characters; one that cannot be is refused, not cut, so
    // that it never aliases another.
    if (key.size() > static_cast<size_t>(kMaxKeyChars) || key.find(u'\0') != key.npos) return 0;
    // The file has no escapes: a line break would end the value early and make the rest a line of
    // its own (a key of the caller's choosing), and a zero would end the whole file at the next
    // load.
    if (value.find_first_of(std::u16string_view(u"\r\n\0", 3)) != value.npos) return 0;
    if (SettingsEntry* e = Find(store, key)) {
        if (e->value == value) return 1;
        e->value.assign(value);
        store.Dirty = 1;
        return 1;
    }
    if (store.count >= store.capacity) return 0;
    SettingsEntry& e = store.entries[store.count++];
    std::fill(std::begin(e.key), std::end(e.key), u'\0');
    std::copy(key.begin(), key.end(), e.key);
    e.keyLength = static_cast<int32_t>(key.size());
    e.value.assign(value);
    store.Dirty = 1;
    return 1;
}

int SetInt(SettingsStore& store, std::u16string_view key, int32_t value) {
    return SetString(store, key, DecimalText(value));
}

std::u16string GetString(SettingsStore& store, std::u16string_view key,
                         std::u16string_view defaultValue) {
    if (const SettingsEntry* e = Find(store, key)) return e->value;
    SetString(store, key, defaultValue);
    return std::u16string(defaultValue);
}

int32_t GetInt(SettingsStore& store, std::u16string_view key, int32_t defaultValue) {
    if (const SettingsEntry* e = Find(store, key)) return ParseDecimal(e->value);
    SetInt(store, key, defaultValue);
    return defaultValue;
}

std::u16string DecimalText(int32_t value) {
    char buf[16];
    const int n = std::snprintf(buf, sizeof buf, "%d", static_cast<int>(value));
    return std::u16string(buf, buf + std::max(n, 0));
}

int32_t ParseDecimal(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    // Saturates rather than wraps: a hand-edited huge number must not come back negative.
    int64_t v = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        v = std::min<int64_t>(v * 10 + (text[i] - u'0'), int64_t{1} << 32);
    }
    if (negative) v = -v;
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace lectra
