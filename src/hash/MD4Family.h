// The MD4 family: one buffering and padding engine for MD4, MD5, SHA-0, SHA-1, RIPEMD and
// Tiger.
// THash_MD4 holds the byte count, the 64-byte block buffer and ten state words; each
// descendant contributes its compression function (CompressBlock), and the SHA classes also
// their big-endian padding and digest.
#pragma once

#include "hash/Hash.h"

#include <cstddef>
#include <cstdint>

namespace velkor {

// MD4 (RFC 1320), and the family's machinery.
class THash_MD4 : public THash {
    VELKOR_HASH_CLASS(THash_MD4)
    explicit THash_MD4(TProtectionRef protection = nullptr) : THash(std::move(protection)) {}
    // Wipes the state (the digest), the block buffer and the count.
    ~THash_MD4() override;

    static constexpr std::size_t kDigestSize = 16;
    static const std::uint8_t* SelfTestVectorData();

    // The ten starting words, count 0, empty buffer, then the protection hook.
    void Start() override;
    void Feed(const void* buffer, std::size_t length) override;
    // Pads, appends the bit count little-endian and compresses. Nothing is reset: the digest
    // stays readable, and feeding again continues from the finished state.
    void Finish() override;
    std::uint8_t* DigestData() override { return FState; }

    static constexpr std::size_t kBlockSize = 64;

protected:
    // Compresses one 64-byte block, which may lie anywhere (unaligned, in the caller's data).
    virtual void CompressBlock(const std::uint8_t* block);
    // Sets the starting words; a class whose words differ from the family's adjusts them.
    virtual void ResetState();

    // Appends the marker byte (80 in the family; Tiger's is 01), zeros and the 64-bit bit
    // count (little- or big-endian) and compresses.
    void PadAndCompress(bool bigEndianLength, std::uint8_t marker = 0x80);

    // The state is kept as bytes, each word little-endian, so that the digest is the state's
    // first bytes on any host. The compression functions load and store the words.
    std::uint32_t Word(int index) const;
    void SetWord(int index, std::uint32_t value);

    std::uint64_t FCount = 0;
    alignas(8) std::uint8_t FBuffer[kBlockSize] = {};
    alignas(8) std::uint8_t FState[40] = {};
};

} // namespace velkor
