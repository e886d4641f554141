// Blowfish, the library's default cipher class: the published 16-round cipher on 8-byte blocks
// with keys of up to 56 bytes. The key schedule is its P-array followed by its four S-boxes.
#pragma once

#include "cipher/Cipher.h"

#include <cstddef>
#include <cstdint>

namespace velkor {

namespace blowfish {
constexpr std::size_t kStateWords = 18 + 4 * 256;
// Expands `length` key bytes (cycled over the P-array, as published) into `state`.
void MakeState(const std::uint8_t* key, std::size_t length, std::uint32_t* state);
void Encipher(const std::uint32_t* state, std::uint8_t* block);
void Decipher(const std::uint32_t* state, std::uint8_t* block);
} // namespace blowfish

class TCipher_Blowfish : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_Blowfish)
public:
    explicit TCipher_Blowfish(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 8;
    static constexpr int kKeySize = 56;
    static constexpr int kKeyScheduleSize = static_cast<int>(blowfish::kStateWords * 4);

    // The key is the given bytes alone: published Blowfish cycles the key over its own length,
    // so a short key is not padded with zeros first.
    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

} // namespace velkor
