// Twofish: its sizes, the zero-padding of short keys, and differential checks against Botan's
// and Crypto++'s Twofish. The designers' values are in tests/data/ciphers/twofish.vec.
#include "cipher/Twofish.h"

#include "cipher/CipherManager.h"

#include "BlockReference.h"

#include <botan/block_cipher.h>
#include <cryptopp/twofish.h>

#include <gtest/gtest.h>

using namespace velkor;
using velkor::test::Hex;
using velkor::test::U8;
using velkor::test::Unhex;

namespace {

constexpr auto Encipher = &test::Enciphered<TCipher_Twofish>;

Bytes BotanTwofish(const Bytes& key, const Bytes& block) {
    auto c = Botan::BlockCipher::create_or_throw("Twofish");
    c->set_key(U8(key), key.size());
    Bytes out(16, '\0');
    c->encrypt(U8(block), U8(out));
    return out;
}

Bytes CryptoppTwofish(const Bytes& key, const Bytes& block) {
    CryptoPP::Twofish::Encryption e(U8(key), key.size());
    Bytes out(16, '\0');
    e.ProcessBlock(U8(block), U8(out));
    return out;
}

} // namespace

TEST(Twofish, Sizes) {
    EXPECT_EQ(TCipher_Twofish::Class()->ClassName(), "TCipher_Twofish");
    EXPECT_EQ(TCipher_Twofish::Class()->BlockSize(), 16);
    EXPECT_EQ(TCipher_Twofish::Class()->KeySize(), 32);
}

TEST(Twofish, ShortKeysAreZeroPaddedToTheNextStandardLength) {
    const Bytes block = Unhex("00112233445566778899AABBCCDDEEFF");
    Bytes key;
    for (int i = 0; i < 32; ++i) key += static_cast<char>(0x31 * i + 7);
    struct Case {
        std::size_t given, padded;
    };
    for (Case c : {Case{0, 16}, Case{5, 16}, Case{15, 16}, Case{17, 24}, Case{23, 24}, Case{25, 32},
                   Case{31, 32}}) {
        SCOPED_TRACE(c.given);
        const Bytes padded = key.substr(0, c.given) + Bytes(c.padded - c.given, '\0');
        EXPECT_EQ(Hex(Encipher(key.substr(0, c.given), block)), Hex(BotanTwofish(padded, block)));
    }
    EXPECT_EQ(Encipher(key + "extra", block), Encipher(key, block));
}

TEST(Twofish, SameAsBotan) {
    test::ExpectSameAsReference(TCipher_Twofish::Class(), {16, 24, 32}, 200, BotanTwofish, 17001);
}

TEST(Twofish, SameAsCryptopp) {
    test::ExpectSameAsReference(TCipher_Twofish::Class(), {16, 24, 32}, 200, CryptoppTwofish,
                                17002);
}

TEST(Twofish, SelectedByItsNameWithItsKeyBits) {
    TCipherManager m;
    m.SetAlgorithm("Twofish");
    EXPECT_EQ(m.Cipher().ClassType(), TCipher_Twofish::Class());
    EXPECT_EQ(m.Description(), "256bit Key");
}
