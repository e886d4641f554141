// TOrderRecorder: which exchange a step belongs to, what it settles, and the book's faults as
// log lines.
#include "orders/OrderRecorder.h"

#include "base/Cp1250.h"
#include "orders/SqliteOrderBook.h"
#include "protocol/Komunikace.h"

#include <charconv>
#include <chrono>

namespace velkor {
namespace {

// The amount of a verdict such as "558"; nothing when the gateway sent something else.
std::optional<std::int64_t> Amount(const std::string& text) {
    std::size_t begin = text.find_first_not_of(' ');
    std::size_t end = text.find_last_not_of(' ');
    if (begin == std::string::npos) return std::nullopt;
    std::int64_t value = 0;
    const char* first = text.data() + begin;
    const char* last = text.data() + end + 1;
    auto [p, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || p != last) return std::nullopt;
    return value;
}

} // namespace

std::int64_t TOrderRecorder::SystemNow() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

TOrderRecorder::TOrderRecorder(ILog& log, TNow now) : FLog(log), FNow(std::move(now)) {}

bool TOrderRecorder::Open(const std::string& path) {
    FPath = path;
    try {
        auto book = std::make_unique<TSqliteOrderBook>(path, TBookAccess::Write);
        book->InterruptOpen(FNow());
        FBook = std::move(book);
        FFault.clear();
        return true;
    } catch (const EOrderBook& e) {
        FFault = e.CzechReason();
    } catch (const std::exception& e) {
        FFault = e.what();
    }
    FLog.Append(Cz("*** Chyba: knihu objednávek ") + Utf8ToCp1250(path) + Cz(" nelze otevřít: ") +
                Utf8ToCp1250(FFault) + Cz("; objednávky se nezaznamenávají"));
    return false;
}

void TOrderRecorder::Use(std::unique_ptr<IOrderBook> book, std::string path) {
    FBook = std::move(book);
    FPath = std::move(path);
    FFault.clear();
}

template <class Work> bool TOrderRecorder::Write(Work&& work) {
    if (!FBook) return false;
    std::string reason;
    try {
        work();
        FWriteFaultShown = false;
        ++FRevision;
        return true;
    } catch (const EOrderBook& e) {
        reason = e.CzechReason();
    } catch (const std::exception& e) {
        reason = e.what();
    }
    if (!FWriteFaultShown) {
        FWriteFaultShown = true;
        FLog.Append(Cz("*** Chyba: do knihy objednávek ") + Utf8ToCp1250(FPath) +
                    Cz(" nelze zapsat: ") + Utf8ToCp1250(reason) +
                    Cz("; výměna probíhá dál bez záznamu"));
    }
    return false;
}

void TOrderRecorder::OrderAccepted(const TAcceptedOrder& order) {
    TNewExchange e;
    e.At = FNow();
    e.Customer = order.Customer;
    for (const TAcceptedOrder::TLine& line : order.Lines)
        e.Lines.push_back({Cp1250ToUtf8(line.Name), line.Count, line.Price});
    e.Goods = order.Goods;
    e.Postage = order.Postage;
    e.Packing = order.Packing;
    e.Total = order.Total;
    e.Gateway = Cp1250ToUtf8(order.Gateway);
    // A new order of a customer whose accepted order has not ended replaces it: the gateway
    // phase starts over with the new one, and the old exchange will hear nothing more.
    auto accepted = FAccepted.find(order.Customer);
    if (accepted != FAccepted.end() && accepted->second.Open) {
        TStep superseded;
        superseded.Exchange = accepted->second.Id;
        superseded.At = e.At;
        superseded.Kind = TStepKind::Superseded;
        superseded.Settles = TExchangeStatus::Interrupted;
        Write([&] { FBook->Record(superseded); });
    }
    FAccepted.erase(order.Customer);
    FLatest.erase(order.Customer);
    std::int64_t id = 0;
    if (Write([&] { id = FBook->Begin(e); })) {
        FAccepted[order.Customer] = {id, true};
        FLatest[order.Customer] = id;
    }
}

void TOrderRecorder::OrderDigestError(const std::string& customer) {
    TNewExchange e;
    e.At = FNow();
    e.Customer = customer;
    e.Status = TExchangeStatus::DigestError;
    e.Step = TStepKind::OrderDigestError;
    // An accepted order of the same customer keeps its gateway phase: it is not replaced.
    FLatest.erase(customer);
    std::int64_t id = 0;
    if (Write([&] { id = FBook->Begin(e); })) FLatest[customer] = id;
}

void TOrderRecorder::Step(const std::string& customer, TExchangeStep step, const Bytes& text) {
    // The customer's own messages go to its latest exchange; all else to its accepted order.
    const bool own = step == TExchangeStep::CustomerClosed15;
    auto accepted = FAccepted.find(customer);
    auto latest = FLatest.find(customer);
    if (own ? latest == FLatest.end() : accepted == FAccepted.end())
        return; // no exchange of this run to add it to
    TStep s;
    s.Exchange = own ? latest->second : accepted->second.Id;
    s.At = FNow();
    s.Detail = Cp1250ToUtf8(text);
    const bool opened = text != DigestErrorText();
    switch (step) {
    case TExchangeStep::GatewayKeyReceived:
        s.Kind = TStepKind::GatewayKeyReceived;
        break;
    case TExchangeStep::SymmetricKeySent:
        s.Kind = TStepKind::SymmetricKeySent;
        break;
    case TExchangeStep::PaymentSent:
        s.Kind = TStepKind::PaymentSent;
        break;
    case TExchangeStep::TotalSent:
        s.Kind = TStepKind::TotalSent;
        break;
    case TExchangeStep::Credited:
        s.Kind = TStepKind::Credited;
        s.Settles = TExchangeStatus::Credited;
        s.Credited = Amount(s.Detail);
        break;
    case TExchangeStep::Refused:
        s.Kind = TStepKind::Refused;
        s.Settles = TExchangeStatus::Refused;
        break;
    case TExchangeStep::VerdictDigestError:
        s.Kind = TStepKind::VerdictDigestError;
        break;
    case TExchangeStep::GatewayClosed14:
    case TExchangeStep::GatewayClosed19:
        // The gateway closing an exchange that has no verdict yet: no payment was made.
        s.Kind = step == TExchangeStep::GatewayClosed14 ? TStepKind::GatewayClosed14
                                                        : TStepKind::GatewayClosed19;
        if (opened) s.Settles = TExchangeStatus::Refused;
        break;
    case TExchangeStep::CustomerClosed15:
        s.Kind = TStepKind::CustomerClosed15;
        break;
    case TExchangeStep::GatewayTimeout:
        s.Kind = TStepKind::GatewayTimeout;
        s.Settles = TExchangeStatus::Interrupted;
        break;
    case TExchangeStep::QueueFull:
        s.Kind = TStepKind::OrderRefused;
        s.Settles = TExchangeStatus::Refused;
        break;
    }
    if (Write([&] { FBook->Record(s); }) && s.Settles && !own) accepted->second.Open = false;
}

} // namespace velkor
