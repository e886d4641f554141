// Fuzz harness for what reaches TRSA from the network: key texts a peer sends and cipher texts
// to decipher with the merchant's key. The first byte picks the target, the rest is the text.
// Refusals are velkor::Exception; anything else escaping, or a crash, is a fault.
#include "base/Exception.h"
#include "rsa/BuiltInKeyPair.h"
#include "rsa/RSA.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkor;
    if (size == 0) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    TRSA rsa;
    rsa.SetKeyBits(static_cast<TKeyBits>(data[0] >> 2 & 3));
    try {
        switch (data[0] & 3) {
        case 0:
            rsa.SetPublicKey(text);
            (void)rsa.PublicEncipher("probe");
            break;
        case 1:
            rsa.SetPrivateKey(text);
            (void)rsa.PrivateDecipher(std::string(86, '+'));
            break;
        case 2:
            rsa.SetKeyBits(TKeyBits::kb0512);
            rsa.SetPrivateKey(std::string(kBuiltInPrivateKey));
            (void)rsa.PrivateDecipher(text);
            break;
        default:
            rsa.SetSignature(text);
            break;
        }
    } catch (const Exception&) {
        // An orderly refusal.
    }
    return 0;
}
