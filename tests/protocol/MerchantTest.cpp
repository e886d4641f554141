// HandleMessage end to end within the protocol: each message type, its log lines, its replies
// (type, destination, port, order, content) and the state each success or failure leaves.
#include "Fakes.h"
#include "FreedScan.h"
#include "Keys.h"

#include "base/Convert.h"
#include "base/Exception.h"
#include "base/Format.h"
#include "hash/HashManager.h"
#include "hash/StringFormat.h"
#include "protocol/Komunikace.h"
#include "protocol/Merchant.h"
#include "rsa/RSA.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

namespace velkor {
namespace {

using test::CustomerKeys;
using test::GatewayKeys;
using test::MerchantKeys;

const Bytes kCustomerSymmetric = "customer symmetric key!!";
const Bytes kForward = "0006AABBCC";
const std::string kCustomerIP = "10.0.0.5";
const std::string kGatewayIP = "10.0.0.9";
// SHA-0 of the CP1250 bytes of "Virtuální Kramtex a.s. 12345678 987654321", computed apart
// from this code.
const Bytes kIdentityDigest = "418139ED84C7C7DE528BDC52A222966506EDB165";

Bytes KeyFrame(int type, const Bytes& publicKey) {
    return MakeFrame(type, ToFormat(publicKey, fmtHEX));
}

Bytes RsaFrame(int type, const Bytes& content, const Bytes& publicKey) {
    TRSA rsa;
    rsa.SetKeyBits(TKeyBits::kb0512);
    rsa.SetPublicKey(publicKey);
    return MakeFrame(type, ToFormat(rsa.PublicEncipher(content), fmtHEX));
}

Bytes EnvelopeFrame(int type, const Bytes& content, const Bytes& symmetric,
                    const Bytes& publicKey) {
    return MakeFrame(type, ToFormat(SealEnvelope(content, symmetric, publicKey), fmtHEX));
}

Bytes OrderFrame(const Bytes& order, const Bytes& forward = kForward,
                 const Bytes& sealedFor = MerchantKeys().PublicKey) {
    return "4F" + forward + BuildEnvelope(order, kCustomerSymmetric, sealedFor);
}

class MerchantTest : public ::testing::Test {
protected:
    void SetUp() override {
        merchant.MerchantPublicKey = MerchantKeys().PublicKey;
        merchant.MerchantPrivateKey = SecretBytes(MerchantKeys().PrivateKey);
        settings.Fields[TSetting::GatewayAddress] = kGatewayIP;
    }

    void Receive(const Bytes& frame, const std::string& from) {
        log.Lines.clear();
        transport.Sent.clear();
        merchant.Receive(frame, from);
    }
    void Handshake(const std::string& from = kCustomerIP) {
        Receive(KeyFrame(0x63, CustomerKeys().PublicKey), from);
        Receive(RsaFrame(0x59, kCustomerSymmetric, MerchantKeys().PublicKey), from);
    }
    void AcceptOrder(const Bytes& order = "A;2;300\r\nB;10;50") {
        Handshake();
        Receive(OrderFrame(order), kCustomerIP);
    }
    // The gateway's key arrives; returns the symmetric key the merchant sent back in 0x58.
    Bytes GatewayKeyArrives() {
        Receive(KeyFrame(0x5F, GatewayKeys().PublicKey), kGatewayIP);
        if (transport.Sent.empty()) return {};
        return ParseRsaFrame(transport.Sent[0].Data, GatewayKeys().PublicKey,
                             GatewayKeys().PrivateKey);
    }
    std::string LastLine() const { return log.Lines.empty() ? "" : log.Lines.back(); }
    // The state the merchant keeps of the customer at `ip`; an empty one when it keeps none.
    const TCustomerState& Customer(const std::string& ip = kCustomerIP) const {
        static const TCustomerState none;
        const TCustomerState* state = merchant.Customer(ip);
        return state ? *state : none;
    }

