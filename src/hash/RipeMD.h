// The RIPEMD hashes of the registry: RIPEMD-160 (the class from which the SHA classes
// descend) and RIPEMD-256, the library's default hash class. Both are MD4-family hashes with
// two parallel lines of steps, little-endian words and the family's padding.
#pragma once

#include "hash/MD4Family.h"

namespace velkor {

class THash_RipeMD160 : public THash_MD4 {
    VELKOR_HASH_CLASS(THash_RipeMD160)
    explicit THash_RipeMD160(TProtectionRef protection = nullptr)
        : THash_MD4(std::move(protection)) {}

    static constexpr std::size_t kDigestSize = 20;
    static const std::uint8_t* SelfTestVectorData();

protected:
    void CompressBlock(const std::uint8_t* block) override;
};

class THash_RipeMD256 : public THash_MD4 {
    VELKOR_HASH_CLASS(THash_RipeMD256)
    explicit THash_RipeMD256(TProtectionRef protection = nullptr)
        : THash_MD4(std::move(protection)) {}

    static constexpr std::size_t kDigestSize = 32;
    static const std::uint8_t* SelfTestVectorData();

protected:
    void CompressBlock(const std::uint8_t* block) override;
    // The right line starts from the family's words 5-8, kept here as words 4-7.
    void ResetState() override;
};

} // namespace velkor
