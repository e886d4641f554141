// The SHA-0/SHA-1 compression function (FIPS 180 and 180-1) and the big-endian finish.
#include "hash/SHA.h"

#include "base/ByteOrder.h"

#include <bit>
#include <cstring>

namespace velkor {

namespace {

using ::velkor::ByteSwap32;
using ::velkor::LoadBE32;
using ::velkor::LoadLE32;
using ::velkor::Rol;
using ::velkor::StoreLE32;

// SHA-0 and SHA-1 of SelfTestInput.
constexpr std::uint8_t kSelfTestSHA[20] = {0xDC, 0x1F, 0x7D, 0x7C, 0x96, 0xDD, 0xC7,
                                           0xFC, 0x4D, 0x0A, 0xF2, 0xCC, 0x12, 0xE7,
                                           0xF7, 0x66, 0x5B, 0xB1, 0x85, 0xAC};
constexpr std::uint8_t kSelfTestSHA1[20] = {0x9A, 0x01, 0x2E, 0x63, 0x96, 0x2A, 0x92,
                                            0xEB, 0xD8, 0x2E, 0xF0, 0xBC, 0x1C, 0xA4,
                                            0x51, 0x6A, 0x08, 0x69, 0x2E, 0x68};

// The 80 steps over the five state words. kRotate is SHA-1's one change to SHA-0: each
// schedule word is rotated left by one bit.
template <bool kRotate> void Compress(std::uint32_t* state, const std::uint8_t* block) {
    // The 80-word schedule on the stack: the first 16 words are the block, and every later
    // word is made in the step that uses it, so that its exclusive-ors fill the time the steps
    // spend waiting for one another.
    std::uint32_t w[80];
    for (int t = 0; t < 16; ++t) w[t] = LoadBE32(block + 4 * t);
    const auto schedule = [&w](int t) {
        if (t >= 16) {
            const std::uint32_t x = w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16];
            w[t] = kRotate ? Rol(x, 1) : x;
        }
        return w[t];
    };

    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
    // Five steps per line with the registers renamed instead of moved. Each step adds the
    // schedule word and the constant first and the rotated newest word last, so that only the
    // last addition waits for the step before.
    // clang-format off
#define STEP(f, k, a, b, c, d, e, t) e += schedule(t) + (k); e += (f); e += Rol(a, 5); b = Rol(b, 30)
#define FIVE(f, k, t)                                                                              \
    STEP(f(b, c, d), k, a, b, c, d, e, t);     STEP(f(a, b, c), k, e, a, b, c, d, t + 1);          \
    STEP(f(e, a, b), k, d, e, a, b, c, t + 2); STEP(f(d, e, a), k, c, d, e, a, b, t + 3);          \
    STEP(f(c, d, e), k, b, c, d, e, a, t + 4)
#define CH(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define PARITY(x, y, z) ((x) ^ ((y) ^ (z)))
#define MAJ(x, y, z) (((x) & (y)) + ((z) & ((x) ^ (y))))
    FIVE(CH, 0x5A827999U, 0);      FIVE(CH, 0x5A827999U, 5);
    FIVE(CH, 0x5A827999U, 10);     FIVE(CH, 0x5A827999U, 15);
    FIVE(PARITY, 0x6ED9EBA1U, 20); FIVE(PARITY, 0x6ED9EBA1U, 25);
    FIVE(PARITY, 0x6ED9EBA1U, 30); FIVE(PARITY, 0x6ED9EBA1U, 35);
    FIVE(MAJ, 0x8F1BBCDCU, 40);    FIVE(MAJ, 0x8F1BBCDCU, 45);
    FIVE(MAJ, 0x8F1BBCDCU, 50);    FIVE(MAJ, 0x8F1BBCDCU, 55);
    FIVE(PARITY, 0xCA62C1D6U, 60); FIVE(PARITY, 0xCA62C1D6U, 65);
    FIVE(PARITY, 0xCA62C1D6U, 70); FIVE(PARITY, 0xCA62C1D6U, 75);
#undef MAJ
#undef PARITY
#undef CH
#undef FIVE
#undef STEP
    // clang-format on

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
}

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
    std::uint32_t state[5];
    LoadLE32Words(FState, state, 5);
    if (FRotateSchedule)
        Compress<true>(state, block);
    else
        Compress<false>(state, block);
    StoreLE32Words(state, FState, 5);
}

void THash_SHA::Finish() {
    PadAndCompress(true);
    for (int i = 0; i < 5; ++i) SetWord(i, ByteSwap32(Word(i)));
    ProtectionHook(true);
}

} // namespace velkor
