// Bookmarks: named reading positions of every book in one file of fixed 664-byte records.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/dialog_frame.h"

namespace lectra {

constexpr uint32_t kBookmarkRecordBytes = 664;
constexpr int kBookmarkNameChars = 63;
constexpr char16_t kBookmarksFileName[] = u"lectra.bkl";

struct Bookmark {
    std::u16string path;
    std::u16string name;
    int32_t position = 0;
    int32_t length = 0;
};

// The record's bytes: path (260 units), name (64 units), position, length, two zero words.
void EncodeBookmark(const Bookmark& b, uint8_t (&record)[kBookmarkRecordBytes]);
Bookmark DecodeBookmark(const uint8_t (&record)[kBookmarkRecordBytes]);
// Appends one record; 0 when the file cannot be opened for writing, or the book's path is longer
// than the record's 259 units.
int AppendBookmark(const std::u16string& file, const Bookmark& b);
// The bookmarks of `path`, in file order; a partial record at the end is not read.
std::vector<Bookmark> BookBookmarks(const std::u16string& file, const std::u16string& path);
// Rewrites the file without the bookmarks of `path` (a new file renamed over the old one).
int RemoveBookBookmarks(const std::u16string& file, const std::u16string& path);
// Takes out the `nth` bookmark of `path` (as BookBookmarks lists them), the others kept; 0 when
// there is no such bookmark or the file could not be rewritten whole (it is then left as it was).
int RemoveBookmark(const std::u16string& file, const std::u16string& path, int nth);
// The name a new bookmark is offered: the text from the start of the word at `position`.
std::u16string SuggestedBookmarkName(Document& doc, int32_t position);

void ShowAddBookmarkDialog(const ReaderServices& reader);
void ShowBookmarksDialog(const ReaderServices& reader);
// Asks, then removes the open book's bookmarks.
void ClearBookBookmarks(const ReaderServices& reader);

}  // namespace lectra
