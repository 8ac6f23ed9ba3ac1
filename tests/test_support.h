// Helpers shared by the tests: fixture paths, scratch files, opening and reading a whole book.
#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "document/document.h"
#include "document/open_book.h"
#include "document/text_cache.h"
#include "platform/sys/utf.h"

namespace lectra::test {

inline std::string Fixture(const std::string& name) {
    return std::string(LECTRA_FIXTURES) + "/" + name;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A scratch folder removed when the test ends.
class ScratchDir {
public:
    ScratchDir() {
        char tmpl[] = "/tmp/lectra-test-XXXXXX";
        path_ = mkdtemp(tmpl);
    }
    ~ScratchDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    const std::string& path() const { return path_; }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::string p = path_ + "/" + name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }

private:
    std::string path_;
};

// A document closed when the test ends, so that no reader state outlives it.
struct OpenedBook {
    std::unique_ptr<Document> doc = NewDocument();
    ~OpenedBook() { CloseDocument(*doc); }
    Document& operator*() { return *doc; }
    Document* operator->() { return doc.get(); }
};

inline int Open(Document& doc, const std::string& path, int codePage = kCodePageAuto,
                int reopen = 0, const RememberedBook* remembered = nullptr) {
    OpenRequest r;
    r.codePageSetting = codePage;
    r.remembered = remembered;
    std::u16string p = PathFromBytes(path);
    return OpenBook(doc, p.c_str(), reopen, r);
}

inline std::u16string ReadAll(Document& doc) {
    std::u16string s;
    for (int32_t i = 0; i < DocLength(doc); ++i) s += GetChar(doc, i);
    return s;
}

#ifdef LECTRA_EN_PAT
// The folder of the hyphenation patterns supplied with the program.
inline std::u16string PatternFolder() {
    const std::string path = LECTRA_EN_PAT;
    return Utf8ToUtf16(path.substr(0, path.rfind('/')));
}
#endif

// Output of a shell command.
inline std::string Run(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
    return out;
}

#ifdef LECTRA_TOOL
// What lectra-tool prints, errors included, for `args`.
inline std::string Tool(const std::string& args) {
    return Run(std::string(LECTRA_TOOL) + " " + args + " 2>&1");
}
#endif

// White-space separated words of UTF-8 text.
inline std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    std::string w;
    while (in >> w) words.push_back(w);
    return words;
}

// Runs `body` in a child process, as nobody when run as root so that permissions bind; the
// child's exit status is the result, 100 + the signal if one ended it.
template <typename Body>
int AsOtherUser(Body body) {
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && setresuid(65534, 65534, 65534) != 0) _exit(2);
        _exit(body());
    }
    int status = -1;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

}  // namespace lectra::test
