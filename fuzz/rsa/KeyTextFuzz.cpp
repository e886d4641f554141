// Key text assignment of TRSA, the public key or the private key as VELKOR_FUZZ_PRIVATE says,
// under every key size: a text is accepted or refused with a velkor::Exception, and an accepted
// key is usable at once. The first byte picks the key size, the rest is the text.
#include "base/Exception.h"
#include "rsa/RSA.h"
#include "support/FuzzSupport.h"

#include <cstdint>

#ifndef VELKOR_FUZZ_PRIVATE
#error "VELKOR_FUZZ_PRIVATE is 1 for the private key, 0 for the public key"
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkor;
    if (size == 0) return 0;
    const std::string text = fuzz::Input(data + 1, size - 1);
    TRSA rsa;
    // 3 is no key size: KeyBits is then left unassigned.
    if ((data[0] & 3) != 3) rsa.SetKeyBits(static_cast<TKeyBits>(data[0] & 3));
    try {
        if (VELKOR_FUZZ_PRIVATE) {
            rsa.SetPrivateKey(text);
            fuzz::Check(rsa.PrivateKey() == text, "accepted private key kept");
            // One block; only under the small modulus, where it costs milliseconds.
            if (rsa.ModulusLimbs() == 16) (void)rsa.PrivateDecipher(std::string(86, '1'));
        } else {
            rsa.SetPublicKey(text);
            fuzz::Check(rsa.PublicKey() == text, "accepted public key kept");
            (void)rsa.PublicEncipher("probe");
        }
    } catch (const Exception&) {
        // An orderly refusal.
    }
    return 0;
}
