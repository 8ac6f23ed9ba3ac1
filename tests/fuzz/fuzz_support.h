// Helpers for fuzz targets: the input handed to the reader as a book file and read both ways.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "document/contents.h"
#include "document/document.h"
#include "document/notes.h"
#include "document/open_book.h"
#include "document/pictures.h"
#include "document/text_cache.h"
#include "platform/sys/utf.h"

namespace lectra::fuzz {

inline void Check(bool ok) {
    if (!ok) __builtin_trap();
}

// The input (after its first byte) in a scratch file named with `extension`, so that the open
// sequence picks the kind, opened with the given code page and paragraph mode; `Open(1)` reopens
// it for a cold cache.
struct FuzzBook {
    FuzzBook(const uint8_t* data, size_t size, const char* extension, int codePage, int mode)
        : doc(NewDocument()) {
        char tmpl[] = "/tmp/lectra-fuzz-XXXXXX";
        if (!mkdtemp(tmpl)) return;
        dir = tmpl;
        file = dir + "/book" + extension;
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
        path = Utf8ToUtf16(file);
        doc->txtParagraphMode = mode;
        request.codePageSetting = codePage;
    }
    ~FuzzBook() {
        CloseDocument(*doc);
        if (dir.empty()) return;
        unlink(file.c_str());
        rmdir(dir.c_str());
    }
    int Open(int reopen) { return !dir.empty() && OpenBook(*doc, path.c_str(), reopen, request); }

    std::unique_ptr<Document> doc;
    std::string dir, file;
    std::u16string path;
    OpenRequest request;
};

// The contents of any book are bounded and each entry stands at a visible character of the book.
inline void CheckContents(Document& doc) {
    const std::vector<ContentsEntry>& entries = BookContents(doc);
    Check(entries.size() <= static_cast<size_t>(kMaxContentsEntries));
    for (const ContentsEntry& e : entries) {
        Check(!e.title.empty() && e.title.size() <= static_cast<size_t>(kMaxContentsTitle) &&
              e.depth >= 0 && e.depth <= kMaxContentsDepth && e.position >= 0 &&
              e.position < DocLength(doc) && GetChar(doc, e.position) > 32);
    }
}

// The pictures gathered on the open's pass: bounded, in book order, inside the book, each naming a
// source; the bytes of the first few read (base64 decoded, an archive entry or a file inflated)
// never beyond the limit asked for.
inline void CheckPictures(Document& doc) {
    const PictureTable& t = doc.pictures;
    Check(t.anchors.size() <= static_cast<size_t>(kMaxPictureAnchors) &&
          t.sources.size() <= static_cast<size_t>(kMaxPictureSources) + 1);
    for (size_t i = 0; i < t.anchors.size(); ++i) {
        const PictureAnchor& a = t.anchors[i];
        Check(a.position >= 0 && a.position <= DocLength(doc) && a.source >= 0 &&
              static_cast<size_t>(a.source) < t.sources.size() &&
              (i == 0 || t.anchors[i - 1].position <= a.position));
    }
    std::string bytes;
    for (size_t s = 0; s < t.sources.size() && s < 8; ++s) {
        Check(!ReadPictureBytes(doc, static_cast<int32_t>(s), bytes, 4096) || bytes.size() <= 4096);
    }
}

// The notes gathered on the open: bounded, in book order without overlap, each reference and note
// standing at visible characters inside the book, each note's text within its bound.
inline void CheckNotes(Document& doc) {
    const std::vector<NoteRef>& notes = doc.notes;
    Check(notes.size() <= static_cast<size_t>(kMaxNotes));
    const int32_t length = DocLength(doc);
    int32_t previousEnd = 0;
    for (const NoteRef& n : notes) {
        Check(n.start >= previousEnd && n.end > n.start && n.end <= length && n.target >= 0 &&
              n.targetEnd > n.target && n.targetEnd <= length &&
              n.targetEnd - n.target <= kMaxNoteText && GetChar(doc, n.start) > 32 &&
              GetChar(doc, n.target) > 32);
        previousEnd = n.end;
    }
    // The dialog's and the tool's reading of the first and the last.
    for (size_t i : {size_t{0}, notes.size() - 1}) {
        if (i >= notes.size()) continue;
        Check(NoteText(doc, notes[i], kMaxNoteText, 1).size() <=
                  static_cast<size_t>(kMaxNoteText) &&
              !NoteLabel(doc, notes[i]).empty());
    }
}

// Reads every `stride`-th position in order, reopens the book for a cold cache and reads them back
// to front: each block decoded alone must give the same units, never more units than bytes, and
// what the open gathered stays bounded. Traps on any difference. Returns whether the book opened.
inline int ReadBothWays(const uint8_t* data, size_t size, const char* extension, int codePage,
                        int paragraphMode, int32_t stride = 1) {
    FuzzBook book(data, size, extension, codePage, paragraphMode);
    if (!book.Open(0)) return 0;
    Document& doc = *book.doc;
    const int32_t length = DocLength(doc);
    Check(length >= 0 && static_cast<uint32_t>(length) <= doc.sourceSize);
    CheckContents(doc);
    CheckPictures(doc);
    CheckNotes(doc);
    std::u16string seen;
    for (int32_t i = 0; i < length; i += stride) seen += GetChar(doc, i);
    Check(book.Open(1) && DocLength(doc) == length);
    for (int32_t i = (length - 1) / stride * stride; i >= 0; i -= stride)
        Check(GetChar(doc, i) == seen[static_cast<size_t>(i / stride)]);
    return 1;
}

// Containers: a small input can stand for a long text (many records of 64 KiB, a compressed
// member), so positions 4099 apart are read.
inline int FuzzContainer(const uint8_t* data, size_t size, const char* extension) {
    if (size < 1) return 0;
    const int codePages[] = {kCodePageAuto, 1251, 20866, kCodePageUtf8};
    ReadBothWays(data, size, extension, codePages[data[0] % 4], (data[0] / 4) % 2, 4099);
    return 0;
}

}  // namespace lectra::fuzz
