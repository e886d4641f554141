// Format directives as the log lines and messages use them.
#include "base/Format.h"
#include "base/Cp1250.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(Format, OrderTableColumns) {
    // Widths count bytes: the texts are CP1250, one byte per letter.
    EXPECT_EQ(Format("   %-30s %5s %10s", {Cz("Název"), Cz("Počet"), "Cena"}),
              "   " + Cz("Název") + std::string(25, ' ') + " " + Cz("Počet") + "       Cena");
    EXPECT_EQ(Format("   %-30s %4d %10d Kč", {"A", 2, 300}),
              "   A                                 2        300 Kč");
    EXPECT_EQ(Format("%9d", {-558}), "     -558");
    EXPECT_EQ(Format("%4d", {123456}), "123456"); // never cut
    EXPECT_EQ(Format("%-3s|", {"abcdef"}), "abcdef|");
    EXPECT_EQ(Format("%5s", {"ab"}), "   ab");
}

TEST(Format, Messages) {
    EXPECT_EQ(Format("String Format \"%d\" not exists.", {-1}), "String Format \"-1\" not exists.");
    EXPECT_EQ(Format("Unknown Error No. %d", {10048}), "Unknown Error No. 10048");
    EXPECT_EQ(Format("%d.%d.%d.%d", {127, 0, 0, 1}), "127.0.0.1");
    EXPECT_EQ(Format("100%%", {}), "100%");
    EXPECT_EQ(Format("%x %X %.4X %u", {255, 255, 10, -1}), "ff FF 000A 4294967295");
    EXPECT_EQ(Format("%05d", {-42}), "-0042");
}

TEST(Format, TextArgumentsKeepEveryByte) {
    std::string withNul("a\0b", 3);
    EXPECT_EQ(Format("[%s]", {withNul}), "[" + withNul + "]");
}

TEST(Format, RefusesBadDirectives) {
    for (const char* f : {"%d", "%s", "%q", "abc%"}) {
        EXPECT_THROW(Format(f, {}), EConvertError) << f;
    }
    EXPECT_THROW(Format("%d", {"text"}), EConvertError);
    EXPECT_THROW(Format("%s", {5}), EConvertError);
}

} // namespace
} // namespace velkor
