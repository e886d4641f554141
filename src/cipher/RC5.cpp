// RC5-32/12/b as its designer published it: the table S is filled from the magic constants
// P32 and Q32 and mixed three times over with the key words; each round adds S words and
// rotates by amounts that the data itself selects.
#include "cipher/RC5.h"

#include "base/ByteOrder.h"
#include "base/Wipe.h"

#include <algorithm>
#include <bit>

namespace velkor {
namespace {

// The magic constants for 32-bit words: Odd((e - 2) * 2^32) and Odd((phi - 1) * 2^32).
constexpr std::uint32_t kP32 = 0xB7E15163U;
constexpr std::uint32_t kQ32 = 0x9E3779B9U;
constexpr int kTableWords = 2 * TCipher_RC5::kRounds + 2;
// At most ceil(255 / 4) key words.
constexpr int kMaxKeyWords = 64;

std::uint32_t Rotl(std::uint32_t x, std::uint32_t n) {
    return std::rotl(x, static_cast<int>(n & 31));
}

std::uint32_t Rotr(std::uint32_t x, std::uint32_t n) {
    return std::rotr(x, static_cast<int>(n & 31));
}

} // namespace

VELKOR_DEFINE_CIPHER_CLASS(TCipher_RC5, TCipher::Class())

void TCipher_RC5::Init(const void* key, int size, const void* iv) {
    PrepareKey(size);
    const auto b = static_cast<std::size_t>(size);
    // The key bytes as little-endian words L[0..c-1], c = max(1, ceil(b / 4)).
    std::uint32_t l[kMaxKeyWords] = {};
    const auto* k = static_cast<const std::uint8_t*>(key);
    for (std::size_t i = 0; i < b; ++i)
        l[i / 4] |= static_cast<std::uint32_t>(k[i]) << (8 * (i % 4));
    const int c = std::max(1, static_cast<int>((b + 3) / 4));

    std::uint32_t* s = KeyScheduleWords();
    s[0] = kP32;
    for (int i = 1; i < kTableWords; ++i) s[i] = s[i - 1] + kQ32;

    std::uint32_t a = 0, x = 0;
    for (int n = 0, i = 0, j = 0; n < 3 * std::max(kTableWords, c); ++n) {
        a = s[i] = Rotl(s[i] + a + x, 3);
        x = l[j] = Rotl(l[j] + a + x, a + x);
        i = (i + 1) % kTableWords;
        j = (j + 1) % c;
    }
    SecureWipe(l, sizeof l);
    SecureWipe(&a, sizeof a);
    SecureWipe(&x, sizeof x);
    SetVector(iv);
}

void TCipher_RC5::EncipherBlock(void* block) {
    auto* p = static_cast<std::uint8_t*>(block);
    const std::uint32_t* s = KeyScheduleWords();
    std::uint32_t a = LoadLE32(p) + s[0], b = LoadLE32(p + 4) + s[1];
    for (int i = 1; i <= kRounds; ++i) {
        a = Rotl(a ^ b, b) + s[2 * i];
        b = Rotl(b ^ a, a) + s[2 * i + 1];
    }
    StoreLE32(p, a);
    StoreLE32(p + 4, b);
}

void TCipher_RC5::DecipherBlock(void* block) {
    auto* p = static_cast<std::uint8_t*>(block);
    const std::uint32_t* s = KeyScheduleWords();
    std::uint32_t a = LoadLE32(p), b = LoadLE32(p + 4);
    for (int i = kRounds; i >= 1; --i) {
        b = Rotr(b - s[2 * i + 1], a) ^ a;
        a = Rotr(a - s[2 * i], b) ^ b;
    }
    StoreLE32(p, a - s[0]);
    StoreLE32(p + 4, b - s[1]);
}

} // namespace velkor
