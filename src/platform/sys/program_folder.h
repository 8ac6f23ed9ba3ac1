// The program's folder, where settings, recent books, bookmarks and quotations are kept.
#pragma once
#include <string>

namespace lectra {

// $LECTRA_HOME if set; else the executable's folder if it holds the program's data and is
// writable (a portable copy, or the build tree); else
// $XDG_CONFIG_HOME/lectra (default ~/.config/lectra), created when missing. No trailing "/".
std::u16string ProgramFolder();
// The folder holding the running executable.
std::u16string ExecutableFolder();
// Where the read-only data (the hyphenation patterns) is: beside the executable, or the installed
// data folder "../share/lectra" from it.
std::u16string DataFolder();

}  // namespace lectra
