// The merchant's steps into the order book: the protocol's IOrderSteps over an IOrderBook.
// It knows which exchange each customer's steps belong to, stamps each step with the time,
// and keeps every fault of the book out of the exchange, showing it as one "***" log line.
#pragma once

#include "orders/OrderBook.h"
#include "protocol/Seams.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

namespace velkor {

class TOrderRecorder final : public IOrderSteps {
public:
    // Milliseconds since 1970, UTC.
    using TNow = std::function<std::int64_t()>;
    static std::int64_t SystemNow();

    explicit TOrderRecorder(ILog& log, TNow now = SystemNow);

    // Opens the SQLite book at `path` for writing and marks the exchanges that an earlier run
    // left open as interrupted. When it cannot, the log gets one "***" line naming the file and
    // the reason, Fault() says the same, and nothing is recorded in this run.
    bool Open(const std::string& path);
    // Records into `book` (another store, or a test's).
    void Use(std::unique_ptr<IOrderBook> book, std::string path);

    // The book, or nullptr when it could not be opened.
    IOrderBook* Book() const { return FBook.get(); }
    const std::string& Path() const { return FPath; }
    // Why the book could not be opened (UTF-8), empty when it was.
    const std::string& Fault() const { return FFault; }
    // Grows with every step recorded, so that a view knows when to read again.
    std::uint64_t Revision() const { return FRevision; }

    void OrderAccepted(const TAcceptedOrder& order) override;
    void OrderDigestError(const std::string& customer) override;
    void Step(const std::string& customer, TExchangeStep step, const Bytes& text) override;

private:
    struct TAccepted {
        std::int64_t Id = 0;
        bool Open = false;
    };
    // Runs one write; a fault is shown once until a later write succeeds again.
    template <class Work> bool Write(Work&& work);

    ILog& FLog;
    TNow FNow;
    std::unique_ptr<IOrderBook> FBook;
    std::string FPath;
    std::string FFault;
    bool FWriteFaultShown = false;
    std::uint64_t FRevision = 0;
    // Of this run, per customer: the latest accepted order, whose exchange the gateway's
    // messages concern when that customer is in the gateway phase, and the latest exchange of
    // any kind, which the customer's own messages concern.
    std::unordered_map<std::string, TAccepted> FAccepted;
    std::unordered_map<std::string, std::int64_t> FLatest;
};

} // namespace velkor
