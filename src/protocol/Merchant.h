// The merchant's side of the exchange: its state between datagrams and HandleMessage, which
// dispatches each received frame on its type. Every type is taken at any time and acts on
// whatever the fields hold when it arrives. Each customer has a state of its own, found by its
// IP address; the gateway is spoken to about one exchange at a time, and accepted orders wait
// for their turn in a queue.
#pragma once

#include "base/Bytes.h"
#include "base/Exception.h"
#include "base/Secret.h"
#include "hash/StringFormat.h"
#include "protocol/Komunikace.h"
#include "protocol/Seams.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

namespace velkor {

class THashManager;

// A message that the merchant's state cannot serve (a gateway key before any order, a verdict
// before any gateway key): refused before anything is sent.
class EMessageRefused : public Exception {
public:
    using Exception::Exception;
};

// Ports and message types of the exchange.
constexpr int kMerchantPort = 2004;
constexpr int kCustomerPort = 2000;
constexpr int kGatewayPort = 2003;

enum TMessageType : int {
    mtKeyReply = 0x60,             // merchant -> customer, merchant -> gateway: public key
    mtCustomerKey = 0x63,          // customer: public key
    mtCustomerSymmetricKey = 0x59, // customer: RSA frame with its symmetric key
    mtOrder = 0x4F,                // customer: dual frame; merchant -> gateway: joined frame
    mtGatewayKey = 0x5F,           // gateway: public key
    mtCredit = 0x09,               // gateway: amount credited or an error text
    mtGatewayClose = 0x14,         // gateway: closing text
    mtGatewayClose2 = 0x19,        // gateway: closing text
    mtCustomerClose = 0x15,        // customer: closing text
    mtError = 0x16,                // merchant -> customer: error text
    mtGatewaySymmetricKey = 0x58,  // merchant -> gateway: RSA frame with a fresh key
    mtTotal = 0x03,                // merchant -> gateway: the total price
};

// Bounds that keep a flood of customers from growing memory: beyond kMaxCustomers the state
// idle for longest is dropped; beyond kMaxWaitingOrders an accepted order is refused.
constexpr std::size_t kMaxCustomers = 1000;
constexpr std::size_t kMaxWaitingOrders = 100;
// A gateway phase that hears nothing from the gateway for this long is given up.
constexpr std::int64_t kGatewayTimeoutMs = 30000;

// What the merchant keeps of one customer between its datagrams. A customer is an IP address:
// replies go to port 2000 whatever port it sent from. The symmetric key is wiped when it is
// replaced and when the state goes.
struct TCustomerState {
    std::string CustomerAddress;
    Bytes CustomerPublicKey;
    SecretBytes CustomerSymmetricKey;
    Bytes ForwardPart;
    std::int32_t TotalPrice = 0;
};

class TMerchant {
public:
    // `hashManager1` is the window's hash manager, which the identity digest uses; `orders`
    // is told each step of every exchange from its order on.
    TMerchant(ILog& log, ISettings& settings, TKomunikace& komunikace, THashManager& hashManager1,
              IOrderSteps& orders = NoOrderSteps())
        : FLog(log), FSettings(settings), FKomunikace(komunikace), FHashManager1(hashManager1),
          FOrders(orders) {}
    TMerchant(const TMerchant&) = delete;
    TMerchant& operator=(const TMerchant&) = delete;

    // Dispatches one frame from `fromIP`. Faults pass on to the caller.
    void HandleMessage(const Bytes& frame, const std::string& fromIP);
    // HandleMessage, with a fault that stops the handling shown as one log line "*** <message>".
    void Receive(const Bytes& frame, const std::string& fromIP);
    // The window's tick: gives up a gateway phase that has heard nothing from the gateway for
    // kGatewayTimeoutMs (a "***" line, and the error as 0x16 to its customer) and starts the
    // next waiting order. Faults are shown in the log; nothing happens while a datagram is
    // being handled.
    void CheckGatewayTimeout();

