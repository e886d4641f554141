// Frames, envelopes, dual frames and symmetric keys.
#include "Fakes.h"
#include "Keys.h"
#include "TestVectors.h"

#include "base/Convert.h"
#include "base/Exception.h"
#include "hash/StringFormat.h"
#include "protocol/Komunikace.h"
#include "rsa/RSA.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <set>

namespace velkor {
namespace {

using test::CustomerKeys;
using test::MerchantKeys;

std::string ConvertFault(const std::function<void()>& f) {
    try {
        f();
    } catch (const EConvertError& e) {
        return e.Message();
    }
    return "no fault";
}

// --- plain and RSA frames -----------------------------------------------------------------

TEST(Frames, Layout) {
    EXPECT_EQ(MakeFrame(0x60, ToFormat("", fmtHEX)), "600000");
    EXPECT_EQ(MakeFrame(0x60, ToFormat("\x0A", fmtHEX)), "6000020A");
    EXPECT_EQ(MakeFrame(0x03, ToFormat("558", fmtHEX)), "030006353538");
}

TEST(Frames, SendPlainFrameWaitsASecondAndSendsTheFrame) {
    test::FakeClock clock;
    test::FakeTransport transport(clock);
    TKomunikace k(clock, transport);
    k.SendPlainFrame("10.0.0.7", 2000, "\x0A", 0x60);
    k.SendPlainFrame("10.0.0.7", 2003, "", 0x60);
    ASSERT_EQ(transport.Sent.size(), 2u);
    EXPECT_EQ(transport.Sent[0].Data, "6000020A");
    EXPECT_EQ(transport.Sent[0].Host, "10.0.0.7");
    EXPECT_EQ(transport.Sent[0].Port, 2000);
    EXPECT_EQ(transport.Sent[1].Data, "600000");
    EXPECT_EQ(clock.Slept, (std::vector<int>{1000, 1000}));
    EXPECT_EQ(transport.Sent[0].SleepsBefore, 1u);
    EXPECT_EQ(transport.Sent[1].SleepsBefore, 2u);
}

struct ParseCase {
    Bytes Frame;
    Bytes Payload;
};

class PlainFrameParsing : public ::testing::TestWithParam<ParseCase> {};

TEST_P(PlainFrameParsing, DecodesWhatIsPresent) {
    EXPECT_EQ(ParsePlainFrame(GetParam().Frame), GetParam().Payload) << GetParam().Frame;
}

INSTANTIATE_TEST_SUITE_P(Cases, PlainFrameParsing,
                         ::testing::Values(ParseCase{"600000", ""}, ParseCase{"6000020A", "\x0A"},
                                           ParseCase{"FF0004ABCD", "\xAB\xCD"},   // any type
                                           ParseCase{"600008ABCD", "\xAB\xCD"},   // short frame
                                           ParseCase{"600002ABCD", "\xAB"},       // extra ignored
                                           ParseCase{"60000", ""},                // "$000"
                                           ParseCase{"6000", ""},                 // "$00"
                                           ParseCase{"600004abcd", "\xAB\xCD"})); // either case

TEST(Frames, BadHeaderFieldsAreConversionFaults) {
    EXPECT_EQ(ConvertFault([] { ParsePlainFrame("60"); }), "'$' is not a valid integer value");
    EXPECT_EQ(ConvertFault([] { ParsePlainFrame("60zz02AB"); }),
              "'$zz02' is not a valid integer value");
    EXPECT_EQ(ConvertFault([] { ParsePlainFrame(""); }), "'$' is not a valid integer value");
    EXPECT_THROW(ParsePlainFrame("6000021G"), EStringFormat);
}

TEST(Frames, RsaFrameRoundTrip) {
    test::FakeClock clock;
    test::FakeTransport transport(clock);
    TKomunikace k(clock, transport);
    const Bytes key("\x00\x01\xFE\xFFsymmetric key 24 chars", 24);
    k.SendRsaFrame(key, MerchantKeys().PublicKey, "127.0.0.1", 2003, 0x58);
    ASSERT_EQ(transport.Sent.size(), 1u);
    const Bytes& frame = transport.Sent[0].Data;
    EXPECT_EQ(frame.substr(0, 6), "5800AC"); // 86 radix-64 characters as 172 hex digits
    EXPECT_EQ(frame.size(), 6u + 172u);
    EXPECT_EQ(ParseRsaFrame(frame, MerchantKeys().PublicKey, MerchantKeys().PrivateKey), key);
}

TEST(Frames, RsaFrameFaultsPassOn) {
    EXPECT_THROW(ParseRsaFrame("590000", MerchantKeys().PublicKey, MerchantKeys().PrivateKey),
                 EConvertError); // "String has incorrect length"
    EXPECT_THROW(ParseRsaFrame("5900AC", "", MerchantKeys().PrivateKey), EInvalidKey);
}

TEST(Frames, JoinedFrame) {
    test::FakeClock clock;
    test::FakeTransport transport(clock);
    TKomunikace k(clock, transport);
    k.SendJoinedFrame("0004ABCD", "0002EF", "gw", 0x4F, 2003);
    ASSERT_EQ(transport.Sent.size(), 1u);
    EXPECT_EQ(transport.Sent[0].Data, "4F0004ABCD0002EF");
    EXPECT_EQ(transport.Sent[0].Port, 2003);
}

TEST(Frames, SendFaultPassesOnAfterTheWait) {
    test::FakeClock clock;
    test::FakeTransport transport(clock);
    transport.FailFor["0.0.0.0"] = "Null Remote Address";
    TKomunikace k(clock, transport);
    try {
        k.SendPlainFrame("0.0.0.0", 2000, "x", 0x60);
        ADD_FAILURE() << "no fault";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Null Remote Address (adresa \"0.0.0.0\", port 2000)");
    }
    EXPECT_EQ(clock.Slept.size(), 1u);
    EXPECT_TRUE(transport.Sent.empty());
}

// --- envelopes ----------------------------------------------------------------------------

class EnvelopeRoundTrip : public ::testing::TestWithParam<Bytes> {};

TEST_P(EnvelopeRoundTrip, OpensToTheContent) {
    const Bytes symmetric("k\x00\xFF\x80y", 5);
    Bytes envelope = BuildEnvelope(GetParam(), symmetric, MerchantKeys().PublicKey);
    Bytes frame = "15" + envelope; // a framed envelope is the type and the bare envelope
    EXPECT_EQ(
        OpenEnvelopeFrame(frame, symmetric, MerchantKeys().PublicKey, MerchantKeys().PrivateKey),
        GetParam());
}

INSTANTIATE_TEST_SUITE_P(Contents, EnvelopeRoundTrip,
                         ::testing::Values(Bytes(), Bytes("558"), Bytes("\x00\x00\x00", 3),
                                           Cz("--- KONEC SPOJENÍ ---"),
                                           Bytes("\r\nA;2;300\r\nB;10;50"), Bytes(1000, '\xE8')));

TEST(Envelopes, SendEnvelopeFrameIsTypeAndBareEnvelope) {
    test::FakeClock clock;
    test::FakeTransport transport(clock);
    TKomunikace k(clock, transport);
    k.SendEnvelopeFrame("h", 2000, "abc", 0x16, MerchantKeys().PublicKey, "key");
    ASSERT_EQ(transport.Sent.size(), 1u);
    EXPECT_EQ(transport.Sent[0].Data, "16" + BuildEnvelope("abc", "key", MerchantKeys().PublicKey));
}

TEST(Envelopes, BodyLayout) {
    // The sealed text is MIME Base 64 of the body in cmCTS, so it has the body's length; an
    // empty content gives "0000" + "00AC" + 172 digest digits.
    Bytes sealed = SealEnvelope("", "key", MerchantKeys().PublicKey);
    Bytes body = FromFormat(sealed, fmtMIME64);
    EXPECT_EQ(body.size(), 4u + 4u + 172u);
    Bytes envelope = BuildEnvelope("", "key", MerchantKeys().PublicKey);
    EXPECT_EQ(envelope.substr(0, 4), IntToHex(static_cast<std::uint32_t>(envelope.size() - 4), 4));
}

TEST(Envelopes, WrongPrivateKeyGivesTheDigestErrorText) {
    Bytes frame = "09" + BuildEnvelope("1000", "key", MerchantKeys().PublicKey);
    EXPECT_EQ(OpenEnvelopeFrame(frame, "key", CustomerKeys().PublicKey, CustomerKeys().PrivateKey),
              DigestErrorText());
}

TEST(Envelopes, WrongSymmetricKeyIsAFaultOrTheErrorText) {
    Bytes frame = "09" + BuildEnvelope("1000", "key", MerchantKeys().PublicKey);
    try {
        Bytes r = OpenEnvelopeFrame(frame, "other key", MerchantKeys().PublicKey,
                                    MerchantKeys().PrivateKey);
        EXPECT_EQ(r, DigestErrorText());
    } catch (const Exception&) {
        SUCCEED(); // the deciphered length fields are noise
    }
}

TEST(Envelopes, DigestErrorTextBytes) {
    EXPECT_EQ(DigestErrorText(),
              "*** Chyba: Message digest vypo\xE8ten\xFD a message digest ze zpr\xE1vy nen\xED "
              "shodn\xFD !!!");
}

TEST(Envelopes, TamperedSealedTextIsRefusedOrDetected) {
    Bytes frame = "09" + BuildEnvelope("1000", "key", MerchantKeys().PublicKey);
    frame[10] = frame[10] == 'A' ? 'B' : 'A';
    try {
        EXPECT_TRUE(
            OpenEnvelopeFrame(frame, "key", MerchantKeys().PublicKey, MerchantKeys().PrivateKey)
                .starts_with("***"));
    } catch (const Exception&) {
        SUCCEED();
    }
}

// --- bare envelopes and bodies of one's own ------------------------------------------------

TEST(BareEnvelopes, OpenToTheContentAndIgnoreWhatFollows) {
    Bytes envelope = BuildEnvelope(Bytes("pay\x00me", 6), "sk", MerchantKeys().PublicKey);
    for (const Bytes& text : {envelope, envelope + "0004ABCD"})
        EXPECT_EQ(OpenBareEnvelope(text, "sk", MerchantKeys().PublicKey, MerchantKeys().PrivateKey),
                  Bytes("pay\x00me", 6));
}

TEST(BareEnvelopes, BadLengthFieldIsAConversionFault) {
    EXPECT_EQ(ConvertFault([] {
                  OpenBareEnvelope("zz00ABCD", "sk", MerchantKeys().PublicKey,
                                   MerchantKeys().PrivateKey);
              }),
              "'$zz00' is not a valid integer value");
}

// A peer may build a body itself: with the digest field of its own content it opens like any
// envelope; with the digest of other bytes the receiver sees the digest error text.
TEST(BareEnvelopes, OwnBodyOpensOnlyWithTheDigestOfItsContent) {
    const Bytes content = "A;2;300\r\nB;10;50";
    struct Case {
        Bytes DigestOf;
        Bytes Expected;
    };
    for (const Case& c : {Case{content, content}, Case{content + " ", DigestErrorText()},
                          Case{"", DigestErrorText()}}) {
        Bytes body = IntToHex(static_cast<std::uint32_t>(content.size()), 4) + content +
                     DigestField(c.DigestOf, MerchantKeys().PublicKey);
        Bytes hex = ToFormat(EncipherBody(body, "ck"), fmtHEX);
        Bytes envelope = IntToHex(static_cast<std::uint32_t>(hex.size()), 4) + hex;
        EXPECT_EQ(
            OpenBareEnvelope(envelope, "ck", MerchantKeys().PublicKey, MerchantKeys().PrivateKey),
            c.Expected)
            << c.DigestOf;
    }
}

TEST(BareEnvelopes, DigestFieldIsLengthAndHexOfTheRsaText) {
    Bytes field = DigestField("558", MerchantKeys().PublicKey);
    ASSERT_EQ(field.size(), 4u + 172u);
    EXPECT_EQ(field.substr(0, 4), "00AC");
    EXPECT_EQ(field.find_first_not_of("0123456789ABCDEF"), Bytes::npos);
}

// --- dual frames --------------------------------------------------------------------------

TEST(DualFrames, ForwardPartAndContent) {
    const Bytes forward = "0008DEADBEEF";
    Bytes frame = "4F" + forward + BuildEnvelope("A;1;2", "ck", MerchantKeys().PublicKey);
    Bytes forwardPart;
    EXPECT_EQ(OpenDualFrame(frame, MerchantKeys().PublicKey, MerchantKeys().PrivateKey, "ck",
                            forwardPart),
              "A;1;2");
    EXPECT_EQ(forwardPart, forward);
}

TEST(DualFrames, ForwardPartSurvivesABadSecondPart) {
    Bytes forwardPart = "old";
    EXPECT_EQ(ConvertFault([&] {
                  OpenDualFrame("4F0004ABCDzz00", MerchantKeys().PublicKey,
                                MerchantKeys().PrivateKey, "ck", forwardPart);
              }),
              "'$zz00' is not a valid integer value");
    EXPECT_EQ(forwardPart, "0004ABCD");
}

TEST(DualFrames, EmptyForwardPart) {
    Bytes frame = "4F0000" + BuildEnvelope("x;1;1", "ck", MerchantKeys().PublicKey);
    Bytes forwardPart;
    EXPECT_EQ(OpenDualFrame(frame, MerchantKeys().PublicKey, MerchantKeys().PrivateKey, "ck",
                            forwardPart),
              "x;1;1");
    EXPECT_EQ(forwardPart, "0000");
}

// --- bounded copies -----------------------------------------------------------------------

TEST(Copy, NeverReadsPastTheEnd) {
    EXPECT_EQ(Copy("abcdef", 3, 2), "cd");
    EXPECT_EQ(Copy("abcdef", 5, 100), "ef");
    EXPECT_EQ(Copy("abcdef", 7, 1), "");
    EXPECT_EQ(Copy("abcdef", 100000, 5), "");
    EXPECT_EQ(Copy("abcdef", 0, 2), "ab");
    EXPECT_EQ(Copy("abcdef", 2, -1), "");
}

// --- symmetric keys -----------------------------------------------------------------------

TEST(SymmetricKeys, TwentyFourCharactersNever255AndAllDifferent) {
    std::set<Bytes> seen;
    std::array<int, 256> counts{};
    for (int i = 0; i < 1000; ++i) {
        Bytes key = MakeSymmetricKey(24);
        ASSERT_EQ(key.size(), 24u);
        for (char c : key) ++counts[static_cast<unsigned char>(c)];
        seen.insert(key);
    }
    EXPECT_EQ(seen.size(), 1000u);
    EXPECT_EQ(counts[255], 0);
    // 24,000 draws over 255 values: each is expected about 94 times; a value missing entirely
    // or drawn three times as often would show a broken draw.
    for (int v = 0; v < 255; ++v) {
        EXPECT_GT(counts[static_cast<std::size_t>(v)], 30) << v;
        EXPECT_LT(counts[static_cast<std::size_t>(v)], 280) << v;
    }
    EXPECT_EQ(MakeSymmetricKey(0), "");
}

} // namespace
} // namespace velkor
