// The merchant's protocol recording into a real SQLite book, with the customer and the gateway
// in one process and the protocol's test clock and transport: each way an exchange ends, what
// the book keeps of it (and what it never keeps), and a book that fails, which changes nothing
// of the exchange but one "***" line.
#include "BookFixture.h"
#include "Fakes.h"
#include "Keys.h"

#include "base/Cp1250.h"
#include "base/Exception.h"
#include "customer/Customer.h"
#include "gateway/Gateway.h"
#include "hash/HashManager.h"
#include "hash/StringFormat.h"
#include "orders/OrderRecorder.h"
#include "orders/SqliteOrderBook.h"
#include "protocol/Komunikace.h"
#include "protocol/Merchant.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace velkor::test {
namespace {

using peer::TCustomer;
using peer::TCustomerSettings;
using peer::TGateway;
using peer::TGatewaySettings;

const std::string kHost = "127.0.0.1";

struct Packet {
    int Port = 0;
    Bytes Data;
};

class Wire final : public ITransport {
public:
    explicit Wire(std::deque<Packet>& queue) : FQueue(queue) {}
    void Send(const std::string&, int port, const Bytes& data) override {
        FQueue.push_back({port, data});
    }

private:
    std::deque<Packet>& FQueue;
};

TCustomerSettings DefaultCustomer() {
    TCustomerSettings s;
    s.Order = Cz("A;2;300\r\nČaj, \"zelený\";10;50");
    s.PaymentText = Cz("Účet zákazníka 19-123456789/0800");
    s.GatewayPublicKey = GatewayKeys().PublicKey;
    return s;
}

TGatewaySettings DefaultGateway() {
    return {Cz("Virtuální Kramtex a.s.") + " 12345678 987654321", kMerchantPort};
}

// The three parties; the merchant records into the book at `bookPath` when one is given.
class Exchange {
public:
    Exchange(const std::string& bookPath, TCustomerSettings customer = DefaultCustomer(),
             TGatewaySettings gateway = DefaultGateway())
        : FWire(FQueue), FKomunikace(Clock, FWire),
          Recorder(MerchantLog, [this] { return ++FNow * 1000; }),
          Merchant(MerchantLog, Settings, FKomunikace, FHashManager1, Recorder),
          Customer(CustomerKeys(), std::move(customer), FWire, [](const std::string&) {}),
          Gateway(GatewayKeys(), std::move(gateway), FWire, [](const std::string&) {}) {
        Merchant.MerchantPublicKey = MerchantKeys().PublicKey;
        Merchant.MerchantPrivateKey = SecretBytes(MerchantKeys().PrivateKey);
        if (!bookPath.empty()) Recorder.Open(bookPath);
    }

    // Delivers datagrams until nobody has anything more to say; `gatewayHears` false drops
    // everything sent to the gateway.
    void Run(bool gatewayHears = true) {
        Customer.Start();
        while (!FQueue.empty()) {
            Packet p = FQueue.front();
            FQueue.pop_front();
            if (p.Port == kMerchantPort) Merchant.Receive(p.Data, kHost);
            if (p.Port == kCustomerPort) Customer.Receive(p.Data, kHost);
            if (p.Port == kGatewayPort && gatewayHears) Gateway.Receive(p.Data, kHost);
        }
    }

    // A framed envelope of `type` carrying `text`, as the gateway or the customer seals it.
    // A digest under `digestKey` other than the merchant's public key fails its check.
    Bytes Sealed(int type, const Bytes& text, const Bytes& symmetricKey,
                 const Bytes& digestKey = MerchantKeys().PublicKey) {
        FakeClock clock;
        FakeTransport transport(clock);
        TKomunikace komunikace(clock, transport);
        komunikace.SendEnvelopeFrame(kHost, kMerchantPort, text, type, digestKey, symmetricKey);
        return transport.Sent.back().Data;
    }

    // The log without the lines that hold a random key.
    std::vector<Bytes> PublicLog() const {
        std::vector<Bytes> lines;
        for (const Bytes& line : MerchantLog.Lines) {
            bool secret = false;
            for (const auto& s : MerchantLog.Secrets) secret = secret || s.first == line;
            if (!secret) lines.push_back(line);
        }
        return lines;
    }

