// The program's folder, where settings, recent books, bookmarks and quotations are kept.
#pragma once
#include <string>

namespace lectra {

// $LECTRA_HOME if set; else the executable's folder if it is writable; else
// $XDG_CONFIG_HOME/lectra (default ~/.config/lectra), created when missing. No trailing "/".
std::u16string ProgramFolder();
// The folder holding the running executable (read-only data such as hyphenation patterns).
std::u16string ExecutableFolder();

}  // namespace lectra
