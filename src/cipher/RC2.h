// RC2, Rivest's 64-bit block cipher as RFC 2268 describes it: keys of 1 to 128 bytes expanded
// through a table of digits of pi into 64 16-bit words, 16 mixing and 2 mashing rounds.
#pragma once

#include "cipher/Cipher.h"

#include <cstddef>
#include <cstdint>

namespace velkor {

namespace rc2 {
constexpr int kScheduleWords = 64;
// Expands `length` key bytes (1 to 128) with an effective key length of `effectiveBits` (1 to
// 1024) into 64 words, each held in the low half of a 32-bit word of `schedule`.
void ExpandKey(const std::uint8_t* key, std::size_t length, int effectiveBits,
               std::uint32_t* schedule);
void Encipher(const std::uint32_t* schedule, std::uint8_t* block);
void Decipher(const std::uint32_t* schedule, std::uint8_t* block);
} // namespace rc2

// The key is the given bytes alone (the expansion depends on the key's length, so a short key
// is not padded), and the effective key length is 8 bits per key byte: a 16-byte key runs as
// RC2 with 128 effective bits, a 128-byte key with 1024. An empty key runs as one zero byte.
// Block words are little-endian, as the RFC gives them.
class TCipher_RC2 : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_RC2)
public:
    explicit TCipher_RC2(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 8;
    static constexpr int kKeySize = 128;
    static constexpr int kKeyScheduleSize = rc2::kScheduleWords * 4;

    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

} // namespace velkor
