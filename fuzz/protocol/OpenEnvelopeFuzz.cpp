// OpenEnvelopeFrame under the fixed keys: any frame gives its content, the digest error text,
// or a velkor::Exception. The input taken as content must come back from SealEnvelope and
// OpenEnvelopeFrame unchanged.
#include "base/Exception.h"
#include "hash/StringFormat.h"
#include "protocol/Komunikace.h"
#include "support/FuzzSupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkor;
    using fuzz::Check;
    const Bytes input = fuzz::Input(data, size);
    const Bytes& key = fuzz::FixedGatewaySymmetricKey();
    try {
        (void)OpenEnvelopeFrame(input, key, fuzz::FixedPublicKey(), fuzz::FixedPrivateKey());
    } catch (const Exception&) {
        // An orderly refusal.
    }

    // A frame's length field has four hex digits.
    if (size > 400) return 0;
    const Bytes sealed = SealEnvelope(input, key, fuzz::FixedPublicKey());
    const Bytes frame = MakeFrame(0x09, ToFormat(sealed, fmtHEX));
    Check(OpenEnvelopeFrame(frame, key, fuzz::FixedPublicKey(), fuzz::FixedPrivateKey()) == input,
          "seal and open round trip");
    return 0;
}
