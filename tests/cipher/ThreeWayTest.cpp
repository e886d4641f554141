// 3-Way against Crypto++'s ThreeWay (11 rounds, its default) on random keys and blocks. Crypto++
// lays the block and key out as the class does, words a0 a1 a2 each big-endian, so the bytes are
// compared as they are; only the designer's printed test values list the words the other way
// round (see tests/data/ciphers/3way.vec).
#include "cipher/ThreeWay.h"
#include "cipher/CipherRegistry.h"

#include "BlockReference.h"

#include <cryptopp/3way.h>
#include <gtest/gtest.h>

using namespace velkor;
using velkor::test::ExpectSameAsReference;
using velkor::test::U8;

TEST(ThreeWay, SizesAndRegistration) {
    EXPECT_EQ(FindCipherClass("3Way"), TCipher_3Way::Class());
    EXPECT_EQ(TCipher_3Way::Class()->BlockSize(), 12);
    EXPECT_EQ(TCipher_3Way::Class()->KeySize(), 12);
}

TEST(ThreeWay, AgreesWithCryptoPP) {
    ExpectSameAsReference(
        TCipher_3Way::Class(), {12}, 200,
        [](const Bytes& key, const Bytes& block) {
            CryptoPP::ThreeWay::Encryption e;
            e.SetKeyWithRounds(U8(key), key.size(), 11);
            Bytes out(block.size(), '\0');
            e.ProcessBlock(U8(block), U8(out));
            return out;
        },
        3301);
}
