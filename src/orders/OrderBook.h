// The order book's one interface: record a step of an exchange, and query what was recorded.
// The SQLite book implements it; another store (a database server shared by several merchant
// machines) would implement the same. Texts are UTF-8; times are UTC milliseconds since 1970.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velkor {

// How an exchange stands. "open" until its verdict or its end; "interrupted" when it ended
// without a verdict (a run that stopped, a gateway that never answered, a newer order).
enum class TExchangeStatus { Open, Credited, Refused, DigestError, Interrupted };

// The book's names of the statuses: "open", "credited", "refused", "digest-error",
// "interrupted".
const char* StatusName(TExchangeStatus status);
std::optional<TExchangeStatus> StatusFromName(const std::string& name);

// What happened in an exchange, one step each.
enum class TStepKind {
    OrderReceived,      // 0x4F from the customer, accepted
    OrderDigestError,   // 0x4F from the customer whose digest failed
    OrderRefused,       // accepted, but the queue for the gateway was full
    GatewayKeyReceived, // 0x5F
    SymmetricKeySent,   // 0x58
    PaymentSent,        // 0x4F to the gateway
    TotalSent,          // 0x03
    Credited,           // 0x09 with the amount
    Refused,            // 0x09 with the gateway's error text
    VerdictDigestError, // 0x09 that did not open: not the gateway's verdict
    GatewayClosed14,    // 0x14
    GatewayClosed19,    // 0x19
    CustomerClosed15,   // 0x15
    GatewayTimeout,     // the gateway did not answer in time
    Superseded,         // the customer ordered again before this exchange ended
    Interrupted,        // the run that served it ended first
};

const char* StepName(TStepKind kind);
std::optional<TStepKind> StepFromName(const std::string& name);

struct TOrderLine {
    std::string Name;
    std::int64_t Count = 0;
    std::int64_t Price = 0;
};

// A new exchange: an accepted order, or one whose digest failed (no lines, no amounts).
struct TNewExchange {
    std::int64_t At = 0;
    std::string Customer;
    std::vector<TOrderLine> Lines;
    std::optional<std::int64_t> Goods, Postage, Packing, Total;
    std::string Gateway;
    TExchangeStatus Status = TExchangeStatus::Open;
    TStepKind Step = TStepKind::OrderReceived;
};

// A later step of an exchange. A step that settles it sets its status (and the amount
// credited); the exchange is then finished at the step's time.
struct TStep {
    std::int64_t Exchange = 0;
    std::int64_t At = 0;
    TStepKind Kind = TStepKind::OrderReceived;
    std::string Detail; // the verdict's amount or text, a closing text
    std::optional<TExchangeStatus> Settles;
    std::optional<std::int64_t> Credited;
};

struct TExchange {
    std::int64_t Id = 0;
    std::int64_t Started = 0;
    std::string Customer;
    std::int64_t LineCount = 0;
    std::optional<std::int64_t> Goods, Postage, Packing, Total;
    std::string Gateway;
    TExchangeStatus Status = TExchangeStatus::Open;
    std::optional<std::int64_t> Credited;
    std::optional<std::int64_t> Finished;
};

struct TRecordedStep {
    std::int64_t At = 0;
    TStepKind Kind = TStepKind::OrderReceived;
    std::string Detail;
};

struct TExchangeDetail {
    TExchange Exchange;
    std::vector<TOrderLine> Lines;
    std::vector<TRecordedStep> Steps;
};

// Exchanges started in [From, To) when given, newest first.
struct TQuery {
    std::optional<std::int64_t> From, To;
};

class IOrderBook {
public:
    virtual ~IOrderBook() = default;
    // Each call is one transaction: when it returns, the step is kept even if the process is
    // killed the next moment. Faults are raised as EOrderBook.
    virtual std::int64_t Begin(const TNewExchange& exchange) = 0;
    virtual void Record(const TStep& step) = 0;
    virtual std::vector<TExchange> Exchanges(const TQuery& query = {}) = 0;
    virtual std::optional<TExchangeDetail> Detail(std::int64_t id) = 0;
};

} // namespace velkor
