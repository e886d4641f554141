// The payment gateway's side of the exchange. It answers the merchant's public key (0x60) with
// its own (0x5F), takes the merchant's fresh symmetric key (0x58), checks the merchant's
// identity digest and opens the customer's payment block (0x4F), and on the total (0x03)
// answers with its verdict (0x09): the amount credited, or an error text beginning "***" when
// a check of the exchange failed. Sending goes through a transport, so tests need no sockets.
#pragma once

#include "base/Bytes.h"
#include "base/Secret.h"
#include "protocol/Merchant.h"
#include "protocol/Seams.h"
#include "rsa/KeyGen.h"

#include <functional>
#include <string>

namespace velkor::peer {

struct TGatewaySettings {
    // The merchant's identity as the merchant digests it: company name, company ID and tax ID,
    // one blank between each, CP1250.
    Bytes Identity;
    int MerchantPort = kMerchantPort;
};

class TGateway {
public:
    using TSay = std::function<void(const std::string& utf8Text)>;

    TGateway(TKeyPair keys, TGatewaySettings settings, ITransport& transport, TSay say);
    ~TGateway();
    TGateway(const TGateway&) = delete;
    TGateway& operator=(const TGateway&) = delete;

    // One datagram from `fromIP`. Its arrival is told first, before any work on it, so that
    // the printed time is the time of arrival. Faults are told as "*** <message>".
    void Receive(const Bytes& frame, const std::string& fromIP);

    // The verdicts sent so far, one per exchange.
    int Answers() const { return FAnswers; }
    // 40 upper-case hex digits: SHA-0 of the identity.
    const Bytes& ExpectedDigest() const { return FExpectedDigest; }
    // The payment text of the current exchange, CP1250.
    const Bytes& PaymentText() const { return FPaymentText; }

    // The verdicts that are not an amount (CP1250).
    static const Bytes& IdentityErrorText();
    static const Bytes& PaymentErrorText();
    static const Bytes& AmountErrorText();
    static const Bytes& NoOrderErrorText();

private:
    void MerchantKey(const Bytes& frame, const std::string& fromIP); // 0x60
    void MerchantSymmetricKey(const Bytes& frame);                   // 0x58
    void Order(const Bytes& frame);                                  // 0x4F
    void Total(const Bytes& frame, const std::string& fromIP);       // 0x03
    void OpenPayment(const Bytes& forwardPart);
    // The first failure of an exchange is its verdict.
    void Fail(const Bytes& verdict, const std::string& reason);
    void Answer(Bytes verdict, const std::string& toIP);

    TKeyPair FKeys;
    TGatewaySettings FSettings;
    ITransport& FTransport;
    TSay FSay;
    Bytes FExpectedDigest;

    // The current exchange; a 0x60 starts a new one.
    std::string FMerchantPublicKey;
    SecretBytes FMerchantSymmetricKey;
    bool FHaveOrder = false;
    Bytes FPaymentText;
    Bytes FFailure;
    int FAnswers = 0;
};

} // namespace velkor::peer
