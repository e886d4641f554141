// THash_Tiger: "Tiger", the original 192-bit Tiger of Anderson and Biham ("Tiger: A Fast New
// Hash Function", Fast Software Encryption 3, 1996): three passes over 64-bit words, the
// MD4 family's 64-byte blocks and little-endian length, but a 01 padding marker.
#pragma once

#include "hash/MD4Family.h"

namespace velkor {

// The digest is the three state words a, b, c, each little-endian (the designers print the
// words as numbers, so their text reads each group of eight bytes reversed).
class THash_Tiger : public THash_MD4 {
    VELKOR_HASH_CLASS(THash_Tiger)
    explicit THash_Tiger(TProtectionRef protection = nullptr) : THash_MD4(std::move(protection)) {}

    static constexpr std::size_t kDigestSize = 24;
    static const std::uint8_t* SelfTestVectorData();

    void Finish() override;

protected:
    void CompressBlock(const std::uint8_t* block) override;
    void ResetState() override;
};

} // namespace velkor
