// Loading the hyphenation patterns ("LcH1": letters, index, pattern strings): "En.pat" and the
// file of the book's language.
#include "layout/hyphen_patterns.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "document/formats/file_bytes.h"
#include "platform/sys/files.h"

namespace lectra {

namespace {

constexpr uint8_t kMagic[4] = {'L', 'c', 'H', '1'};
constexpr size_t kHeaderBytes = 16;
constexpr size_t kLetterBytes = 5;
constexpr size_t kIndexBytes = 9;
// A pattern file is data we ship, but it is read from disk like any other: past this size it is
// not ours.
constexpr size_t kMaxFileBytes = 64u << 20;

// The languages with patterns of their own; English, Russian and a language not known read
// "En.pat", which holds both.
struct LanguageFile {
    std::string_view language;
    const char16_t* file;
};
constexpr LanguageFile kLanguageFiles[] = {
    {"", kPatternFileName}, {"en", kPatternFileName}, {"ru", kPatternFileName}, {"uk", u"uk.pat"},
    {"be", u"be.pat"},      {"de", u"de.pat"},        {"fr", u"fr.pat"},        {"es", u"es.pat"},
    {"it", u"it.pat"},      {"pl", u"pl.pat"},        {"pt", u"pt.pat"},
};

// The derived look-ups answer what a walk over the tables in order would find first.
void BuildLookups(HyphenPatterns& h) {
    h.codeOfUnit.assign(65536, -1);
    for (const HyphenPatterns::Letter& l : h.letters) {
        for (char16_t form : l.forms) {
            if (h.codeOfUnit[form] < 0) h.codeOfUnit[form] = l.code;
        }
    }
    // Where ё and Ё have no letter of their own (En.pat, Ukrainian) they hyphenate as е; only once
    // every letter is placed, or the fold would take the place of a file's own ё (Belarusian).
    for (const char16_t yo : {u'\u0451', u'\u0401'}) {
        if (h.codeOfUnit[yo] < 0) h.codeOfUnit[yo] = h.codeOfUnit[u'\u0435'];
    }
    for (int32_t& entry : h.indexOfCode) entry = -1;
    for (size_t i = 0; i < h.index.size(); ++i) {
        int32_t& entry = h.indexOfCode[h.index[i].code];
        if (entry < 0) entry = static_cast<int32_t>(i);
    }
    // The order by letters: first by the first letter's code (a counting pass, empty patterns
    // first), then within each group. A file as the generator writes it has each group's patterns
    // in order already, so the groups are only checked; a sort of the whole pays a cache miss per
    // comparison in a large file (German's 1.8 MB took 160 ms to open).
    const auto before = [&h](uint32_t a, uint32_t b) {
        const HyphenPatterns::Pattern& x = h.patterns[a];
        const HyphenPatterns::Pattern& y = h.patterns[b];
        const int c = std::memcmp(h.block.data() + x.letters, h.block.data() + y.letters,
                                  std::min(x.length, y.length));
        return c != 0 ? c < 0 : (x.length != y.length ? x.length < y.length : a < b);
    };
    const auto group = [&h](uint32_t number) -> size_t {
        const HyphenPatterns::Pattern& p = h.patterns[number];
        return p.length == 0 ? 0 : 1 + size_t{h.block[p.letters]};
    };
    std::vector<uint32_t> groupStart(258, 0);
    for (uint32_t i = 0; i < h.patterns.size(); ++i) ++groupStart[group(i) + 1];
    for (size_t g = 1; g < groupStart.size(); ++g) groupStart[g] += groupStart[g - 1];
    h.byLetters.resize(h.patterns.size());
    std::vector<uint32_t> next(groupStart.begin(), groupStart.end() - 1);
    for (uint32_t i = 0; i < h.patterns.size(); ++i) h.byLetters[next[group(i)]++] = i;
    for (size_t g = 0; g + 1 < groupStart.size(); ++g) {
        const auto first = h.byLetters.begin() + groupStart[g];
        const auto end = h.byLetters.begin() + groupStart[g + 1];
        if (!std::is_sorted(first, end, before)) std::sort(first, end, before);
    }
}

int Parse(HyphenPatterns& h, const uint8_t* data, size_t size) {
    ByteReader file = ByteView(data, size);
    const uint8_t* magic = ByteSpan(file, 0, sizeof kMagic);
    if (!magic || std::memcmp(magic, kMagic, sizeof kMagic) != 0) return 0;
    const uint64_t n = ReadLe32(file, 4), p = ReadLe32(file, 8), b = ReadLe32(file, 12);
    if (!file.ok || kHeaderBytes + (kLetterBytes + kIndexBytes) * n + b != size) return 0;
    // Each pattern holds two NUL-terminated strings, its digits at least one digit long.
    if (p > b / 3) return 0;

    size_t at = kHeaderBytes;
    h.letters.resize(n);
    for (HyphenPatterns::Letter& l : h.letters) {
        l.forms[0] = ReadLe16(file, at);
        l.forms[1] = ReadLe16(file, at + 2);
        l.code = ReadU8(file, at + 4);
        at += kLetterBytes;
    }
    h.index.resize(n);
    for (HyphenPatterns::IndexEntry& e : h.index) {
        e.code = ReadU8(file, at);
        e.first = ReadLe32(file, at + 1);
        e.end = ReadLe32(file, at + 5);
        if (e.first >= p || e.end > p) return 0;
        at += kIndexBytes;
    }
    const uint8_t* block = ByteSpan(file, at, b);
    if (!file.ok) return 0;
    h.block.assign(block, block + b);

    // Two strings a pattern, in order: letters, then digits. The digits give a value before the
    // first letter and after each one, so there is exactly one more of them than letters.
    h.patterns.resize(p);
    size_t offset = 0;
    for (HyphenPatterns::Pattern& pattern : h.patterns) {
        size_t strings[2];
        size_t lengths[2];
        for (int s = 0; s < 2; ++s) {
            const void* nul =
                offset < b ? std::memchr(h.block.data() + offset, 0, b - offset) : nullptr;
            if (!nul) return 0;  // fewer than 2 × P strings in the block
            strings[s] = offset;
            lengths[s] = static_cast<const uint8_t*>(nul) - (h.block.data() + offset);
            offset += lengths[s] + 1;
        }
        if (lengths[0] > 255 || lengths[1] != lengths[0] + 1) return 0;
        for (size_t i = 0; i < lengths[1]; ++i) {
            const uint8_t d = h.block[strings[1] + i];
            if (d < '0' || d > '9') return 0;
        }
        pattern.letters = static_cast<uint32_t>(strings[0]);
        pattern.digits = static_cast<uint32_t>(strings[1]);
        pattern.length = static_cast<uint8_t>(lengths[0]);
    }
    BuildLookups(h);
    return 1;
}

}  // namespace

void ClearHyphenPatterns(HyphenPatterns& h) {
    h.letters.clear();
    h.index.clear();
    h.patterns.clear();
    h.block.clear();
    h.codeOfUnit.clear();
    h.byLetters.clear();
    for (int32_t& entry : h.indexOfCode) entry = -1;
}

int LoadHyphenPatternsFromBytes(HyphenPatterns& h, const uint8_t* data, size_t size) {
    ClearHyphenPatterns(h);
    if (!data || Parse(h, data, size)) return data != nullptr;
    ClearHyphenPatterns(h);
    return 0;
}

int LoadHyphenPatterns(HyphenPatterns& h, const std::u16string& folder) {
    return LoadHyphenPatternFile(h, folder, kPatternFileName);
}

int LoadHyphenPatternFile(HyphenPatterns& h, const std::u16string& folder,
                          const std::u16string& name) {
    ClearHyphenPatterns(h);
    h.folder = folder;
    h.file = name;
    PlatformFile file;
    if (!FileOpenRead(file, folder + u"/" + name)) return 0;
    const int64_t size = FileSize(file);
    std::vector<uint8_t> bytes;
    int ok = size > 0 && static_cast<uint64_t>(size) <= kMaxFileBytes;
    if (ok) {
        bytes.resize(static_cast<size_t>(size));
        uint32_t got = 0;
        ok = FileRead(file, bytes.data(), static_cast<uint32_t>(bytes.size()), &got) &&
             got == bytes.size();
    }
    FileClose(file);
    return ok && LoadHyphenPatternsFromBytes(h, bytes.data(), bytes.size());
}

const char16_t* PatternFileFor(std::string_view language) {
    for (const LanguageFile& l : kLanguageFiles) {
        if (l.language == language) return l.file;
    }
    return nullptr;
}

int SelectHyphenPatterns(HyphenPatterns& h, std::string_view language) {
    const char16_t* name = PatternFileFor(language);
    if (!name) {
        ClearHyphenPatterns(h);
        h.file.clear();
        return 0;
    }
    if (h.file == name) return !h.patterns.empty();
    if (h.folder.empty()) {  // never loaded: there is no folder to read from
        ClearHyphenPatterns(h);
        h.file = name;
        return 0;
    }
    return LoadHyphenPatternFile(h, h.folder, name);
}

}  // namespace lectra
