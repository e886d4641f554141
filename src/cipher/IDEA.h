// IDEA, the International Data Encryption Algorithm of Lai and Massey: 8 rounds and an output
// transformation on 64-bit blocks under a 128-bit key, as published in Lai's thesis (1992).
#pragma once

#include "cipher/Cipher.h"

#include <cstdint>

namespace velkor {

// The key is always 16 bytes; a shorter one is padded with zeros. The key schedule holds the 52
// enciphering subkeys followed by the 52 deciphering subkeys, one 16-bit value per word.
class TCipher_IDEA : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_IDEA)
public:
    explicit TCipher_IDEA(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 8;
    static constexpr int kKeySize = 16;
    static constexpr int kSubkeys = 52;
    static constexpr int kKeyScheduleSize = 2 * kSubkeys * 4;

    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

} // namespace velkor
