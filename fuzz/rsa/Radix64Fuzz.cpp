// The radix-64 decoder: any text is read or refused with EConvertError, and what was read
// writes back to a text that reads to the same bytes; any bytes survive writing and reading.
#include "base/Exception.h"
#include "rsa/Radix64.h"
#include "support/FuzzSupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkor;
    using fuzz::Check;
    const Bytes input = fuzz::Input(data, size);

    bool read = true;
    Bytes bytes;
    try {
        bytes = DecodeRadix64(input);
    } catch (const EConvertError&) {
        read = false;
    }
    if (read) {
        // Each four characters give three bytes, so the text was never shorter than that.
        Check(bytes.size() <= input.size() * 3 / 4, "decoded size");
        Check(DecodeRadix64(EncodeRadix64(bytes)) == bytes, "decoded bytes round trip");
    }

    const std::string text = EncodeRadix64(input);
    Check(text.size() == (input.size() * 4 + 2) / 3, "encoded size");
    Check(DecodeRadix64(text) == input, "input bytes round trip");
    return 0;
}
