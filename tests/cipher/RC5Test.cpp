// RC5-32/12: differential runs against Crypto++'s RC5 with 12 rounds on random keys of every
// length the class accepts (0 to 255 bytes) and random blocks. The paper's examples are in
// tests/data/ciphers/rc5.vec.
#include "cipher/RC5.h"

#include "BlockReference.h"

#include <cryptopp/rc5.h>
#include <gtest/gtest.h>

#include <random>

using namespace velkor;
using velkor::test::RandomBytes;
using velkor::test::U8;

TEST(CryptoPPRC5, RandomKeysOfEveryLengthAndBlocks) {
    test::ExpectSameAsReference(
        TCipher_RC5::Class(), test::KeyLengths(0, 255), 3,
        [](const Bytes& key, const Bytes& block) {
            CryptoPP::RC5::Encryption reference(U8(key), key.size(), TCipher_RC5::kRounds);
            Bytes out(8, '\0');
            reference.ProcessBlock(U8(block), U8(out));
            return out;
        },
        1994);
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
