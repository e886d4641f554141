// The MIME Base 64, UU and XX formats: known texts, refusals with their messages, round trips
// of every registered format, and MIME Base 64 against OpenSSL's encoder.
#include "hash/StringFormat.h"
#include "hash/StringFormatMIME64.h"
#include "hash/StringFormatUU.h"

#include "TestVectors.h"

#include <openssl/evp.h>

#include <gtest/gtest.h>

#include <random>

namespace velkor {
namespace {

using test::Hex;

struct CoderCase {
    std::int32_t Format;
    std::string Bytes;
    std::string Text;
};

std::ostream& operator<<(std::ostream& os, const CoderCase& c) {
    return os << c.Format << " " << Hex(c.Bytes) << " <-> " << c.Text;
}

// Text written from bytes, and read back.
class CoderWrites : public ::testing::TestWithParam<CoderCase> {};

TEST_P(CoderWrites, TextAndBack) {
    const CoderCase& c = GetParam();
    EXPECT_EQ(ToFormat(c.Bytes, c.Format), c.Text);
    EXPECT_EQ(Hex(FromFormat(c.Text, c.Format)), Hex(c.Bytes));
}

std::string Repeat(char c, std::size_t n) {
    return std::string(n, c);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CoderWrites,
    ::testing::Values(
        // MIME Base 64 is the default format; RFC 4648's examples.
        CoderCase{fmtDefault, "abc", "YWJj"}, CoderCase{fmtDefault, std::string(1, '\0'), "AA=="},
        CoderCase{fmtMIME64, "f", "Zg=="}, CoderCase{fmtMIME64, "fo", "Zm8="},
        CoderCase{fmtMIME64, "foo", "Zm9v"}, CoderCase{fmtMIME64, "foob", "Zm9vYg=="},
        CoderCase{fmtMIME64, "fooba", "Zm9vYmE="}, CoderCase{fmtMIME64, "foobar", "Zm9vYmFy"},
        CoderCase{fmtMIME64, "\xFB\xFF", "+/8="},
        // UU: the length character, then groups; zero is the grave accent.
        CoderCase{fmtUU, "abc", "#86)C"}, CoderCase{fmtUU, std::string(1, '\0'), "!````"},
        CoderCase{fmtUU, "Cat", "#0V%T"},
        // XX: the same layout over its own alphabet.
        CoderCase{fmtXX, "abc", "1MK7X"}, CoderCase{fmtXX, std::string(1, '\0'), "-++++"}));

struct ReadCase {
    std::int32_t Format;
    std::string Text;
    std::string Bytes;
};

std::ostream& operator<<(std::ostream& os, const ReadCase& c) {
    return os << c.Format << " '" << c.Text << "'";
}

class CoderReads : public ::testing::TestWithParam<ReadCase> {};

TEST_P(CoderReads, GivesTheBytes) {
    EXPECT_EQ(Hex(FromFormat(GetParam().Text, GetParam().Format)), Hex(GetParam().Bytes));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CoderReads,
    ::testing::Values(
        // Missing closing "=" read as if they were there.
        ReadCase{fmtMIME64, "AA", std::string(1, '\0')}, ReadCase{fmtMIME64, "YWI", "ab"},
        ReadCase{fmtMIME64, "Zm9vYg", "foob"},
        // Blanks, line breaks and the other separators are skipped.
        ReadCase{fmtMIME64, "Zm9v\r\nYmFy\n", "foobar"},
        ReadCase{fmtMIME64, " Zm 9v\tYm Fy ", "foobar"},
        ReadCase{fmtMIME64, "(Zm9v)[Ym]{Fy};$-_\\*\"',:", "foobar"},
        // A lone digit cannot make a byte.
        ReadCase{fmtMIME64, "Q", ""}, ReadCase{fmtMIME64, "====", ""},
        // "=" before the end: the output is cut to three bytes per group less one per "=".
        ReadCase{fmtMIME64, "QQ==QUJD", std::string("A\0\0A", 4)},
        // UU/XX: blanks inside a line are skipped; lines of length 0 give nothing.
        ReadCase{fmtUU, "#8 6)\tC", "abc"}, ReadCase{fmtUU, "#86)C``", "abc"},
        ReadCase{fmtUU, "`", ""}, ReadCase{fmtXX, "1MK 7X", "abc"}));

struct RefusedCase {
    std::int32_t Format;
    std::string Text;
    const char* Name;
};

std::ostream& operator<<(std::ostream& os, const RefusedCase& c) {
    return os << c.Format << " '" << c.Text << "'";
}

class CoderRefuses : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(CoderRefuses, WithTheFormatsName) {
    const RefusedCase& c = GetParam();
    const std::string before = c.Text;
    try {
        FromFormat(c.Text, c.Format);
        FAIL() << "accepted";
    } catch (const EStringFormat& e) {
        EXPECT_EQ(e.Message(), std::string("Input is not an valid ") + c.Name + " Format.");
    }
    EXPECT_EQ(c.Text, before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CoderRefuses,
    ::testing::Values(
        RefusedCase{fmtMIME64, "YWJj#", "MIME Base 64"},
        RefusedCase{fmtDefault, "#", "MIME Base 64"},
        RefusedCase{fmtMIME64, "YW.J", "MIME Base 64"},
        RefusedCase{fmtMIME64, std::string("YW\0J", 4), "MIME Base 64"},
        RefusedCase{fmtMIME64, "YWJj\xC3\xA1", "MIME Base 64"},
        // A line start above 45 ("N" in UU and "i" in XX are 46). Appended, because GCC 12
        // warns wrongly (-Wrestrict) about "N" + Repeat(...) in optimised builds.
        RefusedCase{fmtUU, std::string("N").append(Repeat('!', 62)), "UU Coding"},
        RefusedCase{fmtXX, std::string("i").append(Repeat('+', 62)), "XX Coding"},
        // A blank where a line must start, a line cut short, a character of neither alphabet.
        RefusedCase{fmtUU, "#86)C\n", "UU Coding"}, RefusedCase{fmtUU, " #86)C", "UU Coding"},
        RefusedCase{fmtUU, "#86)", "UU Coding"}, RefusedCase{fmtUU, "#86)c", "UU Coding"},
        RefusedCase{fmtXX, "1MK!X", "XX Coding"}, RefusedCase{fmtXX, "1N", "XX Coding"}));

TEST(UUCoding, LinesOf45Bytes) {
    for (std::int32_t format : {fmtUU, fmtXX}) {
        SCOPED_TRACE(format);
        const std::string line45 = ToFormat(Repeat('x', 45), format);
        EXPECT_EQ(line45.size(), 61U) << "one line: length character and 15 groups";
        const std::string lines46 = ToFormat(Repeat('x', 46), format);
        ASSERT_EQ(lines46.size(), 66U) << "a line of 45 and a line of 1";
        EXPECT_EQ(lines46.substr(0, 61), line45);
        EXPECT_EQ(FromFormat(lines46, format), Repeat('x', 46));
    }
    EXPECT_EQ(ToFormat(Repeat('x', 45), fmtUU)[0], 'M');
    EXPECT_EQ(ToFormat(Repeat('x', 46), fmtUU)[61], '!');
}

TEST(UUCoding, DecodingALineStartAbove45RaisesItself) {
    // TextToBytes checks line starts even when called without Accepts before it.
    for (const TStringFormat_UU* c :
         {TStringFormat_UU::Class(),
          static_cast<const TStringFormat_UU*>(TStringFormat_XX::Class())}) {
        try {
            c->TextToBytes("#86)C~", -1);
            FAIL() << c->DisplayName();
        } catch (const EStringFormat& e) {
            EXPECT_EQ(e.Message(), "Input is not an valid " + c->DisplayName() + " Format.");
        }
    }
}

TEST(FormatClasses, RegistryOrderIdsAndNames) {
    struct Entry {
        std::int32_t Id;
        const char* Name;
        const char* ClassName;
    };
    const std::vector<Entry> expected = {{1, "copy Input to Output", "TStringFormat"},
                                         {16, "Hexadecimal", "TStringFormat_HEX"},
                                         {1016, "Hexadecimal lowercase", "TStringFormat_HEXL"},
                                         {4196, "MIME Base 64", "TStringFormat_MIME64"},
                                         {21845, "UU Coding", "TStringFormat_UU"},
                                         {22616, "XX Coding", "TStringFormat_XX"}};
    const auto& registry = FormatRegistry();
    ASSERT_GE(registry.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(registry[i]->FormatId(), expected[i].Id);
        EXPECT_EQ(registry[i]->DisplayName(), expected[i].Name);
        EXPECT_EQ(registry[i]->ClassName(), expected[i].ClassName);
    }
    EXPECT_EQ(FindFormatClass(-1), TStringFormat_MIME64::Class());
    EXPECT_EQ(TrimmedClassName(TStringFormat_MIME64::Class()->ClassName()), "MIME64");
}

TEST(FormatClasses, AlphabetsAndInheritance) {
    EXPECT_EQ(TStringFormat_MIME64::Class()->Alphabet().size(), 85U);
    EXPECT_EQ(TStringFormat_UU::Class()->Alphabet().size(), 68U);
    EXPECT_EQ(TStringFormat_XX::Class()->Alphabet().size(), 74U);
    EXPECT_EQ(TStringFormat_MIME64::Class()->Alphabet()[64], '=');
    EXPECT_EQ(TStringFormat_UU::Class()->Alphabet()[0], '`');
    // The hex format's Accepts, over MIME Base 64's own alphabet.
    const TStringFormat_HEX* mime = TStringFormat_MIME64::Class();
    EXPECT_TRUE(mime->Accepts("Gz+/=", -1, true));
    EXPECT_FALSE(TStringFormat_HEX::Class()->Accepts("Gz", -1, true));
    EXPECT_FALSE(mime->Accepts("h#", -1, true));
    EXPECT_TRUE(mime->Accepts("#", -1, false)) << "bytes to write are always accepted";
    const TStringFormat_UU* xx = TStringFormat_XX::Class();
    EXPECT_TRUE(xx->Accepts("1MK7X", -1, true));
    EXPECT_FALSE(xx->Accepts("#86)C", -1, true)) << "a UU text is not XX";
}

TEST(FormatClasses, RoundTripsOfEveryFormat) {
    std::mt19937 rng(4196);
    for (TStringFormatClass c : FormatRegistry()) {
        for (std::size_t n : {1, 2, 3, 44, 45, 46, 89, 90, 91, 200, 1000}) {
            std::string data(n, '\0');
            for (char& ch : data) ch = static_cast<char>(rng());
            const std::string text = ToFormat(data, c->FormatId());
            EXPECT_EQ(Hex(FromFormat(text, c->FormatId())), Hex(data))
                << c->DisplayName() << " length " << n << " text " << text;
        }
    }
}

// The readers take whole groups at a time while the text is plain digits and fall back to one
// character at a time; a separator or a refused character at any position, inside a group or
// on its edge, must be treated as in the slow path.
TEST(FormatClasses, SeparatorOrForeignCharacterAtAnyPositionOfALongText) {
    std::mt19937 rng(1016);
    std::string data(100, '\0');
    for (char& ch : data) ch = static_cast<char>(rng());
    for (std::int32_t format : {fmtHEX, fmtMIME64}) {
        const std::string text = ToFormat(data, format);
        for (std::size_t at = 0; at <= text.size(); ++at) {
            std::string spaced = text;
            spaced.insert(at, " \r\n");
            EXPECT_EQ(Hex(FromFormat(spaced, format)), Hex(data)) << format << " at " << at;
            std::string foreign = text;
            foreign.insert(at, "#");
            EXPECT_THROW(FromFormat(foreign, format), EStringFormat) << format << " at " << at;
        }
    }
}

TEST(FormatClasses, MimeMatchesOpenSslsEncoder) {
    std::mt19937 rng(2045);
    for (int i = 0; i < 200; ++i) {
        std::string data(rng() % 300, '\0');
        for (char& ch : data) ch = static_cast<char>(rng());
        std::string expected(4 * ((data.size() + 2) / 3) + 1, '\0');
        int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(expected.data()),
                                      reinterpret_cast<const unsigned char*>(data.data()),
                                      static_cast<int>(data.size()));
        expected.resize(static_cast<std::size_t>(written));
        ASSERT_EQ(ToFormat(data, fmtMIME64), expected) << "input " << Hex(data);
    }
}

} // namespace
} // namespace velkor
