// The Square hash. The construction (Miyaguchi-Preneel over the Square block cipher):
//   - the message is padded with one 0x80 byte, then zero bytes up to 8 bytes short of a
//     multiple of 16, then the message length in bits as a 64-bit big-endian number, and cut
//     into 16-byte blocks M1..Mn (the length ends the input: Merkle-Damgard strengthening);
//   - H0 is 16 zero bytes, and Hi = E(Hi-1, Mi) XOR Mi XOR Hi-1, where E(K, M) is Square
//     (8 rounds) enciphering M under the key K;
//   - the digest is Hn, 16 bytes.
// No values for this hash have been published and no library implements it, so it is checked
// by its properties and against its own definition written once more in the tests.
#include "hash/SquareHash.h"

#include "base/Wipe.h"
#include "hash/BlockFeed.h"

#include <cstring>

namespace velkor {

namespace {

// The digest of SelfTestInput.
constexpr std::uint8_t kSelfTest[16] = {0x7D, 0x93, 0xD3, 0x74, 0x1A, 0x8A, 0xD1, 0x63,
                                        0x10, 0xA5, 0xB2, 0xC7, 0x39, 0xED, 0xAB, 0x88};

} // namespace

VELKOR_DEFINE_HASH_CLASS(THash_Square, THash::Class())

const std::uint8_t* THash_Square::SelfTestVectorData() {
    return kSelfTest;
}

THash_Square::~THash_Square() {
    SecureWipe(FState, sizeof FState);
    SecureWipe(FBuffer, sizeof FBuffer);
    SecureWipe(FRoundKeys, sizeof FRoundKeys);
    SecureWipe(&FCount, sizeof FCount);
}

void THash_Square::Start() {
    std::memset(FState, 0, sizeof FState);
    std::memset(FBuffer, 0, sizeof FBuffer);
    FCount = 0;
    ProtectionHook(false);
}

void THash_Square::Compress(const std::uint8_t* block) {
    std::uint8_t x[square::kBlockSize];
    std::memcpy(x, block, sizeof x);
    square::MakeRoundKeys(FState, FRoundKeys);
    square::Encipher(FRoundKeys, x);
    for (std::size_t i = 0; i < sizeof x; ++i)
        FState[i] ^= static_cast<std::uint8_t>(x[i] ^ block[i]);
    SecureWipe(x, sizeof x);
}

void THash_Square::Feed(const void* buffer, std::size_t length) {
    FeedBlocks<square::kBlockSize>(FBuffer, FCount, buffer, length,
                                   [this](const std::uint8_t* block) { Compress(block); });
}

void THash_Square::Finish() {
    constexpr std::size_t b = square::kBlockSize;
    const std::size_t at = static_cast<std::size_t>(FCount % b);
    FBuffer[at] = 0x80;
    std::memset(FBuffer + at + 1, 0, b - at - 1);
    if (at >= b - 8) {
        Compress(FBuffer);
        std::memset(FBuffer, 0, b);
    }
    const std::uint64_t bits = FCount * 8;
    for (int i = 0; i < 8; ++i) FBuffer[b - 1 - i] = static_cast<std::uint8_t>(bits >> (8 * i));
    Compress(FBuffer);
    std::memset(FBuffer, 0, b);
    SecureWipe(FRoundKeys, sizeof FRoundKeys);
    ProtectionHook(true);
}

} // namespace velkor
