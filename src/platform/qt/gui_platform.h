// Starting Qt's GUI platform for the reader, the command-line tool and the tests.
#pragma once

namespace lectra {

// Creates the one application object of the process, once; later calls do nothing. Without a
// display (and with QT_QPA_PLATFORM unset) it runs on the offscreen platform. The offscreen
// plugin's and the font database's notices about features it lacks are dropped; every other
// message goes where it went before. Returns 1 when the platform is up.
int StartGuiPlatform();

}  // namespace lectra
