// Format: a small, bounded printf for the log lines and exception messages of the system.
#include "base/Format.h"

#include "base/Exception.h"

#include <vector>

namespace velkor {
namespace {

[[noreturn]] void Invalid(std::string_view format) {
    throw EConvertError("Format '" + std::string(format) +
                        "' invalid or incompatible with argument");
}

std::string Digits(unsigned long long value, unsigned base, bool upper) {
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string out;
    do {
        out.insert(out.begin(), set[value % base]);
        value /= base;
    } while (value != 0);
    return out;
}

} // namespace

std::string Format(std::string_view format, std::initializer_list<FormatArg> args) {
    std::vector<FormatArg> list(args);
    std::size_t next = 0;
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (++i >= format.size()) Invalid(format);
        if (format[i] == '%') {
            out += '%';
            continue;
        }
        bool left = false, zero = false;
        for (; i < format.size() && (format[i] == '-' || format[i] == '0'); ++i)
            (format[i] == '-' ? left : zero) = true;
        std::size_t width = 0;
        for (; i < format.size() && format[i] >= '0' && format[i] <= '9'; ++i)
            width = width * 10 + static_cast<std::size_t>(format[i] - '0');
        std::size_t precision = 0;
        bool hasPrecision = false;
        if (i < format.size() && format[i] == '.') {
            hasPrecision = true;
            for (++i; i < format.size() && format[i] >= '0' && format[i] <= '9'; ++i)
                precision = precision * 10 + static_cast<std::size_t>(format[i] - '0');
        }
        if (i >= format.size() || next >= list.size() || width > 4096 || precision > 4096)
            Invalid(format);
        const FormatArg& arg = list[next++];
        std::string field;
        bool numeric = true;
        switch (format[i]) {
        case 's':
            if (!arg.IsText()) Invalid(format);
            field = std::string(arg.Text());
            if (hasPrecision && field.size() > precision) field.resize(precision);
            numeric = false;
            break;
        case 'd': {
            if (arg.IsText()) Invalid(format);
            long long v = arg.Number();
            unsigned long long magnitude = v < 0 ? 0ULL - static_cast<unsigned long long>(v)
                                                 : static_cast<unsigned long long>(v);
            field = Digits(magnitude, 10, false);
            if (hasPrecision && field.size() < precision)
                field.insert(0, precision - field.size(), '0');
            if (v < 0) field.insert(field.begin(), '-');
            break;
        }
        case 'u':
        case 'x':
        case 'X': {
            if (arg.IsText()) Invalid(format);
            // Like the run-time library, hexadecimal and unsigned output show 32-bit values as
            // unsigned 32-bit numbers.
            long long v = arg.Number();
            unsigned long long u = (v < 0 && v >= INT32_MIN) ? static_cast<std::uint32_t>(v)
                                                             : static_cast<unsigned long long>(v);
            field = Digits(u, format[i] == 'u' ? 10 : 16, format[i] == 'X');
            if (hasPrecision && field.size() < precision)
                field.insert(0, precision - field.size(), '0');
            break;
        }
        default:
            Invalid(format);
        }
        if (field.size() < width) {
            std::size_t pad = width - field.size();
            if (left)
                field.append(pad, ' ');
            else if (zero && numeric) {
                std::size_t at = (!field.empty() && field[0] == '-') ? 1 : 0;
                field.insert(at, pad, '0');
            } else
                field.insert(0, pad, ' ');
        }
        out += field;
    }
    return out;
}

} // namespace velkor
