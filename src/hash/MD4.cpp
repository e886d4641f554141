// The MD4 compression function (RFC 1320) and the class's self-test value.
#include "hash/MD4Family.h"

#include "base/ByteOrder.h"

namespace velkor {

namespace {

using ::velkor::LoadLE32;
using ::velkor::Rol;

// MD4 of SelfTestInput.
constexpr std::uint8_t kSelfTest[16] = {0x25, 0xEA, 0xBF, 0xCC, 0x8C, 0xC9, 0x6F, 0xD9,
                                        0x2D, 0xCF, 0x7E, 0xBD, 0x7F, 0x87, 0x7C, 0x7C};

inline std::uint32_t F(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return z ^ (x & (y ^ z));
}
inline std::uint32_t G(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return (x & y) | (x & z) | (y & z);
}
inline std::uint32_t H(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return x ^ y ^ z;
}

} // namespace

VELKOR_DEFINE_HASH_CLASS(THash_MD4, THash::Class())

const std::uint8_t* THash_MD4::SelfTestVectorData() {
    return kSelfTest;
}

void THash_MD4::CompressBlock(const std::uint8_t* block) {
    std::uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = LoadLE32(block + 4 * i);
    std::uint32_t a = Word(0), b = Word(1), c = Word(2), d = Word(3);

    // clang-format off
#define R1(a, b, c, d, k, s) a = Rol(a + F(b, c, d) + x[k], s)
#define R2(a, b, c, d, k, s) a = Rol(a + G(b, c, d) + x[k] + 0x5A827999U, s)
#define R3(a, b, c, d, k, s) a = Rol(a + H(b, c, d) + x[k] + 0x6ED9EBA1U, s)
    R1(a, b, c, d, 0, 3);  R1(d, a, b, c, 1, 7);  R1(c, d, a, b, 2, 11);  R1(b, c, d, a, 3, 19);
    R1(a, b, c, d, 4, 3);  R1(d, a, b, c, 5, 7);  R1(c, d, a, b, 6, 11);  R1(b, c, d, a, 7, 19);
    R1(a, b, c, d, 8, 3);  R1(d, a, b, c, 9, 7);  R1(c, d, a, b, 10, 11); R1(b, c, d, a, 11, 19);
    R1(a, b, c, d, 12, 3); R1(d, a, b, c, 13, 7); R1(c, d, a, b, 14, 11); R1(b, c, d, a, 15, 19);

    R2(a, b, c, d, 0, 3);  R2(d, a, b, c, 4, 5);  R2(c, d, a, b, 8, 9);   R2(b, c, d, a, 12, 13);
    R2(a, b, c, d, 1, 3);  R2(d, a, b, c, 5, 5);  R2(c, d, a, b, 9, 9);   R2(b, c, d, a, 13, 13);
    R2(a, b, c, d, 2, 3);  R2(d, a, b, c, 6, 5);  R2(c, d, a, b, 10, 9);  R2(b, c, d, a, 14, 13);
    R2(a, b, c, d, 3, 3);  R2(d, a, b, c, 7, 5);  R2(c, d, a, b, 11, 9);  R2(b, c, d, a, 15, 13);

    R3(a, b, c, d, 0, 3);  R3(d, a, b, c, 8, 9);  R3(c, d, a, b, 4, 11);  R3(b, c, d, a, 12, 15);
    R3(a, b, c, d, 2, 3);  R3(d, a, b, c, 10, 9); R3(c, d, a, b, 6, 11);  R3(b, c, d, a, 14, 15);
    R3(a, b, c, d, 1, 3);  R3(d, a, b, c, 9, 9);  R3(c, d, a, b, 5, 11);  R3(b, c, d, a, 13, 15);
    R3(a, b, c, d, 3, 3);  R3(d, a, b, c, 11, 9); R3(c, d, a, b, 7, 11);  R3(b, c, d, a, 15, 15);
#undef R1
#undef R2
#undef R3
    // clang-format on

    SetWord(0, Word(0) + a);
    SetWord(1, Word(1) + b);
    SetWord(2, Word(2) + c);
    SetWord(3, Word(3) + d);
}

} // namespace velkor
