// GOST 28147-89, the Soviet and Russian standard block cipher: 32 Feistel rounds on 64-bit blocks
// under a 256-bit key, with the S-boxes of the test parameter set published with GOST R 34.11-94.
#pragma once

#include "cipher/Cipher.h"

namespace velkor {

// The block is N1 (bytes 0-3) and N2 (bytes 4-7), the key K0..K7, every word little-endian, as
// GOST R 34.11-94 lays them out; a shorter key is padded with zeros. The key schedule is the
// eight key words.
class TCipher_Gost : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_Gost)
public:
    explicit TCipher_Gost(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 8;
    static constexpr int kKeySize = 32;
    static constexpr int kKeyScheduleSize = 32;

    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

} // namespace velkor
