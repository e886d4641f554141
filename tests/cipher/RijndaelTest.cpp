// Rijndael (AES): its sizes, the zero-padding of keys that are not 16, 24 or 32 bytes long,
// and differential checks against Botan's AES-128/192/256 and Crypto++'s Rijndael. The FIPS 197
// values are in tests/data/ciphers/rijndael.vec.
#include "cipher/Rijndael.h"

#include "cipher/CipherManager.h"

#include "BlockReference.h"

#include <botan/block_cipher.h>
#include <cryptopp/rijndael.h>

#include <gtest/gtest.h>

using namespace velkor;
using velkor::test::Hex;
using velkor::test::U8;
using velkor::test::Unhex;

namespace {

constexpr auto Encipher = &test::Enciphered<TCipher_Rijndael>;

Bytes BotanAes(const Bytes& key, const Bytes& block) {
    auto c = Botan::BlockCipher::create_or_throw("AES-" + std::to_string(key.size() * 8));
    c->set_key(U8(key), key.size());
    Bytes out(16, '\0');
    c->encrypt(U8(block), U8(out));
    return out;
}

Bytes CryptoppRijndael(const Bytes& key, const Bytes& block) {
    CryptoPP::Rijndael::Encryption e(U8(key), key.size());
    Bytes out(16, '\0');
    e.ProcessBlock(U8(block), U8(out));
    return out;
}

} // namespace

TEST(Rijndael, Sizes) {
    EXPECT_EQ(TCipher_Rijndael::Class()->ClassName(), "TCipher_Rijndael");
    EXPECT_EQ(TCipher_Rijndael::Class()->BlockSize(), 16);
    EXPECT_EQ(TCipher_Rijndael::Class()->KeySize(), 32);
}

TEST(Rijndael, OtherKeyLengthsAreZeroPaddedToTheNextStandardLength) {
    const Bytes block = Unhex("00112233445566778899AABBCCDDEEFF");
    Bytes key;
    for (int i = 0; i < 32; ++i) key += static_cast<char>(0xA0 + i);
    struct Case {
        std::size_t given, padded;
    };
    for (Case c : {Case{0, 16}, Case{1, 16}, Case{15, 16}, Case{17, 24}, Case{23, 24}, Case{25, 32},
                   Case{31, 32}}) {
        SCOPED_TRACE(c.given);
        const Bytes padded = key.substr(0, c.given) + Bytes(c.padded - c.given, '\0');
        EXPECT_EQ(Hex(Encipher(key.substr(0, c.given), block)), Hex(BotanAes(padded, block)));
    }
    // Bytes past the 32nd are not part of the key.
    EXPECT_EQ(Encipher(key + "extra", block), Encipher(key, block));
}

TEST(Rijndael, SameAsBotanAes) {
    test::ExpectSameAsReference(TCipher_Rijndael::Class(), {16, 24, 32}, 300, BotanAes, 12001);
}

TEST(Rijndael, SameAsCryptoppRijndael) {
    test::ExpectSameAsReference(TCipher_Rijndael::Class(), {16, 24, 32}, 300, CryptoppRijndael,
                                12002);
}

TEST(Rijndael, SelectedByItsNameWithItsKeyBits) {
    TCipherManager m;
    m.SetAlgorithm("Rijndael");
    EXPECT_EQ(m.Cipher().ClassType(), TCipher_Rijndael::Class());
    EXPECT_EQ(m.Description(), "256bit Key");
}
