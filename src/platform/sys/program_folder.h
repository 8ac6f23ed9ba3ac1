// The program's folder, where settings, recent books, bookmarks and quotations are kept.
#pragma once
#include <string>

namespace lectra {

// $LECTRA_HOME if set; else the executable's folder if it holds the program's data and is
// writable (a portable copy, or the build tree); else
// $XDG_CONFIG_HOME/lectra (default ~/.config/lectra, the home taken from the password database
// when HOME is unset), created when missing. Without a home, a private folder
// "lectra-settings-UID" in $TMPDIR (default /tmp); when even that cannot be had, empty: nothing is
// kept, which is said on standard error. No trailing "/".
std::u16string ProgramFolder();
// The user's home as the OS names it: $HOME, else the password database's entry (a service or a
// cron job may run without HOME); empty when neither knows.
std::string HomeFolder();
// `parent`/`name` as a folder of this user's alone: made 0700 when missing, closed to others when
// it is ours; empty when it is a link, not a folder, or someone else's.
std::u16string PrivateFolderIn(const std::u16string& parent, const std::u16string& name);
// The folder holding the running executable.
std::u16string ExecutableFolder();
// Where the read-only data (the hyphenation patterns) is: beside the executable, or the installed
// data folder "../share/lectra" from it.
std::u16string DataFolder();

}  // namespace lectra
