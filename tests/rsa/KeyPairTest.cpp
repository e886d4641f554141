// The merchant's built-in key pair and the key-pair generator: field lengths and round trips
// through TRSA.
#include "rsa/BuiltInKeyPair.h"
#include "rsa/KeyGen.h"
#include "rsa/KeyText.h"
#include "rsa/RSA.h"
#include "rsa/Radix64.h"

#include <gtest/gtest.h>

#include <random>

namespace velkor {
namespace {

std::string Field(std::string_view text, int index) {
    const auto colon = text.find(':');
    return std::string(index == 0 ? text.substr(0, colon) : text.substr(colon + 1));
}

void ExpectRoundTrips(const std::string& publicKey, const std::string& privateKey, TKeyBits bits,
                      std::initializer_list<std::size_t> lengths) {
    TRSA encipher, decipher;
    encipher.SetKeyBits(bits);
    encipher.SetPublicKey(publicKey);
    decipher.SetKeyBits(bits);
    decipher.SetPrivateKey(privateKey);
    std::mt19937 rng(99);
    for (std::size_t length : lengths) {
        Bytes data(length, '\0');
        for (auto& ch : data) ch = static_cast<char>(rng());
        // An all-0xFF block is the largest message number; it must still decipher.
        if (length > 0 && length % 2 == 0) data.assign(length, '\xFF');
        EXPECT_EQ(decipher.PrivateDecipher(encipher.PublicEncipher(data)), data) << length;
    }
}

TEST(BuiltInKeyPair, FieldLengths) {
    EXPECT_EQ(kBuiltInPublicKey.size(), 93U);
    EXPECT_EQ(kBuiltInPrivateKey.size(), 173U);
    EXPECT_EQ(Field(kBuiltInPublicKey, 0).size(), 6U);
    EXPECT_EQ(Field(kBuiltInPublicKey, 0), "++2++E") << "exponent 65537 in four bytes";
    EXPECT_EQ(Field(kBuiltInPublicKey, 1), Field(kBuiltInPrivateKey, 0));
    EXPECT_EQ(Field(kBuiltInPrivateKey, 1).size(), 86U);
}

TEST(BuiltInKeyPair, RoundTrips) {
    ExpectRoundTrips(std::string(kBuiltInPublicKey), std::string(kBuiltInPrivateKey),
                     TKeyBits::kb0512, {0, 1, 16, 24, 62, 63, 64, 100, 125, 126, 150, 200});
}

TEST(KeyGen, GeneratedPairsRoundTrip) {
    struct Case {
        TKeyBits bits;
        std::size_t fieldChars;
        int pairs;
    };
    for (const Case& c : {Case{TKeyBits::kb0512, 86, 3}, Case{TKeyBits::kb1024, 171, 1}}) {
        for (int i = 0; i < c.pairs; ++i) {
            const TKeyPair pair = MakeKeyPair(c.bits);
            EXPECT_EQ(Field(pair.PublicKey, 0), "++2++E");
            EXPECT_EQ(Field(pair.PublicKey, 1).size(), c.fieldChars);
            EXPECT_EQ(Field(pair.PublicKey, 1), Field(pair.PrivateKey, 0));
            EXPECT_EQ(Field(pair.PrivateKey, 1).size(), c.fieldChars);
            ExpectRoundTrips(pair.PublicKey, pair.PrivateKey, c.bits, {0, 16, 24, 200});
        }
    }
    EXPECT_NE(MakeKeyPair(TKeyBits::kb0512).PublicKey, MakeKeyPair(TKeyBits::kb0512).PublicKey);
}

// The modulus of every generated pair has exactly 8N bits: both primes have their top two bits
// set. With only the top bit set, about two moduli in five would come out a bit short, so 24
// pairs would all pass by chance less than once in 100,000 runs.
TEST(KeyGen, ModulusHasExactlyTheKeySize) {
    struct Case {
        TKeyBits bits;
        unsigned modulusBits;
        int pairs;
    };
    for (const Case& c : {Case{TKeyBits::kb0512, 512, 24}, Case{TKeyBits::kb1024, 1024, 2}}) {
        for (int i = 0; i < c.pairs; ++i) {
            const TKeyPair pair = MakeKeyPair(c.bits);
            Limb modulus[KeyLimbs] = {};
            KeyFieldToNumber(DecodeRadix64(Field(pair.PublicKey, 1)), modulus);
            EXPECT_EQ(NumBitLength(modulus, KeyLimbs), c.modulusBits) << pair.PublicKey;
        }
    }
}

TEST(KeyGen, PrimalityTest) {
    struct Case {
        std::vector<Limb> number;
        bool prime;
    };
    const Case cases[] = {
        {{2}, true},
        {{3}, true},
        {{1}, false},
        {{0}, false},
        {{561}, false},
        {{3989}, true},
        {{3997}, false},
        {{65537}, true},
        {{4294967291U}, true},
        {{4294967295U}, false},
        {{0xFFFFFFFF, 0xFFFFFFFF}, false},
        // 2^64 - 59 is prime; 2^61 - 1 is a Mersenne prime; 3215031751 is a strong pseudoprime
        // to bases 2, 3, 5 and 7.
        {{0xFFFFFFC5U, 0xFFFFFFFFU}, true},
        {{0xFFFFFFFFU, 0x1FFFFFFFU}, true},
        {{3215031751U}, false},
        // Products of two primes above the trial-division bound reach Miller-Rabin.
        {{0x00000055U, 0xFFFFFFEAU}, false},
        {{0x00000127U, 0xFFFFFFC5U, 0xFFFFFFFAU}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsProbablePrime(c.number.data(), static_cast<int>(c.number.size()), 20), c.prime)
            << c.number[0];
    }
}

} // namespace
} // namespace velkor
