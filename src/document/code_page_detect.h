// Code-page detection: declarations in markup, byte-order marks and UTF-8 in plain text, and a
// statistical score of Russian letter pairs against the Cyrillic encodings.
#pragma once
#include <cstdint>

#include "document/document.h"

namespace lectra {

constexpr uint32_t kSampleBytes = 2048;

// Picks a code page for the open book from the start of its text.
int DetectCodePage(Document& doc);
// The Cyrillic encoding whose letter pairs score highest on `sample`; 1251 when nothing scores.
int ScoreRussian(const uint8_t* sample, uint32_t length);
// The score of one candidate code page (exposed for tests and tuning).
uint64_t ScoreCandidate(const uint8_t* sample, uint32_t length, int codePage);
// Whether the bytes are well-formed UTF-8 with at least one multi-byte sequence; a sequence cut
// by the end of the sample is allowed.
int LooksLikeUtf8(const uint8_t* sample, uint32_t length);

}  // namespace lectra
