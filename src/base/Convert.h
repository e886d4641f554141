// The run-time library's integer conversions. Header fields of frames are read as "$" + field
// through StrToInt, so the "$" (hexadecimal) rule and the fault message are part of the wire.
#pragma once

#include "base/Bytes.h"

#include <cstdint>
#include <string>

namespace velkor {

// Leading blanks and one sign are allowed; "$" then introduces hexadecimal digits (either
// case, up to 32 bits, so "$FFFFFFFF" is -1); otherwise decimal digits within the 32-bit
// signed range. Anything else, an empty text included, raises
// EConvertError "'<text>' is not a valid integer value".
std::int32_t StrToInt(BytesView text);

std::string IntToStr(long long value);

// Upper-case hexadecimal with at least `digits` digits, more if the value needs them.
std::string IntToHex(std::uint32_t value, int digits);

} // namespace velkor
