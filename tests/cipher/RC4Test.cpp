// RC4 against the keystream values published in RFC 6229 and, on random keys of every length,
// against OpenSSL's RC4 (legacy provider) and Botan's RC4 (both test-only). The class's data starts
// at keystream offset 16, after the IV block that Init enciphers.
#include "cipher/RC4.h"

#include "TestBytes.h"
#include "TestVectors.h"

#include <botan/stream_cipher.h>
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <random>

namespace velkor {
namespace {

using test::Hex;
using test::RandomBytes;
using test::U8;
using test::Unhex;

Bytes Keystream(const Bytes& key, std::size_t length) {
    std::uint8_t state[rc4::kStateSize];
    rc4::Key(state, U8(key), key.size());
    Bytes out(length, '\0');
    rc4::Crypt(state, U8(out), length);
    return out;
}

// OpenSSL's keystream: the encipherment of zeros.
Bytes OpenSslKeystream(const Bytes& key, std::size_t length) {
    static OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    static OSSL_PROVIDER* base = OSSL_PROVIDER_load(nullptr, "default");
    EXPECT_NE(legacy, nullptr) << "OpenSSL's legacy provider is not available";
    (void)base;
    EVP_CIPHER* rc4 = EVP_CIPHER_fetch(nullptr, "RC4", nullptr);
    EXPECT_NE(rc4, nullptr);
    if (rc4 == nullptr) return {};
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(ctx, rc4, nullptr, nullptr, nullptr);
    EVP_CIPHER_CTX_set_key_length(ctx, static_cast<int>(key.size()));
    EVP_EncryptInit_ex(ctx, nullptr, nullptr, U8(key), nullptr);
    Bytes zeros(length, '\0'), out(length, '\0');
    int n = 0;
    EVP_EncryptUpdate(ctx, U8(out), &n, U8(zeros), static_cast<int>(length));
    EVP_CIPHER_CTX_free(ctx);
    EVP_CIPHER_free(rc4);
    EXPECT_EQ(static_cast<std::size_t>(n), length);
    return out;
}

Bytes BotanKeystream(const Bytes& key, std::size_t length) {
    auto rc4 = Botan::StreamCipher::create("RC4");
    EXPECT_TRUE(rc4 != nullptr);
    if (!rc4) return {};
    rc4->set_key(U8(key), key.size());
    Bytes out(length, '\0');
    rc4->cipher1(U8(out), out.size());
    return out;
}

// RFC 6229, section 2: keystream bytes at the given offsets.
struct PublishedRow {
    const char* Key;
    std::size_t Offset;
    const char* Bytes16;
};

const PublishedRow kRfc6229[] = {
    {"0102030405", 0, "b2396305f03dc027ccc3524a0a1118a8"},
    {"0102030405", 16, "6982944f18fc82d589c403a47a0d0919"},
    {"01020304050607", 0, "293f02d47f37c9b633f2af5285feb46b"},
    {"01020304050607", 16, "e620f1390d19bd84e2e0fd752031afc1"},
    {"01020304050607", 240, "914f02531c9218810df60f67e338154c"},
    {"01020304050607", 256, "d0fdb583073ce85ab83917740ec011d5"},
};

TEST(RC4, KeystreamMatchesRfc6229) {
    for (const auto& row : kRfc6229) {
        const Bytes stream = Keystream(Unhex(row.Key), row.Offset + 16);
        EXPECT_EQ(Hex(stream.substr(row.Offset)), Hex(Unhex(row.Bytes16)))
            << "key " << row.Key << " offset " << row.Offset;
    }
}

TEST(RC4, KeystreamMatchesOpenSslAndBotanForEveryKeyLength) {
    std::mt19937 rng(0xC4);
    for (std::size_t length = 1; length <= 256; ++length) {
        const Bytes key = RandomBytes(rng, length);
        const std::size_t n = 1 + rng() % 600;
        const Bytes ours = Keystream(key, n);
        ASSERT_EQ(Hex(ours), Hex(OpenSslKeystream(key, n)))
            << "key " << Hex(key) << " length " << n;
        ASSERT_EQ(Hex(ours), Hex(BotanKeystream(key, n))) << "key " << Hex(key) << " length " << n;
    }
}

// The class: the IV block takes the first 16 keystream bytes, the data the ones after it.
TEST(RC4, ClassEnciphersWithTheKeystreamAfterTheIvBlock) {
    std::mt19937 rng(0x1C4);
    for (int i = 0; i < 50; ++i) {
        const Bytes key = RandomBytes(rng, 1 + rng() % 256);
        const Bytes plain = RandomBytes(rng, 16 * (1 + rng() % 20));
        TCipher_RC4 c;
        c.Init(key.data(), static_cast<int>(key.size()), nullptr);
        c.SetMode(TCipherMode::cmECB);
        Bytes got(plain.size(), '\0');
        c.EncipherBuffer(plain.data(), got.data(), plain.size());
        const Bytes stream = OpenSslKeystream(key, 16 + plain.size());
        Bytes expect = plain;
        for (std::size_t k = 0; k < plain.size(); ++k)
            expect[k] = static_cast<char>(expect[k] ^ stream[16 + k]);
        ASSERT_EQ(Hex(got), Hex(expect)) << "key " << Hex(key) << " plain " << Hex(plain);
        Bytes iv = BytesOf(c.IV(), 16);
        for (std::size_t k = 0; k < 16; ++k) iv[k] = static_cast<char>(iv[k] ^ 0xFF);
        EXPECT_EQ(Hex(iv), Hex(stream.substr(0, 16))) << "the IV is FF XOR the first 16 bytes";
    }
}

TEST(RC4, EmptyKeyKeysAsOneZeroByte) {
    TCipher_RC4 empty, zero;
    const std::uint8_t z = 0;
    empty.Init(nullptr, 0, nullptr);
    zero.Init(&z, 1, nullptr);
    EXPECT_EQ(Hex(BytesOf(empty.IV(), 16)), Hex(BytesOf(zero.IV(), 16)));
}

} // namespace
} // namespace velkor
