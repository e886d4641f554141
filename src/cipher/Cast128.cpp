// CAST-128 (CAST5) as RFC 2144 specifies it: a Feistel cipher of 12 or 16 rounds on 64-bit
// blocks whose round types 1, 2, 3 repeat in turn, with the key schedule of its section 2.4.
#include "base/Wipe.h"
#include "cipher/Cast.h"
#include "cipher/CastRound.h"

#include <cstring>

namespace velkor {
namespace {

using namespace cast;

// The bytes that make each subkey in the key schedule of RFC 2144 section 2.4, in the order
// the schedule computes them: four groups of four subkeys, taken alternately from the z bytes
// and the x bytes. Subkey j of a group is S5[a] ^ S6[b] ^ S7[c] ^ S8[d] ^ S(5 + j)[e].
constexpr std::uint8_t kSubkeyBytes[4][4][5] = {
    {{8, 9, 7, 6, 2}, {10, 11, 5, 4, 6}, {12, 13, 3, 2, 9}, {14, 15, 1, 0, 12}}, // z
    {{3, 2, 12, 13, 8}, {1, 0, 14, 15, 13}, {7, 6, 8, 9, 3}, {5, 4, 10, 11, 7}}, // x
    {{3, 2, 12, 13, 9}, {1, 0, 14, 15, 12}, {7, 6, 8, 9, 2}, {5, 4, 10, 11, 6}}, // z
    {{8, 9, 7, 6, 3}, {10, 11, 5, 4, 7}, {12, 13, 3, 2, 8}, {14, 15, 1, 0, 13}}, // x
};

const std::uint32_t* const kKeyBoxes[4] = {kS5, kS6, kS7, kS8};

inline std::uint32_t Sum(const std::uint8_t* v, std::uint8_t a, std::uint8_t b, std::uint8_t c,
                         std::uint8_t d) {
    return kS5[v[a]] ^ kS6[v[b]] ^ kS7[v[c]] ^ kS8[v[d]];
}

// z0..zF from x0..xF.
void ZFromX(const std::uint8_t* x, std::uint8_t* z) {
    StoreBE32(z, LoadBE32(x) ^ Sum(x, 13, 15, 12, 14) ^ kS7[x[8]]);
    StoreBE32(z + 4, LoadBE32(x + 8) ^ Sum(z, 0, 2, 1, 3) ^ kS8[x[10]]);
    StoreBE32(z + 8, LoadBE32(x + 12) ^ Sum(z, 7, 6, 5, 4) ^ kS5[x[9]]);
    StoreBE32(z + 12, LoadBE32(x + 4) ^ Sum(z, 10, 9, 11, 8) ^ kS6[x[11]]);
}

// x0..xF from z0..zF.
void XFromZ(const std::uint8_t* z, std::uint8_t* x) {
    StoreBE32(x, LoadBE32(z + 8) ^ Sum(z, 5, 7, 4, 6) ^ kS7[z[0]]);
    StoreBE32(x + 4, LoadBE32(z) ^ Sum(x, 0, 2, 1, 3) ^ kS8[z[2]]);
    StoreBE32(x + 8, LoadBE32(z + 4) ^ Sum(x, 7, 6, 5, 4) ^ kS5[z[1]]);
    StoreBE32(x + 12, LoadBE32(z + 12) ^ Sum(x, 10, 9, 11, 8) ^ kS6[z[3]]);
}

// Word layout of the key schedule: Km1..Km16, Kr1..Kr16, the round count.
constexpr int kMasking = 0;
constexpr int kRotation = 16;
constexpr int kRoundsWord = 32;

inline std::uint32_t Round(int i, std::uint32_t d, const std::uint32_t* k) {
    const std::uint32_t km = k[kMasking + i], kr = k[kRotation + i];
    switch (i % 3) {
    case 0:
        return F1(d, km, kr);
    case 1:
        return F2(d, km, kr);
    default:
        return F3(d, km, kr);
    }
}

} // namespace

VELKOR_DEFINE_CIPHER_CLASS(TCipher_Cast128, TCipher::Class())

void TCipher_Cast128::Init(const void* key, int size, const void* iv) {
    PrepareKey(size);
    std::uint8_t x[16] = {}, z[16] = {};
    if (size > 0) std::memcpy(x, key, static_cast<std::size_t>(size));
    // K1..K32: the first 16 mask the rounds, the last 16 rotate them.
    std::uint32_t* k = KeyScheduleWords();
    int n = 0;
    for (int half = 0; half < 2; ++half)
        for (int group = 0; group < 4; ++group) {
            const bool fromZ = group % 2 == 0;
            if (fromZ)
                ZFromX(x, z);
            else
                XFromZ(z, x);
            const std::uint8_t* v = fromZ ? z : x;
            for (int j = 0; j < 4; ++j) {
                const std::uint8_t* p = kSubkeyBytes[group][j];
                k[n++] = Sum(v, p[0], p[1], p[2], p[3]) ^ kKeyBoxes[j][v[p[4]]];
            }
        }
    for (int i = 0; i < 16; ++i) k[kRotation + i] &= 31;
    k[kRoundsWord] = size <= 10 ? 12 : 16;
    SecureWipe(x, sizeof x);
    SecureWipe(z, sizeof z);
    SetVector(iv);
}

void TCipher_Cast128::EncipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    const std::uint32_t* k = KeyScheduleWords();
    const auto rounds = static_cast<int>(k[kRoundsWord]);
    std::uint32_t l = LoadBE32(b), r = LoadBE32(b + 4);
    for (int i = 0; i < rounds; ++i) {
        const std::uint32_t t = l ^ Round(i, r, k);
        l = r;
        r = t;
    }
    StoreBE32(b, r);
    StoreBE32(b + 4, l);
}

void TCipher_Cast128::DecipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    const std::uint32_t* k = KeyScheduleWords();
    const auto rounds = static_cast<int>(k[kRoundsWord]);
    std::uint32_t l = LoadBE32(b), r = LoadBE32(b + 4);
    for (int i = rounds - 1; i >= 0; --i) {
        const std::uint32_t t = l ^ Round(i, r, k);
        l = r;
        r = t;
    }
    StoreBE32(b, r);
    StoreBE32(b + 4, l);
}

} // namespace velkor
