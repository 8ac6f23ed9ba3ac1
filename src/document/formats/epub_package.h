// The XML files of an EPUB that say what the book is: the container's package path, the
// package's title and spine, and the encryption list.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lectra {

struct EpubPackage {
    std::u16string title;  // the first title of the metadata, white space collapsed
    // Archive paths of the spine's XHTML items in reading order, each document once.
    std::vector<std::string> spine;
    // Archive paths of the navigation document (EPUB 3) and of the NCX (EPUB 2); empty when the
    // package names none.
    std::string navPath;
    std::string ncxPath;
};

// One entry of a book's navigation: its label, the archive path and fragment it points at, and
// its nesting depth (0 at the top).
struct EpubNavPoint {
    std::u16string title;
    std::string path;
    std::string fragment;
    int32_t depth = 0;
};

// At most this many navigation entries are read; a fragment longer than the markup filter reads
// of a tag could never be found.
constexpr size_t kMaxNavPoints = 10000;
constexpr size_t kMaxNavFragment = 200;

// The links of a navigation document's table of contents (the nav whose type says "toc", else the
// first nav), in order, with the depth of their lists; hrefs resolved against `navPath`'s folder.
std::vector<EpubNavPoint> ParseEpubNav(std::string_view xhtml, std::string_view navPath);
// The navigation points of an NCX in order, with their nesting depth.
std::vector<EpubNavPoint> ParseEpubNcx(std::string_view ncx, std::string_view ncxPath);

// The full path of the first package that META-INF/container.xml names; empty when none.
std::string EpubRootFile(std::string_view containerXml);

// The title and the spine of the package at archive path `opfPath`; spine items are resolved
// against the package's folder. Items that are not XHTML or HTML (images, SVG pages) are left
// out. Returns 0 when the package has no spine or no manifest.
int ParseEpubPackage(std::string_view opf, std::string_view opfPath, EpubPackage& package);

// XML character data as text: references resolved, white space collapsed.
std::u16string EpubText(std::string_view xml);

// The archive paths that META-INF/encryption.xml says are encrypted.
std::vector<std::string> EpubEncryptedPaths(std::string_view encryptionXml);

}  // namespace lectra
