// "Sample Hash", the demonstration hash: the smallest complete hash class, to copy when adding
// an algorithm. A 64-bit state mixed by a multiply-and-xorshift finaliser, 8-byte digest.
#pragma once

#include "hash/Hash.h"

#include <cstddef>
#include <cstdint>

namespace velkor {

class THash_Sample : public THash {
    VELKOR_HASH_CLASS(THash_Sample)
    explicit THash_Sample(TProtectionRef protection = nullptr) : THash(std::move(protection)) {}
    ~THash_Sample() override;

    static constexpr std::size_t kDigestSize = 8;
    static const std::uint8_t* SelfTestVectorData();

    void Start() override;
    void Feed(const void* buffer, std::size_t length) override;
    void Finish() override;
    std::uint8_t* DigestData() override { return FDigest; }

private:
    void Absorb(std::uint64_t word);

    std::uint64_t FState = 0;
    std::uint64_t FCount = 0;
    std::uint8_t FBuffer[8] = {};
    std::uint8_t FDigest[kDigestSize] = {};
};

} // namespace velkor
