// THash_MD5: "Message Digest 5", MD5 as in RFC 1321. It seals the envelopes' digests and
// turns key strings into triple-DES keys.
#pragma once

#include "hash/MD4Family.h"

namespace velkor {

class THash_MD5 : public THash_MD4 {
    VELKOR_HASH_CLASS(THash_MD5)
    explicit THash_MD5(TProtectionRef protection = nullptr) : THash_MD4(std::move(protection)) {}

    static const std::uint8_t* SelfTestVectorData();

protected:
    void CompressBlock(const std::uint8_t* block) override;
};

} // namespace velkor
