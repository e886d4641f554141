// NewDES, Robert Scott's cipher (Cryptologia, January 1985): 8-byte blocks, a 15-byte key and
// seventeen rounds of byte XORs through one 256-byte substitution. This class keeps the key
// schedule of the 1985 article (the key bytes taken in turn, cyclically), not the 1996
// revision.
#pragma once

#include "cipher/Cipher.h"

namespace velkor {

class TCipher_NewDES : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_NewDES)
public:
    explicit TCipher_NewDES(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 8;
    static constexpr int kKeySize = 15;
    // The 60 key bytes that one block consumes, in the order it consumes them.
    static constexpr int kKeyScheduleSize = 60;

    // The key has a fixed length: a shorter key is padded with zeros to 15 bytes.
    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

} // namespace velkor
