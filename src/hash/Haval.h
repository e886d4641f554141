// The HAVAL hashes of the registry, "Haval-128" to "Haval-256": HAVAL of Zheng, Pieprzyk and
// Seberry ("HAVAL - A One-Way Hashing Algorithm with Variable Length of Output", AUSCRYPT
// 1992), with three passes, version 1.
#pragma once

#include "hash/Hash.h"

#include <cstddef>
#include <cstdint>

namespace velkor {

// The engine of the five classes: 128-byte blocks of 32 little-endian words, eight state
// words, padding with 01, zeros, the version, pass count and output length, and the 64-bit
// bit count; a digest shorter than 256 bits folds the last words into the first ones as the
// designers define it. Every class here runs three passes (the count for which an independent
// implementation is at hand); the engine also runs four or five.
class THash_Haval : public THash {
public:
    // Wipes the state, the digest, the block buffer and the count.
    ~THash_Haval() override;

    void Start() override;
    void Feed(const void* buffer, std::size_t length) override;
    // Pads, compresses and folds the state into the digest. Nothing is reset: as in the MD4
    // family, feeding again continues from the finished state.
    void Finish() override;
    std::uint8_t* DigestData() override { return FDigest; }

    static constexpr std::size_t kBlockSize = 128;

protected:
    THash_Haval(TProtectionRef protection, int passes)
        : THash(std::move(protection)), FPasses(passes) {}

private:
    void CompressBlock(const std::uint8_t* block);

    int FPasses;
    std::uint64_t FCount = 0;
    std::uint32_t FState[8] = {};
    alignas(8) std::uint8_t FBuffer[kBlockSize] = {};
    alignas(8) std::uint8_t FDigest[32] = {};
};

// HAVAL-128, three passes. The protected constructor runs another pass count.
class THash_Haval128 : public THash_Haval {
    VELKOR_HASH_CLASS(THash_Haval128)
    explicit THash_Haval128(TProtectionRef protection = nullptr)
        : THash_Haval(std::move(protection), 3) {}

    static constexpr std::size_t kDigestSize = 16;
    static const std::uint8_t* SelfTestVectorData();

protected:
    THash_Haval128(TProtectionRef protection, int passes)
        : THash_Haval(std::move(protection), passes) {}
};

// HAVAL-160, three passes. The protected constructor runs another pass count.
class THash_Haval160 : public THash_Haval {
    VELKOR_HASH_CLASS(THash_Haval160)
    explicit THash_Haval160(TProtectionRef protection = nullptr)
        : THash_Haval(std::move(protection), 3) {}

    static constexpr std::size_t kDigestSize = 20;
    static const std::uint8_t* SelfTestVectorData();

protected:
    THash_Haval160(TProtectionRef protection, int passes)
        : THash_Haval(std::move(protection), passes) {}
};

// HAVAL-192, three passes. The protected constructor runs another pass count.
class THash_Haval192 : public THash_Haval {
    VELKOR_HASH_CLASS(THash_Haval192)
    explicit THash_Haval192(TProtectionRef protection = nullptr)
        : THash_Haval(std::move(protection), 3) {}

    static constexpr std::size_t kDigestSize = 24;
    static const std::uint8_t* SelfTestVectorData();

protected:
    THash_Haval192(TProtectionRef protection, int passes)
        : THash_Haval(std::move(protection), passes) {}
};

// HAVAL-224, three passes. The protected constructor runs another pass count.
class THash_Haval224 : public THash_Haval {
    VELKOR_HASH_CLASS(THash_Haval224)
    explicit THash_Haval224(TProtectionRef protection = nullptr)
        : THash_Haval(std::move(protection), 3) {}

    static constexpr std::size_t kDigestSize = 28;
    static const std::uint8_t* SelfTestVectorData();

protected:
    THash_Haval224(TProtectionRef protection, int passes)
        : THash_Haval(std::move(protection), passes) {}
};

// HAVAL-256, three passes. The protected constructor runs another pass count.
class THash_Haval256 : public THash_Haval {
    VELKOR_HASH_CLASS(THash_Haval256)
    explicit THash_Haval256(TProtectionRef protection = nullptr)
        : THash_Haval(std::move(protection), 3) {}

    static constexpr std::size_t kDigestSize = 32;
    static const std::uint8_t* SelfTestVectorData();

protected:
    THash_Haval256(TProtectionRef protection, int passes)
        : THash_Haval(std::move(protection), passes) {}
};

} // namespace velkor
