// Small readers shared by the container formats: exact reads at an offset, big-endian numbers.
#pragma once
#include <cstdint>

#include "platform/sys/files.h"

namespace lectra {

// Reads exactly `size` bytes at `offset`; 0 when the seek fails or fewer bytes arrive.
inline int ReadAt(PlatformFile& file, uint64_t offset, void* buffer, uint32_t size) {
    uint32_t got = 0;
    return FileSeek(file, offset) && FileRead(file, buffer, size, &got) && got == size;
}

inline uint32_t ReadBE16(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 8) | p[1];
}
inline uint32_t ReadBE32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

}  // namespace lectra
