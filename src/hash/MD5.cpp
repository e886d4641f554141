// The MD5 compression function of RFC 1321.
#include "hash/MD5.h"

#include "base/ByteOrder.h"

#include <bit>
#include <cstring>

namespace velkor {

namespace {

using ::velkor::LoadLE32;
using ::velkor::Rol;
using ::velkor::StoreLE32;

// The integer parts of 2^32 * |sin(i)|, i = 1..64.
constexpr std::uint32_t kSine[64] = {
    0xD76AA478, 0xE8C7B756, 0x242070DB, 0xC1BDCEEE, 0xF57C0FAF, 0x4787C62A, 0xA8304613, 0xFD469501,
    0x698098D8, 0x8B44F7AF, 0xFFFF5BB1, 0x895CD7BE, 0x6B901122, 0xFD987193, 0xA679438E, 0x49B40821,
    0xF61E2562, 0xC040B340, 0x265E5A51, 0xE9B6C7AA, 0xD62F105D, 0x02441453, 0xD8A1E681, 0xE7D3FBC8,
    0x21E1CDE6, 0xC33707D6, 0xF4D50D87, 0x455A14ED, 0xA9E3E905, 0xFCEFA3F8, 0x676F02D9, 0x8D2A4C8A,
    0xFFFA3942, 0x8771F681, 0x6D9D6122, 0xFDE5380C, 0xA4BEEA44, 0x4BDECFA9, 0xF6BB4B60, 0xBEBFBC70,
    0x289B7EC6, 0xEAA127FA, 0xD4EF3085, 0x04881D05, 0xD9D4D039, 0xE6DB99E5, 0x1FA27CF8, 0xC4AC5665,
    0xF4292244, 0x432AFF97, 0xAB9423A7, 0xFC93A039, 0x655B59C3, 0x8F0CCC92, 0xFFEFF47D, 0x85845DD1,
    0x6FA87E4F, 0xFE2CE6E0, 0xA3014314, 0x4E0811A1, 0xF7537E82, 0xBD3AF235, 0x2AD7D2BB, 0xEB86D391,
};

// MD5 of SelfTestInput.
constexpr std::uint8_t kSelfTest[16] = {0x3E, 0xD8, 0x34, 0x8C, 0xD2, 0xA4, 0x45, 0xD6,
                                        0x75, 0x5D, 0x4B, 0xC9, 0xFE, 0xDC, 0xC2, 0xC6};

// The four round functions, each written so that x, the word the step before produced, enters
// last: the parts of y and z are ready early and only the final operation waits for x. G's two
// terms never share a set bit, so they are added, and the addition folds into the step's sum.
inline std::uint32_t F(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return z ^ (x & (y ^ z));
}
inline std::uint32_t H(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return x ^ (y ^ z);
}
inline std::uint32_t I(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return y ^ (x | ~z);
}

} // namespace

VELKOR_DEFINE_HASH_CLASS(THash_MD5, THash_MD4::Class())

const std::uint8_t* THash_MD5::SelfTestVectorData() {
    return kSelfTest;
}

void THash_MD5::CompressBlock(const std::uint8_t* block) {
    std::uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = LoadLE32(block + 4 * i);
    std::uint32_t state[4];
    LoadLE32Words(FState, state, 4);
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];

