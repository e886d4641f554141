// Square, the 128-bit block cipher of Daemen, Knudsen and Rijmen: 8 rounds under a 128-bit key.
// The block core is hash/SquareBlock, which the Square hash shares.
#pragma once

#include "cipher/Cipher.h"
#include "hash/SquareBlock.h"

namespace velkor {

// The key is always 16 bytes; a shorter one is padded with zeros. The key schedule is the nine
// round keys.
class TCipher_Square : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_Square)
public:
    explicit TCipher_Square(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = static_cast<int>(square::kBlockSize);
    static constexpr int kKeySize = static_cast<int>(square::kKeySize);
    static constexpr int kKeyScheduleSize = static_cast<int>(square::kRoundKeyBytes);

    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

} // namespace velkor
