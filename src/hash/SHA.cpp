// The SHA-0/SHA-1 compression function (FIPS 180 and 180-1) and the big-endian finish.
#include "hash/SHA.h"

#include "hash/ByteOrder.h"

namespace velkor {

namespace {

using hashing::ByteSwap32;
using hashing::LoadBE32;
using hashing::Rol;

// SHA-0 and SHA-1 of SelfTestInput.
constexpr std::uint8_t kSelfTestSHA[20] = {0xDC, 0x1F, 0x7D, 0x7C, 0x96, 0xDD, 0xC7,
                                           0xFC, 0x4D, 0x0A, 0xF2, 0xCC, 0x12, 0xE7,
                                           0xF7, 0x66, 0x5B, 0xB1, 0x85, 0xAC};
constexpr std::uint8_t kSelfTestSHA1[20] = {0x9A, 0x01, 0x2E, 0x63, 0x96, 0x2A, 0x92,
                                            0xEB, 0xD8, 0x2E, 0xF0, 0xBC, 0x1C, 0xA4,
                                            0x51, 0x6A, 0x08, 0x69, 0x2E, 0x68};

} // namespace

VELKOR_DEFINE_HASH_CLASS(THash_SHA, THash_RipeMD160::Class())
VELKOR_DEFINE_HASH_CLASS(THash_SHA1, THash_SHA::Class())

const std::uint8_t* THash_SHA::SelfTestVectorData() {
    return kSelfTestSHA;
}
const std::uint8_t* THash_SHA1::SelfTestVectorData() {
    return kSelfTestSHA1;
}

void THash_SHA1::Start() {
    FRotateSchedule = true;
    THash_SHA::Start();
}

void THash_SHA::CompressBlock(const std::uint8_t* block) {
    std::uint32_t w[80];
    for (int t = 0; t < 16; ++t) w[t] = LoadBE32(block + 4 * t);
    const int rotation = FRotateSchedule ? 1 : 0;
    for (int t = 16; t < 80; ++t) w[t] = Rol(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], rotation);

    std::uint32_t a = Word(0), b = Word(1), c = Word(2), d = Word(3), e = Word(4);
    // Five steps per pass with the registers renamed instead of moved.
#define STEP(f, k, a, b, c, d, e, t)                                                               \
    e += Rol(a, 5) + (f) + k + w[t];                                                               \
    b = Rol(b, 30)
#define FIVE(f, k, t)                                                                              \
    STEP(f(b, c, d), k, a, b, c, d, e, t);                                                         \
    STEP(f(a, b, c), k, e, a, b, c, d, t + 1);                                                     \
    STEP(f(e, a, b), k, d, e, a, b, c, t + 2);                                                     \
    STEP(f(d, e, a), k, c, d, e, a, b, t + 3);                                                     \
    STEP(f(c, d, e), k, b, c, d, e, a, t + 4)
    auto choose = [](std::uint32_t x, std::uint32_t y, std::uint32_t z) {
        return z ^ (x & (y ^ z));
    };
    auto parity = [](std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x ^ y ^ z; };
    auto majority = [](std::uint32_t x, std::uint32_t y, std::uint32_t z) {
        return (x & y) | (z & (x | y));
    };
    for (int t = 0; t < 20; t += 5) {
        FIVE(choose, 0x5A827999U, t);
    }
    for (int t = 20; t < 40; t += 5) {
        FIVE(parity, 0x6ED9EBA1U, t);
    }
    for (int t = 40; t < 60; t += 5) {
        FIVE(majority, 0x8F1BBCDCU, t);
    }
    for (int t = 60; t < 80; t += 5) {
        FIVE(parity, 0xCA62C1D6U, t);
    }
#undef FIVE
#undef STEP

    SetWord(0, Word(0) + a);
    SetWord(1, Word(1) + b);
    SetWord(2, Word(2) + c);
    SetWord(3, Word(3) + d);
    SetWord(4, Word(4) + e);
}

void THash_SHA::Finish() {
    PadAndCompress(true);
    for (int i = 0; i < 5; ++i) SetWord(i, ByteSwap32(Word(i)));
    ProtectionHook(true);
}

} // namespace velkor
