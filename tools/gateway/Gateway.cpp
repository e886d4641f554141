// The gateway's cases. Every check of an exchange that fails becomes its verdict (the first
// one wins), sent back sealed with the merchant's symmetric key once the total has arrived.
#include "gateway/Gateway.h"

#include "base/Convert.h"
#include "base/Cp1250.h"
#include "base/Exception.h"
#include "base/Wipe.h"
#include "common/PaymentBlock.h"
#include "hash/HashManager.h"
#include "hash/StringFormat.h"
#include "protocol/Komunikace.h"
#include "rsa/RSA.h"

namespace velkor::peer {
namespace {

std::string TypeName(int type) {
    return "0x" + IntToHex(static_cast<std::uint32_t>(type), 2);
}

std::string What(int type) {
    switch (type) {
    case mtKeyReply:
        return "the merchant's public key";
    case mtGatewaySymmetricKey:
        return "the merchant's symmetric key";
    case mtOrder:
        return "the payment block and the merchant's identity";
    case mtTotal:
        return "the total";
    default:
        return "not a message for the gateway, ignored";
    }
}

bool IsErrorText(const Bytes& text) {
    return text.compare(0, 3, "***") == 0;
}

// A whole, non-negative number of Kč in decimal, as the merchant writes its total.
bool IsAmount(const Bytes& text) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != Bytes::npos)
        return false;
    return std::stoll(text) <= 0x7FFFFFFF;
}

std::string Quoted(const Bytes& cp1250) {
    std::string quoted = "\"";
    quoted += Cp1250ToUtf8(cp1250);
    quoted += '"';
    return quoted;
}

} // namespace

const Bytes& TGateway::IdentityErrorText() {
    static const Bytes text = Cz("*** Chyba: Identita obchodníka nesouhlasí !!!");
    return text;
}

const Bytes& TGateway::PaymentErrorText() {
    static const Bytes text = Cz("*** Chyba: Platební údaje zákazníka nelze ověřit !!!");
    return text;
}

const Bytes& TGateway::AmountErrorText() {
    static const Bytes text = Cz("*** Chyba: Částka k připsání není platné číslo !!!");
    return text;
}

const Bytes& TGateway::NoOrderErrorText() {
    static const Bytes text = Cz("*** Chyba: Platební brána nedostala platební údaje !!!");
    return text;
}

TGateway::TGateway(TKeyPair keys, TGatewaySettings settings, ITransport& transport, TSay say)
    : FKeys(std::move(keys)), FSettings(std::move(settings)), FTransport(transport),
      FSay(std::move(say)) {
    THashManager hash(nullptr);
    hash.SetAlgorithm("Secure Hash Algorithm");
    hash.HashText(FSettings.Identity);
    FExpectedDigest = hash.DigestText(fmtHEX);
}

TGateway::~TGateway() {
    SecureWipe(FKeys.PrivateKey);
}

void TGateway::Receive(const Bytes& frame, const std::string& fromIP) {
    try {
        int type = HeaderNumber(frame, 1, 2);
        FSay("received " + TypeName(type) + " from " + fromIP + " (" +
             std::to_string(frame.size()) + " bytes): " + What(type));
        switch (type) {
        case mtKeyReply:
            MerchantKey(frame, fromIP);
            break;
        case mtGatewaySymmetricKey:
            MerchantSymmetricKey(frame);
            break;
        case mtOrder:
            Order(frame);
            break;
        case mtTotal:
            Total(frame, fromIP);
            break;
        default:
            break;
        }
    } catch (const Exception& e) {
        FSay("*** " + Cp1250ToUtf8(e.Message()));
    }
}

void TGateway::MerchantKey(const Bytes& frame, const std::string& fromIP) {
    std::string key = ParsePlainFrame(frame);
    TRSA check(nullptr);
    check.SetKeyBits(TKeyBits::kb0512);
    check.SetPublicKey(key);

    FMerchantPublicKey = key;
    FMerchantSymmetricKey.Wipe();
    FHaveOrder = false;
    FPaymentText.clear();
    FFailure.clear();
    FTransport.Send(fromIP, FSettings.MerchantPort,
                    MakeFrame(mtGatewayKey, ToFormat(FKeys.PublicKey, fmtHEX)));
    FSay("sent 0x5F to " + fromIP + ":" + std::to_string(FSettings.MerchantPort) +
         ": the gateway's public key");
}

