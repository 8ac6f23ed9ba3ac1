// Helpers of the settings tests: a store parsed from bytes, and its entries as one text.
#pragma once
#include <string>

#include "platform/sys/utf.h"
#include "settings/settings_store.h"

namespace lectra::test {

inline SettingsStore Parse(const std::string& bytes, int capacity = kConfigCapacity) {
    SettingsStore store;
    store.capacity = capacity;
    store.entries.resize(capacity);
    LoadFromBytes(store, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return store;
}

// The entries in order as "key=value", joined by "|".
inline std::string Dump(const SettingsStore& store) {
    std::string text;
    for (int i = 0; i < store.count; ++i) {
        const SettingsEntry& e = store.entries[i];
        text += (i ? "|" : "") + Utf16ToUtf8(std::u16string(e.key, e.keyLength)) + "=" +
                Utf16ToUtf8(e.value);
    }
    return text;
}

}  // namespace lectra::test
