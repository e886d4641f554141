// GOST 28147-89 in its simple substitution mode. A round adds a key word to the right half
// modulo 2^32, passes the eight nibbles through eight 4-bit S-boxes, rotates by 11 bits to the
// left and XORs the result into the left half. Enciphering takes the key words in the order
// K0..K7 three times, then K7..K0; deciphering in the reverse order. The standard publishes no
// test values (it leaves the S-boxes to the user); the class is checked against Crypto++ and
// Botan with the same S-boxes.
#include "cipher/Gost.h"

#include "base/ByteOrder.h"
#include "base/Wipe.h"

#include <array>
#include <cstring>

namespace velkor {

namespace {

// The S-boxes of the test parameter set of GOST R 34.11-94 (id-GostR3411-94-TestParamSet):
// row i maps nibble i of the sum, counted from the least significant.
constexpr std::uint8_t kSBox[8][16] = {
    {4, 10, 9, 2, 13, 8, 0, 14, 6, 11, 1, 12, 7, 15, 5, 3},
    {14, 11, 4, 12, 6, 13, 15, 10, 2, 3, 8, 1, 0, 7, 5, 9},
    {5, 8, 1, 13, 10, 3, 4, 2, 14, 15, 12, 7, 6, 0, 9, 11},
    {7, 13, 10, 1, 0, 8, 9, 15, 14, 4, 6, 12, 11, 2, 5, 3},
    {6, 12, 7, 1, 5, 15, 13, 8, 4, 10, 9, 14, 0, 3, 11, 2},
    {4, 11, 10, 0, 7, 2, 1, 13, 3, 6, 8, 5, 9, 12, 15, 14},
    {13, 11, 4, 1, 3, 15, 5, 9, 0, 10, 14, 7, 6, 8, 2, 12},
    {1, 15, 13, 0, 5, 7, 10, 4, 9, 2, 3, 14, 6, 11, 8, 12},
};

// Byte-wide tables: for byte position p, the two S-boxes of its nibbles, placed and already
// rotated by 11 bits, so that a round is four look-ups.
constexpr std::array<std::array<std::uint32_t, 256>, 4> MakeByteTables() {
    std::array<std::array<std::uint32_t, 256>, 4> t{};
    for (int p = 0; p < 4; ++p)
        for (std::uint32_t x = 0; x < 256; ++x) {
            const std::uint32_t v = (static_cast<std::uint32_t>(kSBox[2 * p][x & 15]) |
                                     static_cast<std::uint32_t>(kSBox[2 * p + 1][x >> 4]) << 4)
                                    << (8 * p);
            t[static_cast<std::size_t>(p)][x] = (v << 11) | (v >> 21);
        }
    return t;
}
constexpr auto kByteTables = MakeByteTables();

inline std::uint32_t F(std::uint32_t x) {
    return kByteTables[0][x & 0xFF] ^ kByteTables[1][(x >> 8) & 0xFF] ^
           kByteTables[2][(x >> 16) & 0xFF] ^ kByteTables[3][x >> 24];
}

// The key word of round i (0..31) when enciphering.
constexpr int KeyIndex(int round) {
    return round < 24 ? round % 8 : 31 - round;
}

} // namespace

VELKOR_DEFINE_CIPHER_CLASS(TCipher_Gost, TCipher::Class())

void TCipher_Gost::Init(const void* key, int size, const void* iv) {
    PrepareKey(size);
    std::uint8_t k[kKeySize] = {};
    if (size > 0) std::memcpy(k, key, static_cast<std::size_t>(size));
    for (int i = 0; i < 8; ++i) KeyScheduleWords()[i] = LoadLE32(k + 4 * i);
    SecureWipe(k, sizeof k);
    SetVector(iv);
}

void TCipher_Gost::EncipherBlock(void* block) {
    auto* p = static_cast<std::uint8_t*>(block);
    const std::uint32_t* k = KeyScheduleWords();
    std::uint32_t n1 = LoadLE32(p), n2 = LoadLE32(p + 4);
    // Two rounds per step, the halves exchanging roles instead of places.
    for (int i = 0; i < 32; i += 2) {
        n2 ^= F(n1 + k[KeyIndex(i)]);
        n1 ^= F(n2 + k[KeyIndex(i + 1)]);
    }
    // The last round does not exchange the halves.
    StoreLE32(p, n2);
    StoreLE32(p + 4, n1);
}

void TCipher_Gost::DecipherBlock(void* block) {
    auto* p = static_cast<std::uint8_t*>(block);
    const std::uint32_t* k = KeyScheduleWords();
    std::uint32_t n1 = LoadLE32(p), n2 = LoadLE32(p + 4);
    for (int i = 0; i < 32; i += 2) {
        n2 ^= F(n1 + k[KeyIndex(31 - i)]);
        n1 ^= F(n2 + k[KeyIndex(30 - i)]);
    }
    StoreLE32(p, n2);
    StoreLE32(p + 4, n1);
}

} // namespace velkor