    FakeLog MerchantLog;
    FakeSettings Settings;
    FakeClock Clock;

private:
    std::deque<Packet> FQueue;
    Wire FWire;
    TKomunikace FKomunikace;
    THashManager FHashManager1;
    std::int64_t FNow = 0;

public:
    TOrderRecorder Recorder;
    TMerchant Merchant;
    TCustomer Customer;
    TGateway Gateway;
};

std::vector<TStepKind> Kinds(const TExchangeDetail& d) {
    std::vector<TStepKind> kinds;
    for (const TRecordedStep& s : d.Steps) kinds.push_back(s.Kind);
    return kinds;
}

TExchangeDetail OnlyExchange(const std::string& path) {
    TSqliteOrderBook book(path, TBookAccess::Read);
    auto list = book.Exchanges();
    EXPECT_EQ(list.size(), 1u);
    if (list.empty()) return {};
    return *book.Detail(list.front().Id);
}

TEST(BookExchange, CreditedExchangeIsRecordedStepByStep) {
    BookFolder folder;
    const std::string path = folder.File("orders.sqlite");
    Exchange x(path);
    x.Run();
    TExchangeDetail d = OnlyExchange(path);
    EXPECT_EQ(d.Exchange.Status, TExchangeStatus::Credited);
    EXPECT_EQ(d.Exchange.Customer, kHost);
    EXPECT_EQ(d.Exchange.Goods, 350);
    EXPECT_EQ(d.Exchange.Postage, 123);
    EXPECT_EQ(d.Exchange.Packing, 85);
    EXPECT_EQ(d.Exchange.Total, 558);
    EXPECT_EQ(d.Exchange.Credited, 558);
    EXPECT_EQ(d.Exchange.Gateway, "127.0.0.1");
    ASSERT_EQ(d.Lines.size(), 2u);
    EXPECT_EQ(d.Lines[1].Name, "Čaj, \"zelený\"");
    EXPECT_EQ(d.Lines[1].Count, 10);
    EXPECT_EQ(d.Lines[1].Price, 50);
    EXPECT_EQ(Kinds(d),
              (std::vector<TStepKind>{TStepKind::OrderReceived, TStepKind::GatewayKeyReceived,
                                      TStepKind::SymmetricKeySent, TStepKind::PaymentSent,
                                      TStepKind::TotalSent, TStepKind::Credited}));
    // Each step has its own time, in order; the exchange ends at its verdict.
    for (std::size_t i = 1; i < d.Steps.size(); ++i) EXPECT_GT(d.Steps[i].At, d.Steps[i - 1].At);
    EXPECT_EQ(d.Exchange.Started, d.Steps.front().At);
    EXPECT_EQ(d.Exchange.Finished, d.Steps.back().At);
}

TEST(BookExchange, BookChangesNothingInTheLogOrOnTheWire) {
    BookFolder folder;
    Exchange with(folder.File("orders.sqlite"));
    with.Run();
    Exchange without("");
    without.Run();
    EXPECT_EQ(with.PublicLog(), without.PublicLog());
    EXPECT_EQ(with.Clock.Slept, without.Clock.Slept);
}

TEST(BookExchange, NoKeyPaymentBlockOrDigestReachesTheFile) {
    BookFolder folder;
    const std::string path = folder.File("orders.sqlite");
    Exchange x(path);
    x.Run();
    const TCustomerState* customer = x.Merchant.Customer(kHost);
    ASSERT_TRUE(customer);
    const std::string file = ReadBytes(path) + ReadBytes(path + "-wal");
    const std::string secrets[] = {
        customer->ForwardPart.substr(4, 64),
        ToFormat(customer->CustomerSymmetricKey, fmtHEX),
        customer->CustomerSymmetricKey.Get(),
        x.Merchant.GatewaySymmetricKey.Get(),
        ToFormat(x.Merchant.GatewaySymmetricKey, fmtHEX),
        MerchantKeys().PrivateKey.substr(100, 40),
        "Účet zákazníka",
        Cz("Účet zákazníka"),
    };
    for (const std::string& secret : secrets) {
        ASSERT_GE(secret.size(), 12u);
        EXPECT_EQ(file.find(secret), std::string::npos) << Cp1250ToUtf8(secret);
    }
}

struct Ending {
    const char* Name;
    std::function<void(TCustomerSettings&, TGatewaySettings&)> Tweak;
    TExchangeStatus Status;
    TStepKind LastStep;
    std::function<Bytes()> Detail;
};

class BookEndings : public ::testing::TestWithParam<Ending> {};

TEST_P(BookEndings, AreRecordedWithTheirStatusAndText) {
    BookFolder folder;
    const std::string path = folder.File("orders.sqlite");
    TCustomerSettings customer = DefaultCustomer();
    TGatewaySettings gateway = DefaultGateway();
    GetParam().Tweak(customer, gateway);
    Exchange x(path, customer, gateway);
    x.Run();
    TExchangeDetail d = OnlyExchange(path);
    EXPECT_EQ(d.Exchange.Status, GetParam().Status);
    ASSERT_FALSE(d.Steps.empty());
    EXPECT_EQ(d.Steps.back().Kind, GetParam().LastStep);
    EXPECT_EQ(d.Steps.back().Detail, Cp1250ToUtf8(GetParam().Detail()));
    EXPECT_FALSE(d.Exchange.Credited);
    EXPECT_TRUE(d.Exchange.Finished);
}

INSTANTIATE_TEST_SUITE_P(
    BookExchange, BookEndings,
    ::testing::Values(Ending{"DigestError",
                             [](TCustomerSettings& c, TGatewaySettings&) { c.Tamper = true; },
                             TExchangeStatus::DigestError, TStepKind::OrderDigestError,
                             [] { return Bytes(); }},
                      Ending{"Refused",
                             [](TCustomerSettings&, TGatewaySettings& g) {
                                 g.Identity = Cz("Virtuální Kramtex a.s.") + " 12345678 111111111";
                             },
                             TExchangeStatus::Refused, TStepKind::Refused,
                             [] { return TGateway::IdentityErrorText(); }}),
    [](const auto& p) { return std::string(p.param.Name); });

TEST(BookExchange, ClosingsAreStepsAndTheGatewaysClosingEndsAnOpenExchange) {
    BookFolder folder;
    const std::string path = folder.File("orders.sqlite");
    Exchange x(path);
    x.Run(false); // the gateway hears nothing: the exchange stays open
    EXPECT_EQ(OnlyExchange(path).Exchange.Status, TExchangeStatus::Open);

    const Bytes gatewayKey(24, 'g');
    x.Merchant.GatewaySymmetricKey = SecretBytes(gatewayKey);
    // A closing that does not open is only a step; the customer's closing too.
    x.Merchant.Receive(x.Sealed(0x14, "x", gatewayKey, CustomerKeys().PublicKey), kHost);
    x.Merchant.Receive(x.Sealed(0x15, Cz("Zákazník končí"),
                                x.Merchant.Customer(kHost)->CustomerSymmetricKey.Get()),
                       kHost);
    EXPECT_EQ(OnlyExchange(path).Exchange.Status, TExchangeStatus::Open);
    x.Merchant.Receive(x.Sealed(0x19, Cz("Brána končí"), gatewayKey), kHost);

    TExchangeDetail d = OnlyExchange(path);
    EXPECT_EQ(d.Exchange.Status, TExchangeStatus::Refused);
    ASSERT_EQ(d.Steps.size(), 4u);
    EXPECT_EQ(d.Steps[1].Kind, TStepKind::GatewayClosed14);
    EXPECT_EQ(d.Steps[1].Detail, Cp1250ToUtf8(DigestErrorText()));
    EXPECT_EQ(d.Steps[2].Kind, TStepKind::CustomerClosed15);
    EXPECT_EQ(d.Steps[2].Detail, "Zákazník končí");
    EXPECT_EQ(d.Steps[3].Kind, TStepKind::GatewayClosed19);
    EXPECT_EQ(d.Steps[3].Detail, "Brána končí");
}

TEST(BookExchange, GatewayThatNeverAnswersLeavesTheExchangeInterrupted) {
    BookFolder folder;
    const std::string path = folder.File("orders.sqlite");
    Exchange x(path);
    x.Run(false);
    x.Clock.Monotonic += kGatewayTimeoutMs;
    x.Merchant.CheckGatewayTimeout();
    TExchangeDetail d = OnlyExchange(path);
    EXPECT_EQ(d.Exchange.Status, TExchangeStatus::Interrupted);
    EXPECT_EQ(d.Steps.back().Kind, TStepKind::GatewayTimeout);
}

TEST(BookExchange, RepeatedOrderReplacesTheOpenExchangeOfItsCustomer) {
    BookFolder folder;
    const std::string path = folder.File("orders.sqlite");
    Exchange x(path);
    x.Run(false);
    x.Run();
    TSqliteOrderBook book(path, TBookAccess::Read);
    auto list = book.Exchanges();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Status, TExchangeStatus::Credited);
    EXPECT_EQ(list[1].Status, TExchangeStatus::Interrupted);
    EXPECT_EQ(book.Detail(list[1].Id)->Steps.back().Kind, TStepKind::Superseded);
}

