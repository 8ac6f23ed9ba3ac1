// The open book's bookmarks as the page shows them: their positions handed to the layout, read
// from the bookmarks file again only when the file or the book changed.
#include <sys/stat.h>

#include "dialogs/bookmarks.h"
#include "platform/sys/utf.h"
#include "shell/app.h"

namespace lectra {

void SyncBookmarkMarks(App& app) {
    std::vector<int32_t>& marks = app.layout.bookmarks;
    BookmarkMarks& m = app.bookmarkMarks;
    if (!app.bookOpen || app.programFolder.empty()) {
        marks.clear();
        m = BookmarkMarks();
        return;
    }
    const std::u16string file = app.programFolder + u"/" + kBookmarksFileName;
    struct stat st {};
    int64_t size = -1, time = -1;
    if (stat(PathToBytes(file).c_str(), &st) == 0) {
        size = st.st_size;
        time = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    if (m.read && m.book == app.doc->bookPath && m.fileSize == size && m.fileTime == time) return;
    m = BookmarkMarks{app.doc->bookPath, size, time, 1};
    marks.clear();
    if (size <= 0) return;
    for (const Bookmark& b : BookBookmarks(file, app.doc->bookPath)) marks.push_back(b.position);
}

}  // namespace lectra
