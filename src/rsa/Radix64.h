// The radix-64 text of RSA keys and cipher texts: three bytes to four characters of the set
// "+-0-9A-Za-z", most significant bit first, with no fill characters, line breaks or length.
#pragma once

#include "base/Bytes.h"

#include <string>
#include <string_view>

namespace velkor {

inline constexpr std::string_view kRadix64Chars =
    "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// L bytes give ceil(4L / 3) characters. Never fails.
std::string EncodeRadix64(BytesView bytes);

// Raises EConvertError "Error converting from Base64 - invalid character" at the first
// character outside the set. A final lone character yields no byte.
Bytes DecodeRadix64(std::string_view text);

// 0..63; EConvertError as above for any other character.
int Radix64Value(char ch);

} // namespace velkor
