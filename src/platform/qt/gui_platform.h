// Starting Qt's GUI platform for drawing without a window: the command-line tool and the layout
// tests (the reader and its tests start the window platform of platform/window.h instead).
#pragma once

namespace lectra {

// Creates the one application object of the process, once; later calls do nothing. Without a
// display (and with QT_QPA_PLATFORM unset) it runs on the offscreen platform. The offscreen
// plugin's and the font database's notices about features it lacks are dropped; every other
// message goes where it went before. Returns 1 when the platform is up.
int StartGuiPlatform();
// Drops those notices from Qt's messages; the window platform installs it too.
void InstallMessageFilter();

// Makes the process's application object as an `Application` (QGuiApplication to draw pages,
// QApplication for the window and its dialogs), with the message filter installed. Called once,
// when no application object exists yet.
template <class Application>
Application* NewApplication() {
    InstallMessageFilter();
    // Qt keeps references to argc and argv for the application's life.
    static int argc = 1;
    static char name[] = "lectra";
    static char* argv[] = {name, nullptr};
    return new Application(argc, argv);
}

}  // namespace lectra