TEST(BookExchange, TamperedOrderDuringAGatewayPhaseLeavesThePhasesExchangeToTheGateway) {
    BookFolder folder;
    const std::string path = folder.File("orders.sqlite");
    FakeLog log;
    std::int64_t now = 0;
    TOrderRecorder recorder(log, [&] { return ++now; });
    ASSERT_TRUE(recorder.Open(path));
    TAcceptedOrder order;
    order.Customer = kHost;
    order.Lines = {{"A", 1, 100}};
    order.Total = 100;
    recorder.OrderAccepted(order);
    recorder.OrderDigestError(kHost);
    recorder.Step(kHost, TExchangeStep::Credited, "100");
    recorder.Step(kHost, TExchangeStep::CustomerClosed15, Cz("Děkuji"));

    TSqliteOrderBook book(path, TBookAccess::Read);
    auto accepted = book.Detail(1);
    auto tampered = book.Detail(2);
    ASSERT_TRUE(accepted && tampered);
    EXPECT_EQ(accepted->Exchange.Status, TExchangeStatus::Credited);
    EXPECT_EQ(accepted->Exchange.Credited, 100);
    EXPECT_EQ(tampered->Exchange.Status, TExchangeStatus::DigestError);
    ASSERT_EQ(tampered->Steps.size(), 2u);
    EXPECT_EQ(tampered->Steps[1].Kind, TStepKind::CustomerClosed15);
    EXPECT_EQ(tampered->Steps[1].Detail, "Děkuji");
    EXPECT_TRUE(log.Lines.empty());
}

