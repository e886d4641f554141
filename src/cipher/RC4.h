// RC4, the stream cipher as RFC 6229 gives its test values: a 256-byte permutation keyed from
// 1 to 256 key bytes, two indices, one keystream byte per step.
//
// How it fits the block framework: the class is a cipher on 16-byte blocks whose EncipherBlock
// and DecipherBlock both XOR the block with the next 16 keystream bytes and so move the
// generator on. Every mode calls the primitives in the same order on both sides (CTS, CBC and
// ECB call EncipherBlock when enciphering where they call DecipherBlock when deciphering; CFB,
// OFB and the partial tails call EncipherBlock on both sides), so a freshly keyed object
// deciphers what a freshly keyed object enciphered, in every mode. Init keys the generator and
// then SetVector(null) enciphers the FF block, so the IV is FF XOR the first 16 keystream
// bytes and the data starts at keystream offset 16 (with an IV given, nothing is enciphered
// before the data, which starts at offset 0). A chain reset restarts the feedback
// register from the IV but never rewinds the generator: no keystream is used twice by one
// object, and deciphering needs an object keyed alike that has gone through the same runs.
#pragma once

#include "cipher/Cipher.h"

#include <cstddef>
#include <cstdint>

namespace velkor {

namespace rc4 {
// The permutation, then the indices i and j.
constexpr std::size_t kStateSize = 256 + 2;
// Keys `state` from `length` (1..256) bytes, cycled over the permutation as published.
void Key(std::uint8_t* state, const std::uint8_t* key, std::size_t length);
// XORs `length` bytes at `data` with the next keystream bytes.
void Crypt(std::uint8_t* state, std::uint8_t* data, std::size_t length);
} // namespace rc4

class TCipher_RC4 : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_RC4)
public:
    explicit TCipher_RC4(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 16;
    static constexpr int kKeySize = 256;
    static constexpr int kKeyScheduleSize = 260;

    // The key is the given bytes alone (RC4 cycles its key over its own length, so a short key
    // is not padded with zeros); an empty key keys as the single byte 0.
    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

} // namespace velkor
