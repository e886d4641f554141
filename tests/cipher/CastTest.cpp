// CAST-128 and CAST-256: their sizes, the zero-padding of short keys, the round count of short
// CAST-128 keys, their registry names and notes, RFC 2144's maintenance test, and differential
// checks against Botan's and Crypto++'s CAST ciphers. The RFCs' single-block values are in
// tests/data/ciphers/cast128.vec and cast256.vec.
#include "cipher/Cast.h"

#include "cipher/CipherManager.h"

#include "BlockReference.h"

#include <botan/block_cipher.h>
#include <cryptopp/cast.h>

#include <gtest/gtest.h>

#include <cstring>

using namespace velkor;
using velkor::test::Enciphered;
using velkor::test::Hex;
using velkor::test::U8;
using velkor::test::Unhex;

namespace {

Bytes BotanBlock(const char* name, const Bytes& key, const Bytes& block) {
    auto c = Botan::BlockCipher::create_or_throw(name);
    c->set_key(U8(key), key.size());
    Bytes out(block.size(), '\0');
    c->encrypt(U8(block), U8(out));
    return out;
}

template <class E> Bytes Cryptopp(const Bytes& key, const Bytes& block) {
    E e(U8(key), key.size());
    Bytes out(block.size(), '\0');
    e.ProcessBlock(U8(block), U8(out));
    return out;
}

} // namespace

TEST(Cast, SizesNamesAndNotes) {
    EXPECT_EQ(TCipher_Cast128::Class()->ClassName(), "TCipher_Cast128");
    EXPECT_EQ(TCipher_Cast128::Class()->BlockSize(), 8);
    EXPECT_EQ(TCipher_Cast128::Class()->KeySize(), 16);
    EXPECT_EQ(TCipher_Cast256::Class()->ClassName(), "TCipher_Cast256");
    EXPECT_EQ(TCipher_Cast256::Class()->BlockSize(), 16);
    EXPECT_EQ(TCipher_Cast256::Class()->KeySize(), 32);

    TCipherManager m;
    m.SetAlgorithm("Cast 128");
    EXPECT_EQ(m.Cipher().ClassType(), TCipher_Cast128::Class());
    EXPECT_EQ(m.Description(), "128bit Key");
    m.SetAlgorithm("Cast 256");
    EXPECT_EQ(m.Cipher().ClassType(), TCipher_Cast256::Class());
    EXPECT_EQ(m.Description(), "Patented, 256bit Key");
}

TEST(Cast, ShortKeysAreZeroPadded) {
    Bytes key;
    for (int i = 0; i < 32; ++i) key += static_cast<char>(0x3D * i + 1);
    const Bytes block8 = Unhex("0123456789ABCDEF");
    const Bytes block16 = Unhex("00112233445566778899AABBCCDDEEFF");
    // CAST-128: up to 10 bytes pad and run 12 rounds, longer keys pad and run 16, so a key and
    // its padded form agree exactly when both sides of 10 bytes match.
    for (std::size_t n : {0, 1, 4, 5, 9, 10, 11, 15}) {
        SCOPED_TRACE(n);
        const Bytes padded = key.substr(0, n) + Bytes(16 - n, '\0');
        if (n <= 10)
            EXPECT_NE(Enciphered<TCipher_Cast128>(key.substr(0, n), block8),
                      Enciphered<TCipher_Cast128>(padded, block8));
        else
            EXPECT_EQ(Enciphered<TCipher_Cast128>(key.substr(0, n), block8),
                      Enciphered<TCipher_Cast128>(padded, block8));
    }
    EXPECT_EQ(Enciphered<TCipher_Cast128>(key, block8),
              Enciphered<TCipher_Cast128>(key.substr(0, 16), block8));
    // CAST-256: every length pads to 32 bytes.
    for (std::size_t n : {0, 1, 15, 16, 17, 24, 31}) {
        SCOPED_TRACE(n);
        const Bytes padded = key.substr(0, n) + Bytes(32 - n, '\0');
        EXPECT_EQ(Enciphered<TCipher_Cast256>(key.substr(0, n), block16),
                  Enciphered<TCipher_Cast256>(padded, block16));
    }
    EXPECT_EQ(Enciphered<TCipher_Cast256>(key + "extra", block16),
              Enciphered<TCipher_Cast256>(key, block16));
}

// RFC 2144 B.2, the full maintenance test: a million rounds of enciphering each half of a and
// b under the other, which keys the cipher four million times.
TEST(Cast, Cast128MaintenanceTest) {
    TCipher_Cast128 c;
    std::uint8_t a[16], b[16];
    const Bytes start = Unhex("0123456712345678234567893456789A");
    std::memcpy(a, start.data(), 16);
    std::memcpy(b, start.data(), 16);
    auto encipher = [&c](const std::uint8_t* key, std::uint8_t* half) {
        c.Init(key, 16, nullptr);
        c.EncipherBlock(half);
    };
    for (int i = 0; i < 1000000; ++i) {
        encipher(b, a);
        encipher(b, a + 8);
        encipher(a, b);
        encipher(a, b + 8);
    }
    EXPECT_EQ(Hex(BytesOf(a, 16)), "EEA9D0A249FD3BA6B3436FB89D6DCA92");
    EXPECT_EQ(Hex(BytesOf(b, 16)), "B2C95EB00C31AD7180AC05B8E83D696E");
}

TEST(Cast, Cast128SameAsBotanAndCryptopp) {
    auto botan = Botan::BlockCipher::create_or_throw("CAST-128");
    test::ExpectSameAsReference(
        TCipher_Cast128::Class(),
        test::KeyLengths(0, 16, [&](std::size_t n) { return botan->valid_keylength(n); }), 200,
        [](const Bytes& k, const Bytes& d) { return BotanBlock("CAST-128", k, d); }, 18001);
    test::ExpectSameAsReference(
        TCipher_Cast128::Class(),
        test::KeyLengths(
            0, 16,
            [](std::size_t n) { return CryptoPP::CAST128::Encryption().IsValidKeyLength(n); }),
        200, Cryptopp<CryptoPP::CAST128::Encryption>, 18002);
}

TEST(Cast, Cast256SameAsBotanAndCryptopp) {
    auto botan = Botan::BlockCipher::create_or_throw("CAST-256");
    test::ExpectSameAsReference(
        TCipher_Cast256::Class(),
        test::KeyLengths(0, 32, [&](std::size_t n) { return botan->valid_keylength(n); }), 200,
        [](const Bytes& k, const Bytes& d) { return BotanBlock("CAST-256", k, d); }, 19001);
    test::ExpectSameAsReference(
        TCipher_Cast256::Class(),
        test::KeyLengths(
            0, 32,
            [](std::size_t n) { return CryptoPP::CAST256::Encryption().IsValidKeyLength(n); }),
        200, Cryptopp<CryptoPP::CAST256::Encryption>, 19002);
}
