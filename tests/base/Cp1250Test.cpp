// CP1250 conversion, checked byte by byte against the C library's own code page tables.
#include "base/Cp1250.h"

#include <gtest/gtest.h>

#include <iconv.h>

namespace velkor {
namespace {

TEST(Cp1250, CzechLiteralsBecomeTheirBytes) {
    EXPECT_EQ(Cz("--- KONEC SPOJENÍ ---"), "--- KONEC SPOJEN\xCD ---");
    EXPECT_EQ(Cz("Přijata data od "), "P\xF8ijata data od ");
    EXPECT_EQ(Cz("Virtuální Kramtex a.s."), "Virtu\xE1ln\xED Kramtex a.s.");
    EXPECT_EQ(Cz("Délka: bajtů"), "D\xE9lka: bajt\xF9");
    EXPECT_EQ(Cz("Kč"), "K\xE8");
}

TEST(Cp1250, AgreesWithIconvOnEveryDefinedByte) {
    iconv_t cd = iconv_open("UTF-8", "CP1250");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    for (int b = 0x20; b < 0x100; ++b) {
        char in = static_cast<char>(b);
        char out[8] = {};
        char* pin = &in;
        char* pout = out;
        std::size_t inLeft = 1, outLeft = sizeof out;
        if (iconv(cd, &pin, &inLeft, &pout, &outLeft) == static_cast<std::size_t>(-1)) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            continue; // undefined in the code page
        }
        std::string expected(out, static_cast<std::size_t>(pout - out));
        EXPECT_EQ(Cp1250ToUtf8(std::string(1, in)), expected) << "byte " << b;
        EXPECT_EQ(Utf8ToCp1250(expected), std::string(1, in)) << "byte " << b;
    }
    iconv_close(cd);
}

TEST(Cp1250, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(all)), all);
}

TEST(Cp1250, UnmappableAndMalformedBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1250("\xE2\x82\xAC"), "\x80"); // euro sign
    EXPECT_EQ(Utf8ToCp1250("\xE6\x97\xA5"), "?");    // a CJK character
    EXPECT_EQ(Utf8ToCp1250("a\xC3"), "a?");          // cut short
    EXPECT_EQ(Utf8ToCp1250("\xFF"
                           "b"),
              "?b");
    EXPECT_EQ(Utf8ToCp1250("\xC3"
                           "b"),
              "?b");
}

} // namespace
} // namespace velkor