    test::FakeLog log;
    test::FakeSettings settings;
    test::FakeClock clock;
    test::FakeTransport transport{clock};
    TKomunikace komunikace{clock, transport};
    THashManager hashManager1{nullptr};
    TMerchant merchant{log, settings, komunikace, hashManager1};
};

// --- key exchange with the customer ---------------------------------------------------------

TEST_F(MerchantTest, CustomerKeyIsStoredLoggedAndAnswered) {
    Receive(KeyFrame(0x63, CustomerKeys().PublicKey), kCustomerIP);
    EXPECT_EQ(Customer().CustomerPublicKey, CustomerKeys().PublicKey);
    EXPECT_EQ(Customer().CustomerAddress, kCustomerIP);
    ASSERT_EQ(log.Lines.size(), 2u);
    EXPECT_EQ(log.Lines[0], "   Ve\xF8"
                            "ejn\xFD kl\xED\xE8 z\xE1kazn\xEDka:");
    EXPECT_EQ(log.Lines[1], "   " + ToFormat(CustomerKeys().PublicKey, fmtHEX));
    ASSERT_EQ(transport.Sent.size(), 1u);
    EXPECT_EQ(transport.Sent[0].Host, kCustomerIP);
    EXPECT_EQ(transport.Sent[0].Port, 2000);
    EXPECT_EQ(transport.Sent[0].Data, KeyFrame(0x60, MerchantKeys().PublicKey));
    EXPECT_EQ(transport.Sent[0].SleepsBefore, 1u);
}

TEST_F(MerchantTest, SecondCustomerKeyFromAnotherAddressReplacesOnlyKeyAndAddress) {
    AcceptOrder();
    const Bytes forward = Customer().ForwardPart;
    const std::int32_t total = Customer().TotalPrice;
    Receive(KeyFrame(0x63, GatewayKeys().PublicKey), "10.0.0.77");
    EXPECT_EQ(Customer("10.0.0.77").CustomerPublicKey, GatewayKeys().PublicKey);
    EXPECT_EQ(Customer("10.0.0.77").CustomerAddress, "10.0.0.77");
    EXPECT_EQ(Customer().CustomerSymmetricKey.Get(), kCustomerSymmetric);
    EXPECT_EQ(Customer().ForwardPart, forward);
    EXPECT_EQ(Customer().TotalPrice, total);
    EXPECT_EQ(merchant.GatewayAddress, kGatewayIP);
    ASSERT_EQ(transport.Sent.size(), 1u);
    EXPECT_EQ(transport.Sent[0].Host, "10.0.0.77");
}

TEST_F(MerchantTest, FailingCustomerKeyKeepsThePreviousOne) {
    Receive(KeyFrame(0x63, CustomerKeys().PublicKey), kCustomerIP);
    Receive("63000G", "10.0.0.66");
    EXPECT_EQ(LastLine(), "*** '$000G' is not a valid integer value");
    EXPECT_EQ(Customer().CustomerPublicKey, CustomerKeys().PublicKey);
    EXPECT_EQ(Customer().CustomerAddress, kCustomerIP);
    EXPECT_TRUE(transport.Sent.empty());
}

TEST_F(MerchantTest, CustomerSymmetricKeyIsStoredAndLogged) {
    Handshake();
    EXPECT_EQ(Customer().CustomerSymmetricKey.Get(), kCustomerSymmetric);
    ASSERT_EQ(log.Lines.size(), 2u);
    EXPECT_EQ(log.Lines[0], "   Symetrick\xFD kl\xED\xE8 z\xE1kazn\xEDka:");
    EXPECT_EQ(log.Lines[1], "   " + ToFormat(kCustomerSymmetric, fmtHEX));
    EXPECT_TRUE(transport.Sent.empty());
}

TEST_F(MerchantTest, OnlyTheSymmetricKeyLineIsSecret) {
    AcceptOrder();
    Bytes key = GatewayKeyArrives();
    Receive(EnvelopeFrame(0x09, "1000", key, MerchantKeys().PublicKey), kGatewayIP);
    Receive(EnvelopeFrame(0x15, "bye", kCustomerSymmetric, MerchantKeys().PublicKey), kCustomerIP);
    ASSERT_EQ(log.Secrets.size(), 1u);
    EXPECT_EQ(log.Secrets[0].first, "   " + ToFormat(kCustomerSymmetric, fmtHEX));
    EXPECT_EQ(log.Secrets[0].second, 24u);
}

TEST_F(MerchantTest, FailingSymmetricKeyLeavesItEmpty) {
    Handshake();
    Receive("590004ZZZZ", kCustomerIP);
    EXPECT_EQ(Customer().CustomerSymmetricKey.Get(), "");
    EXPECT_TRUE(LastLine().starts_with("*** ")) << LastLine();
}

TEST_F(MerchantTest, SymmetricKeyUnderAnotherPublicKeyRaisesNothingOfItsOwn) {
    Handshake();
    Receive(RsaFrame(0x59, kCustomerSymmetric, CustomerKeys().PublicKey), kCustomerIP);
    EXPECT_NE(Customer().CustomerSymmetricKey.Get(), kCustomerSymmetric);
    EXPECT_FALSE(log.Lines.empty());
    EXPECT_FALSE(log.Lines[0].starts_with("***"));
}

// --- the order --------------------------------------------------------------------------------

TEST_F(MerchantTest, AcceptedOrderShowsTheTableAndHandsTheKeyToTheGateway) {
    AcceptOrder();
    const std::vector<Bytes> expected = {
        "   Objedn\xE1vka z\xE1kazn\xEDka:",
        "   N\xE1zev                          Po\xE8"
        "et       Cena",
        "   A                                 2        300 K\xE8",
        "   B                                10         50 K\xE8",
        "",
        "   Cena za zbo\x9E\xED:       350 K\xE8",
        "   Po\x9Atovn\xE9     :       123 K\xE8",
        "   Baln\xE9        :        85 K\xE8",
        "   ---------------------------",
        "   Cena celkem  :       558 K\xE8",
    };
    EXPECT_EQ(log.Lines, expected);
    EXPECT_EQ(Customer().TotalPrice, 558);
    EXPECT_EQ(Customer().ForwardPart, kForward);
    EXPECT_EQ(merchant.GatewayAddress, kGatewayIP);
    ASSERT_EQ(transport.Sent.size(), 1u);
    EXPECT_EQ(transport.Sent[0].Host, kGatewayIP);
    EXPECT_EQ(transport.Sent[0].Port, 2003);
    EXPECT_EQ(transport.Sent[0].Data, KeyFrame(0x60, MerchantKeys().PublicKey));
}

TEST_F(MerchantTest, TypeFieldInLowerCase) {
    Handshake();
    Bytes frame = OrderFrame("A;1;1");
    frame[1] = 'f';
    Receive(frame, kCustomerIP);
    EXPECT_EQ(Customer().TotalPrice, 1 + 123 + 85);
}

struct OrderCase {
    const char* Name;
    Bytes Text;
    std::int32_t Total; // when accepted
    Bytes Fault;        // the logged fault, empty when accepted
};

class OrderTexts : public MerchantTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(OrderTexts, TotalOrFault) {
    const OrderCase& c = GetParam();
    Handshake();
    Receive(OrderFrame(c.Text), kCustomerIP);
    if (!c.Fault.empty()) {
        EXPECT_EQ(LastLine(), c.Fault);
        EXPECT_TRUE(transport.Sent.empty());
        EXPECT_EQ(Customer().ForwardPart, kForward); // taken before the order failed
        EXPECT_EQ(Customer().TotalPrice, 0);
    } else {
        EXPECT_EQ(Customer().TotalPrice, c.Total) << LastLine();
        EXPECT_EQ(transport.Sent.size(), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OrderTexts,
    ::testing::Values(
        OrderCase{"Plain", "A;2;300\r\nB;10;50", 558, ""},
        OrderCase{"LeadingCrLf", "\r\nA;2;300\r\nB;10;50", 558, ""},
        OrderCase{"BareLf", "A;2;300\nB;10;50\n", 558, ""},
        OrderCase{"BareCr", "A;2;300\rB;10;50\r", 558, ""},
        OrderCase{"BlanksBeforeNumbers", "A; 2; 300", 508, ""}, OrderCase{"Empty", "", 208, ""},
        OrderCase{"NulEndsTheText", Bytes("A;1;100\0B;1;x", 13), 308, ""},
        OrderCase{"Negative", "Refund;1;-1000", -792, ""},
        OrderCase{"TwoLeadingCrLf", "\r\n\r\nA;2;300", 0, "*** '' is not a valid integer value"},
        OrderCase{"BlankAfterPrice", "A;2;300 ", 0, "*** '300 ' is not a valid integer value"},
        OrderCase{"OneSemicolon", "A;2", 0, "*** '' is not a valid integer value"},
        OrderCase{"CountNotANumber", "A;two;300", 0, "*** 'two' is not a valid integer value"},
        // Fields beyond 32 bits do not wrap: they are not integers at all.
        OrderCase{"PriceBeyond32Bits", "A;1;2147483648", 0,
                  "*** '2147483648' is not a valid integer value"},
        OrderCase{"PriceBelow32Bits", "A;1;-2147483649", 0,
                  "*** '-2147483649' is not a valid integer value"},
        OrderCase{"CountBeyond32Bits", "A;4294967296;1", 0,
                  "*** '4294967296' is not a valid integer value"},
        OrderCase{"HexBeyond32Bits", "A;1;$100000000", 0,
                  "*** '$100000000' is not a valid integer value"},
        OrderCase{"LongDigitRun", "A;1;" + Bytes(400, '9'), 0,
                  "*** '" + Bytes(400, '9') + "' is not a valid integer value"}),
    [](const ::testing::TestParamInfo<OrderCase>& p) { return std::string(p.param.Name); });

TEST_F(MerchantTest, EmptyOrderHasNoRows) {
    AcceptOrder("");
    ASSERT_GE(log.Lines.size(), 3u);
    EXPECT_EQ(log.Lines[2], "");
    EXPECT_EQ(Customer().TotalPrice, 208);
}

// Goods, postage and packing are added in 32-bit signed arithmetic: a sum past either end
// wraps, the log shows the wrapped figures and the total goes on as it is.
struct WrapCase {
    const char* Name;
    Bytes Order;
    Bytes Postage, Packing;
    std::vector<Bytes> Rows; // the table's rows
    std::int32_t Goods, Total;
};

class WrappingTotals : public MerchantTest, public ::testing::WithParamInterface<WrapCase> {};

TEST_P(WrappingTotals, AreShownAndSentWrapped) {
    const WrapCase& c = GetParam();
    settings.Fields[TSetting::Postage] = c.Postage;
    settings.Fields[TSetting::Packing] = c.Packing;
    AcceptOrder(c.Order);
    ASSERT_EQ(log.Lines.size(), 2 + c.Rows.size() + 6) << LastLine();
    for (std::size_t i = 0; i < c.Rows.size(); ++i) EXPECT_EQ(log.Lines[2 + i], c.Rows[i]);
    const std::size_t sums = 2 + c.Rows.size() + 1;
    EXPECT_EQ(log.Lines[sums], Format(Cz("   Cena za zboží: %9d Kč"), {c.Goods}));
    EXPECT_EQ(log.Lines[sums + 1], Format(Cz("   Poštovné     : %9d Kč"), {StrToInt(c.Postage)}));
    EXPECT_EQ(log.Lines[sums + 2], Format(Cz("   Balné        : %9d Kč"), {StrToInt(c.Packing)}));
    EXPECT_EQ(LastLine(), Format(Cz("   Cena celkem  : %9d Kč"), {c.Total}));
    EXPECT_EQ(Customer().TotalPrice, c.Total);
    ASSERT_EQ(transport.Sent.size(), 1u);
    // The 0x03 carries the wrapped total as decimal text.
    Bytes key = GatewayKeyArrives();
    ASSERT_EQ(transport.Sent.size(), 3u);
    EXPECT_EQ(OpenEnvelopeFrame(transport.Sent[2].Data, key, GatewayKeys().PublicKey,
                                GatewayKeys().PrivateKey),
              IntToStr(c.Total));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WrappingTotals,
    ::testing::Values(WrapCase{"GoodsPastTheTop",
                               "A;1;2147483647\r\nB;1;1",
                               "123",
                               "85",
                               {"   A                                 1 2147483647 K\xE8",
                                "   B                                 1          1 K\xE8"},
                               INT32_MIN,
                               INT32_MIN + 208},
                      WrapCase{"GoodsPastTheBottom",
                               "A;1;-2147483648\r\nB;1;-1",
                               "123",
                               "85",
                               {"   A                                 1 -2147483648 K\xE8",
                                "   B                                 1         -1 K\xE8"},
                               INT32_MAX,
                               INT32_MIN + 207},
                      WrapCase{"ExtremeCountsAreOnlyShown",
                               "A;2147483647;5\r\nB;-2147483648;5",
                               "123",
                               "85",
                               {"   A                              2147483647          5 K\xE8",
                                "   B                              -2147483648          5 K\xE8"},
                               10,
                               218},
                      WrapCase{"PostageAndPackingPastTheTop",
                               "A;1;1",
                               "2147483647",
                               "2147483647",
                               {"   A                                 1          1 K\xE8"},
                               1,
                               -1},
                      WrapCase{"HexFields",
                               "A;$7FFFFFFF;$FFFFFFFF",
                               "-$80000000",
                               "0",
                               {"   A                              2147483647         -1 K\xE8"},
                               -1,
                               INT32_MAX}),
    [](const ::testing::TestParamInfo<WrapCase>& p) { return std::string(p.param.Name); });

// Postage and packing are read after the rows: a field that is not an integer stops the order
// there. The forward part is already taken; the total and the gateway address stay as they
// were, and nothing is sent.
struct SettingCase {
    const char* Name;
    TSetting Field;
    Bytes Text;
};

class BadSettings : public MerchantTest, public ::testing::WithParamInterface<SettingCase> {};

TEST_P(BadSettings, StopTheOrderAfterTheRows) {
    AcceptOrder(); // total 558, gateway address kGatewayIP
    settings.Fields[GetParam().Field] = GetParam().Text;
    settings.Fields[TSetting::GatewayAddress] = "10.9.9.9";
    Receive(OrderFrame("A;1;5", "0002EE"), kCustomerIP);
    ASSERT_EQ(log.Lines.size(), 4u); // heading, header, one row, the fault
    EXPECT_EQ(LastLine(), "*** '" + GetParam().Text + "' is not a valid integer value");
    EXPECT_TRUE(transport.Sent.empty());
    EXPECT_EQ(Customer().ForwardPart, "0002EE");
    EXPECT_EQ(Customer().TotalPrice, 558);
    EXPECT_EQ(merchant.GatewayAddress, kGatewayIP);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, BadSettings,
    ::testing::Values(SettingCase{"PostageEmpty", TSetting::Postage, ""},
                      SettingCase{"PostageTrailingLetter", TSetting::Postage, "12a"},
                      SettingCase{"PostageTrailingBlank", TSetting::Postage, " 12 "},
                      SettingCase{"PostageBadHex", TSetting::Postage, "$G"},
                      SettingCase{"PackingEmpty", TSetting::Packing, ""},
                      SettingCase{"PackingTrailingLetter", TSetting::Packing, "12a"},
                      SettingCase{"PackingTrailingBlank", TSetting::Packing, " 12 "},
                      SettingCase{"PackingBadHex", TSetting::Packing, "$G"},
                      SettingCase{"PackingBeyond32Bits", TSetting::Packing, "2147483648"}),
    [](const ::testing::TestParamInfo<SettingCase>& p) { return std::string(p.param.Name); });

// A gateway address that the endpoint refuses: the fault line names the address and the port,
// the order itself stands (total and address taken), and nothing leaves.
struct AddressCase {
    const char* Name;
    std::string Address;
    std::string Fault; // what the endpoint raises for it
};

class BadGatewayAddresses : public MerchantTest,
                            public ::testing::WithParamInterface<AddressCase> {};

TEST_P(BadGatewayAddresses, AreNamedInTheFaultLine) {
    const AddressCase& c = GetParam();
    settings.Fields[TSetting::GatewayAddress] = c.Address;
    transport.FailFor[c.Address] = c.Fault;
    AcceptOrder();
    EXPECT_EQ(LastLine(), "*** " + c.Fault + " (adresa \"" + c.Address + "\", port 2003)");
    EXPECT_TRUE(transport.Sent.empty());
    EXPECT_EQ(Customer().TotalPrice, 558);
    EXPECT_EQ(merchant.GatewayAddress, c.Address);
    EXPECT_EQ(clock.Slept.size(), 2u); // the handshake's 0x60, then the one attempt
}

INSTANTIATE_TEST_SUITE_P(Addresses, BadGatewayAddresses,
                         ::testing::Values(AddressCase{"Empty", "", "Host Lookup Canceled"},
                                           AddressCase{"ThreeHundredCharacters",
                                                       std::string(300, 'g'), "Host name too long"},
                                           AddressCase{"DoesNotResolve", "gateway.example.invalid",
                                                       "Host Lookup Canceled"}),
                         [](const ::testing::TestParamInfo<AddressCase>& p) {
                             return std::string(p.param.Name);
                         });

TEST_F(MerchantTest, OrderWithABadDigestIsRelayedToItsSender) {
    Handshake();
    Handshake("10.0.0.50"); // the sender has keys of its own to seal the error with
    // Sealed with a digest under another key: the merchant's private key cannot match it.
    Receive(OrderFrame("A;1;1", kForward, CustomerKeys().PublicKey), "10.0.0.50");
    ASSERT_EQ(log.Lines.size(), 2u);
    EXPECT_EQ(log.Lines[0], DigestErrorText());
    EXPECT_EQ(log.Lines[1], "--- KONEC SPOJEN\xCD ---");
    EXPECT_EQ(Customer("10.0.0.50").ForwardPart, kForward);
    EXPECT_EQ(Customer("10.0.0.50").TotalPrice, 0);
    ASSERT_EQ(transport.Sent.size(), 1u);
    const test::Datagram& reply = transport.Sent[0];
    EXPECT_EQ(reply.Host, "10.0.0.50");
    EXPECT_EQ(reply.Port, 2000);
    EXPECT_EQ(reply.Data.substr(0, 2), "16");
    EXPECT_EQ(OpenEnvelopeFrame(reply.Data, kCustomerSymmetric, CustomerKeys().PublicKey,
                                CustomerKeys().PrivateKey),
              DigestErrorText());
}

TEST_F(MerchantTest, GatewayAddressIsReadOnceAtTheAcceptedOrder) {
    AcceptOrder();
    settings.Fields[TSetting::GatewayAddress] = "10.9.9.9";
    GatewayKeyArrives();
    ASSERT_EQ(transport.Sent.size(), 3u);
    for (const auto& d : transport.Sent) EXPECT_EQ(d.Host, kGatewayIP);
}

// --- the gateway --------------------------------------------------------------------------

TEST_F(MerchantTest, GatewayKeyIsAnsweredWithKeyIdentityAndTotal) {
    AcceptOrder();
    clock.Slept.clear();
    Bytes gatewaySymmetric = GatewayKeyArrives();
    ASSERT_EQ(log.Lines.size(), 2u);
    EXPECT_EQ(log.Lines[0], "   Ve\xF8"
                            "ejn\xFD kl\xED\xE8 platebn\xED br\xE1ny:");
    EXPECT_EQ(log.Lines[1], "   " + ToFormat(GatewayKeys().PublicKey, fmtHEX));
    EXPECT_EQ(merchant.GatewayPublicKey, GatewayKeys().PublicKey);
    ASSERT_EQ(transport.Sent.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(transport.Sent[i].Host, kGatewayIP);
        EXPECT_EQ(transport.Sent[i].Port, 2003);
        EXPECT_EQ(transport.Sent[i].SleepsBefore, i + 1); // a second before each
    }
    // 0x58: the fresh key under the gateway's public key.
    EXPECT_EQ(transport.Sent[0].Data.substr(0, 6), "5800AC");
    EXPECT_EQ(gatewaySymmetric, merchant.GatewaySymmetricKey.Get());
    EXPECT_EQ(gatewaySymmetric.size(), 24u);
    // 0x4F: the customer's forward part and the identity digest sealed for the gateway.
    Bytes forward;
    EXPECT_EQ(OpenDualFrame(transport.Sent[1].Data, GatewayKeys().PublicKey,
                            GatewayKeys().PrivateKey, gatewaySymmetric, forward),
              kIdentityDigest);
    EXPECT_EQ(forward, kForward);
    EXPECT_EQ(hashManager1.Algorithm(), "Secure Hash Algorithm");
    // 0x03: the total.
    EXPECT_EQ(transport.Sent[2].Data.substr(0, 2), "03");
    EXPECT_EQ(OpenEnvelopeFrame(transport.Sent[2].Data, gatewaySymmetric, GatewayKeys().PublicKey,
                                GatewayKeys().PrivateKey),
              "558");
}

TEST_F(MerchantTest, EveryGatewayKeyMakesAFreshSymmetricKey) {
    AcceptOrder();
    Bytes first = GatewayKeyArrives();
    Bytes second = GatewayKeyArrives();
    EXPECT_NE(first, second);
    EXPECT_EQ(second, merchant.GatewaySymmetricKey.Get());
}

// With no accepted order there is no gateway address: the key is refused before anything
// changes, and the exchange can still be had afterwards.
TEST_F(MerchantTest, GatewayKeyBeforeAnyOrderIsRefused) {
    Handshake();
    Receive(KeyFrame(0x5F, GatewayKeys().PublicKey), kGatewayIP);
    EXPECT_EQ(log.Lines, (std::vector<Bytes>{Cz("*** Chyba: klíč platební brány přišel bez "
                                                "přijaté objednávky, nic se neodesílá")}));
    EXPECT_TRUE(transport.Sent.empty());
    EXPECT_EQ(clock.Slept.size(), 1u); // only the 0x60 of the handshake
    EXPECT_EQ(merchant.GatewayPublicKey, "");
    EXPECT_TRUE(merchant.GatewaySymmetricKey.empty());

    Receive(OrderFrame("A;2;300\r\nB;10;50"), kCustomerIP);
    Bytes key = GatewayKeyArrives();
    ASSERT_EQ(transport.Sent.size(), 3u);
    EXPECT_EQ(OpenEnvelopeFrame(transport.Sent[2].Data, key, GatewayKeys().PublicKey,
                                GatewayKeys().PrivateKey),
              "558");
}

// Before the gateway's key the merchant holds no gateway symmetric key. A verdict sealed under
// the empty key would otherwise open and post a credit that no gateway gave.
TEST_F(MerchantTest, CreditBeforeAnyGatewayKeyIsRefused) {
    AcceptOrder();
    const Bytes forged = EnvelopeFrame(0x09, "1000000", "", MerchantKeys().PublicKey);
    const Bytes error =
        EnvelopeFrame(0x09, "*** Platba zam\xEDtnuta", "", MerchantKeys().PublicKey);
    for (const Bytes& frame : {forged, error}) {
        Receive(frame, kGatewayIP);
        EXPECT_EQ(log.Lines, (std::vector<Bytes>{Cz("*** Chyba: výsledek platby přišel bez klíče "
                                                    "platební brány, nic se neodesílá")}));
        EXPECT_TRUE(transport.Sent.empty());
    }
    // Once the key has come, the same kind of message is taken.
    Bytes key = GatewayKeyArrives();
    Receive(EnvelopeFrame(0x09, "1000", key, MerchantKeys().PublicKey), kGatewayIP);
    ASSERT_EQ(log.Lines.size(), 1u);
    EXPECT_FALSE(log.Lines[0].starts_with("***")) << log.Lines[0];
}

TEST_F(MerchantTest, FailedKeySendStopsTheRest) {
    AcceptOrder();
    transport.FailFor[kGatewayIP] = "Host Lookup Canceled";
    GatewayKeyArrives();
    EXPECT_TRUE(transport.Sent.empty());
    EXPECT_EQ(LastLine(), "*** Host Lookup Canceled (adresa \"10.0.0.9\", port 2003)");
    EXPECT_EQ(merchant.GatewayPublicKey, GatewayKeys().PublicKey);
    EXPECT_EQ(merchant.GatewaySymmetricKey.size(), 24u);
}

TEST_F(MerchantTest, CreditIsLogged) {
    AcceptOrder();
    Bytes key = GatewayKeyArrives();
    Receive(EnvelopeFrame(0x09, "1000", key, MerchantKeys().PublicKey), kGatewayIP);
    ASSERT_EQ(log.Lines.size(), 1u);
    EXPECT_EQ(log.Lines[0], "   Na \xFA\xE8"
                            "et obchodn\xEDka byla p\xF8ips\xE1na \xE8\xE1stka 1000 K\xE8");
    EXPECT_TRUE(transport.Sent.empty());
}

TEST_F(MerchantTest, GatewayErrorIsRelayedToTheCustomerAddress) {
    AcceptOrder();
    Bytes key = GatewayKeyArrives();
    const Bytes error = "*** Platba zam\xEDtnuta";
    Receive(EnvelopeFrame(0x09, error, key, MerchantKeys().PublicKey), kGatewayIP);
    ASSERT_EQ(log.Lines.size(), 2u);
    EXPECT_EQ(log.Lines[0], error);
    EXPECT_EQ(log.Lines[1], "--- KONEC SPOJEN\xCD ---");
    ASSERT_EQ(transport.Sent.size(), 1u);
    EXPECT_EQ(transport.Sent[0].Host, kCustomerIP);
    EXPECT_EQ(transport.Sent[0].Port, 2000);
    EXPECT_EQ(OpenEnvelopeFrame(transport.Sent[0].Data, kCustomerSymmetric,
                                CustomerKeys().PublicKey, CustomerKeys().PrivateKey),
              error);
}

TEST_F(MerchantTest, CreditWithABadDigestIsRelayed) {
    AcceptOrder();
    Bytes key = GatewayKeyArrives();
    Receive(EnvelopeFrame(0x09, "1000", key, GatewayKeys().PublicKey), kGatewayIP);
    ASSERT_EQ(log.Lines.size(), 2u);
    EXPECT_EQ(log.Lines[0], DigestErrorText());
    ASSERT_EQ(transport.Sent.size(), 1u);
    EXPECT_EQ(transport.Sent[0].Host, kCustomerIP);
}

TEST_F(MerchantTest, CreditSealedWithAnEarlierGatewayKeyNoLongerOpens) {
    AcceptOrder();
    Bytes old = GatewayKeyArrives();
    GatewayKeyArrives();
    Receive(EnvelopeFrame(0x09, "1000", old, MerchantKeys().PublicKey), kGatewayIP);
    ASSERT_FALSE(log.Lines.empty());
    EXPECT_TRUE(log.Lines[0].starts_with("***")) << log.Lines[0];
}

struct ClosingCase {
    int Type;
    bool CustomerKey;
};

class ClosingMessages : public MerchantTest, public ::testing::WithParamInterface<ClosingCase> {};

TEST_P(ClosingMessages, LogTheTextAndTheEndLine) {
    AcceptOrder();
    Bytes gatewayKey = GatewayKeyArrives();
    const Bytes& key = GetParam().CustomerKey ? kCustomerSymmetric : gatewayKey;
    // The customer's closing is opened with the key of the address it comes from.
    const std::string& from = GetParam().CustomerKey ? kCustomerIP : kGatewayIP;
    Receive(EnvelopeFrame(GetParam().Type, "Konec", key, MerchantKeys().PublicKey), from);
    EXPECT_EQ(log.Lines, (std::vector<Bytes>{"Konec", "--- KONEC SPOJEN\xCD ---"}));
    EXPECT_TRUE(transport.Sent.empty());
    // A bad digest is logged in place of the content.
    Receive(EnvelopeFrame(GetParam().Type, "Konec", key, CustomerKeys().PublicKey), from);
    EXPECT_EQ(log.Lines, (std::vector<Bytes>{DigestErrorText(), "--- KONEC SPOJEN\xCD ---"}));
}

INSTANTIATE_TEST_SUITE_P(Types, ClosingMessages,
                         ::testing::Values(ClosingCase{0x14, false}, ClosingCase{0x19, false},
                                           ClosingCase{0x15, true}));

// --- dispatch ---------------------------------------------------------------------------

TEST_F(MerchantTest, OtherTypesDoNothing) {
    AcceptOrder();
    for (const Bytes& frame : {Bytes("01000000"), Bytes("60000"), Bytes("16000000"), Bytes("FF")}) {
        Receive(frame, kCustomerIP);
        EXPECT_TRUE(log.Lines.empty()) << frame;
        EXPECT_TRUE(transport.Sent.empty()) << frame;
    }
    EXPECT_EQ(Customer().TotalPrice, 558);
}

TEST_F(MerchantTest, EmptyOrBadTypeIsAConversionFault) {
    Receive("", kCustomerIP);
    EXPECT_EQ(log.Lines, (std::vector<Bytes>{"*** '$' is not a valid integer value"}));
    Receive("Z1000000", kCustomerIP);
    EXPECT_EQ(log.Lines, (std::vector<Bytes>{"*** '$Z1' is not a valid integer value"}));
    EXPECT_THROW(merchant.HandleMessage("Z1", kCustomerIP), EConvertError);
}

// A header field of a datagram comes back in the fault line; its control characters must
// neither break the line (one datagram, one "***" line) nor reach a terminal as they are.
TEST_F(MerchantTest, FaultLineQuotingControlCharactersStaysOneLine) {
    struct Case {
        Bytes Frame;
        Bytes Line;
    };
    const Case cases[] = {
        {"14\n***forged", "*** '$\\x0A***' is not a valid integer value"},
        {"\r\n0004ABCD", "*** '$\\x0D\\x0A' is not a valid integer value"},
        {Bytes("4F0000\x1B[2J", 10), "*** '$\\x1B[2J' is not a valid integer value"},
        {Bytes("\0\x7F", 2) + "0000", "*** '$\\x00\\x7F' is not a valid integer value"},
        // The bytes CP1250 leaves undefined are C1 controls; its letters stay as they are.
        {Bytes("\x90\x81") + "0000", "*** '$\\x90\\x81' is not a valid integer value"},
        {Bytes("\x8A") + "10000", "*** '$" + Bytes("\x8A") + "1' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        Receive(c.Frame, kCustomerIP);
        EXPECT_EQ(log.Lines, std::vector<Bytes>{c.Line}) << c.Frame;
        EXPECT_TRUE(transport.Sent.empty());
    }
}

TEST_F(MerchantTest, MissingKeysAreOrderlyFaults) {
    // Nothing has been exchanged: sealing the 0x16 needs the customer's key, which never came.
    merchant.MerchantPrivateKey = SecretBytes(CustomerKeys().PrivateKey);
    Receive(OrderFrame("A;1;1"), kCustomerIP);
    ASSERT_FALSE(log.Lines.empty());
    EXPECT_TRUE(LastLine().starts_with("***")) << LastLine();
}

// --- many customers -----------------------------------------------------------------------
// Each customer's keys, forward part and total are its own; the gateway hears of one exchange
// at a time and the other accepted orders wait in turn.

const TKeyPair& OtherCustomerKeys() {
    static const TKeyPair keys = MakeKeyPair(TKeyBits::kb0512);
    return keys;
}

struct TestCustomer {
    std::string IP;
    const TKeyPair* Keys;
    Bytes Symmetric;
    Bytes Forward;
};

const Bytes kQueuedLine1 = Cz("   Objednávka čeká na platební bránu, objednávek před ní: 1");

class ManyCustomers : public MerchantTest {
protected:
    const TestCustomer A{"127.0.0.2", &CustomerKeys(), "customer A's symmetric k", "0004AAAA"};
    const TestCustomer B{"127.0.0.3", &OtherCustomerKeys(), "customer B's symmetric k", "0004BBBB"};

    // Datagrams that keep what the log and the transport held before them.
    void Deliver(const Bytes& frame, const std::string& from) { merchant.Receive(frame, from); }
    void Hello(const TestCustomer& c) {
        Deliver(KeyFrame(0x63, c.Keys->PublicKey), c.IP);
        Deliver(RsaFrame(0x59, c.Symmetric, MerchantKeys().PublicKey), c.IP);
    }
    void Order(const TestCustomer& c, const Bytes& order) {
        Deliver("4F" + c.Forward + BuildEnvelope(order, c.Symmetric, MerchantKeys().PublicKey),
                c.IP);
    }
    // A customer whose keys the merchant holds without a handshake (cheap for the bounds).
    void Known(const std::string& ip) {
        TCustomerState& state = merchant.UseCustomer(ip);
        state.CustomerPublicKey = CustomerKeys().PublicKey;
        state.CustomerSymmetricKey = SecretBytes(kCustomerSymmetric);
    }
    // The gateway answers the 0x60 of the exchange in its phase; returns the total it was sent
    // and gives the forward part and the fresh symmetric key.
    Bytes GatewayPhase(Bytes& forward, Bytes& key) {
        const std::size_t first = transport.Sent.size();
        Deliver(KeyFrame(0x5F, GatewayKeys().PublicKey), kGatewayIP);
        if (transport.Sent.size() != first + 3) return "(no replies)";
        key = ParseRsaFrame(transport.Sent[first].Data, GatewayKeys().PublicKey,
                            GatewayKeys().PrivateKey);
        OpenDualFrame(transport.Sent[first + 1].Data, GatewayKeys().PublicKey,
                      GatewayKeys().PrivateKey, key, forward);
        return OpenEnvelopeFrame(transport.Sent[first + 2].Data, key, GatewayKeys().PublicKey,
                                 GatewayKeys().PrivateKey);
    }
    void Verdict(const Bytes& text, const Bytes& key) {
        Deliver(EnvelopeFrame(0x09, text, key, MerchantKeys().PublicKey), kGatewayIP);
    }
    std::vector<int> SentTypes() const {
        std::vector<int> types;
        for (const auto& d : transport.Sent) types.push_back(HeaderNumber(d.Data, 1, 2));
        return types;
    }
    bool Logged(const Bytes& line) const {
        return std::find(log.Lines.begin(), log.Lines.end(), line) != log.Lines.end();
    }
};

// The exchange that spoiled both: A's hello, B's hello, A's order, B's order.
TEST_F(ManyCustomers, InterleavedExchangesAreEachCreditedInTurn) {
    Hello(A);
    Hello(B);
    Order(A, "A;2;300\r\nB;10;50");
    Order(B, "C;1;1000");
    EXPECT_FALSE(Logged(DigestErrorText()));
    EXPECT_EQ(Customer(A.IP).TotalPrice, 558);
    EXPECT_EQ(Customer(B.IP).TotalPrice, 1208);
    EXPECT_EQ(Customer(A.IP).CustomerSymmetricKey.Get(), A.Symmetric);
    EXPECT_EQ(Customer(B.IP).CustomerSymmetricKey.Get(), B.Symmetric);
    // Only A's order reached the gateway; B's waits behind it.
    EXPECT_EQ(SentTypes(), (std::vector<int>{0x60, 0x60, 0x60}));
    EXPECT_EQ(transport.Sent[2].Host, kGatewayIP);
    EXPECT_EQ(log.Lines.back(), kQueuedLine1);
    EXPECT_EQ(merchant.GatewayCustomer(), A.IP);
    EXPECT_EQ(merchant.WaitingOrders(), std::vector<std::string>{B.IP});

    Bytes forward, key;
    EXPECT_EQ(GatewayPhase(forward, key), "558");
    EXPECT_EQ(forward, A.Forward);
    log.Lines.clear();
    transport.Sent.clear();
    Verdict("558", key);
    // A is credited, then B's order goes to the gateway in the same handling.
    EXPECT_EQ(log.Lines,
              (std::vector<Bytes>{Cz("   Na účet obchodníka byla připsána částka 558 Kč"),
                                  Cz("   Na řadu přichází objednávka zákazníka 127.0.0.3")}));
    ASSERT_EQ(SentTypes(), std::vector<int>{0x60});
    EXPECT_EQ(transport.Sent[0].Host, kGatewayIP);
    EXPECT_EQ(merchant.GatewayCustomer(), B.IP);

    EXPECT_EQ(GatewayPhase(forward, key), "1208");
    EXPECT_EQ(forward, B.Forward);
    Verdict("1208", key);
    EXPECT_EQ(log.Lines.back(), Cz("   Na účet obchodníka byla připsána částka 1208 Kč"));
    EXPECT_FALSE(merchant.GatewayPhaseActive());
    EXPECT_TRUE(merchant.WaitingOrders().empty());
}

TEST_F(ManyCustomers, GatewayErrorGoesToTheCustomerOfThePhase) {
    Hello(A);
    Hello(B);
    Order(A, "A;1;1");
    Order(B, "B;1;1"); // B sent last, and waits
    Bytes forward, key;
    GatewayPhase(forward, key);
    transport.Sent.clear();
    const Bytes error = "*** Platba zam\xEDtnuta";
    Verdict(error, key);
    ASSERT_EQ(SentTypes(), (std::vector<int>{0x16, 0x60}));
    EXPECT_EQ(transport.Sent[0].Host, A.IP);
    EXPECT_EQ(transport.Sent[0].Port, 2000);
    EXPECT_EQ(OpenEnvelopeFrame(transport.Sent[0].Data, A.Symmetric, A.Keys->PublicKey,
                                A.Keys->PrivateKey),
              error);
    EXPECT_EQ(transport.Sent[1].Host, kGatewayIP);
    EXPECT_EQ(merchant.GatewayCustomer(), B.IP);
}

TEST_F(ManyCustomers, CustomerClosingOpensWithTheKeyOfItsAddress) {
    Hello(A);
    Hello(B);
    const Bytes fromB = EnvelopeFrame(0x15, "Konec B", B.Symmetric, MerchantKeys().PublicKey);
    Deliver(fromB, B.IP);
    EXPECT_EQ(log.Lines.end()[-2], "Konec B");
    EXPECT_EQ(log.Lines.back(), EndLine());
    // From A, or from an address the merchant never heard of, B's envelope does not open.
    for (const std::string& from : {A.IP, std::string("127.0.0.9")}) {
        log.Lines.clear();
        Deliver(fromB, from);
        ASSERT_EQ(log.Lines.size(), 1u) << from;
        EXPECT_TRUE(log.Lines[0].starts_with("*** ")) << log.Lines[0];
    }
    EXPECT_EQ(merchant.Customer("127.0.0.9"), nullptr);
}

TEST_F(ManyCustomers, NewHelloStartsOverOnlyForItsAddress) {
    Hello(A);
    Hello(B);
    Order(A, "A;1;1");
    Deliver(KeyFrame(0x63, OtherCustomerKeys().PublicKey), A.IP);
    EXPECT_EQ(Customer(A.IP).CustomerPublicKey, OtherCustomerKeys().PublicKey);
    EXPECT_EQ(Customer(B.IP).CustomerPublicKey, B.Keys->PublicKey);
    EXPECT_EQ(Customer(B.IP).CustomerSymmetricKey.Get(), B.Symmetric);
    // An address that sent nothing before starts empty.
    Deliver(RsaFrame(0x59, "C's key", MerchantKeys().PublicKey), "127.0.0.4");
    EXPECT_EQ(Customer("127.0.0.4").CustomerPublicKey, "");
    EXPECT_EQ(Customer("127.0.0.4").TotalPrice, 0);
}

// One customer ordering again while its own exchange is with the gateway: the key goes to the
// gateway at once, as it always did.
TEST_F(ManyCustomers, RepeatedOrderOfThePhaseCustomerGoesAtOnce) {
    Hello(A);
    Order(A, "A;1;1");
    transport.Sent.clear();
    Order(A, "A;1;2");
    EXPECT_EQ(SentTypes(), std::vector<int>{0x60});
    EXPECT_TRUE(merchant.WaitingOrders().empty());
    EXPECT_EQ(Customer(A.IP).TotalPrice, 2 + 123 + 85);
}

TEST_F(ManyCustomers, SilentGatewayIsGivenUpAfterThirtySeconds) {
    Hello(A);
    Hello(B);
    Order(A, "A;1;1");
    Order(B, "B;1;1");
    Bytes forward, key;
    GatewayPhase(forward, key); // the gateway is heard; then it falls silent
    log.Lines.clear();
    transport.Sent.clear();
    clock.Monotonic += kGatewayTimeoutMs - 1;
    merchant.CheckGatewayTimeout();
    EXPECT_TRUE(log.Lines.empty());
    EXPECT_TRUE(transport.Sent.empty());

    clock.Monotonic += 1;
    merchant.CheckGatewayTimeout();
    const Bytes timeout = Cz("*** Chyba: platební brána neodpověděla do 30 s, platba zákazníka "
                             "127.0.0.2 se neuskutečnila");
    EXPECT_EQ(log.Lines,
              (std::vector<Bytes>{timeout, EndLine(),
                                  Cz("   Na řadu přichází objednávka zákazníka 127.0.0.3")}));
    ASSERT_EQ(SentTypes(), (std::vector<int>{0x16, 0x60}));
    EXPECT_EQ(transport.Sent[0].Host, A.IP);
    EXPECT_EQ(OpenEnvelopeFrame(transport.Sent[0].Data, A.Symmetric, A.Keys->PublicKey,
                                A.Keys->PrivateKey),
              timeout);
    EXPECT_EQ(merchant.GatewayCustomer(), B.IP);

    // A's verdict that comes after all is not taken for B's.
    log.Lines.clear();
    Verdict("2", key);
    EXPECT_TRUE(log.Lines.back().starts_with("***")) << log.Lines.back();
    EXPECT_TRUE(merchant.GatewayPhaseActive());
}

TEST_F(ManyCustomers, EachGatewayMessageStartsTheThirtySecondsAgain) {
    Hello(A);
    Order(A, "A;1;1");
    clock.Monotonic += 20000;
    Bytes forward, key;
    GatewayPhase(forward, key);
    clock.Monotonic += kGatewayTimeoutMs - 1;
    merchant.CheckGatewayTimeout();
    EXPECT_TRUE(merchant.GatewayPhaseActive());
    clock.Monotonic += 1;
    log.Lines.clear();
    merchant.CheckGatewayTimeout();
    EXPECT_FALSE(merchant.GatewayPhaseActive());
    ASSERT_FALSE(log.Lines.empty());
    EXPECT_TRUE(log.Lines[0].starts_with("*** ")) << log.Lines[0];
    // The customer's next order goes to the gateway at once.
    transport.Sent.clear();
    Order(A, "A;1;1");
    EXPECT_EQ(SentTypes(), std::vector<int>{0x60});
}

// A forged verdict does not end the phase; the gateway's real one does.
TEST_F(ManyCustomers, VerdictWithABadDigestKeepsThePhase) {
    Hello(A);
    Hello(B);
    Order(A, "A;1;1");
    Order(B, "B;1;1");
    Bytes forward, key;
    GatewayPhase(forward, key);
    Deliver(EnvelopeFrame(0x09, "1", key, GatewayKeys().PublicKey), kGatewayIP);
    EXPECT_EQ(merchant.GatewayCustomer(), A.IP);
    EXPECT_EQ(merchant.WaitingOrders(), std::vector<std::string>{B.IP});
    Verdict("1", key);
    EXPECT_EQ(merchant.GatewayCustomer(), B.IP);
}

// A host-name lookup processes pending events while a datagram is handled, the window's timer
// among them; a tick then must not give up the phase under the handling's feet.
TEST_F(ManyCustomers, TickDuringAHandlingDoesNothing) {
    class TickingTransport final : public ITransport {
    public:
        void Send(const std::string&, int, const Bytes& data) override {
            Types.push_back(HeaderNumber(data, 1, 2));
            if (During) During();
        }
        std::function<void()> During;
        std::vector<int> Types;
    } ticking;
    TKomunikace own{clock, ticking};
    TMerchant m{log, settings, own, hashManager1};
    m.MerchantPublicKey = MerchantKeys().PublicKey;
    m.MerchantPrivateKey = SecretBytes(MerchantKeys().PrivateKey);
    TCustomerState& a = m.UseCustomer(A.IP);
    a.CustomerPublicKey = A.Keys->PublicKey;
    a.CustomerSymmetricKey = SecretBytes(A.Symmetric);
    m.Receive("4F" + A.Forward + BuildEnvelope("A;1;1", A.Symmetric, MerchantKeys().PublicKey),
              A.IP);
    ASSERT_TRUE(m.GatewayPhaseActive());
    log.Lines.clear();
    ticking.During = [&] {
        clock.Monotonic += 2 * kGatewayTimeoutMs;
        m.CheckGatewayTimeout();
    };
    m.Receive(KeyFrame(0x5F, GatewayKeys().PublicKey), kGatewayIP);
    EXPECT_TRUE(m.GatewayPhaseActive());
    EXPECT_EQ(ticking.Types, (std::vector<int>{0x60, 0x58, 0x4F, 0x03}));
    for (const Bytes& line : log.Lines) EXPECT_FALSE(line.starts_with("***")) << line;
}

TEST_F(ManyCustomers, QueueHoldsAHundredOrdersAndRefusesMore) {
    auto ip = [](std::size_t i) {
        return "10.1." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 1);
    };
    const Bytes order =
        "4F" + kForward + BuildEnvelope("A;1;1", kCustomerSymmetric, MerchantKeys().PublicKey);
    for (std::size_t i = 0; i <= kMaxWaitingOrders; ++i) {
        Known(ip(i));
        Receive(order, ip(i));
        if (i > 0) {
            EXPECT_EQ(LastLine(),
                      Format(Cz("   Objednávka čeká na platební bránu, objednávek před ní: %d"),
                             {static_cast<std::int32_t>(i)}));
        }
    }
    ASSERT_EQ(merchant.WaitingOrders().size(), kMaxWaitingOrders);
    // A waiting customer that orders again keeps its place.
    Receive(order, ip(7));
    EXPECT_EQ(LastLine(),
              Format(Cz("   Objednávka čeká na platební bránu, objednávek před ní: %d"), {7}));
    EXPECT_EQ(merchant.WaitingOrders().size(), kMaxWaitingOrders);

    const std::string late = ip(kMaxWaitingOrders + 1);
    Known(late);
    Receive(order, late);
    const Bytes refusal = Cz("*** Chyba: fronta objednávek čekajících na platební bránu je plná "
                             "(100), objednávka se odmítá");
    ASSERT_GE(log.Lines.size(), 2u);
    EXPECT_EQ(log.Lines[log.Lines.size() - 2], refusal);
    EXPECT_EQ(LastLine(), EndLine());
    ASSERT_EQ(transport.Sent.size(), 1u);
    EXPECT_EQ(transport.Sent[0].Host, late);
    EXPECT_EQ(OpenEnvelopeFrame(transport.Sent[0].Data, kCustomerSymmetric,
                                CustomerKeys().PublicKey, CustomerKeys().PrivateKey),
              refusal);
    EXPECT_EQ(merchant.WaitingOrders().size(), kMaxWaitingOrders);
    EXPECT_EQ(merchant.WaitingOrders().front(), ip(1));
    EXPECT_EQ(merchant.WaitingOrders().back(), ip(kMaxWaitingOrders));
}

TEST_F(ManyCustomers, AThousandStatesAtMostAndTheBusyOnesStay) {
    Hello(A);
    Hello(B);
    Order(A, "A;1;1"); // with the gateway
    Order(B, "B;1;1"); // waiting
    const Bytes hello = KeyFrame(0x63, CustomerKeys().PublicKey);
    for (std::size_t i = 0; i < kMaxCustomers; ++i)
        Receive(hello, "10.2." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 1));
    EXPECT_EQ(merchant.CustomerCount(), kMaxCustomers);
    // A and B are the oldest, but busy; the oldest idle ones went instead.
    ASSERT_NE(merchant.Customer(A.IP), nullptr);
    ASSERT_NE(merchant.Customer(B.IP), nullptr);
    EXPECT_EQ(Customer(A.IP).TotalPrice, 1 + 123 + 85);
    EXPECT_EQ(Customer(B.IP).CustomerSymmetricKey.Get(), B.Symmetric);
    EXPECT_EQ(merchant.Customer("10.2.0.1"), nullptr);
    EXPECT_EQ(merchant.Customer("10.2.0.2"), nullptr);
    EXPECT_NE(merchant.Customer("10.2.0.3"), nullptr);
    // A hello that fails to decode makes no state.
    Receive("63000G", "10.3.0.1");
    EXPECT_EQ(merchant.Customer("10.3.0.1"), nullptr);
    EXPECT_NE(merchant.Customer("10.2.0.3"), nullptr);

    // B's exchange goes on with its own keys after the flood.
    Bytes forward, key;
    GatewayPhase(forward, key);
    transport.Sent.clear();
    Verdict("*** Platba zam\xEDtnuta", key);
    ASSERT_EQ(SentTypes(), (std::vector<int>{0x16, 0x60}));
    EXPECT_EQ(transport.Sent[0].Host, A.IP);
    EXPECT_EQ(merchant.GatewayCustomer(), B.IP);
    EXPECT_EQ(GatewayPhase(forward, key), "209");
    EXPECT_EQ(forward, B.Forward);
}

// --- key hygiene --------------------------------------------------------------------------
// The scan watches every block that goes back to the heap while it is armed; a block that
// still holds the key's bytes is a copy that outlived its use. Frames and the test's own
// copies of a key are made before the scan is armed.

TEST(FreedScanCheck, SeesAnUnwipedCopy) {
    const Bytes key = "a key of 24 bytes, ahem!";
    test::FreedScan scan(key);
    {
        auto copy = std::make_unique<Bytes>(key);
        EXPECT_EQ(*copy, key);
    }
    EXPECT_GT(scan.Hits(), 0);
}

TEST_F(MerchantTest, CustomerKeyIsWipedWhenTheMerchantGoes) {
    auto own = std::make_unique<TMerchant>(log, settings, komunikace, hashManager1);
    own->MerchantPublicKey = MerchantKeys().PublicKey;
    own->MerchantPrivateKey = SecretBytes(MerchantKeys().PrivateKey);
    own->Receive(RsaFrame(0x59, kCustomerSymmetric, MerchantKeys().PublicKey), kCustomerIP);
    ASSERT_EQ(own->Customer(kCustomerIP)->CustomerSymmetricKey.Get(), kCustomerSymmetric);
    test::FreedScan scan(kCustomerSymmetric);
    own.reset();
    EXPECT_EQ(scan.Hits(), 0);
}

TEST_F(MerchantTest, ReplacedCustomerKeyIsGone) {
    Handshake();
    const Bytes next = "the next customer's key!";
    const Bytes frame = RsaFrame(0x59, next, MerchantKeys().PublicKey);
    test::FreedScan scan(kCustomerSymmetric);
    Receive(frame, kCustomerIP);
    EXPECT_EQ(Customer().CustomerSymmetricKey.Get(), next);
    EXPECT_EQ(scan.Hits(), 0);
}

TEST_F(MerchantTest, ReplacedGatewayKeyIsGone) {
    AcceptOrder();
    const Bytes first = GatewayKeyArrives();
    ASSERT_EQ(first.size(), 24u);
    const Bytes frame = KeyFrame(0x5F, GatewayKeys().PublicKey);
    test::FreedScan scan(first);
    Receive(frame, kGatewayIP);
    EXPECT_NE(merchant.GatewaySymmetricKey.Get(), first);
    EXPECT_EQ(scan.Hits(), 0);
}

TEST(MerchantTexts, EndLineBytes) {
    EXPECT_EQ(EndLine(), "--- KONEC SPOJEN\xCD ---");
}

} // namespace
} // namespace velkor
