// The XML files of an EPUB that say what the book is: the container's package path, the
// package's title and spine, and the encryption list.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace lectra {

struct EpubPackage {
    std::u16string title;  // the first title of the metadata, white space collapsed
    // Archive paths of the spine's XHTML items in reading order, each document once.
    std::vector<std::string> spine;
};

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
