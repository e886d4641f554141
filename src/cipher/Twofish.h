// Twofish, the AES submission by Schneier, Kelsey, Whiting, Wagner, Hall and Ferguson: 16-byte
// blocks, 16 rounds, keys of up to 32 bytes.
#pragma once

#include "cipher/Cipher.h"

#include <cstdint>

namespace velkor {

// As the designers define it, a key shorter than 16, 24 or 32 bytes is padded with zeros up to
// the next of these lengths (an empty key is 16 zero bytes). The key schedule holds the 40
// round-key words and the four key-dependent S-boxes already multiplied by the MDS matrix,
// 256 words each ("full keying").
class TCipher_Twofish : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_Twofish)
public:
    explicit TCipher_Twofish(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 16;
    static constexpr int kKeySize = 32;
    static constexpr int kKeyScheduleSize = (40 + 4 * 256) * 4;

    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

} // namespace velkor
