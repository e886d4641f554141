// XTEA ("TEA extended"), the corrected TEA of Needham and Wheeler ("Tea extensions", 1997): a
// 64-bit block, a 128-bit key, 32 cycles, with the key word chosen by the running sum.
#pragma once

#include "cipher/Cipher.h"

namespace velkor {

// Words are big-endian, as for TEA. The key schedule holds, for each of the 64 half-cycles,
// the sum and key word that it adds, so that a block costs no key indexing.
class TCipher_TEAN : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_TEAN)
public:
    explicit TCipher_TEAN(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 8;
    static constexpr int kKeySize = 16;
    static constexpr int kKeyScheduleSize = 64 * 4;

    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

} // namespace velkor
