// A book's path in one spelling: absolute and lexically clean.
#include "platform/sys/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/sys/utf.h"

namespace lectra {

namespace {

// The working folder as the user typed it: $PWD when it is absolute and the same folder as ".",
// else the process's own.
std::u16string WorkingFolder() {
    struct stat dot {
    }, pwd{};
    const char* env = std::getenv("PWD");
    if (env && env[0] == '/' && stat(".", &dot) == 0 && stat(env, &pwd) == 0 &&
        dot.st_dev == pwd.st_dev && dot.st_ino == pwd.st_ino) {
        return PathFromBytes(env);
    }
    std::string buffer(PATH_MAX, '\0');
    if (!getcwd(buffer.data(), buffer.size())) return std::u16string();
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    return PathFromBytes(buffer);
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (stat(a.c_str(), &sa) != 0) return stat(b.c_str(), &sb) != 0;  // neither is there
    return stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

std::u16string LexicalPath(const std::u16string& absolute) {
    std::vector<std::u16string> parts;
    size_t i = 0;
    while (i <= absolute.size()) {
        size_t slash = absolute.find(u'/', i);
        if (slash == std::u16string::npos) slash = absolute.size();
        const std::u16string part = absolute.substr(i, slash - i);
        if (part == u"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != u".") {
            parts.push_back(part);
        }
        i = slash + 1;
    }
    std::u16string out;
    for (const std::u16string& part : parts) out += u"/" + part;
    return out.empty() ? std::u16string(u"/") : out;
}

std::u16string CanonicalBookPath(const std::u16string& path) {
    if (path.empty()) return path;
    std::u16string absolute = path;
    if (path[0] != u'/') {
        const std::u16string here = WorkingFolder();
        if (here.empty()) return path;
        absolute = here + u"/" + path;
    }
    const std::u16string clean = LexicalPath(absolute);
    const std::string given = PathToBytes(absolute);
    if (SameFile(given, PathToBytes(clean))) return clean;
    // The lexical form leads elsewhere (a ".." after a symbolic link): the resolved one is right.
    char resolved[PATH_MAX];
    if (realpath(given.c_str(), resolved)) return PathFromBytes(resolved);
    return clean;
}

}  // namespace lectra
