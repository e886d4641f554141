// CAST-256 as RFC 2612 specifies it: 48 rounds on four 32-bit words, as six forward and six
// reverse quad-rounds, with subkeys made by running the key through 24 octave-rounds under
// fixed masking and rotation constants.
#include "base/Wipe.h"
#include "cipher/Cast.h"
#include "cipher/CastRound.h"

#include <cstring>

namespace velkor {
namespace {

using namespace cast;

// The constants of the key schedule: the masking constants start at 2^30 * sqrt(2) and step by
// 2^30 * sqrt(3), the rotation constants start at 19 and step by 17 (mod 32).
constexpr std::uint32_t kCm = 0x5A827999;
constexpr std::uint32_t kMm = 0x6ED9EBA1;
constexpr std::uint32_t kCr = 19;
constexpr std::uint32_t kMr = 17;

// Word layout of the key schedule: Km(i, j) at 4i + j, Kr(i, j) at 48 + 4i + j.
constexpr int kMasking = 0;
constexpr int kRotation = 48;

// Quad-round i forwards: C, B, A, D are changed in turn.
inline void Q(std::uint32_t* w, const std::uint32_t* k, int i) {
    const std::uint32_t* m = k + kMasking + 4 * i;
    const std::uint32_t* r = k + kRotation + 4 * i;
    w[2] ^= F1(w[3], m[0], r[0]);
    w[1] ^= F2(w[2], m[1], r[1]);
    w[0] ^= F3(w[1], m[2], r[2]);
    w[3] ^= F1(w[0], m[3], r[3]);
}

// Quad-round i in reverse: the inverse of Q with the same subkeys.
inline void QBar(std::uint32_t* w, const std::uint32_t* k, int i) {
    const std::uint32_t* m = k + kMasking + 4 * i;
    const std::uint32_t* r = k + kRotation + 4 * i;
    w[3] ^= F1(w[0], m[3], r[3]);
    w[0] ^= F3(w[1], m[2], r[2]);
    w[1] ^= F2(w[2], m[1], r[1]);
    w[2] ^= F1(w[3], m[0], r[0]);
}

} // namespace

VELKOR_DEFINE_CIPHER_CLASS(TCipher_Cast256, TCipher::Class())

void TCipher_Cast256::Init(const void* key, int size, const void* iv) {
    PrepareKey(size);
    std::uint8_t local[kKeySize] = {};
    if (size > 0) std::memcpy(local, key, static_cast<std::size_t>(size));
    // kappa = (A, B, C, D, E, F, G, H).
    std::uint32_t kappa[8];
    for (int i = 0; i < 8; ++i) kappa[i] = LoadBE32(local + 4 * i);
    std::uint32_t* k = KeyScheduleWords();
    std::uint32_t cm = kCm, cr = kCr;
    for (int i = 0; i < 12; ++i) {
        for (int octave = 0; octave < 2; ++octave) {
            // One octave-round W: G, F, E, D, C, B, A, H change in turn, types 1, 2, 3, ...
            std::uint32_t tm[8], tr[8];
            for (int j = 0; j < 8; ++j) {
                tm[j] = cm;
                cm += kMm;
                tr[j] = cr;
                cr = (cr + kMr) & 31;
            }
            std::uint32_t* w = kappa;
            w[6] ^= F1(w[7], tm[0], tr[0]);
            w[5] ^= F2(w[6], tm[1], tr[1]);
            w[4] ^= F3(w[5], tm[2], tr[2]);
            w[3] ^= F1(w[4], tm[3], tr[3]);
            w[2] ^= F2(w[3], tm[4], tr[4]);
            w[1] ^= F3(w[2], tm[5], tr[5]);
            w[0] ^= F1(w[1], tm[6], tr[6]);
            w[7] ^= F2(w[0], tm[7], tr[7]);
        }
        // Kr(i) = the low five bits of (A, C, E, G); Km(i) = (H, F, D, B).
        for (int j = 0; j < 4; ++j) {
            k[kRotation + 4 * i + j] = kappa[2 * j] & 31;
            k[kMasking + 4 * i + j] = kappa[7 - 2 * j];
        }
    }
    SecureWipe(kappa, sizeof kappa);
    SecureWipe(local, sizeof local);
    SetVector(iv);
}

void TCipher_Cast256::EncipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    const std::uint32_t* k = KeyScheduleWords();
    std::uint32_t w[4];
    for (int i = 0; i < 4; ++i) w[i] = LoadBE32(b + 4 * i);
    for (int i = 0; i < 6; ++i) Q(w, k, i);
    for (int i = 6; i < 12; ++i) QBar(w, k, i);
    for (int i = 0; i < 4; ++i) StoreBE32(b + 4 * i, w[i]);
}

void TCipher_Cast256::DecipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    const std::uint32_t* k = KeyScheduleWords();
    std::uint32_t w[4];
    for (int i = 0; i < 4; ++i) w[i] = LoadBE32(b + 4 * i);
    for (int i = 11; i >= 6; --i) Q(w, k, i);
    for (int i = 5; i >= 0; --i) QBar(w, k, i);
    for (int i = 0; i < 4; ++i) StoreBE32(b + 4 * i, w[i]);
}

} // namespace velkor
