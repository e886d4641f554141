// The customer, the merchant's protocol and the gateway in one process, joined by a queue that
// stands in for loopback UDP: the whole exchange and each way it can fail, without sockets or
// real one-second waits. Then the customer and the gateway alone, fed frames by hand.
#include "Fakes.h"
#include "Keys.h"

#include "base/Convert.h"
#include "base/Cp1250.h"
#include "base/Exception.h"
#include "base/Format.h"
#include "common/PaymentBlock.h"
#include "customer/Customer.h"
#include "gateway/Gateway.h"
#include "hash/HashManager.h"
#include "hash/StringFormat.h"
#include "protocol/Komunikace.h"
#include "protocol/Merchant.h"
#include "rsa/RSA.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>

namespace velkor::peer {
namespace {

using test::CustomerKeys;
using test::GatewayKeys;
using test::MerchantKeys;

const std::string kHost = "127.0.0.1";

struct Packet {
    int Port = 0;
    Bytes Data;
};

// Every datagram goes to 127.0.0.1; the port says who gets it.
class Wire final : public ITransport {
public:
    explicit Wire(std::deque<Packet>& queue) : FQueue(queue) {}
    void Send(const std::string& host, int port, const Bytes& data) override {
        if (host != kHost) throw Exception("no route to '" + host + "'");
        FQueue.push_back({port, data});
    }

private:
    std::deque<Packet>& FQueue;
};

int TypeOf(const Bytes& frame) {
    return HeaderNumber(frame, 1, 2);
}

bool Contains(const std::vector<Bytes>& lines, const Bytes& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool Said(const std::vector<std::string>& lines, const std::string& part) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

TCustomerSettings DefaultCustomer() {
    TCustomerSettings s;
    s.Order = "A;2;300\r\nB;10;50";
    s.PaymentText = Cz("Účet zákazníka 19-123456789/0800");
    s.GatewayPublicKey = GatewayKeys().PublicKey;
    return s;
}

TGatewaySettings DefaultGateway() {
    return {Cz("Virtuální Kramtex a.s.") + " 12345678 987654321", kMerchantPort};
}

class Exchange {
public:
    Exchange(TCustomerSettings customer, TGatewaySettings gateway)
        : FMerchantWire(FQueue), FCustomerWire(FQueue), FGatewayWire(FQueue),
          FKomunikace(Clock, FMerchantWire),
          Merchant(MerchantLog, Settings, FKomunikace, FHashManager1),
          Customer(CustomerKeys(), std::move(customer), FCustomerWire,
                   [this](const std::string& s) { CustomerSaid.push_back(s); }),
          Gateway(GatewayKeys(), std::move(gateway), FGatewayWire,
                  [this](const std::string& s) { GatewaySaid.push_back(s); }) {
        Merchant.MerchantPublicKey = MerchantKeys().PublicKey;
        Merchant.MerchantPrivateKey = SecretBytes(MerchantKeys().PrivateKey);
    }

    // Starts the customer and delivers datagrams until nobody has anything more to say.
    void Run() {
        Customer.Start();
        while (!FQueue.empty()) {
            Packet p = FQueue.front();
            FQueue.pop_front();
            switch (p.Port) {
            case kMerchantPort:
                ToMerchant.push_back(TypeOf(p.Data));
                Merchant.Receive(p.Data, kHost);
                break;
            case kCustomerPort:
                ToCustomer.push_back(TypeOf(p.Data));
                Customer.Receive(p.Data, kHost);
                break;
            case kGatewayPort:
                ToGateway.push_back(TypeOf(p.Data));
                Gateway.Receive(p.Data, kHost);
                break;
            default:
                FAIL() << "datagram to port " << p.Port;
            }
        }
    }

    test::FakeLog MerchantLog;
    test::FakeSettings Settings;
    test::FakeClock Clock;
    std::vector<int> ToMerchant, ToCustomer, ToGateway;
    std::vector<std::string> CustomerSaid, GatewaySaid;

private:
    std::deque<Packet> FQueue;
    Wire FMerchantWire, FCustomerWire, FGatewayWire;
    TKomunikace FKomunikace;
    THashManager FHashManager1;

public:
    TMerchant Merchant;
    TCustomer Customer;
    TGateway Gateway;
};

// --- the whole exchange ---------------------------------------------------------------------

TEST(PeerExchange, DefaultOrderIsCredited) {
    Exchange x(DefaultCustomer(), DefaultGateway());
    x.Run();
    EXPECT_TRUE(Contains(x.MerchantLog.Lines, Cz("   Cena celkem  :       558 Kč")));
    EXPECT_TRUE(
        Contains(x.MerchantLog.Lines, Cz("   Na účet obchodníka byla připsána částka 558 Kč")));
    EXPECT_FALSE(Contains(x.MerchantLog.Lines, EndLine()));
    EXPECT_EQ(x.ToMerchant, (std::vector<int>{0x63, 0x59, 0x4F, 0x5F, 0x09}));
    EXPECT_EQ(x.ToCustomer, (std::vector<int>{0x60}));
    EXPECT_EQ(x.ToGateway, (std::vector<int>{0x60, 0x58, 0x4F, 0x03}));
    EXPECT_EQ(x.Customer.Stage(), TCustomer::TStage::OrderSent);
    EXPECT_EQ(x.Merchant.Customer(kHost)->CustomerSymmetricKey.Get(), x.Customer.SymmetricKey());
    EXPECT_EQ(x.Gateway.Answers(), 1);
    EXPECT_TRUE(Said(x.GatewaySaid, "payment block opened: \"Účet zákazníka 19-123456789/0800\""));
    EXPECT_TRUE(Said(x.GatewaySaid, "sent 0x09 to 127.0.0.1:2004: credited 558 Kč"));
}

TEST(PeerExchange, CzechOrderAndPaymentTextsArriveIntact) {
    TCustomerSettings customer = DefaultCustomer();
    customer.Order = Cz("Čaj zelený;1;99\r\nŽluté tričko;2;250");
    customer.PaymentText = Cz("Karta č. 4111, držitel Šťastný");
    Exchange x(customer, DefaultGateway());
    x.Run();
    EXPECT_TRUE(Contains(x.MerchantLog.Lines,
                         Format(Cz("   %-30s %4d %10d Kč"), {Cz("Žluté tričko"), 2, 250})));
    EXPECT_TRUE(
        Contains(x.MerchantLog.Lines, Cz("   Na účet obchodníka byla připsána částka 557 Kč")));
    EXPECT_EQ(x.Gateway.Answers(), 1);
    EXPECT_TRUE(Said(x.GatewaySaid, "payment block opened: \"Karta č. 4111, držitel Šťastný\""));
}

struct Failure {
    const char* Name;
    std::function<void(TCustomerSettings&, TGatewaySettings&, test::FakeSettings&)> Tweak;
    std::function<Bytes()> Verdict; // the error text the customer receives as 0x16
    std::vector<int> ToGateway;     // what reached the gateway
};

class PeerExchangeFailures : public ::testing::TestWithParam<Failure> {};

TEST_P(PeerExchangeFailures, ErrorReachesTheMerchantsLogAndTheCustomer) {
    TCustomerSettings customer = DefaultCustomer();
    TGatewaySettings gateway = DefaultGateway();
    test::FakeSettings settings;
    GetParam().Tweak(customer, gateway, settings);
    Exchange x(customer, gateway);
    x.Settings = settings;
    x.Run();

    const Bytes verdict = GetParam().Verdict();
    auto at = std::find(x.MerchantLog.Lines.begin(), x.MerchantLog.Lines.end(), verdict);
    ASSERT_NE(at, x.MerchantLog.Lines.end()) << Cp1250ToUtf8(verdict);
    ASSERT_NE(at + 1, x.MerchantLog.Lines.end());
    EXPECT_EQ(*(at + 1), EndLine());
    EXPECT_EQ(x.ToCustomer, (std::vector<int>{0x60, 0x16}));
    EXPECT_EQ(x.Customer.Stage(), TCustomer::TStage::Answered);
    EXPECT_EQ(x.Customer.ErrorText(), verdict);
    EXPECT_TRUE(Said(x.CustomerSaid, "error text: " + Cp1250ToUtf8(verdict)));
    EXPECT_EQ(x.ToGateway, GetParam().ToGateway);
    for (const Bytes& line : x.MerchantLog.Lines)
        EXPECT_EQ(line.find(Cz("připsána")), Bytes::npos) << Cp1250ToUtf8(line);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PeerExchangeFailures,
    ::testing::Values(Failure{"Tampered",
                              [](TCustomerSettings& c, TGatewaySettings&, test::FakeSettings&) {
                                  c.Tamper = true;
                              },
                              [] { return DigestErrorText(); },
                              {}},
                      Failure{"MerchantNameChanged",
                              [](TCustomerSettings&, TGatewaySettings&, test::FakeSettings& s) {
                                  s.Fields[TSetting::CompanyName] = Cz("Jiná firma s.r.o.");
                              },
                              [] { return TGateway::IdentityErrorText(); },
                              {0x60, 0x58, 0x4F, 0x03}},
                      Failure{"GatewayExpectsAnotherTaxId",
                              [](TCustomerSettings&, TGatewaySettings& g, test::FakeSettings&) {
                                  g.Identity = Cz("Virtuální Kramtex a.s.") + " 12345678 111111111";
                              },
                              [] { return TGateway::IdentityErrorText(); },
                              {0x60, 0x58, 0x4F, 0x03}},
                      Failure{"PaymentSealedForAnotherGateway",
                              [](TCustomerSettings& c, TGatewaySettings&, test::FakeSettings&) {
                                  c.GatewayPublicKey = CustomerKeys().PublicKey;
                              },
                              [] { return TGateway::PaymentErrorText(); },
                              {0x60, 0x58, 0x4F, 0x03}},
                      Failure{"NegativeTotal",
                              [](TCustomerSettings&, TGatewaySettings&, test::FakeSettings& s) {
                                  s.Fields[TSetting::Postage] = "-1000";
                              },
                              [] { return TGateway::AmountErrorText(); },
                              {0x60, 0x58, 0x4F, 0x03}}),
    [](const auto& p) { return std::string(p.param.Name); });

// --- the customer alone ---------------------------------------------------------------------

class CustomerAlone : public ::testing::Test {
protected:
    std::deque<Packet> queue;
    Wire wire{queue};
    std::vector<std::string> said;
    TCustomer::TSay say = [this](const std::string& s) { said.push_back(s); };
};

TEST_F(CustomerAlone, OrderTooLongForOneDatagramIsRefusedBeforeAnythingIsSent) {
    TCustomerSettings settings = DefaultCustomer();
    for (int i = 0; i < 40; ++i) settings.Order += "\r\nZbozi cislo " + std::to_string(i) + ";1;1";
    TCustomer customer(CustomerKeys(), settings, wire, say);
    try {
        customer.Start();
        FAIL() << "started";
    } catch (const Exception& e) {
        EXPECT_NE(e.Message().find("the order message would be "), std::string::npos);
        EXPECT_NE(e.Message().find("more than the 2048 of one datagram"), std::string::npos);
    }
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(customer.Stage(), TCustomer::TStage::Idle);
}

// With a short order the merchant's forward to the gateway (the payment block and the identity
// envelope) is the longer message, so a growing payment text is first refused for it.
TEST_F(CustomerAlone, PaymentTextTooLongForTheMerchantsForwardIsRefused) {
    TCustomerSettings settings = DefaultCustomer();
    settings.Order = "A;1;1";
    std::string message;
    for (std::size_t n = 200; n < 600 && message.empty(); ++n) {
        settings.PaymentText = Bytes(n, 'p');
        TCustomer customer(CustomerKeys(), settings, wire, say);
        try {
            customer.Start();
            queue.clear();
        } catch (const Exception& e) {
            message = e.Message();
        }
    }
    EXPECT_EQ(
        message.rfind("the merchant's forward of the payment block to the gateway would be ", 0),
        0u)
        << message;
    EXPECT_TRUE(queue.empty());
}

TEST_F(CustomerAlone, LargestOrderThatFitsIsSent) {
    TCustomerSettings settings = DefaultCustomer();
    TCustomer probe(CustomerKeys(), settings, wire, say);
    probe.Start();
    queue.clear();
    // Grow the order until it no longer fits; the last size that fitted went out whole.
    std::size_t fits = 0;
    for (std::size_t extra = 0; extra < 2048; extra += 16) {
        settings.Order = "A;1;1\r\n" + Bytes(extra, 'x') + ";1;1";
        TCustomer customer(CustomerKeys(), settings, wire, say);
        try {
            customer.Start();
            fits = extra;
        } catch (const Exception&) {
            break;
        }
    }
    EXPECT_GT(fits, 200u);
    settings.Order = "A;1;1\r\n" + Bytes(fits, 'x') + ";1;1";
    TCustomer customer(CustomerKeys(), settings, wire, say);
    customer.Start();
    queue.clear();
    customer.Receive(MakeFrame(mtKeyReply, ToFormat(MerchantKeys().PublicKey, fmtHEX)), kHost);
    ASSERT_EQ(queue.size(), 2u);
    EXPECT_LE(queue[1].Data.size(), 2048u);
    Bytes forward;
    EXPECT_EQ(OpenDualFrame(queue[1].Data, MerchantKeys().PublicKey, MerchantKeys().PrivateKey,
                            customer.SymmetricKey(), forward),
              settings.Order);
}

TEST_F(CustomerAlone, BadMerchantKeyEndsTheExchange) {
    TCustomer customer(CustomerKeys(), DefaultCustomer(), wire, say);
    customer.Start();
    queue.clear();
    customer.Receive(MakeFrame(mtKeyReply, ToFormat("not a key", fmtHEX)), kHost);
    EXPECT_EQ(customer.Stage(), TCustomer::TStage::Failed);
    EXPECT_TRUE(queue.empty());
    EXPECT_TRUE(Said(said, "*** Public key not valid"));
}

TEST_F(CustomerAlone, StrayAndBrokenDatagramsAreToldAndIgnored) {
    TCustomer customer(CustomerKeys(), DefaultCustomer(), wire, say);
    customer.Start();
    queue.clear();
    customer.Receive("", kHost);
    customer.Receive("zz0000", kHost);
    customer.Receive("140000", kHost);
    EXPECT_TRUE(Said(said, "*** '$' is not a valid integer value"));
    EXPECT_TRUE(Said(said, "*** '$zz' is not a valid integer value"));
    EXPECT_TRUE(Said(said, "received 0x14 from 127.0.0.1 (6 bytes): not a message for the "
                           "customer, ignored"));
    EXPECT_EQ(customer.Stage(), TCustomer::TStage::KeySent);
    EXPECT_TRUE(queue.empty());
    // The exchange still goes on.
    customer.Receive(MakeFrame(mtKeyReply, ToFormat(MerchantKeys().PublicKey, fmtHEX)), kHost);
    EXPECT_EQ(customer.Stage(), TCustomer::TStage::OrderSent);
    ASSERT_EQ(queue.size(), 2u);
    EXPECT_EQ(TypeOf(queue[0].Data), 0x59);
    EXPECT_EQ(TypeOf(queue[1].Data), 0x4F);
    EXPECT_EQ(ParseRsaFrame(queue[0].Data, MerchantKeys().PublicKey, MerchantKeys().PrivateKey),
              customer.SymmetricKey());
    EXPECT_EQ(customer.SymmetricKey().size(), 24u);
}

// --- the gateway alone ----------------------------------------------------------------------

// The merchant's side of one exchange with the gateway, written by hand.
class GatewayAlone : public ::testing::Test {
protected:
    const Bytes key = "merchant symmetric key!!";

    void Send(const Bytes& frame) { gateway.Receive(frame, kHost); }
    void Begin() {
        Send(MakeFrame(mtKeyReply, ToFormat(MerchantKeys().PublicKey, fmtHEX)));
        TRSA rsa;
        rsa.SetKeyBits(TKeyBits::kb0512);
        rsa.SetPublicKey(GatewayKeys().PublicKey);
        Send(MakeFrame(mtGatewaySymmetricKey, ToFormat(rsa.PublicEncipher(key), fmtHEX)));
    }
    void Order(const Bytes& identity = kIdentityDigest) {
        Bytes block = MakePaymentBlockFor("pay");
        Send("4F" + IntToHex(static_cast<std::uint32_t>(block.size()), 4) + block +
             BuildEnvelope(identity, key, GatewayKeys().PublicKey));
    }
    void Total(const Bytes& total) {
        Send(MakeFrame(mtTotal,
                       ToFormat(SealEnvelope(total, key, GatewayKeys().PublicKey), fmtHEX)));
    }
    // The verdict of the last 0x09, opened as the merchant opens it.
    Bytes Verdict() {
        for (auto it = queue.rbegin(); it != queue.rend(); ++it)
            if (TypeOf(it->Data) == mtCredit)
                return OpenEnvelopeFrame(it->Data, key, MerchantKeys().PublicKey,
                                         MerchantKeys().PrivateKey);
        ADD_FAILURE() << "no 0x09";
        return {};
    }
    static Bytes MakePaymentBlockFor(const Bytes& text) {
        return MakePaymentBlock(text, GatewayKeys().PublicKey);
    }

    // SHA-0 of the CP1250 bytes of "Virtuální Kramtex a.s. 12345678 987654321", computed apart
    // from this code.
    static inline const Bytes kIdentityDigest = "418139ED84C7C7DE528BDC52A222966506EDB165";

    std::deque<Packet> queue;
    Wire wire{queue};
    std::vector<std::string> said;
    TGateway gateway{GatewayKeys(), DefaultGateway(), wire,
                     [this](const std::string& s) { said.push_back(s); }};
};

TEST_F(GatewayAlone, ExpectedIdentityDigestIsSha0OfTheWindowDefaults) {
    EXPECT_EQ(gateway.ExpectedDigest(), kIdentityDigest);
}

TEST_F(GatewayAlone, AnswersTheMerchantsKeyWithItsOwnOnTheMerchantsPort) {
    Send(MakeFrame(mtKeyReply, ToFormat(MerchantKeys().PublicKey, fmtHEX)));
    ASSERT_EQ(queue.size(), 1u);
    EXPECT_EQ(queue[0].Port, kMerchantPort);
    EXPECT_EQ(queue[0].Data, MakeFrame(mtGatewayKey, ToFormat(GatewayKeys().PublicKey, fmtHEX)));
}

struct TotalCase {
    Bytes Total;
    std::function<Bytes()> Verdict;
};

class GatewayTotals : public GatewayAlone, public ::testing::WithParamInterface<TotalCase> {};

TEST_P(GatewayTotals, CreditsOnlyAWholeNonNegativeAmount) {
    Begin();
    Order();
    Total(GetParam().Total);
    EXPECT_EQ(Verdict(), GetParam().Verdict());
    EXPECT_EQ(gateway.Answers(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GatewayTotals,
    ::testing::Values(TotalCase{"558", [] { return Bytes("558"); }},
                      TotalCase{"0", [] { return Bytes("0"); }},
                      TotalCase{"2147483647", [] { return Bytes("2147483647"); }},
                      TotalCase{"2147483648", [] { return TGateway::AmountErrorText(); }},
                      TotalCase{"-5", [] { return TGateway::AmountErrorText(); }},
                      TotalCase{"12a", [] { return TGateway::AmountErrorText(); }},
                      TotalCase{" 12", [] { return TGateway::AmountErrorText(); }},
                      TotalCase{"", [] { return TGateway::AmountErrorText(); }},
                      TotalCase{"$22E", [] { return TGateway::AmountErrorText(); }}));

TEST_F(GatewayAlone, TotalWithoutAnOrderIsRefused) {
    Begin();
    Total("558");
    EXPECT_EQ(Verdict(), TGateway::NoOrderErrorText());
}

TEST_F(GatewayAlone, FirstFailureIsTheVerdictAndANewExchangeStartsClean) {
    Begin();
    Order("0000000000000000000000000000000000000000");
    Total("-5"); // a second failure does not replace the first
    EXPECT_EQ(Verdict(), TGateway::IdentityErrorText());
    EXPECT_TRUE(Said(said, "*** identity digest \"0000000000000000000000000000000000000000\" does "
                           "not match the expected " +
                               kIdentityDigest));
    Begin();
    Order();
    Total("558");
    EXPECT_EQ(Verdict(), "558");
    EXPECT_EQ(gateway.Answers(), 2);
}

TEST_F(GatewayAlone, EnvelopeWithADigestErrorIsTheVerdict) {
    Begin();
    Bytes block = MakePaymentBlockFor("pay");
    // The identity sealed right, but its digest under another public key.
    Send("4F" + IntToHex(static_cast<std::uint32_t>(block.size()), 4) + block +
         BuildEnvelope(kIdentityDigest, key, CustomerKeys().PublicKey));
    Total("558");
    EXPECT_EQ(Verdict(), DigestErrorText());
}

TEST_F(GatewayAlone, OrderUnderAnotherSymmetricKeyIsRefused) {
    Begin();
    Bytes block = MakePaymentBlockFor("pay");
    Send("4F" + IntToHex(static_cast<std::uint32_t>(block.size()), 4) + block +
         BuildEnvelope(kIdentityDigest, "some other key", GatewayKeys().PublicKey));
    Total("558");
    Bytes verdict = Verdict();
    EXPECT_EQ(verdict.substr(0, 4), "*** ") << Cp1250ToUtf8(verdict);
    EXPECT_NE(verdict, "558");
}

TEST_F(GatewayAlone, BrokenDatagramsAreToldAndTheGatewayGoesOn) {
    Begin();
    Order();
    std::size_t before = queue.size();
    for (const Bytes& junk : {Bytes(), Bytes("zz"), Bytes("4F"), Bytes("4F0002AB"),
                              Bytes("030004ABCD"), Bytes("600002zz"), Bytes("580000")})
        Send(junk);
    EXPECT_TRUE(Said(said, "*** '$' is not a valid integer value"));
    // The broken 0x03 has been answered with its fault, so the exchange is over; a new one
    // goes through as ever.
    EXPECT_EQ(queue.size(), before + 1);
    Begin();
    Order();
    Total("558");
    EXPECT_EQ(Verdict(), "558");
}

TEST_F(GatewayAlone, InvalidMerchantKeyGetsNoAnswer) {
    Send(MakeFrame(mtKeyReply, ToFormat("++2++E:short", fmtHEX)));
    EXPECT_TRUE(queue.empty());
    EXPECT_TRUE(Said(said, "*** Public key has incorrect length"));
}

} // namespace
} // namespace velkor::peer
