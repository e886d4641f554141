// RC5-32/12: differential runs against Crypto++'s RC5 with 12 rounds on random keys of every
// length the class accepts (0 to 255 bytes) and random blocks. The paper's examples are in
// tests/data/ciphers/rc5.vec.
#include "cipher/RC5.h"

#include "TestVectors.h"

#include <cryptopp/rc5.h>
#include <gtest/gtest.h>

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

} // namespace

TEST(CryptoPPRC5, RandomKeysOfEveryLengthAndBlocks) {
    std::mt19937 rng(1994);
    for (std::size_t length = 0; length <= 255; ++length) {
        for (int i = 0; i < 3; ++i) {
            const Bytes key = RandomBytes(rng, length), block = RandomBytes(rng, 8);
            CryptoPP::RC5::Encryption reference(U8(key), key.size(), TCipher_RC5::kRounds);
            Bytes expect(8, '\0');
            reference.ProcessBlock(U8(block), reinterpret_cast<CryptoPP::byte*>(expect.data()));
            TCipher_RC5 c;
            c.Init(key.data(), static_cast<int>(key.size()), nullptr);
            Bytes got = block;
            c.EncipherBlock(got.data());
            ASSERT_EQ(Hex(got), Hex(expect)) << "key " << Hex(key) << " block " << Hex(block);
            c.DecipherBlock(got.data());
            ASSERT_EQ(Hex(got), Hex(block)) << "key " << Hex(key);
        }
    }
}

TEST(RC5, KeyLimit) {
    EXPECT_EQ(TCipher_RC5::Class()->KeySize(), 255);
    std::mt19937 rng(255);
    const Bytes key = RandomBytes(rng, 255), block = RandomBytes(rng, 8);
    auto encipher = [&](const Bytes& k) {
        TCipher_RC5 c;
        c.Init(k.data(), static_cast<int>(k.size()), nullptr);
        Bytes b = block;
        c.EncipherBlock(b.data());
        return b;
    };
    EXPECT_EQ(encipher(key + "extra"), encipher(key));
    // A short key is not padded: the key length takes part in the expansion.
    EXPECT_NE(encipher(key.substr(0, 16)), encipher(key.substr(0, 16) + Bytes(1, '\0')));
}
