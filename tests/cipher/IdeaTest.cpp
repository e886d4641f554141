// IDEA against two independent implementations on random keys and blocks, Crypto++ and Botan;
// all three take the key and the block as big-endian 16-bit words. (Debian builds OpenSSL
// without IDEA, so its legacy provider offers none.)
#include "cipher/IDEA.h"
#include "cipher/CipherRegistry.h"

#include "BlockReference.h"

#include <botan/block_cipher.h>
#include <cryptopp/idea.h>
#include <gtest/gtest.h>

using namespace velkor;
using velkor::test::ExpectSameAsReference;
using velkor::test::U8;

TEST(Idea, SizesAndRegistration) {
    EXPECT_EQ(FindCipherClass("IDEA"), TCipher_IDEA::Class());
    EXPECT_EQ(TCipher_IDEA::Class()->BlockSize(), 8);
    EXPECT_EQ(TCipher_IDEA::Class()->KeySize(), 16);
}

TEST(Idea, AgreesWithCryptoPP) {
    ExpectSameAsReference(
        TCipher_IDEA::Class(), {16}, 200,
        [](const Bytes& key, const Bytes& block) {
            CryptoPP::IDEA::Encryption e(U8(key), key.size());
            Bytes out(block.size(), '\0');
            e.ProcessBlock(U8(block), U8(out));
            return out;
        },
        1201);
}

TEST(Idea, AgreesWithBotan) {
    auto idea = Botan::BlockCipher::create_or_throw("IDEA");
    ExpectSameAsReference(
        TCipher_IDEA::Class(), {16}, 200,
        [&](const Bytes& key, const Bytes& block) {
            idea->set_key(U8(key), key.size());
            Bytes out = block;
            idea->encrypt(U8(out));
            return out;
        },
        1202);
}

// The multiplication modulo 65537 treats the word 0 as 65536: subkeys and data words of zero
// are where a slip shows.
TEST(Idea, ZeroWordsAgreeWithCryptoPP) {
    for (const char* hex : {"00000000000000000000000000000000", "0000FFFF000000010000FFFF00000000",
                            "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"}) {
        const Bytes key = test::Unhex(hex);
        for (const char* blockHex : {"0000000000000000", "0000000100000001", "FFFF0000FFFF0000"}) {
            const Bytes block = test::Unhex(blockHex);
            CryptoPP::IDEA::Encryption e(U8(key), key.size());
            Bytes expected(8, '\0');
            e.ProcessBlock(U8(block), U8(expected));
            TCipher_IDEA c;
            c.Init(key.data(), 16, nullptr);
            Bytes got = block;
            c.EncipherBlock(got.data());
            EXPECT_EQ(test::Hex(got), test::Hex(expected))
                << "key " << hex << " block " << blockHex;
            c.DecipherBlock(got.data());
            EXPECT_EQ(test::Hex(got), test::Hex(block));
        }
    }
}
