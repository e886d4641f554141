// Skipjack, the 64-bit block cipher with an 80-bit cryptovariable that NIST published when it
// was declassified ("SKIPJACK and KEA Algorithm Specifications", version 2.0, 29 May 1998).
#pragma once

#include "cipher/Cipher.h"

namespace velkor {

// The block is four big-endian 16-bit words w1..w4 (the first byte is the high byte of w1);
// the key is cv0..cv9 in the order given. The key schedule holds the four key bytes of each of
// the 32 steps, so that no step computes an index modulo 10.
class TCipher_Skipjack : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_Skipjack)
public:
    explicit TCipher_Skipjack(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 8;
    static constexpr int kKeySize = 10;
    static constexpr int kKeyScheduleSize = 32 * 4;

    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

} // namespace velkor
