// The run-time integer conversion: header fields ("$" + hex), order fields and settings.
#include "base/Convert.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

struct Good {
    const char* Text;
    std::int32_t Value;
};

class StrToIntGood : public ::testing::TestWithParam<Good> {};

TEST_P(StrToIntGood, Converts) {
    EXPECT_EQ(StrToInt(GetParam().Text), GetParam().Value);
}

INSTANTIATE_TEST_SUITE_P(Cases, StrToIntGood,
                         ::testing::Values(Good{"0", 0}, Good{"300", 300}, Good{" 2", 2},
                                           Good{"   -17", -17}, Good{"+5", 5}, Good{"$00AC", 172},
                                           Good{"$ac", 172}, Good{"$0", 0},
                                           Good{"$7FFFFFFF", 2147483647}, Good{"$FFFFFFFF", -1},
                                           Good{"-$10", -16}, Good{"2147483647", 2147483647},
                                           Good{"-2147483648", INT32_MIN}, Good{"007", 7}));

class StrToIntBad : public ::testing::TestWithParam<const char*> {};

TEST_P(StrToIntBad, RaisesWithTheWholeText) {
    std::string text = GetParam();
    try {
        StrToInt(text);
        FAIL() << "no fault for '" << text << "'";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'" + text + "' is not a valid integer value");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, StrToIntBad,
                         ::testing::Values("", "$", " ", "$Z1", "300 ", "1 2", "12h", "0x10",
                                           "$100000000", "2147483648", "-2147483649", "+", "-",
                                           "$ 1", "1.5", "$-1"));

TEST(StrToInt, KeepsBytesOfTheTextInTheMessage) {
    std::string text("1\0x", 3);
    try {
        StrToInt(text);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'" + text + "' is not a valid integer value");
    }
}

TEST(IntToHex, PadsAndGrows) {
    EXPECT_EQ(IntToHex(0x60, 2), "60");
    EXPECT_EQ(IntToHex(2, 4), "0002");
    EXPECT_EQ(IntToHex(0xAC, 4), "00AC");
    EXPECT_EQ(IntToHex(0x12345, 4), "12345");
    EXPECT_EQ(IntToHex(0, 0), "0");
}

} // namespace
} // namespace velkor
