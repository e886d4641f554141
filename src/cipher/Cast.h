// The CAST family by Adams and Tavares: CAST-128 (RFC 2144, 8-byte blocks, keys of 5 to 16
// bytes) and CAST-256 (RFC 2612, 16-byte blocks, keys of up to 32 bytes). Both use the three
// round-function types over the S-boxes S1 to S4; the tables are in CastTables.cpp.
#pragma once

#include "cipher/Cipher.h"

#include <cstdint>

namespace velkor {

namespace cast {
extern const std::uint32_t kS1[256], kS2[256], kS3[256], kS4[256];
extern const std::uint32_t kS5[256], kS6[256], kS7[256], kS8[256];
} // namespace cast

// CAST-128 keys are zero-padded to 16 bytes, as RFC 2144 pads its shorter keys; a key of up to
// 10 bytes (80 bits) runs 12 rounds and a longer one 16. Keys shorter than the RFC's smallest
// of 5 bytes are taken the same way (padded, 12 rounds), so that every length from 0 to 16 is
// a key. The key schedule holds the 16 masking subkeys, the 16 rotation subkeys and the round
// count.
class TCipher_Cast128 : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_Cast128)
public:
    explicit TCipher_Cast128(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 8;
    static constexpr int kKeySize = 16;
    static constexpr int kKeyScheduleSize = (16 + 16 + 1) * 4;

    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

// CAST-256 keys are zero-padded to 32 bytes, as RFC 2612 pads its keys of 128 to 224 bits, so
// every length from 0 to 32 is a key. The key schedule holds the 48 masking and the 48
// rotation subkeys of the twelve quad-rounds.
class TCipher_Cast256 : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_Cast256)
public:
    explicit TCipher_Cast256(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 16;
    static constexpr int kKeySize = 32;
    static constexpr int kKeyScheduleSize = (48 + 48) * 4;

    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

} // namespace velkor
