// Text formatting in the style of the run-time library's Format: "%s", "%d", "%u", "%x" and
// "%X" with an optional "-" (left-align), "0" (zero fill), a width and a precision, and "%%".
// Arguments are byte strings or integers; a byte string argument is copied as it is, NULs
// included, so the result is again a byte string.
#pragma once

#include "base/Bytes.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace velkor {

class FormatArg {
public:
    FormatArg(std::string_view text) : FIsText(true), FText(text) {}
    FormatArg(const std::string& text) : FIsText(true), FText(text) {}
    FormatArg(const char* text) : FIsText(true), FText(text) {}
    FormatArg(int value) : FNumber(value) {}
    FormatArg(long value) : FNumber(value) {}
    FormatArg(long long value) : FNumber(value) {}
    FormatArg(unsigned value) : FNumber(value) {}
    FormatArg(unsigned long value) : FNumber(static_cast<long long>(value)) {}
    FormatArg(unsigned long long value) : FNumber(static_cast<long long>(value)) {}

    bool IsText() const { return FIsText; }
    std::string_view Text() const { return FText; }
    long long Number() const { return FNumber; }

private:
    bool FIsText = false;
    std::string_view FText;
    long long FNumber = 0;
};

// Raises EConvertError "Format '%s' invalid or incompatible with argument" for a directive it
// does not know, a missing argument or an argument of the wrong kind.
std::string Format(std::string_view format, std::initializer_list<FormatArg> args);

} // namespace velkor
