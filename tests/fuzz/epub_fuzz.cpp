// Fuzz target: a whole .epub, or (first byte's top bit set) its container, package and nav texts.
#include <string_view>

#include "document/formats/epub_package.h"
#include "document/formats/zip_reader.h"
#include "document/pictures.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    if (!(data[0] & 0x80)) return lectra::fuzz::FuzzContainer(data, size, ".epub");
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string_view parts[3];
    for (int i = 0; i < 2; ++i) {
        const size_t zero = text.find('\0');
        parts[i] = text.substr(0, zero);
        text = zero == text.npos ? std::string_view() : text.substr(zero + 1);
    }
    parts[2] = text;
    const std::string root = lectra::EpubRootFile(parts[0]);
    lectra::EpubPackage package;
    lectra::ParseEpubPackage(parts[1], root, package);
    // A resolved path, the spine's or the cover's, stays inside the archive: no empty, "." or
    // ".." component.
    auto inside = [](const std::string& path) {
        const std::string wrapped = "/" + path + "/";
        return !path.empty() && wrapped.find("//") == wrapped.npos &&
               wrapped.find("/./") == wrapped.npos && wrapped.find("/../") == wrapped.npos;
    };
    for (const std::string& path : package.spine) lectra::fuzz::Check(inside(path));
    const std::string cover = lectra::EpubCoverPath(parts[1], root);
    lectra::fuzz::Check(cover.empty() || inside(cover));
    lectra::EpubEncryptedPaths(parts[2]);
    for (int ncx = 0; ncx < 2; ++ncx) {
        const auto points =
            ncx ? lectra::ParseEpubNcx(parts[2], root) : lectra::ParseEpubNav(parts[2], root);
        lectra::fuzz::Check(points.size() <= lectra::kMaxNavPoints);
        for (const lectra::EpubNavPoint& p : points) {
            lectra::fuzz::Check(!p.path.empty() && !p.title.empty() &&
                                p.fragment.size() <= lectra::kMaxNavFragment && p.depth >= 0);
        }
    }
    lectra::StartsWithHeading(std::string(parts[2]));
    return 0;
}
