// RC5-32/12/b, Rivest's data-dependent-rotation cipher ("The RC5 Encryption Algorithm", Fast
// Software Encryption 1994; RFC 2040): 32-bit words, a 64-bit block, 12 rounds, keys of
// 0 to 255 bytes.
#pragma once

#include "cipher/Cipher.h"

namespace velkor {

// The key is the given bytes alone, as RC5 defines keys of b bytes (a short key is not
// padded), up to the 255 bytes that the definition allows; an empty key is the defined b = 0.
// Block and key words are little-endian. The key schedule is the table S of 2r + 2 = 26 words.
class TCipher_RC5 : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_RC5)
public:
    explicit TCipher_RC5(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kRounds = 12;
    static constexpr int kBlockSize = 8;
    static constexpr int kKeySize = 255;
    static constexpr int kKeyScheduleSize = (2 * kRounds + 2) * 4;

    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

} // namespace velkor
