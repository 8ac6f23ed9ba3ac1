// The book's pictures: anchors gathered beside the stream on the open's indexing pass (FictionBook
// images and binaries, HTML and EPUB img, SVG image, the covers), and the bytes of a picture read
// when it is measured or drawn.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "document/document.h"

namespace lectra {

// The indexing pass's side: chooses whether the book's kind has pictures before the pass, and
// resolves the names after it (FictionBook ids to binaries, archive paths to entries).
void StartPictures(Document& doc);
void FinishPictures(Document& doc);
// The markup filters hand over each tag as they read it on the indexing pass: its text as the
// filter sees it (upper-cased in HTML), whether the text around it is hidden, and the raw-layer
// offsets just after its "<" and just after its ">". The pass has set passPosition.
// A tag that GatherPictureTag found may be a picture's.
void GatherPictureElement(Document& doc, std::u16string_view tag, int html, int hidden,
                          uint32_t tagStart, uint32_t tagEnd);
// Every name that matters ("coverpage", "binary", "image", "img", in any case and with any
// prefix) ends in "ge", "ry" or "mg": a look at the name's last two letters passes over the
// paragraphs, sections and titles, most of a book's tags, without a call.
inline void GatherPictureTag(Document& doc, std::u16string_view tag, int html, int hidden,
                             uint32_t tagStart, uint32_t tagEnd) {
    if (!doc.pictures.indexing) return;
    size_t end = !tag.empty() && tag[0] == u'/' ? 1 : 0;
    while (end < tag.size() && tag[end] != u' ' && tag[end] != u'\t' && tag[end] != u'\r' &&
           tag[end] != u'\n' && tag[end] != u'/' && tag[end] != u'>')
        ++end;
    if (end < 2) return;
    const char16_t last = tag[end - 1] | 0x20, before = tag[end - 2] | 0x20;
    if ((last == u'e' && before == u'g') || (last == u'y' && before == u'r') ||
        (last == u'g' && before == u'm'))
        GatherPictureElement(doc, tag, html, hidden, tagStart, tagEnd);
}

// The EPUB package's cover image as an archive path (the manifest item that
// properties="cover-image" marks, else the one a <meta name="cover"> names); empty for none.
std::string EpubCoverPath(std::string_view opf, std::string_view opfPath);

// The bytes of source `source`, at most `limit` of them (a FictionBook binary is decoded from its
// base64 only up to there). Returns 1, or 0 when the source is missing, too big (beyond
// kMaxPictureBytes), unreadable or its base64 is damaged.
int ReadPictureBytes(Document& doc, int32_t source, std::string& out, uint32_t limit);

// A relative link resolved against the folder of `base` (a path inside an archive or on disk):
// the fragment and query cut off, %XX escapes decoded, "." and ".." folded. Empty when the link
// is remote, a data: link, empty, or climbs out of an archive's root.
std::u16string ResolvePicturePath(std::u16string_view base, std::u16string_view link,
                                  int inArchive);

}  // namespace lectra
