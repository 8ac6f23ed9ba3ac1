// The program's folder, where settings, recent books, bookmarks and quotations are kept.
#include "platform/sys/program_folder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/sys/utf.h"

namespace lectra {

namespace {

std::string StripSlash(std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

void MakeFolders(const std::string& path) {
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') ::mkdir(path.substr(0, i).c_str(), 0700);
    }
}

std::u16string DecimalUid() {
    const std::string uid = std::to_string(::getuid());
    return std::u16string(uid.begin(), uid.end());
}

int IsFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir) {
        return pw->pw_dir;
    }
    return std::string();
}

std::u16string PrivateFolderIn(const std::u16string& parent, const std::u16string& name) {
    const std::string path = StripSlash(PathToBytes(parent)) + "/" + PathToBytes(name);
    ::mkdir(path.c_str(), 0700);
    // Opened without following a link, and checked on what was opened: a folder someone else
    // made first (in a shared temporary folder) or a link put in its place is never used.
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return std::u16string();
    struct stat st;
    const int ours = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
                     ((st.st_mode & 077) == 0 || ::fchmod(fd, 0700) == 0);
    ::close(fd);
    return ours ? PathFromBytes(path) : std::u16string();
}

std::u16string ExecutableFolder() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return u".";
    std::string exe(buf, static_cast<size_t>(n));
    size_t slash = exe.rfind('/');
    return PathFromBytes(slash == std::string::npos ? "."
                                                    : (slash == 0 ? "/" : exe.substr(0, slash)));
}

std::u16string DataFolder() {
    const std::u16string exeFolder = ExecutableFolder();
    struct stat st;
    if (::stat(PathToBytes(exeFolder + u"/En.pat").c_str(), &st) == 0) return exeFolder;
    // An installed copy: bin/lectra beside share/lectra.
    return exeFolder + u"/../share/lectra";
}

std::u16string ProgramFolder() {
    if (const char* home = std::getenv("LECTRA_HOME"); home && *home) {
        return PathFromBytes(StripSlash(home));
    }
    // A copy that keeps its data beside it is portable and keeps its settings there too, when it
    // may; an installed copy (even one run by root) never writes into the system's folders.
    std::u16string exeFolder = ExecutableFolder();
    if (DataFolder() == exeFolder && ::access(PathToBytes(exeFolder).c_str(), W_OK) == 0)
        return exeFolder;
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        config = xdg;
    } else if (const std::string home = HomeFolder(); !home.empty()) {
        config = home + "/.config";
    }
    if (!config.empty()) {
        std::string folder = StripSlash(config) + "/lectra";
        MakeFolders(folder);
        if (IsFolder(folder)) return PathFromBytes(folder);
    }
    // No home to keep the settings in: a folder of this user's alone in the temporary folder,
    // or none at all, and then nothing is kept.
    const char* tmp = std::getenv("TMPDIR");
    const std::u16string own = PrivateFolderIn(PathFromBytes(tmp && *tmp ? tmp : "/tmp"),
                                               u"lectra-settings-" + DecimalUid());
    if (!own.empty()) {
        std::fprintf(stderr, "No home folder: settings are kept in %s\n", PathToBytes(own).c_str());
        return own;
    }
    std::fprintf(stderr,
                 "No home folder and no private folder to use: settings and places are not kept "
                 "in this run\n");
    return std::u16string();
}

}  // namespace lectra
