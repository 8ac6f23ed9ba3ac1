// The head of a book for its description: read from a plain file, a gzip file or a ZIP entry,
// inflating only as much as the head needs.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "document/formats/zip_directory.h"
#include "platform/sys/files.h"

namespace lectra {

// Reads from the start of `file` until `stop` has been read (when not empty), `cap` bytes are
// held or the file ends. Returns 1 when anything was read, 0 on a failed read.
int ReadPlainHead(PlatformFile& file, size_t cap, std::string_view stop, std::string& out);

// The same over the gzip member at the start of `file` (its size `fileSize`).
int ReadGzipHead(PlatformFile& file, uint64_t fileSize, size_t cap, std::string_view stop,
                 std::string& out);

// The same over a stored or deflated entry of the archive whose directory gave `entry`; the
// output is bounded by `cap`, never by what the entry claims. Returns 0 when the entry cannot be
// read (encrypted, another method, damaged before any output).
int ReadZipEntryHead(PlatformFile& file, const ZipEntry& entry, size_t cap, std::string_view stop,
                     std::string& out);

}  // namespace lectra
