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

// The manifest's item of the navigation document OPS/nav.xhtml.
inline const std::string kNavItem =
    "<item id='n' href='nav.xhtml' properties='nav' media-type='application/xhtml+xml'/>";

// An EPUB whose spine is `parts` (OPS/c1.xhtml, c2.xhtml, …), its manifest holding `manifest`
// besides them, with `files` too.
inline std::string WriteParts(const ScratchDir& dir, const std::string& name,
                              const std::vector<std::string>& parts,
                              std::vector<std::pair<std::string, std::string>> files = {},
                              const std::string& manifest = "", const std::string& spine = "") {
    std::string opf = "<package><metadata><dc:title>T</dc:title></metadata><manifest>" + manifest;
    std::string refs;
    for (size_t i = 1; i <= parts.size(); ++i) {
        const std::string c = "c" + std::to_string(i);
        opf += "<item id='" + c + "' href='" + c + ".xhtml' media-type='application/xhtml+xml'/>";
        refs += "<itemref idref='" + c + "'/>";
        files.push_back({"OPS/" + c + ".xhtml", parts[i - 1]});
    }
    opf += "</manifest><spine" + spine + ">" + refs + "</spine></package>";
    files.push_back({"OPS/book.opf", opf});
    return WriteEpub(dir, name, files);
}

inline std::string Page(const std::string& body) {
    return "<?xml version=\"1.0\"?><html><head><title>x</title></head><body>" + body +
           "</body></html>";
}

}  // namespace lectra::test
