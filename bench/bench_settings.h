// The settings the page benchmarks read with: the first-run values, the text in DejaVu Sans 14.
#pragma once
#include "document/encoding.h"
#include "settings/settings_model.h"
#include "settings/settings_store.h"

namespace lectra::bench {

inline void LoadBenchSettings(Settings& settings) {
    SettingsStore defaults;
    defaults.capacity = kConfigCapacity;
    defaults.entries.resize(kConfigCapacity);
    LoadSettings(settings, defaults, IsListedCodePage);
    settings.fontFaceText = u"DejaVu Sans";
    settings.fontSizeText[0] = 14;
}

}  // namespace lectra::bench
