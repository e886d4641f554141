// Radix-64 text: the published examples, lengths, round trips and the refusal of every
// character outside the set.
#include "rsa/Radix64.h"

#include "base/Exception.h"

#include <gtest/gtest.h>

#include <random>

namespace velkor {
namespace {

TEST(Radix64, KnownTexts) {
    struct Case {
        const char* bytes;
        const char* text;
    };
    const Case cases[] = {
        {"", ""}, {"a", "ME"}, {"ab", "MK6"}, {"abc", "MK7X"}, {"abcd", "MK7XN+"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeRadix64(c.bytes), c.text);
        EXPECT_EQ(DecodeRadix64(c.text), c.bytes);
    }
    EXPECT_EQ(EncodeRadix64(Bytes("\x00\x00\x00", 3)), "++++");
    EXPECT_EQ(EncodeRadix64(Bytes("\xFF\xFF\xFF", 3)), "zzzz");
    EXPECT_EQ(EncodeRadix64(Bytes("\x00\x01\x00\x01", 4)), "++2++E") << "a 4-byte exponent 65537";
}

TEST(Radix64, ValuesFollowTheAlphabet) {
    struct Case {
        char ch;
        int value;
    };
    const Case cases[] = {{'+', 0},  {'-', 1},  {'0', 2},  {'9', 11},
                          {'A', 12}, {'Z', 37}, {'a', 38}, {'z', 63}};
    for (const auto& c : cases) EXPECT_EQ(Radix64Value(c.ch), c.value) << c.ch;
    for (int i = 0; i < 64; ++i) EXPECT_EQ(Radix64Value(kRadix64Chars[i]), i);
}

TEST(Radix64, RoundTripsEveryLength) {
    std::mt19937 rng(7);
    for (std::size_t len = 0; len <= 300; ++len) {
        Bytes b(len, '\0');
        for (auto& ch : b) ch = static_cast<char>(rng());
        const std::string text = EncodeRadix64(b);
        EXPECT_EQ(text.size(), (4 * len + 2) / 3) << len;
        EXPECT_EQ(DecodeRadix64(text), b) << len;
    }
    EXPECT_EQ(EncodeRadix64(Bytes(64, 'x')).size(), 86U);
    EXPECT_EQ(EncodeRadix64(Bytes(128, 'x')).size(), 171U);
    EXPECT_EQ(EncodeRadix64(Bytes(256, 'x')).size(), 342U);
}

TEST(Radix64, LoneFinalCharacterAndSpareBitsAreDropped) {
    EXPECT_EQ(DecodeRadix64("z"), "");
    EXPECT_EQ(DecodeRadix64("MK7Xz"), "abc");
    // "MF" differs from "ME" only in the spare low bits of its last character.
    EXPECT_EQ(DecodeRadix64("MF"), "a");
    EXPECT_EQ(DecodeRadix64("MK7"), "ab");
}

TEST(Radix64, RefusesCharactersOutsideTheSet) {
    for (int ch = 0; ch < 256; ++ch) {
        if (kRadix64Chars.find(static_cast<char>(ch)) != std::string_view::npos) continue;
        const std::string text = std::string("MK7X") + static_cast<char>(ch) + "N+";
        try {
            (void)DecodeRadix64(text);
            ADD_FAILURE() << "accepted character " << ch;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "Error converting from Base64 - invalid character");
        }
        EXPECT_THROW(Radix64Value(static_cast<char>(ch)), EConvertError) << ch;
    }
}

} // namespace
} // namespace velkor
