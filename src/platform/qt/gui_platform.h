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

}  // namespace lectra
