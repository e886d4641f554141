// DESX: the derivation of the output whitening key checked against OpenSSL's single DES, and
// the whole cipher on random keys and blocks against three independent DESX routines that
// take all three keys: OpenSSL's legacy DESX-CBC (one block from a zero IV is one codebook
// block; key order K, K1, K2), Botan's DESX and Crypto++'s DES_XEX3 (key order K1, K, K2).
#if defined(__GNUC__) || defined(__clang__)
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
#include "cipher/DESX.h"
#include "cipher/CipherManager.h"
#include "cipher/CipherRegistry.h"

#include "BlockReference.h"

#include <botan/block_cipher.h>
#include <cryptopp/des.h>
#include <gtest/gtest.h>
#include <openssl/des.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <cstring>
#include <random>

using namespace velkor;
using velkor::test::ExpectSameAsReference;
using velkor::test::Hex;
using velkor::test::RandomBytes;
using velkor::test::U8;

namespace {

Bytes OpenSslDes(const Bytes& key8, const Bytes& block) {
    DES_cblock k, in, out;
    std::memcpy(k, key8.data(), 8);
    std::memcpy(in, block.data(), 8);
    DES_key_schedule ks;
    DES_set_key_unchecked(&k, &ks);
    DES_ecb_encrypt(&in, &out, &ks, DES_ENCRYPT);
    return BytesOf(out, 8);
}

Bytes OpenSslDesx(const Bytes& k, const Bytes& k1, const Bytes& k2, const Bytes& block) {
    static OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    static OSSL_PROVIDER* base = OSSL_PROVIDER_load(nullptr, "default");
    (void)legacy;
    (void)base;
    const Bytes key = k + k1 + k2;
    const unsigned char iv[8] = {};
    Bytes out(16, '\0');
    int n = 0;
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    const bool ok = EVP_EncryptInit_ex(ctx, EVP_desx_cbc(), nullptr, U8(key), iv) == 1 &&
                    EVP_CIPHER_CTX_set_padding(ctx, 0) == 1 &&
                    EVP_EncryptUpdate(ctx, U8(out), &n, U8(block), 8) == 1;
    EVP_CIPHER_CTX_free(ctx);
    if (!ok || n != 8) return "OpenSSL refused DESX";
    out.resize(8);
    return out;
}

Bytes Derived(const Bytes& k, const Bytes& k1) {
    std::uint8_t k2[8];
    TCipher_DESX::DeriveOutputWhitening(U8(k), U8(k1), k2);
    return BytesOf(k2, 8);
}

// A 16-byte key is K then K1; K2 is derived from them.
Bytes OpenSslDesxOfKey(const Bytes& key, const Bytes& block) {
    const Bytes k = key.substr(0, 8), k1 = key.substr(8, 8);
    return OpenSslDesx(k, k1, Derived(k, k1), block);
}

// The order K1, K, K2 of Botan's DESX and Crypto++'s DES_XEX3.
Bytes WhiteningFirst(const Bytes& key) {
    const Bytes k = key.substr(0, 8), k1 = key.substr(8, 8);
    return k1 + k + Derived(k, k1);
}

} // namespace

TEST(Desx, SizesAndKeyLayout) {
    EXPECT_EQ(TCipher_DESX::Class()->BlockSize(), 8);
    EXPECT_EQ(TCipher_DESX::Class()->KeySize(), 16);
    EXPECT_EQ(TCipher_DESX::Class()->KeyScheduleSize(), 272);
    EXPECT_TRUE(TCipher_DESX::Class()->InheritsFrom(TCipher_1DES::Class()));
    // An 8-byte key leaves K1 zero; K2 is then derived from K and the zero K1.
    std::mt19937 rng(64);
    const Bytes k = RandomBytes(rng, 8), block = RandomBytes(rng, 8);
    TCipher_DESX c;
    c.Init(k.data(), 8, nullptr);
    Bytes got = block;
    c.EncipherBlock(got.data());
    EXPECT_EQ(Hex(got), Hex(OpenSslDesx(k, Bytes(8, '\0'), Derived(k, Bytes(8, '\0')), block)));
}

TEST(Desx, RegisteredWithTheNoteOfItsRightsHolder) {
    EXPECT_EQ(FindCipherClass("DESX"), TCipher_DESX::Class());
    EXPECT_EQ(CipherClassNote(TCipher_DESX::Class()), "Copyright RSA Data Security");
    TCipherManager m;
    m.SetAlgorithm("DESX");
    EXPECT_EQ(m.Algorithm(), "DESX");
    EXPECT_EQ(m.Description(), "Copyright RSA Data Security, 128bit Key");
}

TEST(OpenSslDesx, OutputWhiteningIsKEncipheredUnderK1AddedToK) {
    std::mt19937 rng(1984);
    for (int i = 0; i < 200; ++i) {
        const Bytes k = RandomBytes(rng, 8), k1 = RandomBytes(rng, 8);
        Bytes expect = OpenSslDes(k1, k);
        for (int j = 0; j < 8; ++j) expect[j] = static_cast<char>(expect[j] ^ k[j]);
        ASSERT_EQ(Hex(Derived(k, k1)), Hex(expect)) << "K " << Hex(k) << " K1 " << Hex(k1);
    }
}

// The three references see the same keys and blocks (one seed).
TEST(OpenSslDesx, RandomKeysAndBlocksAgainstThreeReferences) {
    {
        SCOPED_TRACE("OpenSSL");
        ExpectSameAsReference(TCipher_DESX::Class(), {16}, 500, OpenSslDesxOfKey, 1986);
    }
    {
        SCOPED_TRACE("Botan");
        auto botan = Botan::BlockCipher::create_or_throw("DESX");
        ExpectSameAsReference(
            TCipher_DESX::Class(), {16}, 500,
            [&](const Bytes& key, const Bytes& block) {
                const Bytes other = WhiteningFirst(key);
                Bytes out(8, '\0');
                botan->set_key(U8(other), other.size());
                botan->encrypt_n(U8(block), U8(out), 1);
                return out;
            },
            1986);
    }
    {
        SCOPED_TRACE("Crypto++");
        ExpectSameAsReference(
            TCipher_DESX::Class(), {16}, 500,
            [](const Bytes& key, const Bytes& block) {
                const Bytes other = WhiteningFirst(key);
                CryptoPP::DES_XEX3::Encryption cryptopp(U8(other), other.size());
                Bytes out(8, '\0');
                cryptopp.ProcessBlock(U8(block), U8(out));
                return out;
            },
            1986);
    }
}
