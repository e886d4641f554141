// Small byte helpers shared by the test programs: random fixtures drawn from a seeded generator,
// so that a seed printed with a failure replays it, and byte strings seen as the unsigned byte
// pointers that the reference libraries take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

namespace velkor::test {

// n bytes, one generator output each.
inline std::string RandomBytes(std::mt19937& rng, std::size_t n) {
    std::string b(n, '\0');
    for (auto& ch : b) ch = static_cast<char>(rng() & 0xFF);
    return b;
}

inline const std::uint8_t* U8(const std::string& b) {
    return reinterpret_cast<const std::uint8_t*>(b.data());
}

inline std::uint8_t* U8(std::string& b) {
    return reinterpret_cast<std::uint8_t*>(b.data());
}

} // namespace velkor::test
