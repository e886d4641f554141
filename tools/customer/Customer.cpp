// The customer's messages. Frames are built with the protocol's own routines, so what the
// merchant reads is exactly what its own code would write.
#include "customer/Customer.h"

#include "base/Convert.h"
#include "base/Cp1250.h"
#include "base/Exception.h"
#include "base/Wipe.h"
#include "common/OrderText.h"
#include "common/PaymentBlock.h"
#include "hash/StringFormat.h"
#include "net/NMUDP.h"
#include "protocol/Komunikace.h"
#include "rsa/RSA.h"

namespace velkor::peer {
namespace {

constexpr int kSymmetricKeyLength = 24;
// The merchant's identity digest: 40 hex digits of SHA-0, sealed like any envelope.
constexpr std::size_t kIdentityDigestLength = 40;

std::string TypeName(int type) {
    return "0x" + IntToHex(static_cast<std::uint32_t>(type), 2);
}

Bytes Hex4(std::size_t n) {
    return IntToHex(static_cast<std::uint32_t>(n), 4);
}

} // namespace

TCustomer::TCustomer(TKeyPair keys, TCustomerSettings settings, ITransport& transport, TSay say)
    : FKeys(std::move(keys)), FSettings(std::move(settings)), FTransport(transport),
      FSay(std::move(say)) {}

TCustomer::~TCustomer() {
    SecureWipe(FKeys.PrivateKey);
}

std::string TCustomer::Merchant() const {
    return FSettings.MerchantHost + ":" + std::to_string(FSettings.MerchantPort);
}

Bytes TCustomer::OrderFrame(const Bytes& symmetricKey, const std::string& merchantPublicKey) const {
    Bytes envelope;
    if (FSettings.Tamper) {
        const Bytes& order = FSettings.Order;
        Bytes body = Hex4(order.size()) + order + DigestField(order + " ", merchantPublicKey);
        Bytes hex = ToFormat(EncipherBody(body, symmetricKey), fmtHEX);
        envelope = Hex4(hex.size()) + hex;
    } else {
        envelope = BuildEnvelope(FSettings.Order, symmetricKey, merchantPublicKey);
    }
    return IntToHex(mtOrder, 2) + Hex4(FPaymentBlock.size()) + FPaymentBlock + envelope;
}

void TCustomer::Start() {
    FPaymentBlock = MakePaymentBlock(FSettings.PaymentText, FSettings.GatewayPublicKey);

    // Envelope sizes depend only on the content's length and the key size, so the gateway's
    // key stands in for the merchant's, which is not known yet.
    const Bytes standIn(kSymmetricKeyLength, 'k');
    std::size_t orderSize = OrderFrame(standIn, FSettings.GatewayPublicKey).size();
    if (orderSize > TNMUDP::kBufferSize)
        throw Exception("the order message would be " + std::to_string(orderSize) +
                        " bytes, more than the " + std::to_string(TNMUDP::kBufferSize) +
                        " of one datagram: shorten the order or the payment text");
    std::size_t forwardSize =
        2 + 4 + FPaymentBlock.size() +
        BuildEnvelope(Bytes(kIdentityDigestLength, '0'), standIn, FSettings.GatewayPublicKey)
            .size();
    if (forwardSize > TNMUDP::kBufferSize)
        throw Exception("the merchant's forward of the payment block to the gateway would be " +
                        std::to_string(forwardSize) + " bytes, more than the " +
                        std::to_string(TNMUDP::kBufferSize) +
                        " of one datagram: shorten the payment text");

    FTransport.Send(FSettings.MerchantHost, FSettings.MerchantPort,
                    MakeFrame(mtCustomerKey, ToFormat(FKeys.PublicKey, fmtHEX)));
    FStage = TStage::KeySent;
    FSay("sent 0x63 to " + Merchant() + ": the customer's public key (" +
         std::to_string(FKeys.PublicKey.size()) + " characters)");
}

void TCustomer::Receive(const Bytes& frame, const std::string& fromIP) {
    try {
        int type = HeaderNumber(frame, 1, 2);
        std::string received = "received " + TypeName(type) + " from " + fromIP + " (" +
                               std::to_string(frame.size()) + " bytes): ";
        if (type == mtKeyReply && FStage == TStage::KeySent) {
            FSay(received + "the merchant's public key");
            MerchantKey(frame);
        } else if (type == mtKeyReply) {
            FSay(received + "the merchant's public key again, ignored");
        } else if (type == mtError) {
            FSay(received + "an error from the merchant");
            MerchantError(frame);
        } else {
            FSay(received + "not a message for the customer, ignored");
        }
    } catch (const Exception& e) {
        FSay("*** " + Cp1250ToUtf8(e.Message()));
    }
}

void TCustomer::MerchantKey(const Bytes& frame) {
    try {
        std::string merchantKey = ParsePlainFrame(frame);
        FSymmetricKey = SecretBytes(MakeSymmetricKey(kSymmetricKeyLength));
        TRSA rsa(nullptr);
        rsa.SetKeyBits(TKeyBits::kb0512);
        rsa.SetPublicKey(merchantKey);
        FTransport.Send(FSettings.MerchantHost, FSettings.MerchantPort,
                        MakeFrame(mtCustomerSymmetricKey,
                                  ToFormat(rsa.PublicEncipher(FSymmetricKey.View()), fmtHEX)));
        FSay("sent 0x59 to " + Merchant() + ": a fresh symmetric key (" +
             std::to_string(FSymmetricKey.size()) + " bytes), RSA-enciphered for the merchant");

        Bytes order = OrderFrame(FSymmetricKey.Get(), merchantKey);
        FTransport.Send(FSettings.MerchantHost, FSettings.MerchantPort, order);
        FStage = TStage::OrderSent;
        FSay("sent 0x4F to " + Merchant() + " (" + std::to_string(order.size()) +
             " bytes): the payment block for the gateway (" + std::to_string(FPaymentBlock.size()) +
             " characters) and the order (" + std::to_string(OrderLines(FSettings.Order).size()) +
             " lines) sealed for the merchant" +
             (FSettings.Tamper ? ", its digest computed over other bytes (--tamper)" : ""));
    } catch (...) {
        FStage = TStage::Failed;
        throw;
    }
}

void TCustomer::MerchantError(const Bytes& frame) {
    FErrorText = OpenEnvelopeFrame(frame, FSymmetricKey.Get(), FKeys.PublicKey, FKeys.PrivateKey);
    FStage = TStage::Answered;
    FSay("error text: " + Cp1250ToUtf8(FErrorText));
}

} // namespace velkor::peer
