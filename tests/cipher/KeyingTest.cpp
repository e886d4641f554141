// Keying from a key string: the key hash and its class, the key taken from the digest and
// zero-padded, the IV, the digest overwritten inside the hash object, and the "DES Triple
// 24byte" text vectors reproduced at the cipher (OpenSSL's MD5 and base 64 as references).
#if defined(__GNUC__) || defined(__clang__)
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
#include "cipher/Blowfish.h"
#include "cipher/DES.h"
#include "hash/HashRegistry.h"
#include "hash/Hashes.h"

#include "FreedScan.h"
#include "TestVectors.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/md5.h>

using namespace velkor;
using velkor::test::Hex;
using velkor::test::ReadVectors;
using velkor::test::Unhex;

namespace {

Bytes Md5(const Bytes& s) {
    unsigned char d[MD5_DIGEST_LENGTH];
    MD5(reinterpret_cast<const unsigned char*>(s.data()), s.size(), d);
    return BytesOf(d, sizeof d);
}

Bytes Base64Decode(const std::string& text) {
    if (text.empty()) return {};
    Bytes out(text.size(), '\0');
    int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                            reinterpret_cast<const unsigned char*>(text.data()),
                            static_cast<int>(text.size()));
    EXPECT_GE(n, 0) << text;
    std::size_t pad = 0;
    for (auto it = text.rbegin(); it != text.rend() && *it == '='; ++it) ++pad;
    out.resize(static_cast<std::size_t>(n) - pad);
    return out;
}

Bytes Area(const std::uint8_t* p, int n) {
    return BytesOf(p, static_cast<std::size_t>(n));
}

} // namespace

TEST(CipherKeyHash, DefaultClassAndItsReplacement) {
    TCipher_3TDES c;
    EXPECT_EQ(c.KeyHashClass(), DefaultHashClass());
    EXPECT_EQ(c.KeyHashClass()->ClassName(), "THash_RipeMD256");
    EXPECT_EQ(c.KeyHash(), nullptr); // made on first use

    c.InitKey("abc", nullptr);
    ASSERT_NE(c.KeyHash(), nullptr);
    THashRef first = c.KeyHash();
    c.SetKeyHashClass(DefaultHashClass()); // the same class keeps the object
    EXPECT_EQ(c.KeyHash(), first);
    c.Wipe(); // the key hash is no key material of the cipher's own
    EXPECT_EQ(c.KeyHash(), first);

    c.SetKeyHashClass(THash_MD5::Class());
    EXPECT_EQ(c.KeyHash(), nullptr);
    EXPECT_EQ(c.KeyHashClass(), THash_MD5::Class());
    c.SetKeyHashClass(nullptr);
    EXPECT_EQ(c.KeyHashClass(), DefaultHashClass());
}

TEST(CipherKeyHash, KeyIsTheLeadingDigestBytesZeroPadded) {
    for (const Bytes& s : {Bytes(), Bytes("Tajny klic"), Bytes("\0\x01\xFF", 3)}) {
        TCipher_3TDES keyed;
        keyed.SetKeyHashClass(THash_MD5::Class());
        keyed.InitKey(s, nullptr);

        Bytes key = Md5(s) + Bytes(8, '\0');
        TCipher_3TDES raw;
        raw.Init(key.data(), 24, nullptr);
        EXPECT_EQ(Area(keyed.KeySchedule(), 768), Area(raw.KeySchedule(), 768)) << Hex(s);
        // IV = E(FF..FF), and the chain sits on it.
        EXPECT_EQ(Area(keyed.IV(), 24), Area(raw.IV(), 24));
        Bytes ones(24, '\xFF');
        raw.EncipherBlock(ones.data());
        EXPECT_EQ(Area(keyed.IV(), 24), ones);
        EXPECT_EQ(Area(keyed.Feedback(), 24), ones);
        EXPECT_TRUE(keyed.FlagBit(TCipher::kFlagKeyed));
        EXPECT_TRUE(keyed.FlagBit(TCipher::kFlagInitialized));

        // The 16 digest bytes were enciphered in place in cmCTS: shorter than a block, so
        // they are masked with E(F) = E(IV); the chain was then reset to the IV.
        Bytes eiv = Area(keyed.IV(), 24);
        raw.EncipherBlock(eiv.data());
        Bytes digest = Area(keyed.KeyHash()->DigestData(), 16), expect = Md5(s);
        for (std::size_t i = 0; i < 16; ++i) expect[i] = static_cast<char>(expect[i] ^ eiv[i]);
        EXPECT_EQ(Hex(digest), Hex(expect));
        EXPECT_NE(digest, Md5(s));
    }
}

TEST(CipherKeyHash, LongerDigestIsCutToTheKeySize) {
    // RIPEMD-256 gives 32 bytes; single DES takes the first 8.
    TCipher_1DES keyed;
    keyed.InitKey("key string", nullptr);
    Bytes digest = DigestOf(DefaultHashClass(), "key string", nullptr, 1);
    TCipher_1DES raw;
    raw.Init(digest.data(), 8, nullptr);
    EXPECT_EQ(Area(keyed.KeySchedule(), 256), Area(raw.KeySchedule(), 256));
}

