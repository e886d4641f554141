// Twofish as its designers published it in "Twofish: A 128-Bit Block Cipher" (1998): a Feistel
// network of 16 rounds with whitening, the function g built from the fixed permutations q0 and
// q1, key-dependent S-boxes and the MDS matrix, and the pseudo-Hadamard transform.
#include "cipher/Twofish.h"

#include "base/ByteOrder.h"
#include "base/Wipe.h"

#include <array>
#include <cstring>

namespace velkor {
namespace {

// The 4-bit permutations t0..t3 from which q0 is built (the paper's section on q0 and q1).
constexpr std::uint8_t kQ0T[4][16] = {
    {0x8, 0x1, 0x7, 0xD, 0x6, 0xF, 0x3, 0x2, 0x0, 0xB, 0x5, 0x9, 0xE, 0xC, 0xA, 0x4},
    {0xE, 0xC, 0xB, 0x8, 0x1, 0x2, 0x3, 0x5, 0xF, 0x4, 0xA, 0x6, 0x7, 0x0, 0x9, 0xD},
    {0xB, 0xA, 0x5, 0xE, 0x6, 0xD, 0x9, 0x0, 0xC, 0x8, 0xF, 0x3, 0x2, 0x4, 0x7, 0x1},
    {0xD, 0x7, 0xF, 0x4, 0x1, 0x2, 0x6, 0xE, 0x9, 0xB, 0x3, 0x0, 0x8, 0x5, 0xC, 0xA},
};

// The 4-bit permutations t0..t3 of q1.
constexpr std::uint8_t kQ1T[4][16] = {
    {0x2, 0x8, 0xB, 0xD, 0xF, 0x7, 0x6, 0xE, 0x3, 0x1, 0x9, 0x4, 0x0, 0xA, 0xC, 0x5},
    {0x1, 0xE, 0x2, 0xB, 0x4, 0xC, 0x3, 0x7, 0x6, 0xD, 0xA, 0x5, 0xF, 0x9, 0x0, 0x8},
    {0x4, 0xC, 0x7, 0x5, 0x1, 0x6, 0x9, 0xA, 0x0, 0xE, 0xD, 0x8, 0x2, 0xB, 0x3, 0xF},
    {0xB, 0x9, 0x5, 0x1, 0xC, 0x3, 0xD, 0xE, 0x6, 0x4, 0x7, 0xF, 0x2, 0x0, 0x8, 0xA},
};

// The MDS matrix of g, over GF(2^8) modulo x^8 + x^6 + x^5 + x^3 + 1.
constexpr std::uint8_t kMds[4][4] = {
    {0x01, 0xEF, 0x5B, 0x5B},
    {0x5B, 0xEF, 0xEF, 0x01},
    {0xEF, 0x5B, 0x01, 0xEF},
    {0xEF, 0x01, 0xEF, 0x5B},
};
constexpr unsigned kMdsPoly = 0x169;

// The Reed-Solomon matrix that makes the S-box key words, over GF(2^8) modulo
// x^8 + x^6 + x^3 + x^2 + 1.
constexpr std::uint8_t kRs[4][8] = {
    {0x01, 0xA4, 0x55, 0x87, 0x5A, 0x58, 0xDB, 0x9E},
    {0xA4, 0x56, 0x82, 0xF3, 0x1E, 0xC6, 0x68, 0xE5},
    {0x02, 0xA1, 0xFC, 0xC1, 0x47, 0xAE, 0x3D, 0x19},
    {0xA4, 0x55, 0x87, 0x5A, 0x58, 0xDB, 0x9E, 0x03},
};
constexpr unsigned kRsPoly = 0x14D;

constexpr std::uint8_t Ror4(std::uint8_t x) {
    return static_cast<std::uint8_t>(((x >> 1) | (x << 3)) & 15);
}

// The byte permutation q: two rounds of a 4-bit Feistel-like mix through t0..t3.
using ByteTable = std::array<std::uint8_t, 256>;
constexpr ByteTable MakeQ(const std::uint8_t (&t)[4][16]) {
    ByteTable q{};
    for (int x = 0; x < 256; ++x) {
        std::uint8_t a = static_cast<std::uint8_t>(x >> 4), b = static_cast<std::uint8_t>(x & 15);
        for (int half = 0; half < 2; ++half) {
            const std::uint8_t a1 = a ^ b;
            const std::uint8_t b1 = static_cast<std::uint8_t>((a ^ Ror4(b) ^ (a << 3)) & 15);
            a = t[2 * half][a1];
            b = t[2 * half + 1][b1];
        }
        q[x] = static_cast<std::uint8_t>((b << 4) | a);
    }
    return q;
}

constexpr ByteTable kQ0 = MakeQ(kQ0T);
constexpr ByteTable kQ1 = MakeQ(kQ1T);

constexpr std::uint8_t GfMul(std::uint8_t a, std::uint8_t b, unsigned poly) {
    unsigned r = 0, x = a;
    while (b != 0) {
        if (b & 1) r ^= x;
        x <<= 1;
        if (x & 0x100) x ^= poly;
        b >>= 1;
    }
    return static_cast<std::uint8_t>(r);
}

inline std::uint8_t Byte(std::uint32_t w, int i) {
    return static_cast<std::uint8_t>(w >> (8 * i));
}

// The q-permutations and key bytes that byte i of h passes through, outermost list first:
// h(X, L) for a list L of k words, without the MDS product.
std::uint8_t HByte(int i, std::uint8_t y, const std::uint32_t* l, int k) {
    const ByteTable* q4[4] = {&kQ1, &kQ0, &kQ0, &kQ1};
    const ByteTable* q3[4] = {&kQ1, &kQ1, &kQ0, &kQ0};
    const ByteTable* q2[4] = {&kQ0, &kQ1, &kQ0, &kQ1};
    const ByteTable* q1[4] = {&kQ0, &kQ0, &kQ1, &kQ1};
    const ByteTable* q0[4] = {&kQ1, &kQ0, &kQ1, &kQ0};
    if (k == 4) y = (*q4[i])[y] ^ Byte(l[3], i);
    if (k >= 3) y = (*q3[i])[y] ^ Byte(l[2], i);
    y = (*q2[i])[y] ^ Byte(l[1], i);
    y = (*q1[i])[y] ^ Byte(l[0], i);
    return (*q0[i])[y];
}

// Column i of the MDS matrix times y, as a little-endian word.
std::uint32_t MdsColumn(int i, std::uint8_t y) {
    std::uint32_t z = 0;
    for (int row = 0; row < 4; ++row)
        z |= std::uint32_t{GfMul(kMds[row][i], y, kMdsPoly)} << (8 * row);
    return z;
}

std::uint32_t H(std::uint32_t x, const std::uint32_t* l, int k) {
    std::uint32_t z = 0;
    for (int i = 0; i < 4; ++i) z ^= MdsColumn(i, HByte(i, Byte(x, i), l, k));
    return z;
}

// Word layout of the key schedule.
constexpr int kRoundKeys = 0;
constexpr int kSBoxes = 40;

inline std::uint32_t G(const std::uint32_t* s, std::uint32_t x) {
    return s[Byte(x, 0)] ^ s[256 + Byte(x, 1)] ^ s[512 + Byte(x, 2)] ^ s[768 + Byte(x, 3)];
}

inline std::uint32_t Ror(std::uint32_t x, int n) {
    return Rol(x, 32 - n);
}

} // namespace

VELKOR_DEFINE_CIPHER_CLASS(TCipher_Twofish, TCipher::Class())

void TCipher_Twofish::Init(const void* key, int size, const void* iv) {
    PrepareKey(size);
    std::uint8_t local[kKeySize] = {};
    if (size > 0) std::memcpy(local, key, static_cast<std::size_t>(size));
    const int k = size <= 16 ? 2 : size <= 24 ? 3 : 4;

    // Me and Mo, the even and odd key words, and the S-box words S_{k-1}, ..., S_0 made by the
    // Reed-Solomon code from each 8 key bytes.
    std::uint32_t me[4] = {}, mo[4] = {}, sv[4] = {};
    for (int i = 0; i < k; ++i) {
        me[i] = LoadLE32(local + 8 * i);
        mo[i] = LoadLE32(local + 8 * i + 4);
        std::uint32_t s = 0;
        for (int row = 0; row < 4; ++row) {
            std::uint8_t v = 0;
            for (int col = 0; col < 8; ++col)
                v ^= GfMul(kRs[row][col], local[8 * i + col], kRsPoly);
            s |= std::uint32_t{v} << (8 * row);
        }
        sv[k - 1 - i] = s;
    }

    std::uint32_t* w = KeyScheduleWords();
    constexpr std::uint32_t kRho = 0x01010101;
    for (std::uint32_t i = 0; i < 20; ++i) {
        const std::uint32_t a = H(2 * i * kRho, me, k);
        const std::uint32_t b = Rol(H((2 * i + 1) * kRho, mo, k), 8);
        w[kRoundKeys + 2 * i] = a + b;
        w[kRoundKeys + 2 * i + 1] = Rol(a + 2 * b, 9);
    }
    for (int i = 0; i < 4; ++i)
        for (int x = 0; x < 256; ++x)
            w[kSBoxes + 256 * i + x] = MdsColumn(i, HByte(i, static_cast<std::uint8_t>(x), sv, k));

    SecureWipe(local, sizeof local);
    SecureWipe(me, sizeof me);
    SecureWipe(mo, sizeof mo);
    SecureWipe(sv, sizeof sv);
    SetVector(iv);
}

void TCipher_Twofish::EncipherBlock(void* block) {
    auto* p = static_cast<std::uint8_t*>(block);
    const std::uint32_t* k = KeyScheduleWords() + kRoundKeys;
    const std::uint32_t* s = KeyScheduleWords() + kSBoxes;
    std::uint32_t a = LoadLE32(p) ^ k[0], b = LoadLE32(p + 4) ^ k[1];
    std::uint32_t c = LoadLE32(p + 8) ^ k[2], d = LoadLE32(p + 12) ^ k[3];
    for (int r = 0; r < 16; r += 2) {
        // Two rounds per step, so that the halves trade places without copies.
        std::uint32_t t0 = G(s, a), t1 = G(s, Rol(b, 8));
        c = Ror(c ^ (t0 + t1 + k[2 * r + 8]), 1);
        d = Rol(d, 1) ^ (t0 + 2 * t1 + k[2 * r + 9]);
        t0 = G(s, c), t1 = G(s, Rol(d, 8));
        a = Ror(a ^ (t0 + t1 + k[2 * r + 10]), 1);
        b = Rol(b, 1) ^ (t0 + 2 * t1 + k[2 * r + 11]);
    }
    // The last exchange is undone: the output is (C, D, A, B) with the output whitening.
    StoreLE32(p, c ^ k[4]);
    StoreLE32(p + 4, d ^ k[5]);
    StoreLE32(p + 8, a ^ k[6]);
    StoreLE32(p + 12, b ^ k[7]);
}

void TCipher_Twofish::DecipherBlock(void* block) {
    auto* p = static_cast<std::uint8_t*>(block);
    const std::uint32_t* k = KeyScheduleWords() + kRoundKeys;
    const std::uint32_t* s = KeyScheduleWords() + kSBoxes;
    std::uint32_t c = LoadLE32(p) ^ k[4], d = LoadLE32(p + 4) ^ k[5];
    std::uint32_t a = LoadLE32(p + 8) ^ k[6], b = LoadLE32(p + 12) ^ k[7];
    for (int r = 14; r >= 0; r -= 2) {
        std::uint32_t t0 = G(s, c), t1 = G(s, Rol(d, 8));
        a = Rol(a, 1) ^ (t0 + t1 + k[2 * r + 10]);
        b = Ror(b ^ (t0 + 2 * t1 + k[2 * r + 11]), 1);
        t0 = G(s, a), t1 = G(s, Rol(b, 8));
        c = Rol(c, 1) ^ (t0 + t1 + k[2 * r + 8]);
        d = Ror(d ^ (t0 + 2 * t1 + k[2 * r + 9]), 1);
    }
    StoreLE32(p, a ^ k[0]);
    StoreLE32(p + 4, b ^ k[1]);
    StoreLE32(p + 8, c ^ k[2]);
    StoreLE32(p + 12, d ^ k[3]);
}

} // namespace velkor
