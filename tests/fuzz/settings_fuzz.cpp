// Fuzz target: bytes as a settings file and the recent list; indexes in range, saves stable.
#include "document/encoding.h"
#include "fuzz_support.h"
#include "settings/recent_files.h"
#include "settings/settings_model.h"
#include "settings/settings_test_util.h"

using namespace lectra;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    SettingsStore config = test::Parse(bytes);
    Check(config.count <= config.capacity);
    for (int i = 0; i < config.count; ++i) {
        const SettingsEntry& e = config.entries[i];
        Check(std::char_traits<char16_t>::length(e.key) <= static_cast<size_t>(kMaxKeyChars));
        Check(e.value.size() <= static_cast<size_t>(kMaxValueChars));
        Check(e.value.find(u'\n') == std::u16string::npos);
    }
    // A save may normalise once (a cut surrogate pair becomes U+FFFD); after that it is stable.
    const SettingsStore once = test::Parse(Utf16ToUtf8(SettingsText(config)));
    const SettingsStore twice = test::Parse(Utf16ToUtf8(SettingsText(once)));
    Check(SettingsText(once) == SettingsText(twice));

    Settings s;
    LoadSettings(s, config, IsListedCodePage);
    // What indexes tables must be inside them.
    Check(s.activeProfile >= 0 && s.activeProfile < s.useProfiles && s.useProfiles <= 4);
    for (const ButtonBinding& b : s.bindings) Check(b.action < kActionCount);
    for (int i = 0; i < 5; ++i) NextProfile(s, 0);
    Check(s.activeProfile >= 0 && s.activeProfile < s.useProfiles);

    SettingsStore recentStore = test::Parse(bytes, kRecentCapacity);
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
