// Reading bytes that came from a file: exact reads at an offset, and a checked view that reads
// big- and little-endian numbers out of what was read.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/sys/files.h"

namespace lectra {

// Reads exactly `size` bytes at `offset`; 0 when the seek fails or fewer bytes arrive.
inline int ReadAt(PlatformFile& file, uint64_t offset, void* buffer, uint32_t size) {
    uint32_t got = 0;
    return FileSeek(file, offset) && FileRead(file, buffer, size, &got) && got == size;
}

// A view of bytes read from a file. Offsets and lengths come from the file too, so every read is
// checked against the end: a read that does not lie wholly inside gives 0 (or nothing) and clears
// `ok`, which stays cleared, so that a parser reads a whole record and tests `ok` once.
struct ByteReader {
    const uint8_t* data = nullptr;
    size_t size = 0;
    bool ok = true;
};

inline ByteReader ByteView(const void* data, size_t size) {
    return ByteReader{static_cast<const uint8_t*>(data), size, true};
}

// The `length` bytes at `at`, or null (and `ok` cleared) when they are not all inside.
inline const uint8_t* ByteSpan(ByteReader& r, size_t at, size_t length) {
    if (at > r.size || length > r.size - at) {
        r.ok = false;
        return nullptr;
    }
    return r.data + at;
}

// The `length` bytes at `at` as a view of their own: empty and not ok when they are not all
// inside, and then `r` is not ok either.
inline ByteReader SubBytes(ByteReader& r, size_t at, size_t length) {
    const uint8_t* p = ByteSpan(r, at, length);
    return p ? ByteReader{p, length, true} : ByteReader{nullptr, 0, false};
}

namespace detail {
template <typename T, bool kBigEndian>
T ReadNumber(ByteReader& r, size_t at) {
    const uint8_t* p = ByteSpan(r, at, sizeof(T));
    if (!p) return 0;
    T v = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        v |= static_cast<T>(p[i]) << (8 * (kBigEndian ? sizeof(T) - 1 - i : i));
    return v;
}
}  // namespace detail

// Numbers at `at`, little- or big-endian; 0 when they do not lie wholly inside.
inline constexpr auto ReadU8 = detail::ReadNumber<uint8_t, false>;
inline constexpr auto ReadLe16 = detail::ReadNumber<uint16_t, false>;
inline constexpr auto ReadLe32 = detail::ReadNumber<uint32_t, false>;
inline constexpr auto ReadLe64 = detail::ReadNumber<uint64_t, false>;
inline constexpr auto ReadBe16 = detail::ReadNumber<uint16_t, true>;
inline constexpr auto ReadBe32 = detail::ReadNumber<uint32_t, true>;

}  // namespace lectra
