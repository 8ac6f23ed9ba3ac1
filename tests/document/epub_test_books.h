// Small EPUBs and XHTML pages written for the document tests, zipped by Python's zipfile.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace lectra::test {

// An EPUB written by Python's zipfile: `files` are (archive name, bytes); the container points at
// OPS/book.opf.
inline std::string WriteEpub(const ScratchDir& dir, const std::string& name,
                             const std::vector<std::pair<std::string, std::string>>& files) {
    Run("mkdir -p '" + dir.path() + "/META-INF' '" + dir.path() + "/OPS'");
    dir.Write("META-INF/container.xml",
              "<container><rootfiles><rootfile full-path=\"OPS/book.opf\"/></rootfiles>"
              "</container>");
    std::string list = "META-INF/container.xml";
    for (const auto& [file, bytes] : files) {
        dir.Write(file, bytes);
        list += " '" + file + "'";
    }
    Run("cd '" + dir.path() +
        "' && python3 -c 'import sys, zipfile\n"
        "with zipfile.ZipFile(sys.argv[1], \"w\", zipfile.ZIP_DEFLATED) as z:\n"
        "    z.writestr(\"mimetype\", \"application/epub+zip\")\n"
        "    for f in sys.argv[2:]: z.write(f, f)' '" +
        name + "' " + list);
    return dir.path() + "/" + name;
}

inline std::string Opf(const std::string& extraManifest, int parts,
                       const std::string& spineAttrs = "") {
    std::string opf =
        "<package><metadata><dc:title>T</dc:title></metadata><manifest>" + extraManifest;
    std::string spine = "<spine" + spineAttrs + ">";
    for (int i = 1; i <= parts; ++i) {
        const std::string n = std::to_string(i);
        opf += "<item id='c" + n + "' href='c" + n + ".xhtml' media-type='application/xhtml+xml'/>";
        spine += "<itemref idref='c" + n + "'/>";
    }
    return opf + "</manifest>" + spine + "</spine></package>";
}

inline std::string Page(const std::string& body) {
    return "<?xml version=\"1.0\"?><html><head><title>x</title></head><body>" + body +
           "</body></html>";
}

}  // namespace lectra::test