// --- a book that fails ------------------------------------------------------------------------

TEST(BookExchange, BookThatCannotBeOpenedIsOneLineAndTheExchangeGoesOn) {
    BookFolder folder;
    const std::string path = folder.Write("orders.sqlite", "not a database at all, not at all");
    Exchange x(path);
    x.Run();
    Exchange without("");
    without.Run();
    std::vector<Bytes> log = x.PublicLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(Cp1250ToUtf8(log.front()),
              "*** Chyba: knihu objednávek " + path +
                  " nelze otevřít: soubor není databáze SQLite; objednávky se nezaznamenávají");
    log.erase(log.begin());
    EXPECT_EQ(log, without.PublicLog());
    EXPECT_EQ(ReadBytes(path), "not a database at all, not at all");
    EXPECT_EQ(x.Recorder.Fault(), "soubor není databáze SQLite");
}

// A store whose every write finds the disk full.
class FullBook final : public IOrderBook {
public:
    std::int64_t Begin(const TNewExchange&) override { Full(); }
    void Record(const TStep&) override { Full(); }
    std::vector<TExchange> Exchanges(const TQuery&) override { return {}; }
    std::optional<TExchangeDetail> Detail(std::int64_t) override { return std::nullopt; }

private:
    [[noreturn]] static void Full() {
        throw EOrderBook(TBookFault::Full, "/full/orders.sqlite", "the disk is full",
                         "disk je plný");
    }
};

TEST(BookExchange, FullDiskIsShownOnceAndTheExchangeGoesOn) {
    const std::string path = "/full/orders.sqlite";
    Exchange x("");
    x.Recorder.Use(std::make_unique<FullBook>(), path);
    x.Run();
    int faults = 0;
    for (const Bytes& line : x.MerchantLog.Lines)
        if (line.rfind(Cz("*** Chyba: do knihy objednávek "), 0) == 0) {
            ++faults;
            EXPECT_EQ(Cp1250ToUtf8(line), "*** Chyba: do knihy objednávek " + path +
                                              " nelze zapsat: disk je plný; výměna probíhá dál"
                                              " bez záznamu");
        }
    EXPECT_EQ(faults, 1);
    Exchange without("");
    without.Run();
    EXPECT_EQ(x.PublicLog().size(), without.PublicLog().size() + 1);
    EXPECT_TRUE(
        std::any_of(x.MerchantLog.Lines.begin(), x.MerchantLog.Lines.end(), [](const Bytes& l) {
            return l.find(Cz("připsána částka 558")) != Bytes::npos;
        }));
}

} // namespace
} // namespace velkor::test
