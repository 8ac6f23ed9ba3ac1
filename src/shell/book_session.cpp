// The settings around the open book: loading and saving both stores, opening a book with what the
// recent list remembers of it, and remembering it again after reading.
#include "shell/book_session.h"

#include "document/encoding.h"

namespace lectra {

void LoadSettingsSession(SettingsSession& session, const std::u16string& folder) {
    CreateSettingsStore(session.config, folder, kConfigFileName, kConfigCapacity);
    CreateSettingsStore(session.recentStore, folder, kRecentFileName, kRecentCapacity,
                        kRecentValueChars);
    LoadRecentFiles(session.recent, session.recentStore, IsListedCodePage);
    LoadSettings(session.settings, session.config, IsListedCodePage);
}

int SaveSettingsSession(SettingsSession& session, const Document* doc,
                        const std::u16string& browseFolder) {
    SaveSettings(session.settings, session.config, session.recent, session.recentStore,
                 CurrentBookOf(doc, browseFolder));
    const int configSaved = Save(session.config);
    const int recentSaved = Save(session.recentStore);
    return configSaved && recentSaved;
}

int FindRememberedBook(const RecentFiles& recent, std::u16string_view path,
                       std::u16string_view entry, RememberedBook* out) {
    // An archive's entry asked for by name is remembered only as itself; else the archive's book
    // read last.
    const int i =
        entry.empty() ? FindRecentBook(recent, path) : FindRecentEntry(recent, path, entry);
    if (i < 0) return 0;
    const RecentEntry& e = recent.entries[i];
    out->path = e.bookPath;
    out->codePage = IsListedCodePage(e.codePage) ? e.codePage : 0;
    out->length = e.size;
    out->position = e.position;
    out->zipName = e.zipName;
    return 1;
}

int OpenBookWithRecent(Document& doc, const char16_t* path, int reopen, const RecentFiles& recent,
                       const Settings& settings) {
    OpenRequest request;
    request.codePageSetting = settings.codePage;
    RememberedBook remembered;
    const std::u16string_view wanted = path ? path : doc.bookPath.c_str();
    // A book of an archive asked for by its entry: the caller set the path and the entry.
    const std::u16string_view entry =
        wanted == doc.bookPath ? std::u16string_view(doc.zipEntryName) : std::u16string_view();
    if (!reopen && FindRememberedBook(recent, wanted, entry, &remembered))
        request.remembered = &remembered;
    doc.txtParagraphMode = settings.txtParagraphDetect;
    return OpenBook(doc, path, reopen, request);
}

CurrentBook CurrentBookOf(const Document* doc, const std::u16string& browseFolder) {
    CurrentBook book;
    // A closed book keeps its path but has lost its length and position: it must not be recorded.
    if (!doc || !doc->sourceIsOpen || !FileIsOpen(doc->source)) return book;
    book.isOpen = 1;
    book.bookPath = doc->bookPath;
    book.browseFolder = browseFolder;
    book.docLength = doc->docLength;
    book.codePage = doc->bookCodePage;
    book.pageStart = doc->pageStart;
    if (doc->sourceFlags & kSourceZipEntry) book.zipName = doc->zipEntryName;
    return book;
}

void RememberCurrentBook(RecentFiles& recent, const Document& doc,
                         const std::u16string& browseFolder) {
    RememberCurrentBook(recent, CurrentBookOf(&doc, browseFolder));
}

}  // namespace lectra
