// HandleMessage and the merchant's cases: the key exchange with the customer (0x63, 0x59), the
// sealed order (0x4F), the gateway's key and the replies to it (0x5F), its verdict (0x09) and
// the closing messages (0x14, 0x15, 0x19); the customers' states and the queue of orders that
// wait for the gateway.
#include "protocol/Merchant.h"

#include "base/Convert.h"
#include "base/Cp1250.h"
#include "base/Exception.h"
#include "base/Format.h"
#include "hash/HashManager.h"
#include "hash/StringFormat.h"

#include <algorithm>
#include <string_view>

namespace velkor {
namespace {

// The keys of a customer that has no state: empty, as before any 0x63 or 0x59.
const Bytes kNoKey;

bool IsErrorText(const Bytes& text) {
    return text.compare(0, 3, "***") == 0;
}

// A fault message may quote bytes of the datagram (a header field that is not hex). Control
// characters among them are written as \xHH: a line break would split the fault line, forging
// a second "***" line, and an escape sequence would reach the terminal of the log's copy. The
// five bytes that CP1250 leaves undefined stand for C1 control characters and go the same way.
Bytes FaultLine(std::string_view message) {
    Bytes line = "*** ";
    for (char c : message) {
        auto b = static_cast<unsigned char>(c);
        bool control =
            b < 0x20 || b == 0x7F || b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98;
        if (control)
            line += "\\x" + IntToHex(b, 2);
        else
            line += c;
    }
    return line;
}

// Runs one step of the handling; a fault that stops it becomes one "***" line in the log.
template <class Step> void ShowingFaults(ILog& log, Step&& step) {
    try {
        step();
    } catch (const Exception& e) {
        log.Append(FaultLine(e.Message()));
    } catch (const std::exception& e) {
        log.Append(FaultLine(e.what()));
    }
}

} // namespace

template <class Report> void TMerchant::Note(Report&& report) noexcept {
    try {
        report();
    } catch (...) {
        // The book shows its own faults; the exchange goes on as if there were none.
    }
}

IOrderSteps& TMerchant::NoOrderSteps() {
    static TNoOrderSteps none;
    return none;
}

const Bytes& EndLine() {
    static const Bytes line = Cz("--- KONEC SPOJENÍ ---");
    return line;
}

void TMerchant::Receive(const Bytes& frame, const std::string& fromIP) {
    ShowingFaults(FLog, [&] { HandleMessage(frame, fromIP); });
    // A phase that ended before a fault stopped the handling still hands over to the next.
    StartWaitingOrder();
}

void TMerchant::HandleMessage(const Bytes& frame, const std::string& fromIP) {
    struct THandling {
        int& Count;
        explicit THandling(int& count) : Count(count) { ++Count; }
        ~THandling() { --Count; }
    } handling(FHandling);

    const int type = HeaderNumber(frame, 1, 2);
    switch (type) {
    case mtCustomerKey:
        CustomerKey(frame, fromIP);
        break;
    case mtCustomerSymmetricKey:
        CustomerSymmetric(frame, fromIP);
        break;
    case mtOrder:
        Order(frame, fromIP);
        break;
    case mtGatewayKey:
        GatewayKey(frame);
        break;
    case mtCredit:
        Credit(frame);
        break;
    case mtGatewayClose:
    case mtGatewayClose2:
        Closing(frame, GatewaySymmetricKey.Get(), type, FPhaseCustomer);
        break;
    case mtCustomerClose: {
        // An address that never sent its key closes with the empty key, as before any 0x59.
        TCustomerState* customer = nullptr;
        if (FCustomerIndex.count(fromIP)) customer = &UseCustomer(fromIP);
        Closing(frame, customer ? customer->CustomerSymmetricKey.Get() : kNoKey, mtCustomerClose,
                fromIP);
        break;
    }
    default:
        break;
    }
    StartWaitingOrder();
}

// --- customers ------------------------------------------------------------------------------

const TCustomerState* TMerchant::Customer(const std::string& address) const {
    auto it = FCustomerIndex.find(address);
    return it == FCustomerIndex.end() ? nullptr : &*it->second;
}

TCustomerState& TMerchant::UseCustomer(const std::string& address) {
    auto it = FCustomerIndex.find(address);
    if (it != FCustomerIndex.end()) {
        FCustomers.splice(FCustomers.end(), FCustomers, it->second);
        return *it->second;
    }
    if (FCustomers.size() >= kMaxCustomers) DropIdleCustomer();
    FCustomers.emplace_back();
    FCustomers.back().CustomerAddress = address;
    FCustomerIndex[address] = std::prev(FCustomers.end());
    return FCustomers.back();
}

bool TMerchant::IsBusy(const std::string& customer) const {
    if (customer == FPhaseCustomer) return true;
    return std::any_of(FWaiting.begin(), FWaiting.end(),
                       [&](const TWaitingOrder& o) { return o.Customer == customer; });
}

// At most kMaxWaitingOrders + 1 customers are busy, far fewer than kMaxCustomers, so an idle
// state is always found near the front.
void TMerchant::DropIdleCustomer() {
    for (auto it = FCustomers.begin(); it != FCustomers.end(); ++it) {
        if (IsBusy(it->CustomerAddress)) continue;
        FCustomerIndex.erase(it->CustomerAddress);
        FCustomers.erase(it);
        return;
    }
}

std::vector<std::string> TMerchant::WaitingOrders() const {
    std::vector<std::string> customers;
    for (const TWaitingOrder& o : FWaiting) customers.push_back(o.Customer);
    return customers;
}

void TMerchant::CustomerKey(const Bytes& frame, const std::string& fromIP) {
    // A payload that fails to decode leaves the address's state as it was, or makes none.
    Bytes key = ParsePlainFrame(frame);
    TCustomerState& customer = UseCustomer(fromIP);
    customer.CustomerPublicKey = std::move(key);
    FLog.Append(Cz("   Veřejný klíč zákazníka:"));
    FLog.Append("   " + ToFormat(customer.CustomerPublicKey, fmtHEX));
    FKomunikace.SendPlainFrame(fromIP, kCustomerPort, MerchantPublicKey, mtKeyReply);
}

void TMerchant::CustomerSymmetric(const Bytes& frame, const std::string& fromIP) {
    TCustomerState& customer = UseCustomer(fromIP);
    // Wiped first: a 0x59 that fails leaves no key of an earlier exchange behind.
    customer.CustomerSymmetricKey.Wipe();
    customer.CustomerSymmetricKey =
        SecretBytes(ParseRsaFrame(frame, MerchantPublicKey, MerchantPrivateKey.Get()));
    FLog.Append(Cz("   Symetrický klíč zákazníka:"));
    FLog.AppendSecret("   " + ToFormat(customer.CustomerSymmetricKey, fmtHEX),
                      customer.CustomerSymmetricKey.size());
}

void TMerchant::RelayError(const Bytes& text, const std::string& customerHost) {
    FLog.Append(text);
    FLog.Append(EndLine());
    // A customer without a state has no keys: sealing then fails as it would before any 0x63.
    const TCustomerState* customer = Customer(customerHost);
    FKomunikace.SendEnvelopeFrame(customerHost, kCustomerPort, text, mtError,
                                  customer ? customer->CustomerPublicKey : kNoKey,
                                  customer ? customer->CustomerSymmetricKey.Get() : kNoKey);
}

// --- the order ------------------------------------------------------------------------------

void TMerchant::Order(const Bytes& frame, const std::string& fromIP) {
    TCustomerState& customer = UseCustomer(fromIP);
    Bytes order = OpenDualFrame(frame, MerchantPublicKey, MerchantPrivateKey.Get(),
                                customer.CustomerSymmetricKey.Get(), customer.ForwardPart);
    if (IsErrorText(order)) {
        Note([&] { FOrders.OrderDigestError(fromIP); });
        RelayError(order, fromIP);
        return;
    }
    TAcceptedOrder accepted;
    accepted.Customer = fromIP;
    FLog.Append(Cz("   Objednávka zákazníka:"));
    FLog.Append(Format("   %-30s %5s %10s", {Cz("Název"), Cz("Počet"), "Cena"}));
    // Prices are added in 32-bit signed arithmetic, wrapping as the peers' totals do.
    std::uint32_t goods = 0;
    Bytes name;
    std::int32_t count = 0, price = 0;
    int lines = ParseOrderLine(0, order, name, count, price);
    for (int i = 1; i <= lines; ++i) {
        ParseOrderLine(i, order, name, count, price);
        goods += static_cast<std::uint32_t>(price);
        FLog.Append(Format(Cz("   %-30s %4d %10d Kč"), {name, count, price}));
        accepted.Lines.push_back({name, count, price});
    }
    std::int32_t postage = StrToInt(FSettings.Text(TSetting::Postage));
    std::int32_t packing = StrToInt(FSettings.Text(TSetting::Packing));
    auto signedGoods = static_cast<std::int32_t>(goods);
    FLog.Append("");
    FLog.Append(Format(Cz("   Cena za zboží: %9d Kč"), {signedGoods}));
    FLog.Append(Format(Cz("   Poštovné     : %9d Kč"), {postage}));
    FLog.Append(Format(Cz("   Balné        : %9d Kč"), {packing}));
    FLog.Append("   ---------------------------");
    customer.TotalPrice = static_cast<std::int32_t>(static_cast<std::uint32_t>(packing) +
                                                    static_cast<std::uint32_t>(postage) + goods);
    FLog.Append(Format(Cz("   Cena celkem  : %9d Kč"), {customer.TotalPrice}));
    accepted.Goods = signedGoods;
    accepted.Postage = postage;
    accepted.Packing = packing;
    accepted.Total = customer.TotalPrice;
    accepted.Gateway = FSettings.Text(TSetting::GatewayAddress);
    Note([&] { FOrders.OrderAccepted(accepted); });
    QueueOrder(fromIP, accepted.Gateway);
}

// --- the gateway phase ----------------------------------------------------------------------

void TMerchant::QueueOrder(const std::string& customer, const std::string& gatewayAddress) {
    // A customer that orders again while its exchange is in the phase starts the phase over,
    // as a repeated order always did.
    if (!FPhaseActive || FPhaseCustomer == customer) {
        StartGatewayPhase(customer, gatewayAddress);
        return;
    }
    auto waiting = std::find_if(FWaiting.begin(), FWaiting.end(),
                                [&](const TWaitingOrder& o) { return o.Customer == customer; });
    if (waiting != FWaiting.end()) {
        // Already waiting: it keeps its place and takes the newer gateway address.
        waiting->GatewayAddress = gatewayAddress;
    } else if (FWaiting.size() >= kMaxWaitingOrders) {
        const Bytes refusal =
            Format(Cz("*** Chyba: fronta objednávek čekajících na platební bránu je plná "
                      "(%d), objednávka se odmítá"),
                   {static_cast<std::int32_t>(kMaxWaitingOrders)});
        Note([&] { FOrders.Step(customer, TExchangeStep::QueueFull, refusal); });
        RelayError(refusal, customer);
        return;
    } else {
        waiting = FWaiting.insert(FWaiting.end(), {customer, gatewayAddress});
    }
    // The exchange in the phase and the orders queued ahead.
    auto before = static_cast<std::int32_t>(1 + (waiting - FWaiting.begin()));
    FLog.Append(
        Format(Cz("   Objednávka čeká na platební bránu, objednávek před ní: %d"), {before}));
}

void TMerchant::StartGatewayPhase(const std::string& customer, const std::string& gatewayAddress) {
    // The gateway key of another customer's exchange is dead: a late message sealed with it
    // must not pass for a message of this one.
    if (!FPhaseCustomer.empty() && FPhaseCustomer != customer) GatewaySymmetricKey.Wipe();
    FPhaseCustomer = customer;
    FPhaseActive = true;
    GatewayAddress = gatewayAddress;
    // Set before the send as well: a phase whose send fails runs out from here.
    FGatewayHeardMs = FKomunikace.Clock().MonotonicMilliseconds();
    FKomunikace.SendPlainFrame(GatewayAddress, kGatewayPort, MerchantPublicKey, mtKeyReply);
    // The 30 seconds count from the moment the gateway has the key.
    FGatewayHeardMs = FKomunikace.Clock().MonotonicMilliseconds();
}

void TMerchant::GatewayHeard() {
    if (FPhaseActive) FGatewayHeardMs = FKomunikace.Clock().MonotonicMilliseconds();
}

void TMerchant::StartWaitingOrder() {
    while (!FPhaseActive && !FWaiting.empty()) {
        TWaitingOrder next = std::move(FWaiting.front());
        FWaiting.pop_front();
        FLog.Append(Cz("   Na řadu přichází objednávka zákazníka ") + next.Customer);
        // A send that fails leaves the phase to run out with its timeout.
        ShowingFaults(FLog, [&] { StartGatewayPhase(next.Customer, next.GatewayAddress); });
    }
}

void TMerchant::CheckGatewayTimeout() {
    if (FHandling > 0) return;
    if (FPhaseActive &&
        FKomunikace.Clock().MonotonicMilliseconds() - FGatewayHeardMs >= kGatewayTimeoutMs) {
        EndGatewayPhase();
        // A verdict that comes after all must not be taken for the next exchange's.
        GatewaySymmetricKey.Wipe();
        const Bytes timeout = Cz("*** Chyba: platební brána neodpověděla do 30 s, platba "
                                 "zákazníka ") +
                              FPhaseCustomer + Cz(" se neuskutečnila");
        Note([&] { FOrders.Step(FPhaseCustomer, TExchangeStep::GatewayTimeout, timeout); });
        ShowingFaults(FLog, [&] { RelayError(timeout, FPhaseCustomer); });
    }
    StartWaitingOrder();
}

void TMerchant::GatewayKey(const Bytes& frame) {
    // The gateway address comes with an accepted order; without one the three replies would
    // go nowhere, carrying an empty forward part and a total of 0.
    if (GatewayAddress.empty())
        throw EMessageRefused(
            Cz("Chyba: klíč platební brány přišel bez přijaté objednávky, nic se neodesílá"));
    GatewayPublicKey = ParsePlainFrame(frame);
    GatewayHeard();
    // Copied now: a host-name lookup of the gateway may handle other datagrams meanwhile.
    const std::string phaseCustomer = FPhaseCustomer;
    Note([&] { FOrders.Step(phaseCustomer, TExchangeStep::GatewayKeyReceived, {}); });
    FLog.Append(Cz("   Veřejný klíč platební brány:"));
    FLog.Append("   " + ToFormat(GatewayPublicKey, fmtHEX));
    GatewaySymmetricKey = SecretBytes(MakeSymmetricKey(24));
    // Copied now: a host-name lookup of the gateway may handle other datagrams meanwhile.
    const std::string gateway = GatewayAddress;
    Bytes forwardPart;
    std::int32_t totalPrice = 0;
    if (const TCustomerState* customer = Customer(FPhaseCustomer)) {
        forwardPart = customer->ForwardPart;
        totalPrice = customer->TotalPrice;
    }
    FKomunikace.SendRsaFrame(GatewaySymmetricKey.Get(), GatewayPublicKey, gateway, kGatewayPort,
                             mtGatewaySymmetricKey);
    Note([&] { FOrders.Step(phaseCustomer, TExchangeStep::SymmetricKeySent, {}); });

    // The merchant's identity, digested with SHA-0 over its CP1250 bytes.
    FHashManager1.SetAlgorithm("Secure Hash Algorithm");
    FHashManager1.HashText(FSettings.Text(TSetting::CompanyName) + " " +
                           FSettings.Text(TSetting::CompanyId) + " " +
                           FSettings.Text(TSetting::TaxId));
    Bytes identity = BuildEnvelope(FHashManager1.DigestText(fmtHEX), GatewaySymmetricKey.Get(),
                                   GatewayPublicKey);
    FKomunikace.SendJoinedFrame(forwardPart, identity, gateway, mtOrder, kGatewayPort);
    Note([&] { FOrders.Step(phaseCustomer, TExchangeStep::PaymentSent, {}); });
    FKomunikace.SendEnvelopeFrame(gateway, kGatewayPort, IntToStr(totalPrice), mtTotal,
                                  GatewayPublicKey, GatewaySymmetricKey.Get());
    Note([&] { FOrders.Step(phaseCustomer, TExchangeStep::TotalSent, {}); });
    GatewayHeard();
}

void TMerchant::Credit(const Bytes& frame) {
    // Before the gateway's key there is no symmetric key to open the verdict with: an
    // envelope sealed under the empty key would open, and anyone could post a credit.
    if (GatewaySymmetricKey.empty())
        throw EMessageRefused(
            Cz("Chyba: výsledek platby přišel bez klíče platební brány, nic se neodesílá"));
    Bytes verdict = OpenEnvelopeFrame(frame, GatewaySymmetricKey.Get(), MerchantPublicKey,
                                      MerchantPrivateKey.Get());
    // Only a verdict that opened ends the phase; a forged one is relayed as before, and the
    // gateway's real verdict may still come.
    const bool opened = verdict != DigestErrorText();
    if (opened) {
        GatewayHeard();
        EndGatewayPhase();
    }
    if (IsErrorText(verdict)) {
        Note([&] {
            FOrders.Step(FPhaseCustomer,
                         opened ? TExchangeStep::Refused : TExchangeStep::VerdictDigestError,
                         verdict);
        });
        RelayError(verdict, FPhaseCustomer);
        return;
    }
    FLog.Append(Cz("   Na účet obchodníka byla připsána částka ") + verdict + Cz(" Kč"));
    Note([&] { FOrders.Step(FPhaseCustomer, TExchangeStep::Credited, verdict); });
}

void TMerchant::Closing(const Bytes& frame, const Bytes& symmetricKey, int type,
                        const std::string& customer) {
    Bytes text =
        OpenEnvelopeFrame(frame, symmetricKey, MerchantPublicKey, MerchantPrivateKey.Get());
    const bool fromGateway = type != mtCustomerClose;
    if (fromGateway && text != DigestErrorText()) {
        GatewayHeard();
        EndGatewayPhase();
    }
    FLog.Append(text);
    FLog.Append(EndLine());
    const TExchangeStep step = type == mtGatewayClose    ? TExchangeStep::GatewayClosed14
                               : type == mtGatewayClose2 ? TExchangeStep::GatewayClosed19
                                                         : TExchangeStep::CustomerClosed15;
    Note([&] { FOrders.Step(customer, step, text); });
}

} // namespace velkor
