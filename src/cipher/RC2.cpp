// RC2 as RFC 2268 (Rivest, 1998) defines it: the key expansion with its effective-key-length
// mask, the mix and mash operations on four 16-bit words, and their inverses for deciphering.
#include "cipher/RC2.h"

#include "base/Wipe.h"

#include <cstring>

namespace velkor {
namespace rc2 {
namespace {

// PITABLE: a permutation of 0..255 taken from the digits of pi, which the key expansion runs
// the key bytes through.
const std::uint8_t kPiTable[256] = {
    0xD9, 0x78, 0xF9, 0xC4, 0x19, 0xDD, 0xB5, 0xED, 0x28, 0xE9, 0xFD, 0x79, 0x4A, 0xA0, 0xD8, 0x9D,
    0xC6, 0x7E, 0x37, 0x83, 0x2B, 0x76, 0x53, 0x8E, 0x62, 0x4C, 0x64, 0x88, 0x44, 0x8B, 0xFB, 0xA2,
    0x17, 0x9A, 0x59, 0xF5, 0x87, 0xB3, 0x4F, 0x13, 0x61, 0x45, 0x6D, 0x8D, 0x09, 0x81, 0x7D, 0x32,
    0xBD, 0x8F, 0x40, 0xEB, 0x86, 0xB7, 0x7B, 0x0B, 0xF0, 0x95, 0x21, 0x22, 0x5C, 0x6B, 0x4E, 0x82,
    0x54, 0xD6, 0x65, 0x93, 0xCE, 0x60, 0xB2, 0x1C, 0x73, 0x56, 0xC0, 0x14, 0xA7, 0x8C, 0xF1, 0xDC,
    0x12, 0x75, 0xCA, 0x1F, 0x3B, 0xBE, 0xE4, 0xD1, 0x42, 0x3D, 0xD4, 0x30, 0xA3, 0x3C, 0xB6, 0x26,
    0x6F, 0xBF, 0x0E, 0xDA, 0x46, 0x69, 0x07, 0x57, 0x27, 0xF2, 0x1D, 0x9B, 0xBC, 0x94, 0x43, 0x03,
    0xF8, 0x11, 0xC7, 0xF6, 0x90, 0xEF, 0x3E, 0xE7, 0x06, 0xC3, 0xD5, 0x2F, 0xC8, 0x66, 0x1E, 0xD7,
    0x08, 0xE8, 0xEA, 0xDE, 0x80, 0x52, 0xEE, 0xF7, 0x84, 0xAA, 0x72, 0xAC, 0x35, 0x4D, 0x6A, 0x2A,
    0x96, 0x1A, 0xD2, 0x71, 0x5A, 0x15, 0x49, 0x74, 0x4B, 0x9F, 0xD0, 0x5E, 0x04, 0x18, 0xA4, 0xEC,
    0xC2, 0xE0, 0x41, 0x6E, 0x0F, 0x51, 0xCB, 0xCC, 0x24, 0x91, 0xAF, 0x50, 0xA1, 0xF4, 0x70, 0x39,
    0x99, 0x7C, 0x3A, 0x85, 0x23, 0xB8, 0xB4, 0x7A, 0xFC, 0x02, 0x36, 0x5B, 0x25, 0x55, 0x97, 0x31,
    0x2D, 0x5D, 0xFA, 0x98, 0xE3, 0x8A, 0x92, 0xAE, 0x05, 0xDF, 0x29, 0x10, 0x67, 0x6C, 0xBA, 0xC9,
    0xD3, 0x00, 0xE6, 0xCF, 0xE1, 0x9E, 0xA8, 0x2C, 0x63, 0x16, 0x01, 0x3F, 0x58, 0xE2, 0x89, 0xA9,
    0x0D, 0x38, 0x34, 0x1B, 0xAB, 0x33, 0xFF, 0xB0, 0xBB, 0x48, 0x0C, 0x5F, 0xB9, 0xB1, 0xCD, 0x2E,
    0xC5, 0xF3, 0xDB, 0x47, 0xE5, 0xA5, 0x9C, 0x77, 0x0A, 0xA6, 0x20, 0x68, 0xFE, 0x7F, 0xC1, 0xAD,
};

// The rotation of word i in a mixing round.
const int kRotation[4] = {1, 2, 3, 5};

std::uint16_t Rol16(std::uint16_t x, int n) {
    return static_cast<std::uint16_t>((x << n) | (x >> (16 - n)));
}

std::uint16_t Ror16(std::uint16_t x, int n) {
    return static_cast<std::uint16_t>((x >> n) | (x << (16 - n)));
}

void Load(const std::uint8_t* block, std::uint16_t* r) {
    for (int i = 0; i < 4; ++i)
        r[i] = static_cast<std::uint16_t>(block[2 * i] | (block[2 * i + 1] << 8));
}

void Store(const std::uint16_t* r, std::uint8_t* block) {
    for (int i = 0; i < 4; ++i) {
        block[2 * i] = static_cast<std::uint8_t>(r[i]);
        block[2 * i + 1] = static_cast<std::uint8_t>(r[i] >> 8);
    }
}

void MixRound(const std::uint32_t* k, std::uint16_t* r, int& j) {
    for (int i = 0; i < 4; ++i) {
        const std::uint16_t r1 = r[(i + 3) & 3], r2 = r[(i + 2) & 3], r3 = r[(i + 1) & 3];
        r[i] = static_cast<std::uint16_t>(r[i] + k[j++] + (r1 & r2) + (~r1 & r3));
        r[i] = Rol16(r[i], kRotation[i]);
    }
}

void MashRound(const std::uint32_t* k, std::uint16_t* r) {
    for (int i = 0; i < 4; ++i) r[i] = static_cast<std::uint16_t>(r[i] + k[r[(i + 3) & 3] & 63]);
}

void ReverseMixRound(const std::uint32_t* k, std::uint16_t* r, int& j) {
    for (int i = 3; i >= 0; --i) {
        const std::uint16_t r1 = r[(i + 3) & 3], r2 = r[(i + 2) & 3], r3 = r[(i + 1) & 3];
        r[i] = Ror16(r[i], kRotation[i]);
        r[i] = static_cast<std::uint16_t>(r[i] - k[j--] - (r1 & r2) - (~r1 & r3));
    }
}

void ReverseMashRound(const std::uint32_t* k, std::uint16_t* r) {
    for (int i = 3; i >= 0; --i) r[i] = static_cast<std::uint16_t>(r[i] - k[r[(i + 3) & 3] & 63]);
}

} // namespace

void ExpandKey(const std::uint8_t* key, std::size_t length, int effectiveBits,
               std::uint32_t* schedule) {
    std::uint8_t l[128] = {};
    const int t = static_cast<int>(length);
    std::memcpy(l, key, length);
    const int t8 = (effectiveBits + 7) / 8;
    const int tm = 0xFF >> (8 * t8 - effectiveBits);
    for (int i = t; i < 128; ++i) l[i] = kPiTable[(l[i - 1] + l[i - t]) & 0xFF];
    l[128 - t8] = kPiTable[l[128 - t8] & tm];
    for (int i = 127 - t8; i >= 0; --i) l[i] = kPiTable[l[i + 1] ^ l[i + t8]];
    for (int i = 0; i < kScheduleWords; ++i)
        schedule[i] = static_cast<std::uint32_t>(l[2 * i] | (l[2 * i + 1] << 8));
    SecureWipe(l, sizeof l);
}

// Five mixing rounds, a mashing round, six mixing rounds, a mashing round, five mixing rounds.
void Encipher(const std::uint32_t* schedule, std::uint8_t* block) {
    std::uint16_t r[4];
    Load(block, r);
    int j = 0;
    for (int round = 0; round < 16; ++round) {
        MixRound(schedule, r, j);
        if (round == 4 || round == 10) MashRound(schedule, r);
    }
    Store(r, block);
}

void Decipher(const std::uint32_t* schedule, std::uint8_t* block) {
    std::uint16_t r[4];
    Load(block, r);
    int j = 63;
    for (int round = 0; round < 16; ++round) {
        ReverseMixRound(schedule, r, j);
        if (round == 4 || round == 10) ReverseMashRound(schedule, r);
    }
    Store(r, block);
}

} // namespace rc2

VELKOR_DEFINE_CIPHER_CLASS(TCipher_RC2, TCipher::Class())

void TCipher_RC2::Init(const void* key, int size, const void* iv) {
    PrepareKey(size);
    std::uint8_t local[kKeySize] = {};
    if (size > 0) std::memcpy(local, key, static_cast<std::size_t>(size));
    const std::size_t length = size > 0 ? static_cast<std::size_t>(size) : 1;
    rc2::ExpandKey(local, length, static_cast<int>(8 * length), KeyScheduleWords());
    SecureWipe(local, sizeof local);
    SetVector(iv);
}

void TCipher_RC2::EncipherBlock(void* block) {
    rc2::Encipher(KeyScheduleWords(), static_cast<std::uint8_t*>(block));
}

void TCipher_RC2::DecipherBlock(void* block) {
    rc2::Decipher(KeyScheduleWords(), static_cast<std::uint8_t*>(block));
}

} // namespace velkor
