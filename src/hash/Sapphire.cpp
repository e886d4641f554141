// The Sapphire II hashes on the shared Sapphire II state machine. No test values were
// published with the hash; tests check it through its properties.
#include "hash/Sapphire.h"

#include "base/Wipe.h"

#include <algorithm>

namespace velkor {
namespace {

// The 40-byte digest of SelfTestInput. The digest bytes come out one by one from the same
// stirred state whatever the size, so each shorter digest is a prefix of this one.
constexpr std::uint8_t kSelfTest[40] = {
    0x56, 0x8D, 0x7D, 0xBF, 0x44, 0x80, 0x79, 0x45, 0x37, 0x91, 0x7A, 0x5D, 0x9C, 0xC2,
    0x55, 0x45, 0x4F, 0xF9, 0x33, 0x69, 0x69, 0xB3, 0x97, 0x64, 0x52, 0xE2, 0xFA, 0x04,
    0x82, 0x5C, 0xBE, 0x66, 0x6E, 0x34, 0x44, 0xD3, 0xCB, 0xD9, 0x6A, 0x3F,
};

} // namespace

VELKOR_DEFINE_HASH_CLASS(THash_Sapphire, THash::Class())
VELKOR_DEFINE_HASH_CLASS(THash_Sapphire128, THash_Sapphire::Class())
VELKOR_DEFINE_HASH_CLASS(THash_Sapphire160, THash_Sapphire::Class())
VELKOR_DEFINE_HASH_CLASS(THash_Sapphire192, THash_Sapphire::Class())
VELKOR_DEFINE_HASH_CLASS(THash_Sapphire224, THash_Sapphire::Class())
VELKOR_DEFINE_HASH_CLASS(THash_Sapphire256, THash_Sapphire::Class())
VELKOR_DEFINE_HASH_CLASS(THash_Sapphire288, THash_Sapphire::Class())
VELKOR_DEFINE_HASH_CLASS(THash_Sapphire320, THash_Sapphire::Class())

const std::uint8_t* THash_Sapphire128::SelfTestVectorData() {
    return kSelfTest;
}
const std::uint8_t* THash_Sapphire160::SelfTestVectorData() {
    return kSelfTest;
}
const std::uint8_t* THash_Sapphire192::SelfTestVectorData() {
    return kSelfTest;
}
const std::uint8_t* THash_Sapphire224::SelfTestVectorData() {
    return kSelfTest;
}
const std::uint8_t* THash_Sapphire256::SelfTestVectorData() {
    return kSelfTest;
}
const std::uint8_t* THash_Sapphire288::SelfTestVectorData() {
    return kSelfTest;
}
const std::uint8_t* THash_Sapphire320::SelfTestVectorData() {
    return kSelfTest;
}

THash_Sapphire::~THash_Sapphire() {
    SecureWipe(FState, sizeof FState);
    SecureWipe(FDigest, sizeof FDigest);
}

void THash_Sapphire::Start() {
    sapphire::HashStart(FState);
    std::fill(std::begin(FDigest), std::end(FDigest), std::uint8_t{0});
    ProtectionHook(false);
}

void THash_Sapphire::Feed(const void* buffer, std::size_t length) {
    if (buffer == nullptr) return;
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    for (std::size_t i = 0; i < length; ++i) sapphire::Encrypt(FState, in[i]);
}

void THash_Sapphire::Finish() {
    sapphire::HashFinal(FState, FDigest, std::min(DigestSize(), kMaxDigestSize));
    ProtectionHook(true);
}

} // namespace velkor
