// RC6: its sizes, keys taken at their own length, its registry name and note, and a
// differential check against Crypto++'s RC6. The designers' values are in
// tests/data/ciphers/rc6.vec.
#include "cipher/RC6.h"

#include "cipher/CipherManager.h"

#include "BlockReference.h"

#include <cryptopp/rc6.h>

#include <gtest/gtest.h>

using namespace velkor;
using velkor::test::Hex;
using velkor::test::U8;
using velkor::test::Unhex;

namespace {

constexpr auto Encipher = &test::Enciphered<TCipher_RC6>;

Bytes CryptoppRC6(const Bytes& key, const Bytes& block) {
    CryptoPP::RC6::Encryption e(U8(key), key.size());
    Bytes out(16, '\0');
    e.ProcessBlock(U8(block), U8(out));
    return out;
}

} // namespace

TEST(RC6, Sizes) {
    EXPECT_EQ(TCipher_RC6::Class()->ClassName(), "TCipher_RC6");
    EXPECT_EQ(TCipher_RC6::Class()->BlockSize(), 16);
    EXPECT_EQ(TCipher_RC6::Class()->KeySize(), 255);
}

TEST(RC6, KeysAreTheirOwnLengthNotZeroPadded) {
    // RC6 counts the key's words: a trailing zero byte that makes a new word changes the key.
    const Bytes block = Unhex("02132435465768798A9BACBDCEDFE0F1");
    const Bytes key = Unhex("0123456789ABCDEF0112233445566778");
    EXPECT_NE(Encipher(key, block), Encipher(key + Bytes(1, '\0'), block));
    EXPECT_NE(Encipher(Bytes(), block), Encipher(Bytes(5, '\0'), block));
    Bytes longKey(255, 'k');
    EXPECT_EQ(Encipher(longKey + "extra", block), Encipher(longKey, block));
}

TEST(RC6, SameAsCryptoppAtTheKeyLengthsItTakes) {
    // Crypto++ takes only the AES key lengths of 16, 24 and 32 bytes.
    const auto lengths = test::KeyLengths(
        0, 255, [](std::size_t n) { return CryptoPP::RC6::Encryption().IsValidKeyLength(n); });
    ASSERT_FALSE(lengths.empty());
    test::ExpectSameAsReference(TCipher_RC6::Class(), lengths, 300, CryptoppRC6, 36001);
}

TEST(RC6, SelectedByItsNameWithItsNoteAndKeyBits) {
    TCipherManager m;
    m.SetAlgorithm("RC6");
    EXPECT_EQ(m.Cipher().ClassType(), TCipher_RC6::Class());
    EXPECT_EQ(m.Description(), "Patented by RSA, 2040bit Key");
}
