// Files and folders: the reader's handle-based file service over POSIX, UTF-16 paths in.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace lectra {

// The platform's limit of a path in bytes, its terminating zero included.
constexpr int kMaxPathBytes = 4096;

// An open file; fd −1 when closed. Plain data: copying it does not duplicate the descriptor.
struct PlatformFile {
    int fd = -1;
};

// Each returns 1 on success, 0 on failure. Only regular files open; a FIFO or device is refused
// without blocking.
int FileOpenRead(PlatformFile& file, const std::u16string& path);
int FileCreate(PlatformFile& file, const std::u16string& path);  // create or truncate, write
// Makes a new file of this user's (0600) for writing, after removing whatever is named `path`
// without following it: a stale file or a link planted in its place is never written through.
int FileCreateNew(PlatformFile& file, const std::u16string& path);
int FileOpenAppend(PlatformFile& file, const std::u16string& path);  // create if missing
int FileIsOpen(const PlatformFile& file);
void FileClose(PlatformFile& file);
// Reads up to `size` bytes at the current position; `*got` is what was read.
int FileRead(PlatformFile& file, void* buffer, uint32_t size, uint32_t* got);
int FileWrite(PlatformFile& file, const void* data, uint32_t size);
// Seeks from the start; succeeds only when the position landed exactly at `offset`.
int FileSeek(PlatformFile& file, uint64_t offset);
// Size in bytes, or −1 when the file cannot be asked.
int64_t FileSize(PlatformFile& file);
// Cuts the file at the current position.
int FileTruncateHere(PlatformFile& file);
int FileSync(PlatformFile& file);
int FileDelete(const std::u16string& path);
// Replaces `to` with `from` in one step (same folder).
int FileRename(const std::u16string& from, const std::u16string& to);
int FileExists(const std::u16string& path);

struct FolderEntry {
    std::u16string name;
    int isFolder = 0;
};
// Lists a folder's entries without "." and ".."; 0 when the folder cannot be read.
int ListFolder(const std::u16string& path, std::vector<FolderEntry>& entries);

}  // namespace lectra
