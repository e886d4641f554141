// The state machine of Michael Paul Johnson's Sapphire II stream cipher (published with its
// description in 1995): a permutation of 0..255 ("cards") and five indices, moved on by every
// byte. The cipher class and the Sapphire II hashes both run on it; it knows nothing of either.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velkor::sapphire {

// The state lives in caller-owned storage of this many bytes: the 256 cards, then rotor,
// ratchet, avalanche, last plain byte and last cipher byte.
constexpr std::size_t kStateSize = 256 + 5;
// The longest key the published key setup takes (its length is held in one byte).
constexpr std::size_t kMaxKeySize = 255;

// Keys the state from `length` bytes (at most kMaxKeySize); an empty key gives the hash start.
void Key(std::uint8_t* state, const std::uint8_t* key, std::size_t length);
// The fixed, keyless start of the hash: the cards in falling order, indices 1, 3, 5, 7, 11.
void HashStart(std::uint8_t* state);
// One byte through the cipher; both directions feed the plain and the cipher byte back.
std::uint8_t Encrypt(std::uint8_t* state, std::uint8_t plain);
std::uint8_t Decrypt(std::uint8_t* state, std::uint8_t cipher);
// The hash's end: the bytes 255 down to 0 are enciphered to stir the state, then each output
// byte is the encipherment of a zero byte.
void HashFinal(std::uint8_t* state, std::uint8_t* out, std::size_t length);

} // namespace velkor::sapphire
