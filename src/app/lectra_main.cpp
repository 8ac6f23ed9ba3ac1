// lectra: the reader. Its command line is the path of the book to open.
#include <unistd.h>

#include <string>

#include "platform/sys/utf.h"
#include "shell/app.h"

int main(int argc, char** argv) {
    // The whole command line is one path: the arguments joined by single spaces, no options.
    std::string path;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) path += ' ';
        path += argv[i];
    }
    // Made absolute, so that the same book opened from two folders is one recent entry.
    if (!path.empty() && path[0] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) path = std::string(cwd) + "/" + path;
    }
    return lectra::RunApplication(lectra::PathFromBytes(path));
}
