// Making and opening the payment block from the protocol's own pieces: an RSA frame's payload
// for the key, a bare envelope for the text.
#include "common/PaymentBlock.h"

#include "base/Convert.h"
#include "base/Secret.h"
#include "hash/StringFormat.h"
#include "protocol/Komunikace.h"
#include "rsa/RSA.h"

namespace velkor::peer {
namespace {

constexpr int kBlockKeyLength = 24;

bool IsUpperHex(const Bytes& text) {
    return text.find_first_not_of("0123456789ABCDEF") == Bytes::npos;
}

} // namespace

Bytes MakePaymentBlock(const Bytes& paymentText, const std::string& gatewayPublicKey) {
    const SecretBytes key(MakeSymmetricKey(kBlockKeyLength));
    TRSA rsa(nullptr);
    rsa.SetKeyBits(TKeyBits::kb0512);
    rsa.SetPublicKey(gatewayPublicKey);
    Bytes keyText = ToFormat(rsa.PublicEncipher(key.View()), fmtHEX);
    return IntToHex(static_cast<std::uint32_t>(keyText.size()), 4) + keyText +
           BuildEnvelope(paymentText, key.Get(), gatewayPublicKey);
}

Bytes OpenPaymentBlock(const Bytes& block, const std::string& gatewayPublicKey,
                       const std::string& gatewayPrivateKey) {
    if (block.empty()) throw EPaymentBlock("the payment block is empty");
    if (!IsUpperHex(block)) throw EPaymentBlock("the payment block is not hex text");
    std::int32_t keyLength = HeaderNumber(block, 1, 4);
    Bytes keyText = Copy(block, 5, keyLength);
    Bytes envelope = Copy(block, 5LL + keyLength, static_cast<long long>(block.size()));
    if (static_cast<std::int32_t>(keyText.size()) != keyLength || envelope.size() < 4)
        throw EPaymentBlock("the payment block is cut short");
    if (static_cast<std::size_t>(HeaderNumber(envelope, 1, 4)) != envelope.size() - 4)
        throw EPaymentBlock("the payment block's envelope is not as long as it says");

    TRSA rsa(nullptr);
    rsa.SetKeyBits(TKeyBits::kb0512);
    rsa.SetPublicKey(gatewayPublicKey);
    rsa.SetPrivateKey(gatewayPrivateKey);
    const SecretBytes key(rsa.PrivateDecipher(FromFormat(keyText, fmtHEX)));
    Bytes text = OpenBareEnvelope(envelope, key.Get(), gatewayPublicKey, gatewayPrivateKey);
    if (text == DigestErrorText())
        throw EPaymentBlock("the payment text does not match its digest");
    return text;
}

} // namespace velkor::peer
