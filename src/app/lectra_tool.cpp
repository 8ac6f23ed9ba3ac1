// lectra-tool: the reader's document store on the command line (info, dump and export of a book).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "document/document.h"
#include "document/formats/book_export.h"
#include "document/open_book.h"
#include "document/text_cache.h"
#include "platform/sys/utf.h"

using namespace lectra;

namespace {

struct Options {
    std::string command;
    std::string book;
    int codePage = kCodePageAuto;
    int paragraphMode = kTxtDetectParagraph;
    int saveCodePage = kDefaultSaveCodePage;
};

int Usage() {
    std::fputs(
        "usage: lectra-tool info [--code-page N] [--paragraph-mode 0|1|2] BOOK\n"
        "       lectra-tool dump [--code-page N] [--paragraph-mode 0|1|2] BOOK\n"
        "       lectra-tool export-txt [--save-code-page N] [--code-page N]\n"
        "                              [--paragraph-mode 0|1|2] BOOK\n"
        "       lectra-tool export-pdb [--save-code-page N] [--code-page N]\n"
        "                              [--paragraph-mode 0|1|2] BOOK\n"
        "export writes BOOK.txt or BOOK.pdb in the save code page (default 1251)\n",
        stderr);
    return 2;
}

bool ParseInt(const char* text, int* value) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < -2147483647L || v > 2147483647L) return false;
    *value = static_cast<int>(v);
    return true;
}

bool ParseArgs(int argc, char** argv, Options& o) {
    if (argc < 3) return false;
    o.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        std::string_view a = argv[i];
        if ((a == "--code-page" || a == "--paragraph-mode" || a == "--save-code-page") &&
            i + 1 < argc) {
            int v;
            if (!ParseInt(argv[++i], &v)) return false;
            if (a == "--code-page") {
                o.codePage = v;
            } else if (a == "--save-code-page") {
                o.saveCodePage = v;
            } else {
                if (v < 0 || v > 2) return false;
                o.paragraphMode = v;
            }
        } else if (o.book.empty() && (a.empty() || a[0] != '-' || a == "-")) {
            o.book = argv[i];
        } else {
            return false;
        }
    }
    return !o.book.empty();
}

void PrintReadError(void*, const char16_t* message) {
    std::fprintf(stderr, "%s\n", Utf16ToUtf8(message).c_str());
}

// Writes the stream as UTF-8: text as itself, each paragraph mark as a line feed, units 16–31
// dropped; surrogate pairs are joined, a lone surrogate becomes U+FFFD.
// Encodes one code point at `o`; returns the bytes written.
[[gnu::always_inline]] inline size_t PutUtf8(char* o, uint32_t cp) {
    if (cp < 0x80) {
        o[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        o[0] = static_cast<char>(0xC0 | (cp >> 6));
        o[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        o[0] = static_cast<char>(0xE0 | (cp >> 12));
        o[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        o[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    o[0] = static_cast<char>(0xF0 | (cp >> 18));
    o[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    o[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    o[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

void Dump(Document& doc) {
    constexpr size_t kBuffer = 1 << 16;
    static char buffer[kBuffer + 8];
    size_t n = 0;
    auto put = [&](uint32_t cp) { n += PutUtf8(buffer + n, cp); };
    char16_t high = 0;
    const int32_t length = DocLength(doc);
    for (int32_t pos = 0; pos < length; ++pos) {
        const char16_t u = GetChar(doc, pos);
        if (high && !(u >= 0xDC00 && u < 0xE000)) {
            put(0xFFFD);
            high = 0;
        }
        if (u < 16) {
            put('\n');
        } else if (u < 32) {
            continue;
        } else if (u >= 0xD800 && u < 0xDC00) {
            high = u;
        } else if (u >= 0xDC00 && u < 0xE000) {
            put(high ? 0x10000 + ((high - 0xD800u) << 10) + (u - 0xDC00u) : 0xFFFD);
            high = 0;
        } else {
            put(u);
        }
        if (n >= kBuffer) {
            std::fwrite(buffer, 1, n, stdout);
            n = 0;
        }
    }
    if (high) put(0xFFFD);
    std::fwrite(buffer, 1, n, stdout);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseArgs(argc, argv, o)) return Usage();
    if (o.command != "info" && o.command != "dump" && o.command != "export-txt" &&
        o.command != "export-pdb") {
        return Usage();
    }
    auto doc = NewDocument();
    doc->hooks.showReadError = PrintReadError;
    doc->txtParagraphMode = o.paragraphMode;
    OpenRequest request;
    request.codePageSetting = o.codePage;
    const std::u16string path = Utf8ToUtf16(o.book);
    if (!OpenBook(*doc, path.c_str(), 0, request)) {
        std::fprintf(stderr, "%s\n", Utf16ToUtf8(doc->openErrorText).c_str());
        return 1;
    }
    if (o.command == "info") {
        std::printf("kind: %d\ncode page: %d\nsource size: %u\nlength: %d\nblocks: %zu\n", doc->formatKind,
                    doc->bookCodePage, doc->sourceSize, DocLength(*doc), doc->blocks.size());
    } else if (o.command == "dump") {
        Dump(*doc);
    } else {
        // As the reader's save commands: the book's own path with ".txt" or ".pdb" appended.
        const int saved = o.command == "export-txt"
                              ? ExportTxt(*doc, doc->bookPath, o.saveCodePage)
                              : ExportPdb(*doc, doc->bookPath, o.saveCodePage);
        std::puts(saved ? "File saved!" : "Error");
        CloseDocument(*doc);
        std::fflush(stdout);
        return saved ? 0 : 1;
    }
    CloseDocument(*doc);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
