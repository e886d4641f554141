// The Sapphire II hashes, "Sapphire II-128" to "Sapphire II-320": the hash that Michael Paul
// Johnson published with the Sapphire II stream cipher. The keyless cipher state enciphers
// the message byte by byte (the output is dropped), is stirred by enciphering 255 down to 0,
// and the digest is the encipherment of as many zero bytes as it is long.
#pragma once

#include "hash/Hash.h"
#include "hash/SapphireState.h"

#include <cstddef>
#include <cstdint>

namespace velkor {

// The engine of every digest size; each registered class only fixes kDigestSize.
class THash_Sapphire : public THash {
    VELKOR_HASH_CLASS(THash_Sapphire)
    explicit THash_Sapphire(TProtectionRef protection = nullptr) : THash(std::move(protection)) {}
    // Wipes the cipher state and the digest.
    ~THash_Sapphire() override;

    static constexpr std::size_t kMaxDigestSize = 40;

    void Start() override;
    void Feed(const void* buffer, std::size_t length) override;
    // Writes the digest. The state goes on from there: feeding again continues the stream.
    void Finish() override;
    std::uint8_t* DigestData() override { return FDigest; }

private:
    std::uint8_t FState[sapphire::kStateSize] = {};
    std::uint8_t FDigest[kMaxDigestSize] = {};
};

#define VELKOR_SAPPHIRE_HASH(T, bytes)                                                             \
    class T : public THash_Sapphire {                                                              \
        VELKOR_HASH_CLASS(T)                                                                       \
        explicit T(TProtectionRef protection = nullptr) : THash_Sapphire(std::move(protection)) {} \
        static constexpr std::size_t kDigestSize = bytes;                                          \
        static const std::uint8_t* SelfTestVectorData();                                           \
    };

VELKOR_SAPPHIRE_HASH(THash_Sapphire128, 16)
VELKOR_SAPPHIRE_HASH(THash_Sapphire160, 20)
VELKOR_SAPPHIRE_HASH(THash_Sapphire192, 24)
VELKOR_SAPPHIRE_HASH(THash_Sapphire224, 28)
VELKOR_SAPPHIRE_HASH(THash_Sapphire256, 32)
VELKOR_SAPPHIRE_HASH(THash_Sapphire288, 36)
VELKOR_SAPPHIRE_HASH(THash_Sapphire320, 40)

#undef VELKOR_SAPPHIRE_HASH

} // namespace velkor
