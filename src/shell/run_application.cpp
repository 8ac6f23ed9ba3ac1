// The reader's run: the single running copy, start-up, the message loop and shutdown.
#include "library/library_db.h"
#include "platform/sys/program_folder.h"
#include "platform/window.h"
#include "shell/app.h"

namespace lectra {

int RunApplication(const std::u16string& commandLine, const DrawServices& draw,
                   const ImageServices* images) {
    if (!StartWindowPlatform()) return 1;
    // A running copy comes forward (and opens the book named here); nothing is loaded or written.
    const std::u16string programFolder = ProgramFolder();
    if (HandOverToRunningCopy(programFolder, commandLine)) return 0;
    auto app = std::make_unique<App>();
    app->host.draw = &draw;
    app->host.images = images;
    InitApp(*app, programFolder, DataFolder());
    if (!CreateAppWindow(*app)) return 0;
    app->libraryPath = LibraryDatabasePath();
    OpenStartupBook(*app, commandLine);
    // The library is brought up to date in the background while the reader reads.
    if (!app->libraryScanned) {
        app->libraryScanned = 1;
        StartLibraryScan(*app);
    }
    const int code = RunMessageLoop();
    Shutdown(*app);
    return code;
}

}  // namespace lectra
