// OpenDualFrame under the fixed keys: any frame gives the second part's content, the digest
// error text, or a velkor::Exception, and the forward part is always a piece of the frame.
#include "base/Exception.h"
#include "protocol/Komunikace.h"
#include "support/FuzzSupport.h"

#include <algorithm>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkor;
    const Bytes input = fuzz::Input(data, size);
    Bytes forward = "left from an earlier order";
    try {
        (void)OpenDualFrame(input, fuzz::FixedPublicKey(), fuzz::FixedPrivateKey(),
                            fuzz::FixedCustomerSymmetricKey(), forward);
        const Bytes afterType = input.substr(std::min<std::size_t>(2, input.size()));
        fuzz::Check(afterType.compare(0, forward.size(), forward) == 0,
                    "forward part from the frame");
    } catch (const Exception&) {
        // An orderly refusal.
    }
    return 0;
}
