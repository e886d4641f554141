// The three round-function types that CAST-128 and CAST-256 share (RFC 2144 section 2.2,
// RFC 2612 section 2.2): a keyed rotation of the data word, then its four bytes, most
// significant first, through S1 to S4 combined with XOR, subtraction and addition.
#pragma once

#include "base/ByteOrder.h"
#include "cipher/Cast.h"

#include <cstdint>

namespace velkor::cast {

inline std::uint32_t Boxes1(std::uint32_t i) {
    return ((kS1[i >> 24] ^ kS2[(i >> 16) & 255]) - kS3[(i >> 8) & 255]) + kS4[i & 255];
}
inline std::uint32_t Boxes2(std::uint32_t i) {
    return ((kS1[i >> 24] - kS2[(i >> 16) & 255]) + kS3[(i >> 8) & 255]) ^ kS4[i & 255];
}
inline std::uint32_t Boxes3(std::uint32_t i) {
    return ((kS1[i >> 24] + kS2[(i >> 16) & 255]) ^ kS3[(i >> 8) & 255]) - kS4[i & 255];
}

// Type 1: I = (Km + D) <<< Kr.
inline std::uint32_t F1(std::uint32_t d, std::uint32_t km, std::uint32_t kr) {
    return Boxes1(Rol(km + d, static_cast<int>(kr & 31)));
}
// Type 2: I = (Km ^ D) <<< Kr.
inline std::uint32_t F2(std::uint32_t d, std::uint32_t km, std::uint32_t kr) {
    return Boxes2(Rol(km ^ d, static_cast<int>(kr & 31)));
}
// Type 3: I = (Km - D) <<< Kr.
inline std::uint32_t F3(std::uint32_t d, std::uint32_t km, std::uint32_t kr) {
    return Boxes3(Rol(km - d, static_cast<int>(kr & 31)));
}

} // namespace velkor::cast