    // clang-format off
#define STEP(f, a, b, c, d, k, s, i) a += x[k] + kSine[i]; a += f(b, c, d); a = b + Rol(a, s)
    // G(b, c, d) = (b & d) | (c & ~d), as a sum of its two disjoint terms, the one without b first.
#define GSTEP(a, b, c, d, k, s, i) a += x[k] + kSine[i]; a += c & ~d; a += b & d; a = b + Rol(a, s)
    STEP(F, a, b, c, d, 0, 7, 0);   STEP(F, d, a, b, c, 1, 12, 1);
    STEP(F, c, d, a, b, 2, 17, 2);  STEP(F, b, c, d, a, 3, 22, 3);
    STEP(F, a, b, c, d, 4, 7, 4);   STEP(F, d, a, b, c, 5, 12, 5);
    STEP(F, c, d, a, b, 6, 17, 6);  STEP(F, b, c, d, a, 7, 22, 7);
    STEP(F, a, b, c, d, 8, 7, 8);   STEP(F, d, a, b, c, 9, 12, 9);
    STEP(F, c, d, a, b, 10, 17, 10); STEP(F, b, c, d, a, 11, 22, 11);
    STEP(F, a, b, c, d, 12, 7, 12); STEP(F, d, a, b, c, 13, 12, 13);
    STEP(F, c, d, a, b, 14, 17, 14); STEP(F, b, c, d, a, 15, 22, 15);

    GSTEP(a, b, c, d, 1, 5, 16);  GSTEP(d, a, b, c, 6, 9, 17);
    GSTEP(c, d, a, b, 11, 14, 18); GSTEP(b, c, d, a, 0, 20, 19);
    GSTEP(a, b, c, d, 5, 5, 20);  GSTEP(d, a, b, c, 10, 9, 21);
    GSTEP(c, d, a, b, 15, 14, 22); GSTEP(b, c, d, a, 4, 20, 23);
    GSTEP(a, b, c, d, 9, 5, 24);  GSTEP(d, a, b, c, 14, 9, 25);
    GSTEP(c, d, a, b, 3, 14, 26); GSTEP(b, c, d, a, 8, 20, 27);
    GSTEP(a, b, c, d, 13, 5, 28); GSTEP(d, a, b, c, 2, 9, 29);
    GSTEP(c, d, a, b, 7, 14, 30); GSTEP(b, c, d, a, 12, 20, 31);

    STEP(H, a, b, c, d, 5, 4, 32);  STEP(H, d, a, b, c, 8, 11, 33);
    STEP(H, c, d, a, b, 11, 16, 34); STEP(H, b, c, d, a, 14, 23, 35);
    STEP(H, a, b, c, d, 1, 4, 36);  STEP(H, d, a, b, c, 4, 11, 37);
    STEP(H, c, d, a, b, 7, 16, 38); STEP(H, b, c, d, a, 10, 23, 39);
    STEP(H, a, b, c, d, 13, 4, 40); STEP(H, d, a, b, c, 0, 11, 41);
    STEP(H, c, d, a, b, 3, 16, 42); STEP(H, b, c, d, a, 6, 23, 43);
    STEP(H, a, b, c, d, 9, 4, 44);  STEP(H, d, a, b, c, 12, 11, 45);
    STEP(H, c, d, a, b, 15, 16, 46); STEP(H, b, c, d, a, 2, 23, 47);

    STEP(I, a, b, c, d, 0, 6, 48);  STEP(I, d, a, b, c, 7, 10, 49);
    STEP(I, c, d, a, b, 14, 15, 50); STEP(I, b, c, d, a, 5, 21, 51);
    STEP(I, a, b, c, d, 12, 6, 52); STEP(I, d, a, b, c, 3, 10, 53);
    STEP(I, c, d, a, b, 10, 15, 54); STEP(I, b, c, d, a, 1, 21, 55);
    STEP(I, a, b, c, d, 8, 6, 56);  STEP(I, d, a, b, c, 15, 10, 57);
    STEP(I, c, d, a, b, 6, 15, 58); STEP(I, b, c, d, a, 13, 21, 59);
    STEP(I, a, b, c, d, 4, 6, 60);  STEP(I, d, a, b, c, 11, 10, 61);
    STEP(I, c, d, a, b, 2, 15, 62); STEP(I, b, c, d, a, 9, 21, 63);
#undef GSTEP
#undef STEP
    // clang-format on

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    StoreLE32Words(state, FState, 4);
}

} // namespace velkor
