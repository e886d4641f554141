// The format registry, ToFormat/FromFormat and the copy and hex formats.
#include "hash/StringFormat.h"

#include <gtest/gtest.h>

#include <random>

namespace velkor {
namespace {

std::string B(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s += static_cast<char>(b);
    return s;
}

struct DecodeCase {
    std::string Text;
    std::string Bytes;
};

class HexDecoding : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(HexDecoding, GivesTheBytes) {
    EXPECT_EQ(FromFormat(GetParam().Text, fmtHEX), GetParam().Bytes) << GetParam().Text;
    EXPECT_EQ(FromFormat(GetParam().Text, fmtHEXL), GetParam().Bytes) << GetParam().Text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HexDecoding,
    ::testing::Values(DecodeCase{"001FA0", B({0x00, 0x1F, 0xA0})},
                      DecodeCase{"001fa0", B({0x00, 0x1F, 0xA0})},
                      DecodeCase{"00 1F A0", B({0x00, 0x1F, 0xA0})},
                      DecodeCase{"(00)[1F]{A0}", B({0x00, 0x1F, 0xA0})},
                      DecodeCase{"$001FA0", B({0x00, 0x1F, 0xA0})},
                      DecodeCase{"0x1FA0", B({0x1F, 0xA0})}, DecodeCase{"0X1FA0", B({0x1F, 0xA0})},
                      DecodeCase{"ABC", B({0xAB})}, DecodeCase{"12h", B({0x12})},
                      DecodeCase{"0x12$34", B({0x12, 0x34})},
                      DecodeCase{"1,2;3:4-5_6/7\\8*9+A\"B'C\tD\nE\rF",
                                 B({0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE})},
                      DecodeCase{"F", ""}, DecodeCase{"  ", ""}));

TEST(HexFormat, WritesUpperAndLowerCase) {
    EXPECT_EQ(ToFormat(B({0x00, 0x1F, 0xA0}), fmtHEX), "001FA0");
    EXPECT_EQ(ToFormat(B({0x00, 0x1F, 0xA0}), fmtHEXL), "001fa0");
}

TEST(HexFormat, EveryByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    for (std::int32_t id : {fmtHEX, fmtHEXL, fmtCopy})
        EXPECT_EQ(FromFormat(ToFormat(all, id), id), all);
    std::mt19937 rng(7);
    for (int n = 0; n < 50; ++n) {
        std::string s(rng() % 300, '\0');
        for (char& c : s) c = static_cast<char>(rng());
        EXPECT_EQ(FromFormat(ToFormat(s, fmtHEX), fmtHEX), s);
    }
}

struct Refusal {
    std::string Text;
    std::int32_t Id;
    std::string Message;
};

class FormatRefusals : public ::testing::TestWithParam<Refusal> {};

TEST_P(FormatRefusals, RaiseTheirMessage) {
    const Refusal& r = GetParam();
    try {
        FromFormat(r.Text, r.Id);
        FAIL() << "no fault for " << r.Text;
    } catch (const EStringFormat& e) {
        EXPECT_EQ(e.Message(), r.Message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatRefusals,
    ::testing::Values(Refusal{"1G", fmtHEX, "Input is not an valid Hexadecimal Format."},
                      Refusal{"1.", fmtHEX, "Input is not an valid Hexadecimal Format."},
                      Refusal{"1G", fmtHEXL, "Input is not an valid Hexadecimal lowercase Format."},
                      Refusal{std::string("12\0"
                                          "34",
                                          5),
                              fmtHEX, "Input is not an valid Hexadecimal Format."},
                      Refusal{"00", 99, "String Format \"99\" not exists."},
                      Refusal{"00", -7, "String Format \"-7\" not exists."}));

TEST(FormatEntryPoints, UnknownIdForWriting) {
    try {
        ToFormat("abc", 99);
        FAIL();
    } catch (const EStringFormat& e) {
        EXPECT_EQ(e.Message(), "String Format \"99\" not exists.");
    }
}

TEST(FormatEntryPoints, EmptyInputOrIdZeroNeedsNoFormat) {
    EXPECT_EQ(ToFormat("", 99), "");
    EXPECT_EQ(FromFormat("", 99), "");
    EXPECT_EQ(ToFormat("abc", 0), "");
    EXPECT_EQ(FromFormat("zz", 0), "");
    EXPECT_EQ(ToFormat(nullptr, 5, fmtHEX), "");
    EXPECT_EQ(FromFormat(nullptr, 5, fmtHEX), "");
}

TEST(FormatEntryPoints, NegativeLengthStopsAtTheFirstNul) {
    const char text[] = "4142\0"
                        "43";
    EXPECT_EQ(FromFormat(text, -1, fmtHEX), "AB");
    const char data[] = "AB\0C";
    EXPECT_EQ(ToFormat(data, -1, fmtHEX), "4142");
    EXPECT_EQ(ToFormat(data, 4, fmtHEX), "41420043");
}

TEST(FormatEntryPoints, RefusalChangesNothing) {
    std::string text = "12G4";
    const std::string before = text;
    EXPECT_THROW(FromFormat(text, fmtHEX), EStringFormat);
    EXPECT_EQ(text, before);
}

TEST(FormatClasses, NamesIdsAndTrimmedClassNames) {
    EXPECT_EQ(FindFormatClass(fmtCopy)->DisplayName(), "copy Input to Output");
    EXPECT_EQ(FindFormatClass(fmtHEX)->DisplayName(), "Hexadecimal");
    EXPECT_EQ(FindFormatClass(fmtHEXL)->DisplayName(), "Hexadecimal lowercase");
    EXPECT_EQ(FindFormatClass(12345), nullptr);
    EXPECT_EQ(TrimmedClassName("TStringFormat_HEX"), "HEX");
    EXPECT_EQ(TrimmedClassName("THash_RipeMD256"), "RipeMD256");
    EXPECT_EQ(TrimmedClassName("TStringFormat"), "TStringFormat");
    EXPECT_TRUE(TStringFormat::Class()->Accepts("anything", -1, true));
    EXPECT_EQ(FromFormat(std::string("a\0b", 3), fmtCopy), std::string("a\0b", 3));
}

TEST(FormatClasses, RegistryOrderStartsWithCopyAndHex) {
    std::vector<std::pair<std::string, TStringFormatClass>> list;
    ListFormats(&list);
    ASSERT_GE(list.size(), 3u);
    EXPECT_EQ(list[0].second->FormatId(), fmtCopy);
    EXPECT_EQ(list[1].second->FormatId(), fmtHEX);
    EXPECT_EQ(list[2].second->FormatId(), fmtHEXL);
    EXPECT_EQ(list[1].first, "Hexadecimal");
    ListFormats(nullptr); // no target: nothing happens
}

// A format of the test's own, to show how registration replaces and appends.
class TStringFormat_Probe : public TStringFormat {
public:
    explicit TStringFormat_Probe(std::int32_t id) : FId(id) {}
    std::int32_t FormatId() const override { return FId; }
    std::string ClassName() const override { return "TStringFormat_Probe"; }
    Bytes BytesToText(const char*, int) const override { return "probe"; }

private:
    std::int32_t FId;
};

TEST(FormatClasses, RegisteringReplacesInPlaceAppendsAndSkips) {
    static const TStringFormat_Probe replacement(fmtHEXL), fresh(31337), ignored(-1);
    const auto before = FormatRegistry();
    AddFormatClasses({nullptr, &ignored, &replacement, &fresh});
    const auto& after = FormatRegistry();
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_EQ(after[2], &replacement);
    EXPECT_EQ(after.back(), &fresh);
    EXPECT_EQ(ToFormat("x", fmtHEXL), "probe");
    EXPECT_EQ(FindFormatClass(31337)->DisplayName(), "Probe"); // its trimmed class name
    AddFormatClasses({TStringFormat_HEXL::Class()});           // put the real class back
    RemoveFormatClass(&fresh);
    EXPECT_EQ(ToFormat("\x1f", fmtHEXL), "1f");
    EXPECT_EQ(FormatRegistry(), before);
}

} // namespace
} // namespace velkor
