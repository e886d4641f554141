// Integer conversions of the run-time library.
#include "base/Convert.h"

#include "base/Exception.h"

namespace velkor {

std::int32_t StrToInt(BytesView text) {
    auto fail = [&]() -> std::int32_t {
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    };
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i < text.size() && text[i] == '$') {
        ++i;
        if (i == text.size()) return fail();
        std::uint64_t v = 0;
        for (; i < text.size(); ++i) {
            char c = text[i];
            unsigned d;
            if (c >= '0' && c <= '9')
                d = static_cast<unsigned>(c - '0');
            else if (c >= 'A' && c <= 'F')
                d = static_cast<unsigned>(c - 'A' + 10);
            else if (c >= 'a' && c <= 'f')
                d = static_cast<unsigned>(c - 'a' + 10);
            else
                return fail();
            v = v * 16 + d;
            if (v > 0xFFFFFFFFULL) return fail();
        }
        std::uint32_t u = static_cast<std::uint32_t>(v);
        if (negative) u = 0U - u;
        return static_cast<std::int32_t>(u);
    }
    if (i == text.size()) return fail();
    std::int64_t v = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return fail();
        v = v * 10 + (c - '0');
        if (v > 2147483648LL) return fail();
    }
    if (negative) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return fail();
    return static_cast<std::int32_t>(v);
}

std::string IntToStr(long long value) {
    return std::to_string(value);
}

std::string IntToHex(std::uint32_t value, int digits) {
    static const char set[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), set[value & 15]);
        value >>= 4;
    } while (value != 0);
    if (static_cast<int>(out.size()) < digits)
        out.insert(0, static_cast<std::size_t>(digits) - out.size(), '0');
    return out;
}

} // namespace velkor
