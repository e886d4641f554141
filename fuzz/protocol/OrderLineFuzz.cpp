// ParseOrderLine over every line of any order text: each line gives its fields or refuses a
// count or price with EConvertError; the number of lines never changes from call to call.
#include "base/Exception.h"
#include "protocol/Merchant.h"
#include "support/FuzzSupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkor;
    const Bytes order = fuzz::Input(data, size);
    Bytes name;
    std::int32_t count = 0, price = 0;
    const int lines = ParseOrderLine(0, order, name, count, price);
    fuzz::Check(lines >= 0 && static_cast<std::size_t>(lines) <= order.size(), "line count");
    for (int i = 1; i <= lines + 1; ++i) {
        try {
            fuzz::Check(ParseOrderLine(i, order, name, count, price) == lines, "same line count");
        } catch (const EConvertError&) {
            // A count or price that is not an integer.
        }
    }
    return 0;
}
