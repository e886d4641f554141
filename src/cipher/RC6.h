// RC6-32/20/b, the AES submission by Rivest, Robshaw, Sidney and Yin: 16-byte blocks as four
// 32-bit words, 20 rounds, keys of 0 to 255 bytes.
#pragma once

#include "cipher/Cipher.h"

#include <cstdint>

namespace velkor {

// The key is taken at its own length, not padded with zeros first: RC6 loads b = 0..255 bytes
// into c = max(1, ceil(b / 4)) words itself, so keys of a different number of words differ even
// when the extra bytes are zeros. The key schedule is the 44 round-key words S[0..43].
class TCipher_RC6 : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_RC6)
public:
    explicit TCipher_RC6(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kRounds = 20;
    static constexpr int kBlockSize = 16;
    static constexpr int kKeySize = 255;
    static constexpr int kKeyScheduleSize = (2 * kRounds + 4) * 4;

    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

} // namespace velkor
