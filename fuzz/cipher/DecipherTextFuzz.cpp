// DecipherText of the cipher manager as the envelopes use it ("DES Triple 24byte" in cmCTS,
// keyed through MD5 from a fixed symmetric key): any text is deciphered or refused with
// EStringFormat. The input taken as plain bytes must come back from EncipherText and
// DecipherText unchanged.
#include "hash/StringFormat.h"
#include "protocol/EnvelopeCipher.h"
#include "support/FuzzSupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkor;
    using fuzz::Check;
    const Bytes input = fuzz::Input(data, size);
    TEnvelopeCipher envelope(fuzz::FixedCustomerSymmetricKey());
    TCipherManager& cipher = envelope.Cipher;

    try {
        Bytes plain = cipher.DecipherText(input);
        Check(plain.size() <= input.size(), "deciphered size");
    } catch (const EStringFormat&) {
        // Not MIME Base 64: refused.
    }

    const std::string text = cipher.EncipherText(input);
    Check(cipher.DecipherText(text) == input, "encipher and decipher round trip");
    return 0;
}
