// Skipjack as NIST's 1998 description defines it: 32 steps, eight of rule A, eight of rule B,
// eight of A and eight of B, each with the counter 1 to 32 and the four-round Feistel
// permutation G keyed by four cryptovariable bytes.
#include "cipher/Skipjack.h"

#include "base/Wipe.h"

#include <cstring>

namespace velkor {
namespace {

// The F-table, the byte substitution inside G, as the 1998 description lists it.
const std::uint8_t kF[256] = {
    0xA3, 0xD7, 0x09, 0x83, 0xF8, 0x48, 0xF6, 0xF4, 0xB3, 0x21, 0x15, 0x78, 0x99, 0xB1, 0xAF, 0xF9,
    0xE7, 0x2D, 0x4D, 0x8A, 0xCE, 0x4C, 0xCA, 0x2E, 0x52, 0x95, 0xD9, 0x1E, 0x4E, 0x38, 0x44, 0x28,
    0x0A, 0xDF, 0x02, 0xA0, 0x17, 0xF1, 0x60, 0x68, 0x12, 0xB7, 0x7A, 0xC3, 0xE9, 0xFA, 0x3D, 0x53,
    0x96, 0x84, 0x6B, 0xBA, 0xF2, 0x63, 0x9A, 0x19, 0x7C, 0xAE, 0xE5, 0xF5, 0xF7, 0x16, 0x6A, 0xA2,
    0x39, 0xB6, 0x7B, 0x0F, 0xC1, 0x93, 0x81, 0x1B, 0xEE, 0xB4, 0x1A, 0xEA, 0xD0, 0x91, 0x2F, 0xB8,
    0x55, 0xB9, 0xDA, 0x85, 0x3F, 0x41, 0xBF, 0xE0, 0x5A, 0x58, 0x80, 0x5F, 0x66, 0x0B, 0xD8, 0x90,
    0x35, 0xD5, 0xC0, 0xA7, 0x33, 0x06, 0x65, 0x69, 0x45, 0x00, 0x94, 0x56, 0x6D, 0x98, 0x9B, 0x76,
    0x97, 0xFC, 0xB2, 0xC2, 0xB0, 0xFE, 0xDB, 0x20, 0xE1, 0xEB, 0xD6, 0xE4, 0xDD, 0x47, 0x4A, 0x1D,
    0x42, 0xED, 0x9E, 0x6E, 0x49, 0x3C, 0xCD, 0x43, 0x27, 0xD2, 0x07, 0xD4, 0xDE, 0xC7, 0x67, 0x18,
    0x89, 0xCB, 0x30, 0x1F, 0x8D, 0xC6, 0x8F, 0xAA, 0xC8, 0x74, 0xDC, 0xC9, 0x5D, 0x5C, 0x31, 0xA4,
    0x70, 0x88, 0x61, 0x2C, 0x9F, 0x0D, 0x2B, 0x87, 0x50, 0x82, 0x54, 0x64, 0x26, 0x7D, 0x03, 0x40,
    0x34, 0x4B, 0x1C, 0x73, 0xD1, 0xC4, 0xFD, 0x3B, 0xCC, 0xFB, 0x7F, 0xAB, 0xE6, 0x3E, 0x5B, 0xA5,
    0xAD, 0x04, 0x23, 0x9C, 0x14, 0x51, 0x22, 0xF0, 0x29, 0x79, 0x71, 0x7E, 0xFF, 0x8C, 0x0E, 0xE2,
    0x0C, 0xEF, 0xBC, 0x72, 0x75, 0x6F, 0x37, 0xA1, 0xEC, 0xD3, 0x8E, 0x62, 0x8B, 0x86, 0x10, 0xE8,
    0x08, 0x77, 0x11, 0xBE, 0x92, 0x4F, 0x24, 0xC5, 0x32, 0x36, 0x9D, 0xCF, 0xF3, 0xA6, 0xBB, 0xAC,
    0x5E, 0x6C, 0xA9, 0x13, 0x57, 0x25, 0xB5, 0xE3, 0xBD, 0xA8, 0x3A, 0x01, 0x05, 0x59, 0x2A, 0x46,
};

constexpr int kSteps = 32;

// G: four Feistel rounds on the two bytes of w under the step's key bytes cv[0..3].
std::uint16_t G(const std::uint8_t* cv, std::uint16_t w) {
    std::uint8_t g1 = static_cast<std::uint8_t>(w >> 8), g2 = static_cast<std::uint8_t>(w);
    const std::uint8_t g3 = kF[g2 ^ cv[0]] ^ g1;
    const std::uint8_t g4 = kF[g3 ^ cv[1]] ^ g2;
    const std::uint8_t g5 = kF[g4 ^ cv[2]] ^ g3;
    const std::uint8_t g6 = kF[g5 ^ cv[3]] ^ g4;
    return static_cast<std::uint16_t>((g5 << 8) | g6);
}

std::uint16_t GInverse(const std::uint8_t* cv, std::uint16_t w) {
    const std::uint8_t g5 = static_cast<std::uint8_t>(w >> 8), g6 = static_cast<std::uint8_t>(w);
    const std::uint8_t g4 = kF[g5 ^ cv[3]] ^ g6;
    const std::uint8_t g3 = kF[g4 ^ cv[2]] ^ g5;
    const std::uint8_t g2 = kF[g3 ^ cv[1]] ^ g4;
    const std::uint8_t g1 = kF[g2 ^ cv[0]] ^ g3;
    return static_cast<std::uint16_t>((g1 << 8) | g2);
}

// Steps 1-8 and 17-24 follow rule A, steps 9-16 and 25-32 rule B.
bool RuleA(int step) {
    return ((step - 1) / 8) % 2 == 0;
}

void Load(const std::uint8_t* b, std::uint16_t* w) {
    for (int i = 0; i < 4; ++i) w[i] = static_cast<std::uint16_t>((b[2 * i] << 8) | b[2 * i + 1]);
}

void Store(const std::uint16_t* w, std::uint8_t* b) {
    for (int i = 0; i < 4; ++i) {
        b[2 * i] = static_cast<std::uint8_t>(w[i] >> 8);
        b[2 * i + 1] = static_cast<std::uint8_t>(w[i]);
    }
}

} // namespace

VELKOR_DEFINE_CIPHER_CLASS(TCipher_Skipjack, TCipher::Class())

void TCipher_Skipjack::Init(const void* key, int size, const void* iv) {
    PrepareKey(size);
    std::uint8_t cv[kKeySize] = {};
    if (size > 0) std::memcpy(cv, key, static_cast<std::size_t>(size));
    // Step k (counted from 0) uses cv[4k], cv[4k+1], cv[4k+2], cv[4k+3], indices modulo 10.
    std::uint8_t* s = KeyScheduleData();
    for (int i = 0; i < 4 * kSteps; ++i) s[i] = cv[i % kKeySize];
    SecureWipe(cv, sizeof cv);
    SetVector(iv);
}

void TCipher_Skipjack::EncipherBlock(void* block) {
    const std::uint8_t* s = KeyScheduleData();
    std::uint16_t w[4];
    Load(static_cast<std::uint8_t*>(block), w);
    for (int step = 1; step <= kSteps; ++step) {
        const std::uint8_t* cv = s + 4 * (step - 1);
        const auto counter = static_cast<std::uint16_t>(step);
        const std::uint16_t g = G(cv, w[0]);
        if (RuleA(step)) {
            const std::uint16_t w4 = w[3];
            w[3] = w[2];
            w[2] = w[1];
            w[1] = g;
            w[0] = static_cast<std::uint16_t>(g ^ w4 ^ counter);
        } else {
            const std::uint16_t w1 = w[0], w2 = w[1];
            w[0] = w[3];
            w[3] = w[2];
            w[2] = static_cast<std::uint16_t>(w1 ^ w2 ^ counter);
            w[1] = g;
        }
    }
    Store(w, static_cast<std::uint8_t*>(block));
}

void TCipher_Skipjack::DecipherBlock(void* block) {
    const std::uint8_t* s = KeyScheduleData();
    std::uint16_t w[4];
    Load(static_cast<std::uint8_t*>(block), w);
    for (int step = kSteps; step >= 1; --step) {
        const std::uint8_t* cv = s + 4 * (step - 1);
        const auto counter = static_cast<std::uint16_t>(step);
        const std::uint16_t w1 = GInverse(cv, w[1]);
        if (RuleA(step)) {
            // A made (G(w1) ^ w4 ^ counter, G(w1), w2, w3).
            const std::uint16_t w4 = static_cast<std::uint16_t>(w[0] ^ w[1] ^ counter);
            w[0] = w1;
            w[1] = w[2];
            w[2] = w[3];
            w[3] = w4;
        } else {
            // B made (w4, G(w1), w1 ^ w2 ^ counter, w3).
            const std::uint16_t w4 = w[0];
            w[1] = static_cast<std::uint16_t>(w[2] ^ w1 ^ counter);
            w[2] = w[3];
            w[3] = w4;
            w[0] = w1;
        }
    }
    Store(w, static_cast<std::uint8_t*>(block));
}

} // namespace velkor
