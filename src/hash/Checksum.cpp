// The checksums: XOR-16/32 fold the input into a two- or four-byte register; the CRCs run
// byte-wise tables made at compile time from their polynomials (the parameters are those of
// the CRC catalogue entries named in Checksum.h).
#include "hash/Checksum.h"

#include "base/ByteOrder.h"
#include "base/Wipe.h"

#include <array>

namespace velkor {

namespace {

// The CRC of each byte value for a register shifted left (most significant bit first).
constexpr std::array<std::uint16_t, 256> MakeTable16(std::uint16_t polynomial) {
    std::array<std::uint16_t, 256> table{};
    for (unsigned n = 0; n < 256; ++n) {
        auto r = static_cast<std::uint16_t>(n << 8);
        for (int bit = 0; bit < 8; ++bit)
            r = static_cast<std::uint16_t>((r & 0x8000U) ? (r << 1) ^ polynomial : r << 1);
        table[n] = r;
    }
    return table;
}

// The CRC of each byte value for a register shifted right (least significant bit first);
// `reflected` is the polynomial with its bits in reverse order.
template <class Word> constexpr std::array<Word, 256> MakeReflectedTable(Word reflected) {
    std::array<Word, 256> table{};
    for (unsigned n = 0; n < 256; ++n) {
        Word r = static_cast<Word>(n);
        for (int bit = 0; bit < 8; ++bit)
            r = static_cast<Word>((r & 1U) ? (r >> 1) ^ reflected : r >> 1);
        table[n] = r;
    }
    return table;
}

// CRC-16 CCITT: 0x1021, most significant bit first.
constexpr auto kTableCcitt = MakeTable16(0x1021);
// CRC-16 Standard: 0x8005 reflected.
constexpr auto kTableStandard = MakeReflectedTable<std::uint16_t>(0xA001);
// CRC-32: 0x04C11DB7 reflected.
constexpr auto kTable32 = MakeReflectedTable<std::uint32_t>(0xEDB88320);

// The digests of SelfTestInput: XOR-16, XOR-32, CRC-16 CCITT, CRC-16 Standard, CRC-32.
constexpr std::uint8_t kSelfTestXor16[2] = {0xAA, 0x7A};
constexpr std::uint8_t kSelfTestXor32[4] = {0x0B, 0x2E, 0xA1, 0x54};
constexpr std::uint8_t kSelfTestCcitt[2] = {0xD9, 0x39};
constexpr std::uint8_t kSelfTestStandard[2] = {0x75, 0xED};
constexpr std::uint8_t kSelfTestCrc32[4] = {0x31, 0x1F, 0xEE, 0x58};

void StoreBE16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v);
}

// XORs the input into a register of `size` bytes, byte i landing at (position + i) % size.
void FoldXor(std::uint8_t* digest, std::uint32_t& position, std::size_t size, const void* buffer,
             std::size_t length) {
    if (buffer == nullptr) return;
    auto* in = static_cast<const std::uint8_t*>(buffer);
    std::size_t at = position;
    for (std::size_t i = 0; i < length; ++i) {
        digest[at] ^= in[i];
        at = (at + 1) % size;
    }
    position = static_cast<std::uint32_t>(at);
}

} // namespace

VELKOR_DEFINE_HASH_CLASS(TChecksum, THash::Class())
VELKOR_DEFINE_HASH_CLASS(THash_XOR16, TChecksum::Class())
VELKOR_DEFINE_HASH_CLASS(THash_XOR32, TChecksum::Class())
VELKOR_DEFINE_HASH_CLASS(THash_CRC16_CCITT, TChecksum::Class())
VELKOR_DEFINE_HASH_CLASS(Thash_CRC16_Standard, TChecksum::Class())
VELKOR_DEFINE_HASH_CLASS(THash_CRC32, TChecksum::Class())

TChecksum::~TChecksum() {
    SecureWipe(FDigest, sizeof FDigest);
    SecureWipe(&FRegister, sizeof FRegister);
}

const std::uint8_t* THash_XOR16::SelfTestVectorData() {
    return kSelfTestXor16;
}
const std::uint8_t* THash_XOR32::SelfTestVectorData() {
    return kSelfTestXor32;
}
const std::uint8_t* THash_CRC16_CCITT::SelfTestVectorData() {
    return kSelfTestCcitt;
}
const std::uint8_t* Thash_CRC16_Standard::SelfTestVectorData() {
    return kSelfTestStandard;
}
const std::uint8_t* THash_CRC32::SelfTestVectorData() {
    return kSelfTestCrc32;
}

void THash_XOR16::Start() {
    FDigest[0] = FDigest[1] = 0;
    FRegister = 0;
    ProtectionHook(false);
}

void THash_XOR16::Feed(const void* buffer, std::size_t length) {
    FoldXor(FDigest, FRegister, kDigestSize, buffer, length);
}

void THash_XOR32::Start() {
    FDigest[0] = FDigest[1] = FDigest[2] = FDigest[3] = 0;
    FRegister = 0;
    ProtectionHook(false);
}

void THash_XOR32::Feed(const void* buffer, std::size_t length) {
    FoldXor(FDigest, FRegister, kDigestSize, buffer, length);
}

void THash_CRC16_CCITT::Start() {
    FRegister = 0xFFFF;
    StoreBE16(FDigest, 0xFFFF);
    ProtectionHook(false);
}

void THash_CRC16_CCITT::Feed(const void* buffer, std::size_t length) {
    if (buffer == nullptr) return;
    auto* in = static_cast<const std::uint8_t*>(buffer);
    auto crc = static_cast<std::uint16_t>(FRegister);
    for (std::size_t i = 0; i < length; ++i)
        crc = static_cast<std::uint16_t>((crc << 8) ^ kTableCcitt[(crc >> 8) ^ in[i]]);
    FRegister = crc;
}

void THash_CRC16_CCITT::Finish() {
    StoreBE16(FDigest, static_cast<std::uint16_t>(FRegister));
    ProtectionHook(true);
}

void Thash_CRC16_Standard::Start() {
    FRegister = 0;
    StoreBE16(FDigest, 0);
    ProtectionHook(false);
}

void Thash_CRC16_Standard::Feed(const void* buffer, std::size_t length) {
    if (buffer == nullptr) return;
    auto* in = static_cast<const std::uint8_t*>(buffer);
    auto crc = static_cast<std::uint16_t>(FRegister);
    for (std::size_t i = 0; i < length; ++i)
        crc = static_cast<std::uint16_t>((crc >> 8) ^ kTableStandard[(crc ^ in[i]) & 0xFF]);
    FRegister = crc;
}

void Thash_CRC16_Standard::Finish() {
    StoreBE16(FDigest, static_cast<std::uint16_t>(FRegister));
    ProtectionHook(true);
}

void THash_CRC32::Start() {
    FRegister = 0xFFFFFFFF;
    StoreBE32(FDigest, 0);
    ProtectionHook(false);
}

void THash_CRC32::Feed(const void* buffer, std::size_t length) {
    if (buffer == nullptr) return;
    auto* in = static_cast<const std::uint8_t*>(buffer);
    std::uint32_t crc = FRegister;
    for (std::size_t i = 0; i < length; ++i) crc = (crc >> 8) ^ kTable32[(crc ^ in[i]) & 0xFF];
    FRegister = crc;
}

// The register is kept unfinalised, so that feeding after Finish continues the same CRC.
void THash_CRC32::Finish() {
    StoreBE32(FDigest, FRegister ^ 0xFFFFFFFF);
    ProtectionHook(true);
}

} // namespace velkor
