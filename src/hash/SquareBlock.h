// The Square block cipher of Daemen, Knudsen and Rijmen (Fast Software Encryption 1997):
// 8 rounds on a 128-bit block under a 128-bit key. The core is shared by the cipher class
// TCipher_Square and by the Square hash, so it lives here, below the cipher library.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velkor::square {

constexpr int kRounds = 8;
constexpr std::size_t kBlockSize = 16;
constexpr std::size_t kKeySize = 16;
// The round keys k^0 .. k^8, 16 bytes each.
constexpr std::size_t kRoundKeyBytes = kBlockSize * (kRounds + 1);

void MakeRoundKeys(const std::uint8_t* key, std::uint8_t* roundKeys);
void Encipher(const std::uint8_t* roundKeys, std::uint8_t* block);
void Decipher(const std::uint8_t* roundKeys, std::uint8_t* block);

} // namespace velkor::square
