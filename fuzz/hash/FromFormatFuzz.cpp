// One string format's decoder, chosen at build time by VELKOR_FUZZ_FORMAT: any text is either
// read or refused with EStringFormat, and what was read writes back to a text that reads to the
// same bytes. The input taken as bytes must also survive writing and reading back.
#include "hash/StringFormat.h"
#include "support/FuzzSupport.h"

#include <cstdint>

#ifndef VELKOR_FUZZ_FORMAT
#error "VELKOR_FUZZ_FORMAT names the format id to fuzz"
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkor;
    using fuzz::Check;
    constexpr std::int32_t id = VELKOR_FUZZ_FORMAT;
    const Bytes input = fuzz::Input(data, size);

    bool read = true;
    Bytes bytes;
    try {
        bytes = FromFormat(input, id);
    } catch (const EStringFormat&) {
        read = false;
    }
    if (read) Check(FromFormat(ToFormat(bytes, id), id) == bytes, "decoded bytes round trip");

    Check(FromFormat(ToFormat(input, id), id) == input, "input bytes round trip");
    return 0;
}
