// The Secure Hash Algorithm classes: THash_SHA, "Secure Hash Algorithm", is SHA-0 as first
// published (FIPS 180, 1993); THash_SHA1, "Secure Hash Algorithm 1", is SHA-1 (FIPS 180-1).
// They differ only in the one-bit rotation of the message schedule.
#pragma once

#include "hash/RipeMD.h"

namespace velkor {

class THash_SHA : public THash_RipeMD160 {
    VELKOR_HASH_CLASS(THash_SHA)
    explicit THash_SHA(TProtectionRef protection = nullptr)
        : THash_RipeMD160(std::move(protection)) {}

    static const std::uint8_t* SelfTestVectorData();

    // Big-endian bit count; the five state words are then byte-swapped in place so that
    // DigestData holds the standard big-endian digest.
    void Finish() override;

protected:
    void CompressBlock(const std::uint8_t* block) override;
    bool FRotateSchedule = false;
};

class THash_SHA1 : public THash_SHA {
    VELKOR_HASH_CLASS(THash_SHA1)
    explicit THash_SHA1(TProtectionRef protection = nullptr) : THash_SHA(std::move(protection)) {}

    static const std::uint8_t* SelfTestVectorData();

    void Start() override;
};

} // namespace velkor
