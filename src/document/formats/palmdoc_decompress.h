// The PalmDOC decoder: literal runs, space + character pairs and back-references of one record.
#pragma once
#include <cstdint>

namespace lectra {

// Decodes `srcLength` bytes of one PalmDOC-compressed record into at most `capacity` bytes of
// `dst`; returns the bytes written. Malformed input ends the record early: what was produced so
// far is kept, and nothing outside either buffer is ever touched.
uint32_t PalmDocDecompress(const uint8_t* src, uint32_t srcLength, uint8_t* dst, uint32_t capacity);

}  // namespace lectra
