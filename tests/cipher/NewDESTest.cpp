// NewDES has no published test values and no packaged implementation, so its block primitive
// is checked through its properties: the complementation property its analysts published
// (complementing key and plain text complements the cipher text), and avalanche (one flipped
// plain-text bit or key bit changes about half of the 64 output bits).
#include "cipher/NewDES.h"

#include "BlockReference.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>

namespace velkor {
namespace {

using test::Hex;
using test::RandomBytes;

constexpr auto Encipher = &test::Enciphered<TCipher_NewDES>;

Bytes Complement(Bytes b) {
    for (auto& ch : b) ch = static_cast<char>(~ch);
    return b;
}

int BitsDiffering(const Bytes& a, const Bytes& b) {
    int n = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        n += std::popcount(static_cast<unsigned char>(a[i] ^ b[i]));
    return n;
}

TEST(NewDES, ComplementingKeyAndPlainTextComplementsTheCipherText) {
    std::mt19937 rng(0xDE5);
    for (int i = 0; i < 200; ++i) {
        const Bytes key = RandomBytes(rng, 15), plain = RandomBytes(rng, 8);
        EXPECT_EQ(Hex(Encipher(Complement(key), Complement(plain))),
                  Hex(Complement(Encipher(key, plain))))
            << "key " << Hex(key) << " plain " << Hex(plain);
    }
}

TEST(NewDES, DecipherBlockInvertsEncipherBlock) {
    std::mt19937 rng(0xDE6);
    for (int i = 0; i < 200; ++i) {
        const Bytes key = RandomBytes(rng, 15), plain = RandomBytes(rng, 8);
        TCipher_NewDES c;
        c.Init(key.data(), 15, nullptr);
        Bytes block = plain;
        c.EncipherBlock(block.data());
        EXPECT_NE(block, plain);
        c.DecipherBlock(block.data());
        EXPECT_EQ(Hex(block), Hex(plain)) << "key " << Hex(key);
    }
}

TEST(NewDES, OneFlippedBitChangesAboutHalfTheOutput) {
    std::mt19937 rng(0xDE7);
    long plainFlips = 0, keyFlips = 0;
    int plainTrials = 0, keyTrials = 0;
    for (int i = 0; i < 100; ++i) {
        const Bytes key = RandomBytes(rng, 15), plain = RandomBytes(rng, 8);
        const Bytes reference = Encipher(key, plain);
        for (int bit = 0; bit < 64; ++bit) {
            Bytes p = plain;
            p[bit / 8] = static_cast<char>(p[bit / 8] ^ (1 << (bit % 8)));
            const int d = BitsDiffering(Encipher(key, p), reference);
            EXPECT_GE(d, 8) << "key " << Hex(key) << " plain " << Hex(plain) << " bit " << bit;
            plainFlips += d;
            ++plainTrials;
        }
        for (int bit = 0; bit < 120; bit += 7) {
            Bytes k = key;
            k[bit / 8] = static_cast<char>(k[bit / 8] ^ (1 << (bit % 8)));
            keyFlips += BitsDiffering(Encipher(k, plain), reference);
            ++keyTrials;
        }
    }
    EXPECT_NEAR(static_cast<double>(plainFlips) / plainTrials, 32.0, 1.0);
    EXPECT_NEAR(static_cast<double>(keyFlips) / keyTrials, 32.0, 1.5);
}

} // namespace
} // namespace velkor
