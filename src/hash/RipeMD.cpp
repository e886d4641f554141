// The RIPEMD-128, -160, -256 and -320 compression functions, from the designers' definitions:
// a left and a right line over the same message words in different orders, shifts,
// constants and step functions. The 128- and 256-bit versions run four rounds, the 160- and
// 320-bit versions five.
#include "hash/RipeMD.h"

#include "base/ByteOrder.h"

#include <utility>

namespace velkor {

namespace {

using ::velkor::LoadLE32;
using ::velkor::Rol;

// Message word order of the left and the right line, five rounds of sixteen steps.
constexpr int kOrderL[80] = {0, 1,  2,  3,  4,  5,  6,  7,  8,  9, 10, 11, 12, 13, 14, 15,
                             7, 4,  13, 1,  10, 6,  15, 3,  12, 0, 9,  5,  2,  14, 11, 8,
                             3, 10, 14, 4,  9,  15, 8,  1,  2,  7, 0,  6,  13, 11, 5,  12,
                             1, 9,  11, 10, 0,  8,  12, 4,  13, 3, 7,  15, 14, 5,  6,  2,
                             4, 0,  5,  9,  7,  12, 2,  10, 14, 1, 3,  8,  11, 6,  15, 13};
constexpr int kOrderR[80] = {5,  14, 7,  0, 9, 2,  11, 4,  13, 6,  15, 8,  1,  10, 3,  12,
                             6,  11, 3,  7, 0, 13, 5,  10, 14, 15, 8,  12, 4,  9,  1,  2,
                             15, 5,  1,  3, 7, 14, 6,  9,  11, 8,  12, 2,  10, 0,  4,  13,
                             8,  6,  4,  1, 3, 11, 15, 0,  5,  12, 2,  13, 9,  7,  10, 14,
                             12, 15, 10, 4, 1, 5,  8,  7,  6,  2,  13, 14, 0,  3,  9,  11};
constexpr int kShiftL[80] = {11, 14, 15, 12, 5,  8,  7,  9,  11, 13, 14, 15, 6,  7,  9,  8,
                             7,  6,  8,  13, 11, 9,  7,  15, 7,  12, 15, 9,  11, 7,  13, 12,
                             11, 13, 6,  7,  14, 9,  13, 15, 14, 8,  13, 6,  5,  12, 7,  5,
                             11, 12, 14, 15, 14, 15, 9,  8,  9,  14, 5,  6,  8,  6,  5,  12,
                             9,  15, 5,  11, 6,  8,  13, 12, 5,  12, 13, 14, 11, 8,  5,  6};
constexpr int kShiftR[80] = {8,  9,  9,  11, 13, 15, 15, 5,  7,  7,  8,  11, 14, 14, 12, 6,
                             9,  13, 15, 7,  12, 8,  9,  11, 7,  7,  12, 7,  6,  15, 13, 11,
                             9,  7,  15, 11, 8,  6,  6,  14, 12, 13, 5,  14, 13, 13, 7,  5,
                             15, 5,  8,  11, 14, 14, 6,  14, 6,  9,  12, 9,  12, 5,  15, 8,
                             8,  5,  12, 9,  12, 5,  14, 6,  8,  13, 6,  5,  15, 13, 11, 11};

constexpr std::uint32_t kConst160L[5] = {0x00000000, 0x5A827999, 0x6ED9EBA1, 0x8F1BBCDC,
                                         0xA953FD4E};
constexpr std::uint32_t kConst160R[5] = {0x50A28BE6, 0x5C4DD124, 0x6D703EF3, 0x7A6D76E9,
                                         0x00000000};
// RIPEMD-128 and RIPEMD-256 use the first four rounds' constants.
constexpr std::uint32_t kConst256L[4] = {0x00000000, 0x5A827999, 0x6ED9EBA1, 0x8F1BBCDC};
constexpr std::uint32_t kConst256R[4] = {0x50A28BE6, 0x5C4DD124, 0x6D703EF3, 0x00000000};

// RIPEMD-128, RIPEMD-160, RIPEMD-256 and RIPEMD-320 of SelfTestInput.
constexpr std::uint8_t kSelfTest128[16] = {0xCF, 0xA0, 0x32, 0xCF, 0xD0, 0x8F, 0x87, 0x3A,
                                           0x78, 0xDF, 0x13, 0xE7, 0xEB, 0xCD, 0x98, 0x0F};
constexpr std::uint8_t kSelfTest320[40] = {
    0xB7, 0xBD, 0x2C, 0x75, 0xB7, 0x13, 0x50, 0x91, 0xE4, 0x67, 0x09, 0x46, 0xF1, 0x41,
    0x5A, 0x48, 0x45, 0xDF, 0x8E, 0x07, 0xBA, 0x67, 0x4E, 0xA9, 0xFD, 0x66, 0xED, 0x01,
    0xD9, 0x6F, 0x23, 0x20, 0xB5, 0x11, 0x12, 0xC5, 0xA7, 0x41, 0xA6, 0x5C};
constexpr std::uint8_t kSelfTest160[20] = {0x19, 0x54, 0xDE, 0xBC, 0x1B, 0x55, 0x35,
                                           0x30, 0x08, 0x1D, 0x9B, 0x80, 0x70, 0xA0,
                                           0xF2, 0x4A, 0x9D, 0xF7, 0x34, 0x04};
constexpr std::uint8_t kSelfTest256[32] = {
    0xC3, 0xB1, 0xD7, 0xAC, 0xA8, 0x9A, 0x47, 0x7A, 0x38, 0xD3, 0x6D, 0x39, 0xEF, 0x00, 0xFB, 0x45,
    0xFC, 0x4E, 0xC3, 0x1A, 0x71, 0x21, 0xDB, 0x9E, 0x1C, 0x76, 0xC5, 0xDE, 0x99, 0x88, 0x18, 0xC2};

// The five step functions; the left line uses them in order, the right line in reverse.
inline std::uint32_t Fn(int round, std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    switch (round) {
    case 0:
        return x ^ y ^ z;
    case 1:
        return (x & y) | (~x & z);
    case 2:
        return (x | ~y) ^ z;
    case 3:
        return (x & z) | (y & ~z);
    default:
        return x ^ (y | ~z);
    }
}

} // namespace

VELKOR_DEFINE_HASH_CLASS(THash_RipeMD128, THash_MD4::Class())
VELKOR_DEFINE_HASH_CLASS(THash_RipeMD160, THash_MD4::Class())
VELKOR_DEFINE_HASH_CLASS(THash_RipeMD256, THash_MD4::Class())
VELKOR_DEFINE_HASH_CLASS(THash_RipeMD320, THash_MD4::Class())

const std::uint8_t* THash_RipeMD128::SelfTestVectorData() {
    return kSelfTest128;
}
const std::uint8_t* THash_RipeMD160::SelfTestVectorData() {
    return kSelfTest160;
}
const std::uint8_t* THash_RipeMD256::SelfTestVectorData() {
    return kSelfTest256;
}
const std::uint8_t* THash_RipeMD320::SelfTestVectorData() {
    return kSelfTest320;
}

void THash_RipeMD128::CompressBlock(const std::uint8_t* block) {
    std::uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = LoadLE32(block + 4 * i);
    std::uint32_t al = Word(0), bl = Word(1), cl = Word(2), dl = Word(3);
    std::uint32_t ar = al, br = bl, cr = cl, dr = dl;
    for (int j = 0; j < 64; ++j) {
        int round = j / 16;
        std::uint32_t t =
            Rol(al + Fn(round, bl, cl, dl) + x[kOrderL[j]] + kConst256L[round], kShiftL[j]);
        al = dl, dl = cl, cl = bl, bl = t;
        t = Rol(ar + Fn(3 - round, br, cr, dr) + x[kOrderR[j]] + kConst256R[round], kShiftR[j]);
        ar = dr, dr = cr, cr = br, br = t;
    }
    std::uint32_t t = Word(1) + cl + dr;
    SetWord(1, Word(2) + dl + ar);
    SetWord(2, Word(3) + al + br);
    SetWord(3, Word(0) + bl + cr);
    SetWord(0, t);
}

void THash_RipeMD160::CompressBlock(const std::uint8_t* block) {
    std::uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = LoadLE32(block + 4 * i);
    std::uint32_t al = Word(0), bl = Word(1), cl = Word(2), dl = Word(3), el = Word(4);
    std::uint32_t ar = al, br = bl, cr = cl, dr = dl, er = el;
    for (int j = 0; j < 80; ++j) {
        int round = j / 16;
        std::uint32_t t =
            Rol(al + Fn(round, bl, cl, dl) + x[kOrderL[j]] + kConst160L[round], kShiftL[j]) + el;
        al = el, el = dl, dl = Rol(cl, 10), cl = bl, bl = t;
        t = Rol(ar + Fn(4 - round, br, cr, dr) + x[kOrderR[j]] + kConst160R[round], kShiftR[j]) +
            er;
        ar = er, er = dr, dr = Rol(cr, 10), cr = br, br = t;
    }
    std::uint32_t t = Word(1) + cl + dr;
    SetWord(1, Word(2) + dl + er);
    SetWord(2, Word(3) + el + ar);
    SetWord(3, Word(4) + al + br);
    SetWord(4, Word(0) + bl + cr);
    SetWord(0, t);
}

void THash_RipeMD256::ResetState() {
    THash_MD4::ResetState();
    for (int i = 4; i < 8; ++i) SetWord(i, Word(i + 1));
}

void THash_RipeMD256::CompressBlock(const std::uint8_t* block) {
    std::uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = LoadLE32(block + 4 * i);
    std::uint32_t al = Word(0), bl = Word(1), cl = Word(2), dl = Word(3);
    std::uint32_t ar = Word(4), br = Word(5), cr = Word(6), dr = Word(7);
    for (int j = 0; j < 64; ++j) {
        int round = j / 16;
        std::uint32_t t =
            Rol(al + Fn(round, bl, cl, dl) + x[kOrderL[j]] + kConst256L[round], kShiftL[j]);
        al = dl, dl = cl, cl = bl, bl = t;
        t = Rol(ar + Fn(3 - round, br, cr, dr) + x[kOrderR[j]] + kConst256R[round], kShiftR[j]);
        ar = dr, dr = cr, cr = br, br = t;
        // After each round the lines trade one register: A, then B, C and D.
        if (j % 16 == 15) {
            switch (round) {
            case 0:
                std::swap(al, ar);
                break;
            case 1:
                std::swap(bl, br);
                break;
            case 2:
                std::swap(cl, cr);
                break;
            default:
                std::swap(dl, dr);
                break;
            }
        }
    }
    SetWord(0, Word(0) + al);
    SetWord(1, Word(1) + bl);
    SetWord(2, Word(2) + cl);
    SetWord(3, Word(3) + dl);
    SetWord(4, Word(4) + ar);
    SetWord(5, Word(5) + br);
    SetWord(6, Word(6) + cr);
    SetWord(7, Word(7) + dr);
}

void THash_RipeMD320::CompressBlock(const std::uint8_t* block) {
    std::uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = LoadLE32(block + 4 * i);
    std::uint32_t al = Word(0), bl = Word(1), cl = Word(2), dl = Word(3), el = Word(4);
    std::uint32_t ar = Word(5), br = Word(6), cr = Word(7), dr = Word(8), er = Word(9);
    for (int j = 0; j < 80; ++j) {
        int round = j / 16;
        std::uint32_t t =
            Rol(al + Fn(round, bl, cl, dl) + x[kOrderL[j]] + kConst160L[round], kShiftL[j]) + el;
        al = el, el = dl, dl = Rol(cl, 10), cl = bl, bl = t;
        t = Rol(ar + Fn(4 - round, br, cr, dr) + x[kOrderR[j]] + kConst160R[round], kShiftR[j]) +
            er;
        ar = er, er = dr, dr = Rol(cr, 10), cr = br, br = t;
        // After each round the lines trade one register: B, then D, A, C and E.
        if (j % 16 == 15) {
            switch (round) {
            case 0:
                std::swap(bl, br);
                break;
            case 1:
                std::swap(dl, dr);
                break;
            case 2:
                std::swap(al, ar);
                break;
            case 3:
                std::swap(cl, cr);
                break;
            default:
                std::swap(el, er);
                break;
            }
        }
    }
    const std::uint32_t result[10] = {al, bl, cl, dl, el, ar, br, cr, dr, er};
    for (int i = 0; i < 10; ++i) SetWord(i, Word(i) + result[i]);
}

} // namespace velkor
