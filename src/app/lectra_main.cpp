// lectra: the reader. Its command line is the path of the book to open.
#include <string>

#include "platform/qt/qt_draw.h"
#include "platform/qt/qt_image.h"
#include "platform/sys/paths.h"
#include "platform/sys/utf.h"
#include "shell/app.h"

int main(int argc, char** argv) {
    // The whole command line is one path: the arguments joined by single spaces, no options.
    std::string path;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) path += ' ';
        path += argv[i];
    }
    // In one spelling before it is handed over, so that the same book named from two folders is
    // one recent entry.
    return lectra::RunApplication(lectra::CanonicalBookPath(lectra::PathFromBytes(path)),
                                  lectra::QtDrawServices(), &lectra::QtImageServices());
}
