// The merchant's side of the exchange: its state between datagrams and HandleMessage, which
// dispatches each received frame on its type. There is no state machine: every type is taken
// at any time and acts on whatever the fields hold when it arrives.
#pragma once

#include "base/Bytes.h"
#include "base/Exception.h"
#include "base/Secret.h"
#include "hash/StringFormat.h"
#include "protocol/Komunikace.h"
#include "protocol/Seams.h"

#include <cstdint>
#include <string>

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

class TMerchant {
public:
    // `hashManager1` is the window's hash manager, which the identity digest uses.
    TMerchant(ILog& log, ISettings& settings, TKomunikace& komunikace, THashManager& hashManager1)
        : FLog(log), FSettings(settings), FKomunikace(komunikace), FHashManager1(hashManager1) {}
    TMerchant(const TMerchant&) = delete;
    TMerchant& operator=(const TMerchant&) = delete;

    // Dispatches one frame from `fromIP`. Faults pass on to the caller.
    void HandleMessage(const Bytes& frame, const std::string& fromIP);
    // HandleMessage, with a fault that stops the handling shown as one log line "*** <message>".
    void Receive(const Bytes& frame, const std::string& fromIP);

    // The merchant state, alive for the whole run; no message clears it. The private key text
    // and the symmetric keys are wiped when they are replaced and when the merchant goes.
    Bytes MerchantPublicKey;
    SecretBytes MerchantPrivateKey;
    Bytes CustomerPublicKey;
    std::string CustomerAddress;
    SecretBytes CustomerSymmetricKey;
    Bytes ForwardPart;
    std::int32_t TotalPrice = 0;
    std::string GatewayAddress;
    Bytes GatewayPublicKey;
    SecretBytes GatewaySymmetricKey;

private:
    void CustomerKey(const Bytes& frame, const std::string& fromIP); // 0x63
    void CustomerSymmetric(const Bytes& frame);                      // 0x59
    void Order(const Bytes& frame, const std::string& fromIP);       // 0x4F
    void GatewayKey(const Bytes& frame);                             // 0x5F
    void Credit(const Bytes& frame);                                 // 0x09
    void Closing(const Bytes& frame, const Bytes& symmetricKey);     // 0x14, 0x15, 0x19
    // Logs an error text and the end line, and passes the text on to the customer as 0x16.
    void RelayError(const Bytes& text, const std::string& customerHost);

    ILog& FLog;
    ISettings& FSettings;
    TKomunikace& FKomunikace;
    THashManager& FHashManager1;
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
