// Word access for the hash and cipher primitives: 32-bit loads and stores in a fixed byte
// order from unaligned byte areas, rotation and byte swap. Written portably; compilers turn
// each of them into a single load, store, rotate or bswap instruction.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace velkor {

inline std::uint32_t Rol(std::uint32_t x, int n) {
    return std::rotl(x, n);
}

inline std::uint32_t ByteSwap32(std::uint32_t x) {
    return (x << 24) | ((x & 0xFF00U) << 8) | ((x >> 8) & 0xFF00U) | (x >> 24);
}

inline std::uint64_t ByteSwap64(std::uint64_t x) {
    return std::uint64_t{ByteSwap32(static_cast<std::uint32_t>(x))} << 32 |
           ByteSwap32(static_cast<std::uint32_t>(x >> 32));
}

inline std::uint32_t LoadLE32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline std::uint32_t LoadBE32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

inline void StoreBE32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

inline void StoreLE32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

// n words from and to their little-endian bytes. On a little-endian host they are copied
// whole, so that a following load of the words finds them in one store rather than pieced
// together from single bytes.
inline void LoadLE32Words(const std::uint8_t* bytes, std::uint32_t* words, int n) {
    if constexpr (std::endian::native == std::endian::little)
        std::memcpy(words, bytes, 4 * static_cast<std::size_t>(n));
    else
        for (int i = 0; i < n; ++i) words[i] = LoadLE32(bytes + 4 * i);
}

inline void StoreLE32Words(const std::uint32_t* words, std::uint8_t* bytes, int n) {
    if constexpr (std::endian::native == std::endian::little)
        std::memcpy(bytes, words, 4 * static_cast<std::size_t>(n));
    else
        for (int i = 0; i < n; ++i) StoreLE32(bytes + 4 * i, words[i]);
}

} // namespace velkor
