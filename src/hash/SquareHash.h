// THash_Square: "Square", a 128-bit hash built on the Square block cipher (the Miyaguchi-Preneel
// construction with length padding; the construction is written down in SquareHash.cpp).
#pragma once

#include "hash/Hash.h"
#include "hash/SquareBlock.h"

#include <cstddef>
#include <cstdint>

namespace velkor {

class THash_Square : public THash {
    VELKOR_HASH_CLASS(THash_Square)
    explicit THash_Square(TProtectionRef protection = nullptr) : THash(std::move(protection)) {}
    // Wipes the chaining value (the digest), the round keys, the buffer and the count.
    ~THash_Square() override;

    static constexpr std::size_t kDigestSize = 16;
    static const std::uint8_t* SelfTestVectorData();

    void Start() override;
    void Feed(const void* buffer, std::size_t length) override;
    // Pads and compresses; the digest stays readable until the next Start.
    void Finish() override;
    std::uint8_t* DigestData() override { return FState; }

private:
    void Compress(const std::uint8_t* block);

    std::uint64_t FCount = 0;
    std::uint8_t FBuffer[square::kBlockSize] = {};
    std::uint8_t FState[square::kBlockSize] = {};
    std::uint8_t FRoundKeys[square::kRoundKeyBytes] = {};
};

} // namespace velkor
