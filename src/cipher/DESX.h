// DESX, Rivest's DES with key whitening: the block is XORed with a 64-bit input whitening key,
// enciphered with single DES, and XORed with a 64-bit output whitening key.
#pragma once

#include "cipher/DES.h"

namespace velkor {

// Key: bytes 0-7 the DES key K, bytes 8-15 the input whitening key K1. The output whitening
// key K2 is derived from both: K2 = DES(K1, K) XOR K, that is K enciphered by single DES under
// K1 as a DES key and added to itself, a one-way function of the two key halves. This is the
// class's own construction: RSA's DESX derives its output key through a substitution of its
// own, which this class does not reproduce, so a key shared with that product does not give
// the same cipher text. KeySchedule: S0 = forward(K), S1 = reverse(K), then K1 and K2, 8 bytes
// each: 272 bytes.
class TCipher_DESX : public TCipher_1DES {
    VELKOR_CIPHER_CLASS(TCipher_DESX)
public:
    explicit TCipher_DESX(TProtectionRef protection = nullptr)
        : TCipher_1DES(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 8;
    static constexpr int kKeySize = 16;
    static constexpr int kKeyScheduleSize = 2 * static_cast<int>(des::kScheduleBytes) + 16;

    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;

    // The output whitening key that the class derives from the DES key `k` and the input
    // whitening key `k1` (8 bytes each) into `k2`.
    static void DeriveOutputWhitening(const std::uint8_t* k, const std::uint8_t* k1,
                                      std::uint8_t* k2);

protected:
    void MakeSchedules(const std::uint8_t* key) override;

private:
    std::uint8_t* InputWhitening() { return KeyScheduleData() + 2 * des::kScheduleBytes; }
    std::uint8_t* OutputWhitening() { return InputWhitening() + 8; }
};

} // namespace velkor
