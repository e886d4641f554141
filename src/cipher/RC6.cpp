// RC6-32/20/b as its designers published it for the AES: data-dependent rotations by
// log2(32) = 5 bits of t = B(2B + 1) and u = D(2D + 1), and the RC5-style key schedule.
#include "cipher/RC6.h"

#include "base/ByteOrder.h"
#include "base/Wipe.h"

#include <algorithm>
#include <cstring>

namespace velkor {
namespace {

// The "magic constants" of the key schedule: Odd((e - 2) * 2^32) and Odd((phi - 1) * 2^32).
constexpr std::uint32_t kP32 = 0xB7E15163;
constexpr std::uint32_t kQ32 = 0x9E3779B9;

constexpr int kWords = 2 * TCipher_RC6::kRounds + 4;

inline std::uint32_t Ror(std::uint32_t x, std::uint32_t n) {
    return Rol(x, static_cast<int>((32 - (n & 31)) & 31));
}

} // namespace

VELKOR_DEFINE_CIPHER_CLASS(TCipher_RC6, TCipher::Class())

void TCipher_RC6::Init(const void* key, int size, const void* iv) {
    PrepareKey(size);
    // The key bytes go little-endian into c words, at least one (an empty key is one zero word).
    std::uint32_t l[(kKeySize + 3) / 4] = {};
    const auto* k = static_cast<const std::uint8_t*>(key);
    for (int i = 0; i < size; ++i) l[i / 4] |= std::uint32_t{k[i]} << (8 * (i % 4));
    const int c = std::max(1, (size + 3) / 4);

    std::uint32_t* s = KeyScheduleWords();
    s[0] = kP32;
    for (int i = 1; i < kWords; ++i) s[i] = s[i - 1] + kQ32;
    std::uint32_t a = 0, b = 0;
    for (int n = 0, i = 0, j = 0; n < 3 * std::max(c, kWords); ++n) {
        a = s[i] = Rol(s[i] + a + b, 3);
        b = l[j] = Rol(l[j] + a + b, static_cast<int>((a + b) & 31));
        i = (i + 1) % kWords;
        j = (j + 1) % c;
    }
    SecureWipe(l, sizeof l);
    SecureWipe(&a, sizeof a);
    SecureWipe(&b, sizeof b);
    SetVector(iv);
}

void TCipher_RC6::EncipherBlock(void* block) {
    auto* p = static_cast<std::uint8_t*>(block);
    const std::uint32_t* s = KeyScheduleWords();
    std::uint32_t a = LoadLE32(p), b = LoadLE32(p + 4), c = LoadLE32(p + 8), d = LoadLE32(p + 12);
    b += s[0];
    d += s[1];
    for (int i = 1; i <= kRounds; ++i) {
        const std::uint32_t t = Rol(b * (2 * b + 1), 5);
        const std::uint32_t u = Rol(d * (2 * d + 1), 5);
        a = Rol(a ^ t, static_cast<int>(u & 31)) + s[2 * i];
        c = Rol(c ^ u, static_cast<int>(t & 31)) + s[2 * i + 1];
        // (A, B, C, D) = (B, C, D, A)
        const std::uint32_t x = a;
        a = b, b = c, c = d, d = x;
    }
    a += s[2 * kRounds + 2];
    c += s[2 * kRounds + 3];
    StoreLE32(p, a);
    StoreLE32(p + 4, b);
    StoreLE32(p + 8, c);
    StoreLE32(p + 12, d);
}

void TCipher_RC6::DecipherBlock(void* block) {
    auto* p = static_cast<std::uint8_t*>(block);
    const std::uint32_t* s = KeyScheduleWords();
    std::uint32_t a = LoadLE32(p), b = LoadLE32(p + 4), c = LoadLE32(p + 8), d = LoadLE32(p + 12);
    c -= s[2 * kRounds + 3];
    a -= s[2 * kRounds + 2];
    for (int i = kRounds; i >= 1; --i) {
        // (A, B, C, D) = (D, A, B, C)
        const std::uint32_t x = d;
        d = c, c = b, b = a, a = x;
        const std::uint32_t u = Rol(d * (2 * d + 1), 5);
        const std::uint32_t t = Rol(b * (2 * b + 1), 5);
        c = Ror(c - s[2 * i + 1], t) ^ u;
        a = Ror(a - s[2 * i], u) ^ t;
    }
    d -= s[1];
    b -= s[0];
    StoreLE32(p, a);
    StoreLE32(p + 4, b);
    StoreLE32(p + 8, c);
    StoreLE32(p + 12, d);
}

} // namespace velkor
