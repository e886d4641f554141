// The checksums of the registry: XOR-16, XOR-32, CRC-16 CCITT, CRC-16 Standard and CRC-32.
// They detect accidental changes only; each is a THash (through TChecksum) so that it can be
// selected, chained and run like any other hash, under the category "Checksum".
#pragma once

#include "hash/Hash.h"

#include <cstddef>
#include <cstdint>

namespace velkor {

// The checksums' common base: a register of up to four bytes that is also the digest.
class TChecksum : public THash {
    VELKOR_HASH_CLASS(TChecksum)
    explicit TChecksum(TProtectionRef protection = nullptr) : THash(std::move(protection)) {}
    // Wipes the register.
    ~TChecksum() override;

    std::uint8_t* DigestData() override { return FDigest; }

protected:
    alignas(4) std::uint8_t FDigest[4] = {};
    // The CRC register, or for the XOR sums the count of input bytes modulo the word size.
    std::uint32_t FRegister = 0;
};

// XOR-16: the XOR of the input read as 16-bit words, each formed from two consecutive bytes
// with the first as the high byte; a trailing odd byte is taken as a word whose low byte is
// zero. The register starts at zero and the digest is the result high byte first, so digest
// byte 0 is the XOR of the bytes at even offsets and byte 1 that of the bytes at odd offsets.
class THash_XOR16 : public TChecksum {
    VELKOR_HASH_CLASS(THash_XOR16)
    explicit THash_XOR16(TProtectionRef protection = nullptr) : TChecksum(std::move(protection)) {}

    static constexpr std::size_t kDigestSize = 2;
    static const std::uint8_t* SelfTestVectorData();

    void Start() override;
    void Feed(const void* buffer, std::size_t length) override;
};

// XOR-32: the same over 32-bit words of four consecutive bytes, the first the most
// significant; a trailing partial word is completed with zero bytes. Digest byte k is the XOR
// of the bytes at offsets congruent to k modulo 4.
class THash_XOR32 : public TChecksum {
    VELKOR_HASH_CLASS(THash_XOR32)
    explicit THash_XOR32(TProtectionRef protection = nullptr) : TChecksum(std::move(protection)) {}

    static constexpr std::size_t kDigestSize = 4;
    static const std::uint8_t* SelfTestVectorData();

    void Start() override;
    void Feed(const void* buffer, std::size_t length) override;
};

// CRC-16 CCITT: polynomial 0x1021, register starting at 0xFFFF, bits taken most significant
// first (no reflection of input or output), no final XOR (the catalogue's CRC-16/CCITT-FALSE,
// also listed as CRC-16/IBM-3740; check value of "123456789" 0x29B1). Digest: the register,
// high byte first.
class THash_CRC16_CCITT : public TChecksum {
    VELKOR_HASH_CLASS(THash_CRC16_CCITT)
    explicit THash_CRC16_CCITT(TProtectionRef protection = nullptr)
        : TChecksum(std::move(protection)) {}

    static constexpr std::size_t kDigestSize = 2;
    static const std::uint8_t* SelfTestVectorData();

    void Start() override;
    void Feed(const void* buffer, std::size_t length) override;
    void Finish() override;
};

// CRC-16 Standard: polynomial 0x8005 processed reflected (0xA001, least significant bit
// first), register starting at 0, no final XOR (the catalogue's CRC-16/ARC; check value of
// "123456789" 0xBB3D). Digest: the register, high byte first.
class Thash_CRC16_Standard : public TChecksum {
    VELKOR_HASH_CLASS(Thash_CRC16_Standard)
    explicit Thash_CRC16_Standard(TProtectionRef protection = nullptr)
        : TChecksum(std::move(protection)) {}

    static constexpr std::size_t kDigestSize = 2;
    static const std::uint8_t* SelfTestVectorData();

    void Start() override;
    void Feed(const void* buffer, std::size_t length) override;
    void Finish() override;
};

// CRC-32: polynomial 0x04C11DB7 processed reflected (0xEDB88320), register starting at
// 0xFFFFFFFF, final XOR 0xFFFFFFFF (the catalogue's CRC-32/ISO-HDLC, the CRC of zlib, PNG and
// Ethernet; check value of "123456789" 0xCBF43926). Digest: the result, high byte first.
class THash_CRC32 : public TChecksum {
    VELKOR_HASH_CLASS(THash_CRC32)
    explicit THash_CRC32(TProtectionRef protection = nullptr) : TChecksum(std::move(protection)) {}

    static constexpr std::size_t kDigestSize = 4;
    static const std::uint8_t* SelfTestVectorData();

    void Start() override;
    void Feed(const void* buffer, std::size_t length) override;
    void Finish() override;
};

} // namespace velkor
