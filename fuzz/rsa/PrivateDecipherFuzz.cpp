// PrivateDecipher under the fixed 512-bit pair with any cipher text: it returns bytes or refuses
// with a velkor::Exception. The input taken as plain bytes must come back from PublicEncipher
// and PrivateDecipher unchanged.
#include "base/Exception.h"
#include "rsa/RSA.h"
#include "support/FuzzSupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkor;
    using fuzz::Check;
    // Three blocks are as many as any path of the decipherer has; longer texts only cost time.
    if (size > 3 * 86) return 0;
    const Bytes input = fuzz::Input(data, size);
    TRSA rsa;
    rsa.SetKeyBits(TKeyBits::kb0512);
    rsa.SetPublicKey(fuzz::FixedPublicKey());
    rsa.SetPrivateKey(fuzz::FixedPrivateKey());
    try {
        Bytes plain = rsa.PrivateDecipher(input);
        // Every 64 bytes the text decodes to give at most 63 bytes.
        Check(plain.size() <= input.size() * 3 / 4 / 64 * 63, "deciphered size");
    } catch (const Exception&) {
        // An orderly refusal.
    }

    const std::string cipherText = rsa.PublicEncipher(input);
    const std::size_t blocks = input.size() / 63 + 1;
    Check(cipherText.size() == (blocks * 64 * 4 + 2) / 3, "cipher text size");
    Check(rsa.PrivateDecipher(cipherText) == input, "encipher and decipher round trip");
    return 0;
}
