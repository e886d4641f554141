// 3-Way as Daemen published it. A round adds the key and a round constant, then applies the
// linear step theta, the bit permutation pi_1, the nonlinear step gamma and pi_2. Deciphering
// is the same cipher on the bit-reversed block under a derived key with other constants.
#include "cipher/ThreeWay.h"

#include "base/ByteOrder.h"
#include "base/Wipe.h"

#include <cstring>

namespace velkor {

namespace {

constexpr int kRounds = 11;

// The round constants for enciphering: 0x0B0B stepped by a doubling modulo x^16 + x^12 + x^4 + x
// + 1 (the shift register of the definition), one per round and one for the output.
constexpr std::uint32_t kEncipherConstants[kRounds + 1] = {
    0x0B0B, 0x1616, 0x2C2C, 0x5858, 0xB0B0, 0x7171, 0xE2E2, 0xD5D5, 0xBBBB, 0x6767, 0xCECE, 0x8D8D};
// The same register started from 0xB1B1, for deciphering.
constexpr std::uint32_t kDecipherConstants[kRounds + 1] = {
    0xB1B1, 0x7373, 0xE6E6, 0xDDDD, 0xABAB, 0x4747, 0x8E8E, 0x0D0D, 0x1A1A, 0x3434, 0x6868, 0xD0D0};

// Reverses the order of the 96 bits: bit i of a0 becomes bit 31 - i of a2, and so on.
void Mu(std::uint32_t* a) {
    std::uint32_t b[3] = {};
    for (int i = 0; i < 32; ++i) {
        b[0] = (b[0] << 1) | (a[2] & 1);
        b[1] = (b[1] << 1) | (a[1] & 1);
        b[2] = (b[2] << 1) | (a[0] & 1);
        a[0] >>= 1;
        a[1] >>= 1;
        a[2] >>= 1;
    }
    std::memcpy(a, b, sizeof b);
}

void Gamma(std::uint32_t* a) {
    const std::uint32_t b0 = a[0] ^ (a[1] | ~a[2]);
    const std::uint32_t b1 = a[1] ^ (a[2] | ~a[0]);
    const std::uint32_t b2 = a[2] ^ (a[0] | ~a[1]);
    a[0] = b0;
    a[1] = b1;
    a[2] = b2;
}

// Each word's new value mixes bytes of all three words; word j is the formula for word 0 with
// the indices shifted by j.
std::uint32_t ThetaWord(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return x ^ (x >> 16) ^ (y << 16) ^ (y >> 16) ^ (z << 16) ^ (y >> 24) ^ (z << 8) ^ (z >> 8) ^
           (x << 24) ^ (z >> 16) ^ (x << 16) ^ (z >> 24) ^ (x << 8);
}

void Theta(std::uint32_t* a) {
    const std::uint32_t b0 = ThetaWord(a[0], a[1], a[2]);
    const std::uint32_t b1 = ThetaWord(a[1], a[2], a[0]);
    const std::uint32_t b2 = ThetaWord(a[2], a[0], a[1]);
    a[0] = b0;
    a[1] = b1;
    a[2] = b2;
}

void Pi1(std::uint32_t* a) {
    a[0] = Rol(a[0], 22);
    a[2] = Rol(a[2], 1);
}

void Pi2(std::uint32_t* a) {
    a[0] = Rol(a[0], 1);
    a[2] = Rol(a[2], 22);
}

void Rounds(std::uint32_t* a, const std::uint32_t* k, const std::uint32_t* constants) {
    for (int i = 0; i < kRounds; ++i) {
        a[0] ^= k[0] ^ (constants[i] << 16);
        a[1] ^= k[1];
        a[2] ^= k[2] ^ constants[i];
        Theta(a);
        Pi1(a);
        Gamma(a);
        Pi2(a);
    }
    a[0] ^= k[0] ^ (constants[kRounds] << 16);
    a[1] ^= k[1];
    a[2] ^= k[2] ^ constants[kRounds];
    Theta(a);
}

void Load(const std::uint8_t* p, std::uint32_t* a) {
    for (int i = 0; i < 3; ++i) a[i] = LoadBE32(p + 4 * i);
}

void Store(const std::uint32_t* a, std::uint8_t* p) {
    for (int i = 0; i < 3; ++i) StoreBE32(p + 4 * i, a[i]);
}

} // namespace

VELKOR_DEFINE_CIPHER_CLASS(TCipher_3Way, TCipher::Class())

void TCipher_3Way::Init(const void* key, int size, const void* iv) {
    PrepareKey(size);
    std::uint8_t k[kKeySize] = {};
    if (size > 0) std::memcpy(k, key, static_cast<std::size_t>(size));
    std::uint32_t* w = KeyScheduleWords();
    Load(k, w);
    std::memcpy(w + 3, w, 12);
    Theta(w + 3);
    Mu(w + 3);
    SecureWipe(k, sizeof k);
    SetVector(iv);
}

void TCipher_3Way::EncipherBlock(void* block) {
    auto* p = static_cast<std::uint8_t*>(block);
    std::uint32_t a[3];
    Load(p, a);
    Rounds(a, KeyScheduleWords(), kEncipherConstants);
    Store(a, p);
}

void TCipher_3Way::DecipherBlock(void* block) {
    auto* p = static_cast<std::uint8_t*>(block);
    std::uint32_t a[3];
    Load(p, a);
    Mu(a);
    Rounds(a, KeyScheduleWords() + 3, kDecipherConstants);
    Mu(a);
    Store(a, p);
}

} // namespace velkor
