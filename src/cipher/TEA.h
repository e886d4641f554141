// TEA, the Tiny Encryption Algorithm of Wheeler and Needham (Fast Software Encryption, 1994):
// a 64-bit block, a 128-bit key and 32 cycles of shifts, additions and exclusive ors.
#pragma once

#include "cipher/Cipher.h"

namespace velkor {

// The block and the key are read as big-endian 32-bit words: the first four bytes of the block
// are the word y, the first four key bytes are k[0]. The key schedule is the four key words.
class TCipher_TEA : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_TEA)
public:
    explicit TCipher_TEA(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 8;
    static constexpr int kKeySize = 16;
    static constexpr int kKeyScheduleSize = 16;

    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

} // namespace velkor
