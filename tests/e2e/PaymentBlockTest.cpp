// The payment block: only the gateway's key pair opens it, it is hex text that the merchant
// can forward unread, and every damaged or foreign block is refused rather than misread.
#include "Keys.h"

#include "base/Cp1250.h"
#include "base/Exception.h"
#include "common/PaymentBlock.h"
#include "protocol/Komunikace.h"

#include <gtest/gtest.h>

namespace velkor::peer {
namespace {

using test::CustomerKeys;
using test::GatewayKeys;

Bytes Open(const Bytes& block) {
    return OpenPaymentBlock(block, GatewayKeys().PublicKey, GatewayKeys().PrivateKey);
}

class PaymentRoundTrip : public ::testing::TestWithParam<Bytes> {};

TEST_P(PaymentRoundTrip, GatewayReadsTheText) {
    Bytes block = MakePaymentBlock(GetParam(), GatewayKeys().PublicKey);
    EXPECT_EQ(Open(block), GetParam());
    EXPECT_EQ(block.find_first_not_of("0123456789ABCDEF"), Bytes::npos);
    EXPECT_EQ(block.size() % 2, 0u);
    EXPECT_EQ(block.substr(0, 4), "00AC"); // a 24-byte key under a 512-bit key: 86 characters
}

INSTANTIATE_TEST_SUITE_P(Texts, PaymentRoundTrip,
                         ::testing::Values(Bytes(), Cz("Účet zákazníka 19-123456789/0800"),
                                           Bytes("a\x00\xFF"
                                                 "b",
                                                 4),
                                           Bytes(400, '7')));

TEST(PaymentBlocks, FreshKeyEveryTime) {
    EXPECT_NE(MakePaymentBlock("same", GatewayKeys().PublicKey),
              MakePaymentBlock("same", GatewayKeys().PublicKey));
}

TEST(PaymentBlocks, OnlyTheGatewaysPrivateKeyOpensIt) {
    Bytes block = MakePaymentBlock("secret", GatewayKeys().PublicKey);
    // With another key pair the block's key deciphers to noise: the envelope then fails its
    // length fields or its digest, and either way nothing is read as a payment text.
    EXPECT_THROW(OpenPaymentBlock(block, CustomerKeys().PublicKey, CustomerKeys().PrivateKey),
                 Exception);
}

TEST(PaymentBlocks, BlockSealedForAnotherGatewayIsRefused) {
    Bytes block = MakePaymentBlock("secret", CustomerKeys().PublicKey);
    EXPECT_THROW(Open(block), Exception);
}

struct Damage {
    const char* Name;
    Bytes (*Apply)(const Bytes& block);
    const char* Message; // nullptr: any fault
};

class DamagedBlocks : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedBlocks, AreRefused) {
    Bytes block = GetParam().Apply(MakePaymentBlock("pay 558", GatewayKeys().PublicKey));
    try {
        Bytes text = Open(block);
        FAIL() << "read as " << text;
    } catch (const Exception& e) {
        if (GetParam().Message) {
            EXPECT_EQ(e.Message(), GetParam().Message);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedBlocks,
    ::testing::Values(
        Damage{"Empty", [](const Bytes&) { return Bytes(); }, "the payment block is empty"},
        Damage{"LowerCase",
               [](const Bytes& b) {
                   Bytes d = b;
                   d[d.find_first_of("ABCDEF", 4)] += 'a' - 'A';
                   return d;
               },
               "the payment block is not hex text"},
        Damage{"NotHex", [](const Bytes& b) { return b + "G"; },
               "the payment block is not hex text"},
        Damage{"CutInTheKey", [](const Bytes& b) { return b.substr(0, 100); },
               "the payment block is cut short"},
        Damage{"CutInTheEnvelope", [](const Bytes& b) { return b.substr(0, b.size() - 2); },
               "the payment block's envelope is not as long as it says"},
        Damage{"TrailingText", [](const Bytes& b) { return b + "00"; },
               "the payment block's envelope is not as long as it says"},
        Damage{"KeyFieldTooLong", [](const Bytes& b) { return "00AE" + b.substr(4); }, nullptr},
        Damage{"EnvelopeBitFlipped",
               [](const Bytes& b) {
                   Bytes d = b;
                   char& c = d[d.size() - 40];
                   c = c == '0' ? '1' : '0';
                   return d;
               },
               nullptr},
        Damage{"EnvelopeOfAnotherText",
               [](const Bytes& b) {
                   // Same key field, an envelope sealed with another symmetric key.
                   return b.substr(0, 4 + 172) +
                          BuildEnvelope("pay 9999", "another key", GatewayKeys().PublicKey);
               },
               nullptr}),
    [](const auto& p) { return std::string(p.param.Name); });

} // namespace
} // namespace velkor::peer
