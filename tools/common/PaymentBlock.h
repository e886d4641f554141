// The payment block: the customer's payment text for the gateway, which the merchant forwards
// unread as the first part of the order message. Only the gateway can open it:
//   block = len(X) + X + envelope
//   X        hex text of the RSA encipherment, under the gateway's public key, of a fresh
//            24-character symmetric key K of the customer's own (4 hex digits of length first)
//   envelope a bare envelope of the payment text, sealed with K, digest under the gateway's key
// Every character is an upper-case hex digit, and the length is even.
#pragma once

#include "base/Bytes.h"
#include "base/Exception.h"

#include <string>

namespace velkor::peer {

class EPaymentBlock : public Exception {
public:
    using Exception::Exception;
};

Bytes MakePaymentBlock(const Bytes& paymentText, const std::string& gatewayPublicKey);

// The payment text. Raises EPaymentBlock when the block is not hex text, is cut short or its
// digest does not match; the faults of the frame layer (a length field that is not hex) and of
// the RSA component pass on.
Bytes OpenPaymentBlock(const Bytes& block, const std::string& gatewayPublicKey,
                       const std::string& gatewayPrivateKey);

} // namespace velkor::peer
