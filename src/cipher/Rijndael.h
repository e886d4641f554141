// Rijndael as the Advanced Encryption Standard (FIPS 197): 16-byte blocks, 10, 12 or 14 rounds
// for keys of 16, 24 or 32 bytes.
#pragma once

#include "cipher/Cipher.h"

#include <cstdint>

namespace velkor {

// A key that is not 16, 24 or 32 bytes long is padded with zeros up to the next of these
// lengths (an empty key is 16 zero bytes); longer keys are cut to 32 bytes by the base. The key
// schedule holds the round keys for enciphering, those of the equivalent inverse cipher for
// deciphering, and the round count.
class TCipher_Rijndael : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_Rijndael)
public:
    explicit TCipher_Rijndael(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 16;
    static constexpr int kKeySize = 32;
    static constexpr int kRoundKeyWords = 4 * (14 + 1);
    static constexpr int kKeyScheduleSize = (2 * kRoundKeyWords + 1) * 4;

    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

} // namespace velkor
