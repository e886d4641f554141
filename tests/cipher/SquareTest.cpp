// Square against Crypto++'s Square (8 rounds, 16-byte key and block, the bytes in the same order)
// on random keys and blocks.
#include "cipher/Square.h"
#include "cipher/CipherRegistry.h"

#include "BlockReference.h"

#include <cryptopp/square.h>
#include <gtest/gtest.h>

using namespace velkor;
using velkor::test::ExpectSameAsReference;
using velkor::test::U8;

TEST(Square, SizesAndRegistration) {
    EXPECT_EQ(FindCipherClass("Square"), TCipher_Square::Class());
    EXPECT_EQ(TCipher_Square::Class()->BlockSize(), 16);
    EXPECT_EQ(TCipher_Square::Class()->KeySize(), 16);
}

TEST(Square, AgreesWithCryptoPP) {
    ExpectSameAsReference(
        TCipher_Square::Class(), {16}, 200,
        [](const Bytes& key, const Bytes& block) {
            CryptoPP::Square::Encryption e(U8(key), key.size());
            Bytes out(block.size(), '\0');
            e.ProcessBlock(U8(block), U8(out));
            return out;
        },
        5501);
}
