// RC2: the RFC 2268 vectors at the effective key lengths they were published with (the class
// itself keys with 8 effective bits per key byte), and differential runs against OpenSSL's
// legacy RC2 and Crypto++'s RC2 on random keys, effective lengths and blocks.
#if defined(__GNUC__) || defined(__clang__)
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
#include "cipher/RC2.h"

#include "BlockReference.h"

#include <cryptopp/rc2.h>
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <random>

using namespace velkor;
using velkor::test::Hex;
using velkor::test::RandomBytes;
using velkor::test::U8;
using velkor::test::Unhex;

namespace {

constexpr auto ClassEncipher = &test::Enciphered<TCipher_RC2>;

Bytes Encipher(const Bytes& key, int bits, Bytes block) {
    std::uint32_t schedule[rc2::kScheduleWords];
    rc2::ExpandKey(U8(key), key.size(), bits, schedule);
    rc2::Encipher(schedule, U8(block));
    return block;
}

Bytes Decipher(const Bytes& key, int bits, Bytes block) {
    std::uint32_t schedule[rc2::kScheduleWords];
    rc2::ExpandKey(U8(key), key.size(), bits, schedule);
    rc2::Decipher(schedule, U8(block));
    return block;
}

Bytes OpenSslEncipher(const Bytes& key, int bits, const Bytes& block) {
    static OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    static OSSL_PROVIDER* base = OSSL_PROVIDER_load(nullptr, "default");
    (void)legacy;
    (void)base;
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    Bytes out(16, '\0');
    int n = 0;
    const bool ok =
        EVP_EncryptInit_ex(ctx, EVP_rc2_ecb(), nullptr, nullptr, nullptr) == 1 &&
        EVP_CIPHER_CTX_set_key_length(ctx, static_cast<int>(key.size())) == 1 &&
        EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_SET_RC2_KEY_BITS, bits, nullptr) == 1 &&
        EVP_EncryptInit_ex(ctx, nullptr, nullptr, U8(key), nullptr) == 1 &&
        EVP_CIPHER_CTX_set_padding(ctx, 0) == 1 &&
        EVP_EncryptUpdate(ctx, U8(out), &n, U8(block), static_cast<int>(block.size())) == 1;
    EVP_CIPHER_CTX_free(ctx);
    if (!ok || n != 8) return "OpenSSL refused RC2";
    out.resize(8);
    return out;
}

struct PublishedCase {
    const char* Key;
    int EffectiveBits;
    const char* In;
    const char* Out;
};

// RFC 2268 section 5, all eight vectors.
const PublishedCase kPublished[] = {
    {"0000000000000000", 63, "0000000000000000", "EBB773F993278EFF"},
    {"FFFFFFFFFFFFFFFF", 64, "FFFFFFFFFFFFFFFF", "278B27E42E2F0D49"},
    {"3000000000000000", 64, "1000000000000001", "30649EDF9BE7D2C2"},
    {"88", 64, "0000000000000000", "61A8A244ADACCCF0"},
    {"88BCA90E90875A", 64, "0000000000000000", "6CCF4308974C267F"},
    {"88BCA90E90875A7F0F79C384627BAFB2", 64, "0000000000000000", "1A807D272BBE5DB1"},
    {"88BCA90E90875A7F0F79C384627BAFB2", 128, "0000000000000000", "2269552AB0F85CA6"},
    {"88BCA90E90875A7F0F79C384627BAFB216F80A6F85920584C42FCEB0BE255DAF1E", 129, "0000000000000000",
     "5B78D3A43DFFF1F1"},
};

} // namespace

TEST(RC2, PublishedVectorsAtTheirEffectiveLengths) {
    for (const auto& v : kPublished) {
        SCOPED_TRACE(std::string("key ") + v.Key + " bits " + std::to_string(v.EffectiveBits));
        const Bytes key = Unhex(v.Key);
        EXPECT_EQ(Hex(Encipher(key, v.EffectiveBits, Unhex(v.In))), v.Out);
        EXPECT_EQ(Hex(Decipher(key, v.EffectiveBits, Unhex(v.Out))), v.In);
    }
}

TEST(RC2, ClassKeysWithEightEffectiveBitsPerKeyByte) {
    std::mt19937 rng(2268);
    const Bytes block = RandomBytes(rng, 8);
    for (std::size_t length : {1U, 5U, 8U, 16U, 33U, 127U, 128U}) {
        const Bytes key = RandomBytes(rng, length);
        EXPECT_EQ(Hex(ClassEncipher(key, block)),
                  Hex(Encipher(key, static_cast<int>(8 * length), block)))
            << "length " << length;
    }
    // An empty key is the one-byte key 00; bytes past the 128th are not part of the key.
    EXPECT_EQ(ClassEncipher(Bytes(), block), ClassEncipher(Bytes(1, '\0'), block));
    const Bytes longest = RandomBytes(rng, 128);
    EXPECT_EQ(ClassEncipher(longest + "more", block), ClassEncipher(longest, block));
}

// Every key length of 1 to 128 bytes, at 8 effective bits per key byte.
TEST(OpenSslRC2, RandomKeysAndBlocksAtTheClassEffectiveLength) {
    test::ExpectSameAsReference(
        TCipher_RC2::Class(), test::KeyLengths(1, 128), 4,
        [](const Bytes& key, const Bytes& block) {
            return OpenSslEncipher(key, static_cast<int>(8 * key.size()), block);
        },
        2040);
}

TEST(CryptoPPRC2, RandomKeysEffectiveLengthsAndBlocks) {
    std::mt19937 rng(1998);
    for (int i = 0; i < 400; ++i) {
        const Bytes key = RandomBytes(rng, 1 + rng() % 128), block = RandomBytes(rng, 8);
        const int bits = static_cast<int>(1 + rng() % 1024);
        CryptoPP::RC2::Encryption reference(U8(key), key.size(), bits);
        Bytes expect(8, '\0');
        reference.ProcessBlock(U8(block), U8(expect));
        ASSERT_EQ(Hex(Encipher(key, bits, block)), Hex(expect))
            << "key " << Hex(key) << " bits " << bits << " block " << Hex(block);
        ASSERT_EQ(Hex(Decipher(key, bits, expect)), Hex(block))
            << "key " << Hex(key) << " bits " << bits;
    }
}
