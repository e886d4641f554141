// The RIPEMD hashes of the registry: RIPEMD-128, RIPEMD-160 (the class from which the SHA
// classes descend), RIPEMD-256 (the library's default hash class) and RIPEMD-320, as published
// by Dobbertin, Bosselaers and Preneel. All are MD4-family hashes with two parallel lines of
// steps, little-endian words and the family's padding.
#pragma once

#include "hash/MD4Family.h"

namespace velkor {

class THash_RipeMD128 : public THash_MD4 {
    VELKOR_HASH_CLASS(THash_RipeMD128)
    explicit THash_RipeMD128(TProtectionRef protection = nullptr)
        : THash_MD4(std::move(protection)) {}

    static constexpr std::size_t kDigestSize = 16;
    static const std::uint8_t* SelfTestVectorData();

protected:
    void CompressBlock(const std::uint8_t* block) override;
};

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

// RIPEMD-320 keeps both lines' five words apart (the family's ten starting words, exactly
// the ten words of the state) and swaps one register between the lines after each round.
class THash_RipeMD320 : public THash_MD4 {
    VELKOR_HASH_CLASS(THash_RipeMD320)
    explicit THash_RipeMD320(TProtectionRef protection = nullptr)
        : THash_MD4(std::move(protection)) {}

    static constexpr std::size_t kDigestSize = 40;
    static const std::uint8_t* SelfTestVectorData();

protected:
    void CompressBlock(const std::uint8_t* block) override;
};

} // namespace velkor
