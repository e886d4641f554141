// GOST 28147-89 against Crypto++'s GOST and Botan's "GOST-28147-89(R3411_94_TestParam)" on random
// keys and blocks. GOST 28147-89 leaves its S-boxes to the user and publishes no test values;
// the class uses the test parameter set of GOST R 34.11-94, which is Botan's R3411_94_TestParam
// and the fixed set of Crypto++. All three read key and block as little-endian 32-bit words.
#include "cipher/Gost.h"
#include "cipher/CipherRegistry.h"

#include "BlockReference.h"

#include <botan/block_cipher.h>
#include <cryptopp/gost.h>
#include <gtest/gtest.h>

using namespace velkor;
using velkor::test::ExpectSameAsReference;
using velkor::test::U8;

TEST(Gost, SizesAndRegistration) {
    EXPECT_EQ(FindCipherClass("Gost"), TCipher_Gost::Class());
    EXPECT_EQ(TCipher_Gost::Class()->BlockSize(), 8);
    EXPECT_EQ(TCipher_Gost::Class()->KeySize(), 32);
}

TEST(Gost, AgreesWithCryptoPP) {
    ExpectSameAsReference(
        TCipher_Gost::Class(), {32}, 200,
        [](const Bytes& key, const Bytes& block) {
            CryptoPP::GOST::Encryption e(U8(key), key.size());
            Bytes out(block.size(), '\0');
            e.ProcessBlock(U8(block), U8(out));
            return out;
        },
        2801);
}

TEST(Gost, AgreesWithBotanTestParameters) {
    auto gost = Botan::BlockCipher::create_or_throw("GOST-28147-89(R3411_94_TestParam)");
    ExpectSameAsReference(
        TCipher_Gost::Class(), {32}, 200,
        [&](const Bytes& key, const Bytes& block) {
            gost->set_key(U8(key), key.size());
            Bytes out = block;
            gost->encrypt(U8(out));
            return out;
        },
        2802);
}

// The other published parameter set gives other cipher texts: the S-boxes are really in use.
TEST(Gost, DiffersFromTheCryptoProParameters) {
    auto other = Botan::BlockCipher::create_or_throw("GOST-28147-89(R3411_CryptoPro)");
    const Bytes key(32, '\x5A'), block = test::Unhex("0123456789ABCDEF");
    other->set_key(U8(key), key.size());
    Bytes theirs = block;
    other->encrypt(U8(theirs));
    TCipher_Gost c;
    c.Init(key.data(), 32, nullptr);
    Bytes ours = block;
    c.EncipherBlock(ours.data());
    EXPECT_NE(test::Hex(ours), test::Hex(theirs));
}
