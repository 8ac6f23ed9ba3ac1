// Files and folders: the reader's handle-based file service over POSIX, UTF-16 paths in.
#include "platform/sys/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/sys/utf.h"

namespace lectra {

namespace {

int OpenWith(PlatformFile& file, const std::u16string& path, int flags, mode_t mode = 0644) {
    FileClose(file);
    std::string p = PathToBytes(path);
    int fd;
    // Opened without blocking, since a FIFO or a device would block in open() before its type
    // could be checked; only a regular file is kept, and then reads and writes block as usual.
    do {
        fd = ::open(p.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return 0;
    struct stat st;
    const int status = ::fcntl(fd, F_GETFL);
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || status < 0 ||
        ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        ::close(fd);
        errno = EINVAL;
        return 0;
    }
    file.fd = fd;
    return 1;
}

}  // namespace

int FileOpenRead(PlatformFile& file, const std::u16string& path) {
    return OpenWith(file, path, O_RDONLY);
}

int FileCreate(PlatformFile& file, const std::u16string& path) {
    return OpenWith(file, path, O_WRONLY | O_CREAT | O_TRUNC);
}

int FileCreateNew(PlatformFile& file, const std::u16string& path) {
    ::unlink(PathToBytes(path).c_str());
    return OpenWith(file, path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
}

int FileOpenAppend(PlatformFile& file, const std::u16string& path) {
    return OpenWith(file, path, O_WRONLY | O_CREAT | O_APPEND);
}

int FileIsOpen(const PlatformFile& file) {
    return file.fd >= 0;
}

void FileClose(PlatformFile& file) {
    if (file.fd >= 0) ::close(file.fd);
    file.fd = -1;
}

int FileRead(PlatformFile& file, void* buffer, uint32_t size, uint32_t* got) {
    *got = 0;
    if (file.fd < 0) return 0;
    auto* out = static_cast<char*>(buffer);
    while (*got < size) {
        ssize_t n = ::read(file.fd, out + *got, size - *got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return 0;
        if (n == 0) break;
        *got += static_cast<uint32_t>(n);
    }
    return 1;
}

int FileWrite(PlatformFile& file, const void* data, uint32_t size) {
    if (file.fd < 0) return 0;
    auto* in = static_cast<const char*>(data);
    uint32_t done = 0;
    while (done < size) {
        ssize_t n = ::write(file.fd, in + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return 0;
        done += static_cast<uint32_t>(n);
    }
    return 1;
}

int FileSeek(PlatformFile& file, uint64_t offset) {
    if (file.fd < 0) return 0;
    off_t at = ::lseek(file.fd, static_cast<off_t>(offset), SEEK_SET);
    return at >= 0 && static_cast<uint64_t>(at) == offset;
}

int64_t FileSize(PlatformFile& file) {
    struct stat st;
    if (file.fd < 0 || fstat(file.fd, &st) != 0) return -1;
    return st.st_size;
}

int FileTruncateHere(PlatformFile& file) {
    if (file.fd < 0) return 0;
    off_t at = ::lseek(file.fd, 0, SEEK_CUR);
    return at >= 0 && ::ftruncate(file.fd, at) == 0;
}

int FileSync(PlatformFile& file) {
    return file.fd >= 0 && ::fsync(file.fd) == 0;
}

int FileDelete(const std::u16string& path) {
    return ::unlink(PathToBytes(path).c_str()) == 0;
}

int FileRename(const std::u16string& from, const std::u16string& to) {
    return std::rename(PathToBytes(from).c_str(), PathToBytes(to).c_str()) == 0;
}

int FileExists(const std::u16string& path) {
    struct stat st;
    return ::stat(PathToBytes(path).c_str(), &st) == 0;
}

int ListFolder(const std::u16string& path, std::vector<FolderEntry>& entries) {
    entries.clear();
    std::string p = PathToBytes(path);
    DIR* dir = ::opendir(p.empty() ? "." : p.c_str());
    if (!dir) return 0;
    while (struct dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        FolderEntry entry;
        entry.name = PathFromBytes(name);
        struct stat st;
        std::string full = p.empty() ? name : (p.back() == '/' ? p + name : p + "/" + name);
        entry.isFolder = ::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return 1;
}

}  // namespace lectra
