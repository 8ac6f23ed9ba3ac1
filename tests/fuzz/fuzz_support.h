// Helpers for fuzz targets: hands the input to the reader as a file without touching the disk.
#pragma once
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

namespace lectra::fuzz {

// An anonymous in-memory file holding `data`; its path ends in `extension` so that the open
// sequence picks the kind (the /proc link resolves to the memory file).
class MemoryBook {
public:
    MemoryBook(const uint8_t* data, size_t size, const char* extension) {
        fd_ = memfd_create("book", 0);
        if (fd_ < 0) return;
        size_t done = 0;
        while (done < size) {
            ssize_t n = write(fd_, data + done, size - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        // A folder whose name carries the extension would confuse nothing: the kind comes from
        // the last dot, and /proc/self/fd/N has none, so a symlink with the extension is made.
        char tmpl[] = "/tmp/lectra-fuzz-XXXXXX";
        if (!mkdtemp(tmpl)) return;
        dir_ = tmpl;
        path_ = dir_ + "/book" + extension;
        std::string target = "/proc/self/fd/" + std::to_string(fd_);
        if (symlink(target.c_str(), path_.c_str()) != 0) path_.clear();
    }
    ~MemoryBook() {
        if (!path_.empty()) unlink(path_.c_str());
        if (!dir_.empty()) rmdir(dir_.c_str());
        if (fd_ >= 0) close(fd_);
    }
    const std::string& path() const { return path_; }

private:
    int fd_ = -1;
    std::string dir_;
    std::string path_;
};

}  // namespace lectra::fuzz
