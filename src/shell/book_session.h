// The settings around the open book: loading and saving both stores, opening a book with what the
// recent list remembers of it, and remembering it again after reading.
#pragma once
#include <string>
#include <string_view>

#include "document/document.h"
#include "document/open_book.h"
#include "settings/settings_model.h"

namespace lectra {

// The two stores and what is loaded from them.
struct SettingsSession {
    SettingsStore config;
    SettingsStore recentStore;
    Settings settings;
    RecentFiles recent;
};

// Creates "_config.ini" (200 entries) and "_recent.files.ini" (100 entries) in `folder`, then
// loads the recent list and every setting, the code pages checked against the code-page list.
void LoadSettingsSession(SettingsSession& session, const std::u16string& folder);

// SaveSettings (which remembers the open book first), then writes the config store and the
// recent store. `doc` may be null when no book is open. Returns 1 when both stores are on disk.
int SaveSettingsSession(SettingsSession& session, const Document* doc,
                        const std::u16string& browseFolder);

// What the recent list remembers of the book at `path` (of its archive entry `entry`, when one is
// asked for by name), as the open sequence reads it; 0 when it
// remembers nothing. A remembered code page that is not a real one (−1, from an unknown stored
// value) counts as none, so the book falls to "CODE_PAGE" or detection.
int FindRememberedBook(const RecentFiles& recent, std::u16string_view path,
                       std::u16string_view entry, RememberedBook* out);

// Opens `path` (BookPath when null) in the "TXT_PARAGRAPH_DETECT" mode, with the "CODE_PAGE"
// setting and what the recent list remembers of the book: its code page and, when its length
// still matches, its position.
int OpenBookWithRecent(Document& doc, const char16_t* path, int reopen, const RecentFiles& recent,
                       const Settings& settings);

// The open book as the recent list records it; not open when no book was opened or it was closed.
CurrentBook CurrentBookOf(const Document* doc, const std::u16string& browseFolder);
void RememberCurrentBook(RecentFiles& recent, const Document& doc,
                         const std::u16string& browseFolder);

}  // namespace lectra
