// Key pairs for the protocol tests: the merchant's built-in pair, and a customer's and a
// gateway's pair made once per test program.
#pragma once

#include "rsa/BuiltInKeyPair.h"
#include "rsa/KeyGen.h"

namespace velkor::test {

inline const TKeyPair& MerchantKeys() {
    static const TKeyPair keys{std::string(kBuiltInPublicKey), std::string(kBuiltInPrivateKey)};
    return keys;
}
inline const TKeyPair& CustomerKeys() {
    static const TKeyPair keys = MakeKeyPair(TKeyBits::kb0512);
    return keys;
}
inline const TKeyPair& GatewayKeys() {
    static const TKeyPair keys = MakeKeyPair(TKeyBits::kb0512);
    return keys;
}

} // namespace velkor::test
