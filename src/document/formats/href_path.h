// Paths written in a book's links: percent escapes undone, "." and ".." resolved. Shared by the
// EPUB package, the notes and the pictures.
#pragma once
#include <string>
#include <string_view>

namespace lectra {

// `text` with each "%" and two hex digits as the byte they name; any other "%" stays as written.
std::string PercentDecode(std::string_view text);

// `path` with its empty and "." parts dropped and each ".." taking back the part before it, the
// rest joined by single slashes into `out`. 0 when a ".." has no part before it to take back,
// unless `dropClimbs` (a path on disk, where the parent of the root is the root).
int ResolveDotSegments(std::string_view path, int dropClimbs, std::string& out);

}  // namespace lectra