TEST(CipherKeyHash, GivenIvIsKept) {
    Bytes iv = Unhex("00112233445566778899AABBCCDDEEFF0123456789ABCDEF");
    TCipher_3TDES c;
    c.SetKeyHashClass(THash_MD5::Class());
    c.InitKey("k", iv.data());
    EXPECT_EQ(Area(c.IV(), 24), iv);
    EXPECT_EQ(Area(c.Feedback(), 24), iv);
}

TEST(CipherKeyHash, KeyingInEcbWithAShortDigestSucceeds) {
    // An MD5 digest is not a whole 24-byte block; overwriting it must not trip the cmECB
    // refusal of partial blocks.
    TCipher_3TDES c;
    c.SetMode(TCipherMode::cmECB);
    c.SetKeyHashClass(THash_MD5::Class());
    ASSERT_NO_THROW(c.InitKey("abc", nullptr));
    EXPECT_NE(Area(c.KeyHash()->DigestData(), 16), Md5("abc"));
    Bytes block(24, 'x'), copy = block;
    c.EncipherBuffer(copy.data(), copy.data(), 24);
    c.DecipherBuffer(copy.data(), copy.data(), 24);
    EXPECT_EQ(copy, block);
}

TEST(CipherKeyHash, CreateWithAKeyString) {
    TCipherRef keyed = CreateCipher(TCipher_Blowfish::Class(), "secret");
    EXPECT_TRUE(keyed->FlagBit(TCipher::kFlagKeyed));
    TCipherRef unkeyed = CreateCipher(TCipher_Blowfish::Class());
    EXPECT_FALSE(unkeyed->FlagBit(TCipher::kFlagInitialized));
    EXPECT_THROW(CreateCipher(TCipher::Class()), ECipherException);
}

// The text records of des24.vec at the cipher itself: MD5 keying, cmCTS, 4096-byte chunks.
TEST(DesTriple24Text, KeyedFromStringsReproducesTheVectors) {
    for (const auto& r : ReadVectors("des24.vec", "DES Triple 24byte text")) {
        Bytes in = Unhex(r["In"]), expect = Base64Decode(r["Out"]);
        TCipher_3TDES c;
        c.SetKeyHashClass(THash_MD5::Class());
        c.InitKey(Unhex(r["KeyString"]), nullptr);
        TMemoryStream stream(in);
        c.ProcessStream(&stream, &stream, stream.Size(), TProcessAction::Encipher);
        EXPECT_EQ(Hex(stream.Data()), Hex(expect)) << "line " << r.Line;
        c.ProcessStream(&stream, &stream, -1, TProcessAction::Decipher);
        EXPECT_EQ(stream.Data(), in) << "line " << r.Line;
    }
}

// --- key material ------------------------------------------------------------------------------

// The key schedule, the chaining areas and the key hash's digest leave nothing in the heap
// when a keyed cipher goes.
TEST(CipherKeyMaterial, DestructionLeavesNoKeyInFreedMemory) {
    // Keyed as the merchant keys its envelope cipher, with some work done.
    auto keyed = [] {
        TCipherRef c = TCipher_3TDES::Class()->Create(nullptr);
        c->SetKeyHashClass(THash_MD5::Class());
        c->InitKey("Symetricky klic zakaznika 24", nullptr);
        Bytes data(50, 'd');
        c->EncipherBuffer(data.data(), data.data(), data.size());
        return c;
    };
    using Part = std::string (*)(TCipher&);
    const std::pair<const char*, Part> parts[] = {
        {"key schedule", [](TCipher& c) { return Area(c.KeySchedule(), 64); }},
        {"IV and feedback", [](TCipher& c) { return Area(c.IV(), 24) + Area(c.Feedback(), 24); }},
        {"key hash digest", [](TCipher& c) { return Area(c.KeyHash()->DigestData(), 16); }},
    };
    for (const auto& [name, part] : parts) {
        TCipherRef c = keyed();
        const std::string watched = part(*c);
        test::FreedScan scan(watched);
        c.reset();
        EXPECT_EQ(scan.Hits(), 0) << name;
    }
}

// Keying again starts from a wiped object: nothing of the first key's schedule or chain is
// left, not even the final feedback that the chain reset saved in Scratch.
TEST(CipherKeyMaterial, RekeyingLeavesNothingOfTheOldKey) {
    const Bytes first = Unhex("0123456789ABCDEF1122334455667788"), second(3, 'k');
    const Bytes iv = Unhex("000102030405060708090A0B0C0D0E0F1011121314151617");
    TCipher_3TDES c;
    c.Init(first.data(), static_cast<int>(first.size()), nullptr);
    c.SetMode(TCipherMode::cmCBC);
    Bytes data(48, 'd');
    c.EncipherBuffer(data.data(), data.data(), data.size());
    c.ResetChain();
    ASSERT_NE(Area(c.Scratch(), 24), Bytes(24, '\0'));

    c.Init(second.data(), static_cast<int>(second.size()), iv.data());
    TCipher_3TDES fresh;
    fresh.Init(second.data(), static_cast<int>(second.size()), iv.data());
    EXPECT_EQ(Area(c.KeySchedule(), 768), Area(fresh.KeySchedule(), 768));
    EXPECT_EQ(Area(c.IV(), 24), iv);
    EXPECT_EQ(Area(c.Feedback(), 24), iv);
    EXPECT_EQ(Area(c.Scratch(), 24), Bytes(24, '\0'));
}