void TGateway::MerchantSymmetricKey(const Bytes& frame) {
    FMerchantSymmetricKey.Wipe();
    FMerchantSymmetricKey = SecretBytes(ParseRsaFrame(frame, FKeys.PublicKey, FKeys.PrivateKey));
    FSay("symmetric key of " + std::to_string(FMerchantSymmetricKey.size()) + " bytes taken");
}

void TGateway::Fail(const Bytes& verdict, const std::string& reason) {
    FSay("*** " + reason);
    if (FFailure.empty()) FFailure = verdict;
}

void TGateway::Order(const Bytes& frame) {
    FHaveOrder = true;
    Bytes forwardPart;
    try {
        Bytes identity = OpenDualFrame(frame, FKeys.PublicKey, FKeys.PrivateKey,
                                       FMerchantSymmetricKey.Get(), forwardPart);
        if (IsErrorText(identity))
            Fail(identity, "identity envelope: " + Cp1250ToUtf8(identity));
        else if (identity != FExpectedDigest)
            Fail(IdentityErrorText(), "identity digest " + Quoted(identity) +
                                          " does not match the expected " + FExpectedDigest);
        else
            FSay("identity digest " + identity + " matches " + Quoted(FSettings.Identity));
    } catch (const Exception& e) {
        Fail("*** " + e.Message(), "identity envelope: " + Cp1250ToUtf8(e.Message()));
    }
    OpenPayment(forwardPart);
}

void TGateway::OpenPayment(const Bytes& forwardPart) {
    try {
        Bytes block = Copy(forwardPart, 5, HeaderNumber(forwardPart, 1, 4));
        FPaymentText = OpenPaymentBlock(block, FKeys.PublicKey, FKeys.PrivateKey);
        FSay("payment block opened: " + Quoted(FPaymentText));
    } catch (const Exception& e) {
        FPaymentText.clear();
        Fail(PaymentErrorText(), "payment block: " + Cp1250ToUtf8(e.Message()));
    }
}

void TGateway::Total(const Bytes& frame, const std::string& fromIP) {
    Bytes total;
    try {
        total = OpenEnvelopeFrame(frame, FMerchantSymmetricKey.Get(), FKeys.PublicKey,
                                  FKeys.PrivateKey);
        if (IsErrorText(total))
            Fail(total, "total envelope: " + Cp1250ToUtf8(total));
        else if (!IsAmount(total))
            Fail(AmountErrorText(), "total " + Quoted(total) + " is not an amount");
        else
            FSay("total: " + Cp1250ToUtf8(total) + " Kč");
    } catch (const Exception& e) {
        Fail("*** " + e.Message(), "total envelope: " + Cp1250ToUtf8(e.Message()));
    }
    if (!FHaveOrder) Fail(NoOrderErrorText(), "no payment block came before the total");
    Answer(FFailure.empty() ? total : FFailure, fromIP);
}

void TGateway::Answer(Bytes verdict, const std::string& toIP) {
    // The exchange is over whether or not the answer leaves; `verdict` is a copy, as it may be
    // the failure being cleared here.
    ++FAnswers;
    FHaveOrder = false;
    FPaymentText.clear();
    FFailure.clear();
    Bytes frame = MakeFrame(
        mtCredit,
        ToFormat(SealEnvelope(verdict, FMerchantSymmetricKey.Get(), FMerchantPublicKey), fmtHEX));
    FTransport.Send(toIP, FSettings.MerchantPort, frame);
    std::string to = toIP + ":" + std::to_string(FSettings.MerchantPort);
    if (IsErrorText(verdict))
        FSay("sent 0x09 to " + to + ": " + Cp1250ToUtf8(verdict));
    else
        FSay("sent 0x09 to " + to + ": credited " + Cp1250ToUtf8(verdict) + " Kč");
}

} // namespace velkor::peer
