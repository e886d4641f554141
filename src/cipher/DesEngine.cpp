// The DES block engine of FIPS PUB 46: the key schedule (PC-1, the left rotations, PC-2) and
// the block function over two 32-bit words, with the S-boxes and the P permutation folded into
// eight tables of 64 words and the initial and final permutations done by swap-and-mask steps.
#include "cipher/DesEngine.h"

#include "base/ByteOrder.h"
#include "base/Wipe.h"

#include <bit>
#include <cstring>

namespace velkor::des {
namespace {

// kSP[i][v]: P applied to the output of S-box i+1 for the six expanded bits v (the first bit of
// the group most significant), placed at that box's four output positions.
const std::uint32_t kSP[8][64] = {
    {
        0x00808200, 0x00000000, 0x00008000, 0x00808202, 0x00808002, 0x00008202, 0x00000002,
        0x00008000, 0x00000200, 0x00808200, 0x00808202, 0x00000200, 0x00800202, 0x00808002,
        0x00800000, 0x00000002, 0x00000202, 0x00800200, 0x00800200, 0x00008200, 0x00008200,
        0x00808000, 0x00808000, 0x00800202, 0x00008002, 0x00800002, 0x00800002, 0x00008002,
        0x00000000, 0x00000202, 0x00008202, 0x00800000, 0x00008000, 0x00808202, 0x00000002,
        0x00808000, 0x00808200, 0x00800000, 0x00800000, 0x00000200, 0x00808002, 0x00008000,
        0x00008200, 0x00800002, 0x00000200, 0x00000002, 0x00800202, 0x00008202, 0x00808202,
        0x00008002, 0x00808000, 0x00800202, 0x00800002, 0x00000202, 0x00008202, 0x00808200,
        0x00000202, 0x00800200, 0x00800200, 0x00000000, 0x00008002, 0x00008200, 0x00000000,
        0x00808002,
    },
    {
        0x40084010, 0x40004000, 0x00004000, 0x00084010, 0x00080000, 0x00000010, 0x40080010,
        0x40004010, 0x40000010, 0x40084010, 0x40084000, 0x40000000, 0x40004000, 0x00080000,
        0x00000010, 0x40080010, 0x00084000, 0x00080010, 0x40004010, 0x00000000, 0x40000000,
        0x00004000, 0x00084010, 0x40080000, 0x00080010, 0x40000010, 0x00000000, 0x00084000,
        0x00004010, 0x40084000, 0x40080000, 0x00004010, 0x00000000, 0x00084010, 0x40080010,
        0x00080000, 0x40004010, 0x40080000, 0x40084000, 0x00004000, 0x40080000, 0x40004000,
        0x00000010, 0x40084010, 0x00084010, 0x00000010, 0x00004000, 0x40000000, 0x00004010,
        0x40084000, 0x00080000, 0x40000010, 0x00080010, 0x40004010, 0x40000010, 0x00080010,
        0x00084000, 0x00000000, 0x40004000, 0x00004010, 0x40000000, 0x40080010, 0x40084010,
        0x00084000,
    },
    {
        0x00000104, 0x04010100, 0x00000000, 0x04010004, 0x04000100, 0x00000000, 0x00010104,
        0x04000100, 0x00010004, 0x04000004, 0x04000004, 0x00010000, 0x04010104, 0x00010004,
        0x04010000, 0x00000104, 0x04000000, 0x00000004, 0x04010100, 0x00000100, 0x00010100,
        0x04010000, 0x04010004, 0x00010104, 0x04000104, 0x00010100, 0x00010000, 0x04000104,
        0x00000004, 0x04010104, 0x00000100, 0x04000000, 0x04010100, 0x04000000, 0x00010004,
        0x00000104, 0x00010000, 0x04010100, 0x04000100, 0x00000000, 0x00000100, 0x00010004,
        0x04010104, 0x04000100, 0x04000004, 0x00000100, 0x00000000, 0x04010004, 0x04000104,
        0x00010000, 0x04000000, 0x04010104, 0x00000004, 0x00010104, 0x00010100, 0x04000004,
        0x04010000, 0x04000104, 0x00000104, 0x04010000, 0x00010104, 0x00000004, 0x04010004,
        0x00010100,
    },
    {
        0x80401000, 0x80001040, 0x80001040, 0x00000040, 0x00401040, 0x80400040, 0x80400000,
        0x80001000, 0x00000000, 0x00401000, 0x00401000, 0x80401040, 0x80000040, 0x00000000,
        0x00400040, 0x80400000, 0x80000000, 0x00001000, 0x00400000, 0x80401000, 0x00000040,
        0x00400000, 0x80001000, 0x00001040, 0x80400040, 0x80000000, 0x00001040, 0x00400040,
        0x00001000, 0x00401040, 0x80401040, 0x80000040, 0x00400040, 0x80400000, 0x00401000,
        0x80401040, 0x80000040, 0x00000000, 0x00000000, 0x00401000, 0x00001040, 0x00400040,
        0x80400040, 0x80000000, 0x80401000, 0x80001040, 0x80001040, 0x00000040, 0x80401040,
        0x80000040, 0x80000000, 0x00001000, 0x80400000, 0x80001000, 0x00401040, 0x80400040,
        0x80001000, 0x00001040, 0x00400000, 0x80401000, 0x00000040, 0x00400000, 0x00001000,
        0x00401040,
    },
    {
        0x00000080, 0x01040080, 0x01040000, 0x21000080, 0x00040000, 0x00000080, 0x20000000,
        0x01040000, 0x20040080, 0x00040000, 0x01000080, 0x20040080, 0x21000080, 0x21040000,
        0x00040080, 0x20000000, 0x01000000, 0x20040000, 0x20040000, 0x00000000, 0x20000080,
        0x21040080, 0x21040080, 0x01000080, 0x21040000, 0x20000080, 0x00000000, 0x21000000,
        0x01040080, 0x01000000, 0x21000000, 0x00040080, 0x00040000, 0x21000080, 0x00000080,
        0x01000000, 0x20000000, 0x01040000, 0x21000080, 0x20040080, 0x01000080, 0x20000000,
        0x21040000, 0x01040080, 0x20040080, 0x00000080, 0x01000000, 0x21040000, 0x21040080,
        0x00040080, 0x21000000, 0x21040080, 0x01040000, 0x00000000, 0x20040000, 0x21000000,
        0x00040080, 0x01000080, 0x20000080, 0x00040000, 0x00000000, 0x20040000, 0x01040080,
        0x20000080,
    },
    {
        0x10000008, 0x10200000, 0x00002000, 0x10202008, 0x10200000, 0x00000008, 0x10202008,
        0x00200000, 0x10002000, 0x00202008, 0x00200000, 0x10000008, 0x00200008, 0x10002000,
        0x10000000, 0x00002008, 0x00000000, 0x00200008, 0x10002008, 0x00002000, 0x00202000,
        0x10002008, 0x00000008, 0x10200008, 0x10200008, 0x00000000, 0x00202008, 0x10202000,
        0x00002008, 0x00202000, 0x10202000, 0x10000000, 0x10002000, 0x00000008, 0x10200008,
        0x00202000, 0x10202008, 0x00200000, 0x00002008, 0x10000008, 0x00200000, 0x10002000,
        0x10000000, 0x00002008, 0x10000008, 0x10202008, 0x00202000, 0x10200000, 0x00202008,
        0x10202000, 0x00000000, 0x10200008, 0x00000008, 0x00002000, 0x10200000, 0x00202008,
        0x00002000, 0x00200008, 0x10002008, 0x00000000, 0x10202000, 0x10000000, 0x00200008,
        0x10002008,
    },
    {
        0x00100000, 0x02100001, 0x02000401, 0x00000000, 0x00000400, 0x02000401, 0x00100401,
        0x02100400, 0x02100401, 0x00100000, 0x00000000, 0x02000001, 0x00000001, 0x02000000,
        0x02100001, 0x00000401, 0x02000400, 0x00100401, 0x00100001, 0x02000400, 0x02000001,
        0x02100000, 0x02100400, 0x00100001, 0x02100000, 0x00000400, 0x00000401, 0x02100401,
        0x00100400, 0x00000001, 0x02000000, 0x00100400, 0x02000000, 0x00100400, 0x00100000,
        0x02000401, 0x02000401, 0x02100001, 0x02100001, 0x00000001, 0x00100001, 0x02000000,
        0x02000400, 0x00100000, 0x02100400, 0x00000401, 0x00100401, 0x02100400, 0x00000401,
        0x02000001, 0x02100401, 0x02100000, 0x00100400, 0x00000000, 0x00000001, 0x02100401,
        0x00000000, 0x00100401, 0x02100000, 0x00000400, 0x02000001, 0x02000400, 0x00000400,
        0x00100001,
    },
    {
        0x08000820, 0x00000800, 0x00020000, 0x08020820, 0x08000000, 0x08000820, 0x00000020,
        0x08000000, 0x00020020, 0x08020000, 0x08020820, 0x00020800, 0x08020800, 0x00020820,
        0x00000800, 0x00000020, 0x08020000, 0x08000020, 0x08000800, 0x00000820, 0x00020800,
        0x00020020, 0x08020020, 0x08020800, 0x00000820, 0x00000000, 0x00000000, 0x08020020,
        0x08000020, 0x08000800, 0x00020820, 0x00020000, 0x00020820, 0x00020000, 0x08020800,
        0x00000800, 0x00000020, 0x08020020, 0x00000800, 0x00020820, 0x08000800, 0x00000020,
        0x08000020, 0x08020000, 0x08020020, 0x08000000, 0x00020000, 0x08000820, 0x00000000,
        0x08020820, 0x00020020, 0x08000020, 0x08020000, 0x08000800, 0x08000820, 0x00000000,
        0x08020820, 0x00020800, 0x00020800, 0x00000820, 0x00000820, 0x00020020, 0x08000000,
        0x08020800,
    },
};

// FIPS PUB 46 key-schedule tables, bit numbers counted from 1 at the most significant bit.
const std::uint8_t kPC1[56] = {57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18,
                               10, 2,  59, 51, 43, 35, 27, 19, 11, 3,  60, 52, 44, 36,
                               63, 55, 47, 39, 31, 23, 15, 7,  62, 54, 46, 38, 30, 22,
                               14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};
const std::uint8_t kPC2[48] = {14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10, 23, 19, 12, 4,
                               26, 8,  16, 7,  27, 20, 13, 2,  41, 52, 31, 37, 47, 55, 30, 40,
                               51, 45, 33, 48, 44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};
const std::uint8_t kShifts[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

constexpr std::uint32_t Rotl(std::uint32_t x, unsigned n) {
    return (x << n) | (x >> (32 - n));
}

// A block half written back most significant byte first. On a little-endian host it is one
// byte swap and one store: compilers otherwise assemble both halves byte by byte.
inline void StoreHalf(std::uint8_t* p, std::uint32_t v) {
    if constexpr (std::endian::native == std::endian::little) {
        const std::uint32_t swapped = ByteSwap32(v);
        std::memcpy(p, &swapped, 4);
    } else {
        std::memcpy(p, &v, 4);
    }
}

// One exchange of the bit groups selected by `mask` between a >> shift and b.
inline void SwapMove(std::uint32_t& a, std::uint32_t& b, unsigned shift, std::uint32_t mask) {
    std::uint32_t t = ((a >> shift) ^ b) & mask;
    b ^= t;
    a ^= t << shift;
}

// The word of table i at a byte offset (four times the index).
inline std::uint32_t SP(int i, std::uint32_t offset) {
    return *reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const unsigned char*>(kSP[i]) +
                                                   offset);
}

// The cipher function f(R, K). The expansion E takes eight overlapping six-bit groups of R;
// with R rotated right by 1 the even-numbered groups sit at bits 31-26, 23-18, 15-10 and 7-2,
// and with R rotated left by 3 the odd-numbered ones sit there too, so two rotations and one
// mask give all eight groups, each in the top six bits of a byte. MakeSchedule packs the round
// keys the same way, so every byte of e and o is four times a table index: the byte offset of
// the table word, taken without a shift.
inline std::uint32_t F(std::uint32_t r, std::uint32_t k0, std::uint32_t k1) {
    const std::uint32_t e = (Rotl(r, 31) & 0xFCFCFCFCu) ^ k0;
    const std::uint32_t o = (Rotl(r, 3) & 0xFCFCFCFCu) ^ k1;
    return (SP(0, e >> 24) ^ SP(2, (e >> 16) & 0xFF)) ^ (SP(4, (e >> 8) & 0xFF) ^ SP(6, e & 0xFF)) ^
           (SP(1, o >> 24) ^ SP(3, (o >> 16) & 0xFF)) ^ (SP(5, (o >> 8) & 0xFF) ^ SP(7, o & 0xFF));
}

} // namespace

void MakeSchedule(const std::uint8_t* key, std::uint32_t* schedule, bool reverse) {
    std::uint64_t k = 0;
    for (int i = 0; i < 8; ++i) k = (k << 8) | key[i];
    // C and D, 28 bits each, as one 56-bit value with C on top. The parity bits (the low bit
    // of each key byte) are not among PC-1's positions.
    std::uint64_t cd = 0;
    for (std::uint8_t bit : kPC1) cd = (cd << 1) | ((k >> (64 - bit)) & 1);
    constexpr std::uint64_t kHalf = (std::uint64_t{1} << 28) - 1;
    for (int round = 0; round < 16; ++round) {
        unsigned s = kShifts[round];
        std::uint64_t c = cd >> 28, d = cd & kHalf;
        c = ((c << s) | (c >> (28 - s))) & kHalf;
        d = ((d << s) | (d >> (28 - s))) & kHalf;
        cd = (c << 28) | d;
        std::uint32_t group[8] = {};
        for (int i = 0; i < 48; ++i)
            group[i / 6] =
                (group[i / 6] << 1) | static_cast<std::uint32_t>((cd >> (56 - kPC2[i])) & 1);
        int slot = reverse ? 15 - round : round;
        // Each six-bit group in the top of its byte, as F takes them.
        schedule[2 * slot] = ((group[0] << 24) | (group[2] << 16) | (group[4] << 8) | group[6])
                             << 2;
        schedule[2 * slot + 1] = ((group[1] << 24) | (group[3] << 16) | (group[5] << 8) | group[7])
                                 << 2;
        SecureWipe(group, sizeof group);
    }
    SecureWipe(&k, sizeof k);
    SecureWipe(&cd, sizeof cd);
}

void Block(const std::uint32_t* schedule, std::uint8_t* block) {
    std::uint32_t l = LoadBE32(block), r = LoadBE32(block + 4);
    // Initial permutation.
    SwapMove(l, r, 4, 0x0F0F0F0Fu);
    SwapMove(l, r, 16, 0x0000FFFFu);
    SwapMove(r, l, 2, 0x33333333u);
    SwapMove(r, l, 8, 0x00FF00FFu);
    SwapMove(l, r, 1, 0x55555555u);
    // Two rounds per step, so that the halves never need exchanging; all sixteen laid out.
#pragma GCC unroll 8
    for (int i = 0; i < 32; i += 4) {
        l ^= F(r, schedule[i], schedule[i + 1]);
        r ^= F(l, schedule[i + 2], schedule[i + 3]);
    }
    // The output block is R16 L16 through the final permutation.
    SwapMove(r, l, 1, 0x55555555u);
    SwapMove(l, r, 8, 0x00FF00FFu);
    SwapMove(l, r, 2, 0x33333333u);
    SwapMove(r, l, 16, 0x0000FFFFu);
    SwapMove(r, l, 4, 0x0F0F0F0Fu);
    StoreHalf(block, r);
    StoreHalf(block + 4, l);
}

} // namespace velkor::des
