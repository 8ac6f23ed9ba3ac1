// Code-page detection: declarations in markup, byte-order marks and UTF-8 in plain text, and a
// statistical score of Russian letter pairs against the Cyrillic encodings.
#include "document/code_page_detect.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "document/encoding.h"
#include "document/format_table.h"
#include "document/text_cache.h"
#include "platform/sys/code_pages.h"

namespace lectra {

namespace {

#include "document/pair_weights.inc"

// The candidates in scoring order; 1252 has no Cyrillic letters and never scores.
constexpr int kCandidates[] = {1251, 20866, 866, 28595, 1252};

struct Declaration {
    std::string_view name;
    int codePage;
};

// Searched in this order, after the sample's ASCII letters are upper-cased.
constexpr Declaration kHtmlCharsets[] = {
    {"WINDOWS-1251", 1251}, {"CP866", 866},           {"ISO-8859-5", 28595},      {"KOI8-R", 20866},
    {"KOI8-U", 21866},      {"UTF-8", kCodePageUtf8}, {"UTF-16", kCodePageUtf16},
};
constexpr Declaration kXmlEncodings[] = {
    {"WINDOWS-1251", 1251}, {"CP866", 866},           {"ISO-8859-5", 28595},      {"KOI8-R", 20866},
    {"KOI8-U", 21866},      {"UTF-8", kCodePageUtf8}, {"UTF-16", kCodePageUtf16},
};
// Names of UTF-16 as they appear in a declaration that is itself UTF-16.
constexpr std::string_view kWideNames[] = {"UNICODE", "UTF-16"};

// The letter class of a character: а…я as 1…32 in either case, ё as е, 0 for anything else.
int LetterClass(char16_t c) {
    if (c >= 0x430 && c <= 0x44F) return c - 0x430 + 1;
    if (c >= 0x410 && c <= 0x42F) return c - 0x410 + 1;
    if (c == 0x451 || c == 0x401) return 6;
    return 0;
}

void CandidateMap(int codePage, uint8_t map[256]) {
    std::memset(map, 0, 256);
    char16_t high[128];
    if (!CodePageHighHalf(codePage, high)) return;
    for (int b = 128; b < 256; ++b) map[b] = static_cast<uint8_t>(LetterClass(high[b - 128]));
}

bool Contains(const uint8_t* data, uint32_t length, std::string_view needle) {
    if (needle.size() > length) return false;
    const char* begin = reinterpret_cast<const char*>(data);
    return std::string_view(begin, length).find(needle) != std::string_view::npos;
}

// The same text as UTF-16LE bytes, for declarations of a UTF-16 file.
std::string Widen(std::string_view s) {
    std::string w;
    for (char c : s) {
        w += c;
        w += '\0';
    }
    return w;
}

// `key` followed by `value` in double or single quotes, or bare where markup allows it (HTML).
bool HasDeclaration(const uint8_t* sample, uint32_t length, std::string_view key,
                    std::string_view value, bool wide, bool bare) {
    for (const char* quote : {"", "\"", "'"}) {
        if (!*quote && !bare) continue;
        // A bare HTML value is matched as a prefix, as before; a quoted XML one needs its closing
        // quote.
        std::string needle = std::string(key) + quote + std::string(value) + (bare ? "" : quote);
        if (Contains(sample, length, wide ? Widen(needle) : needle)) return true;
    }
    return false;
}

int FindDeclaration(const uint8_t* sample, uint32_t length, std::string_view key, bool xmlOrder,
                    const Declaration* table, size_t rows, int none = 1251) {
    // An XML declaration of a UTF-16 file is itself UTF-16, so it is looked for first there.
    const bool bare = !xmlOrder;
    auto wide = [&] {
        for (std::string_view name : kWideNames) {
            if (HasDeclaration(sample, length, key, name, true, bare)) return true;
        }
        return false;
    };
    if (xmlOrder && wide()) return kCodePageUtf16;
    for (size_t i = 0; i < rows; ++i) {
        if (HasDeclaration(sample, length, key, table[i].name, false, bare))
            return table[i].codePage;
    }
    if (!xmlOrder && wide()) return kCodePageUtf16;
    return none;
}

// The code page that an RTF header names with \ansicpgN (the sample is upper-cased), when it is
// a single-byte code page of the list; 0 otherwise.
int RtfAnsiCodePage(const uint8_t* sample, uint32_t length) {
    constexpr std::string_view kKey = "\\ANSICPG";
    const std::string_view text(reinterpret_cast<const char*>(sample), length);
    const size_t at = text.find(kKey);
    if (at == std::string_view::npos) return 0;
    int id = 0;
    const size_t digits = at + kKey.size();
    for (size_t i = digits; i < text.size() && i < digits + 6; ++i) {
        if (text[i] < '0' || text[i] > '9') break;
        id = id * 10 + (text[i] - '0');
    }
    // RTF is 7-bit text whose escapes name bytes of one code page: UTF-8 or UTF-16 would leave
    // the book unfiltered.
    if (id == kCodePageUtf8 || id == kCodePageUtf16 || !IsListedCodePage(id)) return 0;
    return id;
}

uint32_t TakeSample(Document& doc, uint8_t* sample) {
    if (KindReadsBytes(doc.formatKind)) {
        const uint32_t n = std::min(doc.sourceSize, kSampleBytes);
        for (uint32_t i = 0; i < n; ++i) sample[i] = ReadSourceByte(doc, i);
        return n;
    }
    // A reader without a sample step (Word) gives its book's code page itself.
    if (doc.reader && doc.reader->sample)
        return std::min(doc.reader->sample(doc, sample, kSampleBytes), kSampleBytes);
    return 0;
}

}  // namespace

int LooksLikeUtf8(const uint8_t* s, uint32_t length) {
    int multi = 0;
    uint32_t i = 0;
    while (i < length) {
        const uint8_t b = s[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        uint32_t need;
        uint8_t lo = 0x80, hi = 0xBF;  // the allowed range of the first continuation byte
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2;
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        } else {
            return 0;
        }
        for (uint32_t k = 1; k <= need; ++k) {
            if (i + k >= length) return multi;  // cut by the sample's end
            const uint8_t c = s[i + k];
            if (k == 1 ? (c < lo || c > hi) : (c & 0xC0) != 0x80) return 0;
        }
        multi = 1;
        i += need + 1;
    }
    return multi;
}

uint64_t ScoreCandidate(const uint8_t* sample, uint32_t length, int codePage) {
    uint8_t map[256];
    CandidateMap(codePage, map);
    const uint32_t n = std::min<uint32_t>(length, 1024);
    uint64_t score = 0;
    int previous = 0;
    for (uint32_t i = 0; i < n; ++i) {
        const int c = map[sample[i]];
        if (c && previous) score += kPairWeights[previous][c];
        previous = c;
    }
    return score;
}

int ScoreRussian(const uint8_t* sample, uint32_t length) {
    if (length < 3) return 1251;
    uint64_t best = 0;
    int winner = 1251;
    for (int cp : kCandidates) {
        const uint64_t score = ScoreCandidate(sample, length, cp);
        if (score > best) {
            best = score;
            winner = cp;
        }
    }
    return best < 5 ? 1251 : winner;
}

int DetectCodePage(Document& doc) {
    uint8_t sample[kSampleBytes] = {};
    const uint32_t length = TakeSample(doc, sample);
    const int kind = doc.formatKind;
    if (kind == kKindText) {
        if (length < 3) return 1251;
        if (sample[0] == 0xEF && sample[1] == 0xBB && sample[2] == 0xBF) return kCodePageUtf8;
        if (sample[0] == 0xFF && sample[1] == 0xFE) return kCodePageUtf16;
        // Checked before the end is zeroed, so that a sequence cut there is still seen as cut.
        if (LooksLikeUtf8(sample, length)) return kCodePageUtf8;
    }
    // Markup that starts with a byte-order mark is in that encoding, declared or not.
    if (kind == kKindHtml || kind == kKindFb2 || kind == kKindEpub) {
        if (length >= 2 && sample[0] == 0xFF && sample[1] == 0xFE) return kCodePageUtf16;
        if (length >= 3 && sample[0] == 0xEF && sample[1] == 0xBB && sample[2] == 0xBF)
            return kCodePageUtf8;
    }
    std::memset(sample + kSampleBytes - 3, 0, 3);
    for (uint32_t i = 0; i < length; ++i) {
        if (sample[i] >= 'a' && sample[i] <= 'z') sample[i] = static_cast<uint8_t>(sample[i] - 32);
    }
    switch (kind) {
        case kKindText:
        case kKindPalmDoc:
        case kKindPalmDocCompressed:
        case kKindZtxt1:
        case kKindZtxt2:
        case kKindTcr:
            return ScoreRussian(sample, length);
        case kKindHtml:
            return FindDeclaration(sample, length, "CHARSET=", false, kHtmlCharsets,
                                   std::size(kHtmlCharsets));
        case kKindRtf:
            if (const int declared = RtfAnsiCodePage(sample, length)) return declared;
            return FindDeclaration(sample, length, "ENCODING=", true, kXmlEncodings,
                                   std::size(kXmlEncodings));
        case kKindFb2:
            return FindDeclaration(sample, length, "ENCODING=", true, kXmlEncodings,
                                   std::size(kXmlEncodings));
        case kKindEpub: {
            // The parts of an EPUB are UTF-8 unless they say otherwise, in the XML declaration
            // or the meta tag.
            const int xml = FindDeclaration(sample, length, "ENCODING=", true, kXmlEncodings,
                                            std::size(kXmlEncodings), 0);
            if (xml) return xml;
            return FindDeclaration(sample, length, "CHARSET=", false, kHtmlCharsets,
                                   std::size(kHtmlCharsets), kCodePageUtf8);
        }
        default:
            return 1251;
    }
}

}  // namespace lectra
