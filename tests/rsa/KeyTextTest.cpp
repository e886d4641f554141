// Key texts: the key-field byte order, and the class and message of every refusal in the order
// the checks are made.
#include "rsa/KeyText.h"

#include "base/Exception.h"
#include "rsa/Radix64.h"
#include "rsa/RsaErrors.h"

#include <gtest/gtest.h>

#include <array>

namespace velkor {
namespace {

using Number = std::array<Limb, KeyLimbs>;

TEST(KeyField, BigEndianWithinEachLimbLeastSignificantLimbFirst) {
    Number n{};
    n.fill(0xEEEEEEEEU);
    KeyFieldToNumber(Bytes("\x01\x02\x03", 3), n.data());
    EXPECT_EQ(n[0], 0x010203U) << "three bytes x, y, z give x*2^16 + y*2^8 + z";
    EXPECT_EQ(n[1], 0xEEEEEEEEU) << "limbs beyond the field are not touched";

    n.fill(0);
    KeyFieldToNumber(Bytes("\x01\x02\x03\x04\x05", 5), n.data());
    EXPECT_EQ(n[0], 0x01020304U);
    EXPECT_EQ(n[1], 0x05U) << "a fifth byte forms limb 1 alone";

    n.fill(0);
    KeyFieldToNumber(Bytes("\x00\x01\x00\x01", 4), n.data());
    EXPECT_EQ(n[0], 65537U);
}

TEST(KeyField, WritingIsTheInverseOfReading) {
    Bytes field(64, '\0');
    for (std::size_t i = 0; i < field.size(); ++i) field[i] = static_cast<char>(i * 37 + 1);
    Number n{};
    KeyFieldToNumber(field, n.data());
    EXPECT_EQ(NumberToKeyField(n.data(), 64), field);
    EXPECT_EQ(NumberToKeyField(n.data(), 5), field.substr(0, 4) + static_cast<char>(n[1] & 0xFF));
}

// A 64-byte field of known content, and texts built around it.
const std::string kField86 = EncodeRadix64(Bytes(64, '\x5A'));
const std::string kField85 = kField86.substr(0, 85);
const std::string kField87 = kField86 + "+";
const std::string kExp = "++2++E";

enum class Outcome { Accepted, InvalidKey, ConvertError };

struct KeyCase {
    const char* what;
    TKeyTextKind kind;
    std::string text;
    Outcome outcome;
    const char* message;
};

std::vector<KeyCase> Cases() {
    using K = TKeyTextKind;
    using O = Outcome;
    const std::string badSecond = kField86.substr(0, 40) + "=" + kField86.substr(41);
    return {
        {"public ok", K::Public, kExp + ":" + kField86, O::Accepted, ""},
        {"empty exponent", K::Public, ":" + kField86, O::Accepted, ""},
        {"64-byte exponent", K::Public, kField86 + ":" + kField86, O::Accepted, ""},
        {"empty text", K::Public, "", O::InvalidKey, "Public key not valid"},
        {"no colon", K::Public, kExp + kField86, O::InvalidKey, "Public key not valid"},
        {"blank first", K::Public, " " + kExp + ":" + kField86, O::ConvertError,
         "Public key not valid"},
        {"= in first", K::Public, "++2=+E:" + kField86, O::ConvertError, "Public key not valid"},
        {"line break", K::Public, kExp + ":" + kField86 + "\r\n", O::ConvertError,
         "Public key not valid"},
        {"two colons", K::Public, kExp + ":" + kField86.substr(0, 40) + ":" + kField86.substr(40),
         O::ConvertError, "Public key not valid"},
        {"= in modulus", K::Public, kExp + ":" + badSecond, O::ConvertError,
         "Public key not valid"},
        {"85-char modulus", K::Public, kExp + ":" + kField85, O::InvalidKey,
         "Public key has incorrect length"},
        {"87-char modulus", K::Public, kExp + ":" + kField87, O::InvalidKey,
         "Public key has incorrect length"},
        {"65-byte exponent", K::Public, kField87 + ":" + kField86, O::InvalidKey,
         "Public key has incorrect length"},
        {"bad first before long second", K::Public, "++=++E:" + kField87, O::ConvertError,
         "Public key not valid"},
        {"long first before bad second", K::Public, kField87 + ":" + badSecond, O::InvalidKey,
         "Public key has incorrect length"},
        {"private ok", K::Private, kField86 + ":" + kField86, O::Accepted, ""},
        {"empty modulus field", K::Private, ":" + kField86, O::Accepted, ""},
        {"private no colon", K::Private, kField86, O::InvalidKey, "Public key not valid"},
        {"private bad first", K::Private, "=" + kField86 + ":" + kField86, O::ConvertError,
         "Public key not valid"},
        {"private long first", K::Private, kField87 + ":" + kField86, O::InvalidKey,
         "Public key has incorrect length"},
        {"private bad second", K::Private, kField86 + ":" + badSecond, O::ConvertError,
         "Private key not valid"},
        {"private trailing blank", K::Private, kField86 + ":" + kField86 + " ", O::ConvertError,
         "Private key not valid"},
        {"private short second", K::Private, kField86 + ":" + kField85, O::InvalidKey,
         "Private key has incorrect length"},
        {"private empty second", K::Private, kField86 + ":", O::InvalidKey,
         "Private key has incorrect length"},
    };
}

TEST(KeyText, EachRefusalHasItsClassAndMessage) {
    for (const auto& c : Cases()) {
        Number first{}, second{};
        std::string kind = "none";
        std::string message;
        try {
            ReadKeyText(c.text, c.kind, 64, first.data(), second.data());
        } catch (const EInvalidKey& e) {
            kind = "EInvalidKey";
            message = e.Message();
        } catch (const EConvertError& e) {
            kind = "EConvertError";
            message = e.Message();
        }
        const char* expectedKind = c.outcome == Outcome::Accepted     ? "none"
                                   : c.outcome == Outcome::InvalidKey ? "EInvalidKey"
                                                                      : "EConvertError";
        EXPECT_EQ(kind, expectedKind) << c.what;
        EXPECT_EQ(message, c.message) << c.what;
    }
}

TEST(KeyText, SetsTheFirstNumberBeforeCheckingTheSecond) {
    Number first{}, second{};
    EXPECT_THROW(
        ReadKeyText(kExp + ":" + kField85, TKeyTextKind::Public, 64, first.data(), second.data()),
        EInvalidKey);
    EXPECT_EQ(first[0], 65537U);
    EXPECT_TRUE(NumIsZero(second.data(), KeyLimbs));

    ReadKeyText(kExp + ":" + kField86, TKeyTextKind::Public, 64, first.data(), second.data());
    EXPECT_EQ(second[0], 0x5A5A5A5AU);
    EXPECT_EQ(second[15], 0x5A5A5A5AU);
    EXPECT_EQ(NumLimbCount(second.data(), KeyLimbs), 16);
}

TEST(KeyText, SizeFollowsTheModulus) {
    Number first{}, second{};
    const std::string field171 = EncodeRadix64(Bytes(128, '\x01'));
    EXPECT_NO_THROW(
        ReadKeyText(kExp + ":" + field171, TKeyTextKind::Public, 128, first.data(), second.data()));
    EXPECT_THROW(
        ReadKeyText(kExp + ":" + kField86, TKeyTextKind::Public, 128, first.data(), second.data()),
        EInvalidKey);
    // With no size yet only fields that decode to nothing pass.
    EXPECT_NO_THROW(ReadKeyText(":", TKeyTextKind::Public, 0, first.data(), second.data()));
    EXPECT_NO_THROW(ReadKeyText("z:z", TKeyTextKind::Private, 0, first.data(), second.data()));
    EXPECT_THROW(ReadKeyText(kExp + ":", TKeyTextKind::Public, 0, first.data(), second.data()),
                 EInvalidKey);
}

} // namespace
} // namespace velkor
