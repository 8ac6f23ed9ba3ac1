// The program's folder, where settings, recent books, bookmarks and quotations are kept.
#include "platform/sys/program_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
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

}  // namespace

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
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        config = std::string(home) + "/.config";
    } else {
        config = "/tmp";
    }
    std::string folder = StripSlash(config) + "/lectra";
    MakeFolders(folder);
    return PathFromBytes(folder);
}

}  // namespace lectra
