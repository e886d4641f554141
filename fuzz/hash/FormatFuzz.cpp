// Fuzzes FromFormat of every registered string format with arbitrary text (which may only
// be refused with EStringFormat, never read or write out of bounds), and checks that
// writing the same bytes in each format reads back to them.
#include "hash/StringFormat.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkor;
    const auto* text = reinterpret_cast<const char*>(data);
    const int length = static_cast<int>(size);
    for (TStringFormatClass c : FormatRegistry()) {
        try {
            FromFormat(text, length, c->FormatId());
        } catch (const EStringFormat&) {}
        // Without the Accepts check in front, the decoder itself must stay in bounds too.
        try {
            c->TextToBytes(text, length);
        } catch (const EStringFormat&) {}
        if (size == 0) continue;
        const std::string written = ToFormat(text, length, c->FormatId());
        if (FromFormat(written, c->FormatId()) != Bytes(text, size)) std::abort();
    }
    return 0;
}
