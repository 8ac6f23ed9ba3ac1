// Helpers of the Word and RTF tests: the generator's text rule, and byte patches of the test books.
#pragma once
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "document/text_cache.h"
#include "test_support.h"

namespace lectra::test {

// The text that tools/gen_word_fixtures.py takes from a story: whole paragraphs while they fit in
// `limit` characters, each ended by the paragraph mark, as the Word filter shows it.
inline std::u16string WordText(const std::u16string& story, size_t limit) {
    std::u16string text;
    size_t start = 0;
    while (start < story.size()) {
        size_t end = story.find(u'\n', start);
        if (end == std::u16string::npos) end = story.size();
        if (text.size() + (end - start) + 1 > limit) break;
        text += story.substr(start, end - start);
        text += kMarkBody;
        for (size_t i = text.size() - (end - start) - 1; i < text.size(); ++i) {
            if (text[i] == u'\t') text[i] = u' ';  // the Word filter's space
        }
        start = end + 1;
    }
    return text;
}

// The words of a text, its control units (marks) taken as spaces.
inline std::vector<std::string> WordsOf(std::u16string s) {
    for (char16_t& c : s) c = c < 32 ? u' ' : c;
    return Words(Utf16ToUtf8(s));
}

inline std::u16string Story(const std::string& language) {
    return Utf8ToUtf16(ReadBytes(Fixture("source/" + language + ".txt")));
}

inline uint32_t Le32(const std::string& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
inline void PutLe32(std::string& b, size_t at, uint32_t v) {
    std::memcpy(&b[at], &v, 4);
}
inline void PutLe16(std::string& b, size_t at, uint16_t v) {
    std::memcpy(&b[at], &v, 2);
}

// The file offset of directory entry `index` of a test book (512-byte sectors, the directory in
// one sector, as the generator writes it).
inline size_t DirectoryEntryAt(const std::string& b, uint32_t index) {
    return 512 + static_cast<size_t>(Le32(b, 48)) * 512 + index * 128;
}

// The file offset of FAT entry `sector` (the first FAT sector covers sectors 0–127).
inline size_t FatEntryAt(const std::string& b, uint32_t sector) {
    return 512 + static_cast<size_t>(Le32(b, 76)) * 512 + 4 * sector;
}

}  // namespace lectra::test
