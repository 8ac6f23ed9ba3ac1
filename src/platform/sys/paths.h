// A book's path in one spelling: absolute and lexically clean, so that one book opened from two
// folders, dropped, or handed over by a later start is one recent entry and one set of bookmarks.
#pragma once
#include <string>

namespace lectra {

// `path` made absolute against the working folder (the shell's logical one, $PWD, when it names
// the same folder as the process's), with empty and "." components dropped and each ".." taking
// off the component before it, as the file browser's Up does. Where that lexical form names
// another file than `path` does (a ".." after a symbolic link), the resolved path is taken
// instead. An empty path stays empty.
std::u16string CanonicalBookPath(const std::u16string& path);

// The lexical part alone: `absolute` (starting with '/') with empty, "." and ".." components
// resolved without touching the disk; ".." at the root stays at the root.
std::u16string LexicalPath(const std::u16string& absolute);

}  // namespace lectra
