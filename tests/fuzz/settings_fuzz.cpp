// Fuzz target: bytes as a settings file and the recent list; indexes in range, saves stable.
#include <cstddef>
#include <cstdint>
#include <string>

#include "document/encoding.h"
#include "fuzz_support.h"
#include "platform/sys/utf.h"
#include "settings/recent_files.h"
#include "settings/settings_model.h"
#include "settings/settings_store.h"

using namespace lectra;
using fuzz::Check;

namespace {

SettingsStore Parsed(const uint8_t* data, size_t size, int capacity) {
    SettingsStore store;
    store.capacity = capacity;
    store.entries.resize(static_cast<size_t>(capacity));
    LoadFromBytes(store, data, size);
    return store;
}

SettingsStore Reparsed(const SettingsStore& store) {
    const std::string bytes = Utf16ToUtf8(SettingsText(store));
    return Parsed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), store.capacity);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SettingsStore config = Parsed(data, size, kConfigCapacity);
    Check(config.count <= config.capacity);
    for (int i = 0; i < config.count; ++i) {
        const SettingsEntry& e = config.entries[i];
        Check(std::char_traits<char16_t>::length(e.key) <= static_cast<size_t>(kMaxKeyChars));
        Check(e.value.size() <= static_cast<size_t>(kMaxValueChars));
        Check(e.value.find(u'\n') == std::u16string::npos);
    }
    // A save may normalise once (a cut surrogate pair becomes U+FFFD); after that it is stable.
    const SettingsStore once = Reparsed(config);
    const SettingsStore twice = Reparsed(once);
    Check(SettingsText(once) == SettingsText(twice));

    Settings s;
    LoadSettings(s, config, IsListedCodePage);
    // What indexes tables must be inside them.
    Check(s.activeProfile >= 0 && s.activeProfile < s.useProfiles && s.useProfiles <= 4);
    for (const ButtonBinding& b : s.bindings) Check(b.action < kActionCount);
    for (int i = 0; i < 5; ++i) NextProfile(s, 0);
    Check(s.activeProfile >= 0 && s.activeProfile < s.useProfiles);

    SettingsStore recentStore = Parsed(data, size, kRecentCapacity);
    RecentFiles recent;
    LoadRecentFiles(recent, recentStore, IsListedCodePage);
    CurrentBook book;
    book.isOpen = 1;
    book.bookPath = recent.entries[size % kRecentCount].bookPath;
    RememberCurrentBook(recent, book);
    Check(recent.entries[0].bookPath == book.bookPath);
    SaveSettings(s, config, recent, recentStore, book);
    return 0;
}