    // The state of the customer at `address`, or nullptr when it has none.
    const TCustomerState* Customer(const std::string& address) const;
    // The state of the customer at `address`, made empty when it has none (dropping the state
    // idle for longest beyond kMaxCustomers); it becomes the most recently used.
    TCustomerState& UseCustomer(const std::string& address);
    std::size_t CustomerCount() const { return FCustomers.size(); }

    // Whether an exchange is in its gateway phase, and whose: the customer of the exchange in
    // the phase, or of the last one when none is (late gateway messages act on it).
    bool GatewayPhaseActive() const { return FPhaseActive; }
    const std::string& GatewayCustomer() const { return FPhaseCustomer; }
    // The customers whose accepted orders wait for the gateway, first served first.
    std::vector<std::string> WaitingOrders() const;

    // The merchant's own keys and what it knows of the gateway, alive for the whole run. The
    // private key text and the gateway's symmetric key are wiped when they are replaced and
    // when the merchant goes. GatewayAddress is the gateway of the current (or last) phase.
    Bytes MerchantPublicKey;
    SecretBytes MerchantPrivateKey;
    std::string GatewayAddress;
    Bytes GatewayPublicKey;
    SecretBytes GatewaySymmetricKey;

private:
    struct TWaitingOrder {
        std::string Customer;
        std::string GatewayAddress; // the settings field when the order was accepted
    };
    using TCustomerList = std::list<TCustomerState>;

    void CustomerKey(const Bytes& frame, const std::string& fromIP);       // 0x63
    void CustomerSymmetric(const Bytes& frame, const std::string& fromIP); // 0x59
    void Order(const Bytes& frame, const std::string& fromIP);             // 0x4F
    void GatewayKey(const Bytes& frame);                                   // 0x5F
    void Credit(const Bytes& frame);                                       // 0x09
    // 0x14, 0x19 and 0x15; `customer` is the one whose exchange it closes.
    void Closing(const Bytes& frame, const Bytes& symmetricKey, int type,
                 const std::string& customer);
    // Logs an error text and the end line, and passes the text on to the customer at `host`
    // as 0x16, sealed with that customer's keys.
    void RelayError(const Bytes& text, const std::string& customerHost);

    // An accepted order goes to the gateway at once when no other exchange is in its gateway
    // phase, else it waits (or is refused when the queue is full).
    void QueueOrder(const std::string& customer, const std::string& gatewayAddress);
    void StartGatewayPhase(const std::string& customer, const std::string& gatewayAddress);
    void EndGatewayPhase() { FPhaseActive = false; }
    // A message from the gateway during the phase: the timeout starts again.
    void GatewayHeard();
    // Starts the first waiting order when no phase is active; faults are logged, never raised.
    void StartWaitingOrder();
    bool IsBusy(const std::string& customer) const;
    void DropIdleCustomer();
    // Tells the book a step; whatever goes wrong there never stops the exchange.
    template <class Report> void Note(Report&& report) noexcept;
    static IOrderSteps& NoOrderSteps();

    ILog& FLog;
    ISettings& FSettings;
    TKomunikace& FKomunikace;
    THashManager& FHashManager1;
    IOrderSteps& FOrders;

    TCustomerList FCustomers; // least recently used first
    std::unordered_map<std::string, TCustomerList::iterator> FCustomerIndex;
    std::deque<TWaitingOrder> FWaiting;
    std::string FPhaseCustomer;
    bool FPhaseActive = false;
    std::int64_t FGatewayHeardMs = 0;
    int FHandling = 0; // datagrams being handled (a host-name lookup may nest them)
};

// Splits the order text into lines and gives line i (1-based) as name, count and price;
// returns the number of lines. Count and price fields that are not integers raise
// EConvertError "'<field>' is not a valid integer value".
int ParseOrderLine(int i, const Bytes& order, Bytes& name, std::int32_t& count,
                   std::int32_t& price);

// The key fields are logged as hex text like any other byte string.
inline std::string ToFormat(const SecretBytes& bytes, std::int32_t formatId) {
    return ToFormat(bytes.View(), formatId);
}

// The "end of connection" line.
const Bytes& EndLine();

} // namespace velkor
