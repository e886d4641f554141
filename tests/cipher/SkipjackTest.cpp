// Skipjack: differential runs against Crypto++'s SKIPJACK on random 80-bit keys and blocks.
// The specification's worked example is in tests/data/ciphers/skipjack.vec. Crypto++ takes the
// cryptovariable and the block in the reverse byte order (its key is cv9..cv0, its block the
// example's bytes from last to first), so the operands are reversed on the way in and out; the
// specification's example, read in the order it is printed, is this class's.
#include "cipher/Skipjack.h"

#include "TestVectors.h"

#include <cryptopp/skipjack.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace velkor;
using velkor::test::Hex;

namespace {

Bytes RandomBytes(std::mt19937& rng, std::size_t n) {
    Bytes b(n, '\0');
    for (auto& ch : b) ch = static_cast<char>(rng() & 0xFF);
    return b;
}

const CryptoPP::byte* U8(const Bytes& b) {
    return reinterpret_cast<const CryptoPP::byte*>(b.data());
}

Bytes Reversed(Bytes b) {
    std::reverse(b.begin(), b.end());
    return b;
}

Bytes CryptoPPEncipher(const Bytes& key, const Bytes& block) {
    const Bytes k = Reversed(key), in = Reversed(block);
    CryptoPP::SKIPJACK::Encryption reference(U8(k), k.size());
    Bytes out(8, '\0');
    reference.ProcessBlock(U8(in), reinterpret_cast<CryptoPP::byte*>(out.data()));
    return Reversed(out);
}

} // namespace

TEST(CryptoPPSkipjack, ReadsThePublishedExampleInReverseByteOrder) {
    EXPECT_EQ(
        Hex(CryptoPPEncipher(test::Unhex("00998877665544332211"), test::Unhex("33221100DDCCBBAA"))),
        "2587CAE27A12D300");
}

TEST(CryptoPPSkipjack, RandomKeysAndBlocks) {
    std::mt19937 rng(1998);
    for (int i = 0; i < 1000; ++i) {
        const Bytes key = RandomBytes(rng, 10), block = RandomBytes(rng, 8);
        const Bytes expect = CryptoPPEncipher(key, block);
        TCipher_Skipjack c;
        c.Init(key.data(), static_cast<int>(key.size()), nullptr);
        Bytes got = block;
        c.EncipherBlock(got.data());
        ASSERT_EQ(Hex(got), Hex(expect)) << "key " << Hex(key) << " block " << Hex(block);
        c.DecipherBlock(got.data());
        ASSERT_EQ(Hex(got), Hex(block)) << "key " << Hex(key);
    }
}
