// The customer's side of one exchange: its public key to the merchant (0x63), then, on the
// merchant's key (0x60), a fresh symmetric key (0x59) and the order (0x4F: the payment block
// for the gateway and the order sealed for the merchant); an error from the merchant (0x16)
// ends the exchange. Sending goes through a transport, so tests can run it without sockets.
#pragma once

#include "base/Bytes.h"
#include "base/Secret.h"
#include "protocol/Merchant.h"
#include "protocol/Seams.h"
#include "rsa/KeyGen.h"

#include <functional>
#include <string>

namespace velkor::peer {

struct TCustomerSettings {
    std::string MerchantHost = "127.0.0.1";
    int MerchantPort = kMerchantPort;
    Bytes Order;                  // CP1250, lines joined with CR LF
    Bytes PaymentText;            // CP1250, for the gateway only
    std::string GatewayPublicKey; // the payment block is sealed for it
    // The order envelope's digest is computed over other bytes than the order it carries, so
    // that the merchant's digest check fails.
    bool Tamper = false;
};

class TCustomer {
public:
    using TSay = std::function<void(const std::string& utf8Text)>;
    enum class TStage { Idle, KeySent, OrderSent, Answered, Failed };

    TCustomer(TKeyPair keys, TCustomerSettings settings, ITransport& transport, TSay say);
    ~TCustomer();
    TCustomer(const TCustomer&) = delete;
    TCustomer& operator=(const TCustomer&) = delete;

    // Makes the payment block, checks that the order message and the merchant's forward of it
    // to the gateway each fit in one datagram (raising velkor::Exception with the sizes when
    // not), then sends 0x63.
    void Start();
    // One datagram from `fromIP`. Faults are told as "*** <message>"; a fault while answering
    // the merchant's key ends the exchange (Failed).
    void Receive(const Bytes& frame, const std::string& fromIP);

    TStage Stage() const { return FStage; }
    // The text of the merchant's 0x16, CP1250.
    const Bytes& ErrorText() const { return FErrorText; }
    const Bytes& SymmetricKey() const { return FSymmetricKey.Get(); }

private:
    void MerchantKey(const Bytes& frame);
    void MerchantError(const Bytes& frame);
    // "4F" + the forward part + the bare envelope of the order for `merchantPublicKey`.
    Bytes OrderFrame(const Bytes& symmetricKey, const std::string& merchantPublicKey) const;
    std::string Merchant() const;

    TKeyPair FKeys;
    TCustomerSettings FSettings;
    ITransport& FTransport;
    TSay FSay;
    TStage FStage = TStage::Idle;
    Bytes FPaymentBlock;
    SecretBytes FSymmetricKey;
    Bytes FErrorText;
};

} // namespace velkor::peer
