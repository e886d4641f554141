// 3-Way, Daemen's 96-bit block cipher (Fast Software Encryption 1993): 11 rounds on three
// 32-bit words under a 96-bit key.
#pragma once

#include "cipher/Cipher.h"

namespace velkor {

// Block and key are three 32-bit words a0, a1, a2, each stored big-endian, a0 first; a shorter
// key is padded with zeros. The key schedule holds the enciphering key and the deciphering key
// (theta, then the bit order reversed).
class TCipher_3Way : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_3Way)
public:
    explicit TCipher_3Way(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 12;
    static constexpr int kKeySize = 12;
    static constexpr int kKeyScheduleSize = 24;

    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

} // namespace velkor
