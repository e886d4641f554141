// What the protocol needs from the world around it: a log to append lines to, the settings
// fields to read, and a way to put one datagram on the wire. The window and the real UDP
// endpoint implement them; unit tests hand the protocol their own.
#pragma once

#include "base/Bytes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velkor {

class ILog {
public:
    virtual ~ILog() = default;
    // One CP1250 line.
    virtual void Append(const Bytes& line) = 0;
    // One CP1250 line that holds the text of a secret key of `keyBytes` bytes (a private key,
    // a symmetric key). The log shows it like any other line; copies that leave the program
    // may hide it.
    virtual void AppendSecret(const Bytes& line, std::size_t /*keyBytes*/) { Append(line); }
};

// The settings fields of the window, read as CP1250 text at the moment they are needed.
enum class TSetting {
    GatewayAddress, // Edit1
    Postage,        // Edit2
    Packing,        // Edit3
    CompanyName,    // Edit4
    CompanyId,      // Edit5
    TaxId,          // Edit6
};

class ISettings {
public:
    virtual ~ISettings() = default;
    virtual Bytes Text(TSetting field) = 0;
};

// Sends `data` as one datagram to host:port. The real transport makes a fresh endpoint bound
// to local port 2000 for every datagram; faults of the endpoint pass on to the caller.
class ITransport {
public:
    virtual ~ITransport() = default;
    virtual void Send(const std::string& host, int port, const Bytes& data) = 0;
};

// The steps of an exchange that the merchant reports to its order book. Texts are CP1250, as
// the log shows them; nothing secret (no key, no payment block, no digest) is ever reported.
struct TAcceptedOrder {
    struct TLine {
        Bytes Name;
        std::int32_t Count = 0;
        std::int32_t Price = 0;
    };
    std::string Customer;
    std::vector<TLine> Lines;
    std::int32_t Goods = 0, Postage = 0, Packing = 0, Total = 0;
    std::string Gateway;
};

enum class TExchangeStep {
    GatewayKeyReceived, // 0x5F
    SymmetricKeySent,   // 0x58
    PaymentSent,        // 0x4F to the gateway
    TotalSent,          // 0x03
    Credited,           // 0x09 with the amount credited
    Refused,            // 0x09 with the gateway's error text
    VerdictDigestError, // 0x09 whose digest failed
    GatewayClosed14,    // 0x14 (its text, or the digest error text)
    GatewayClosed19,    // 0x19
    CustomerClosed15,   // 0x15
    GatewayTimeout,     // the gateway's time ran out
    QueueFull,          // the accepted order was refused: too many waiting
};

// Where the merchant reports each step. A step of the gateway belongs to the exchange of the
// customer in (or last in) the gateway phase; any other to the customer's latest exchange.
// The book is a side effect: these calls never raise, and a book that fails shows it itself.
class IOrderSteps {
public:
    virtual ~IOrderSteps() = default;
    virtual void OrderAccepted(const TAcceptedOrder& order) = 0;
    virtual void OrderDigestError(const std::string& customer) = 0;
    virtual void Step(const std::string& customer, TExchangeStep step, const Bytes& text) = 0;
};

// Records nothing: the merchant without a book.
class TNoOrderSteps final : public IOrderSteps {
public:
    void OrderAccepted(const TAcceptedOrder&) override {}
    void OrderDigestError(const std::string&) override {}
    void Step(const std::string&, TExchangeStep, const Bytes&) override {}
};

} // namespace velkor
