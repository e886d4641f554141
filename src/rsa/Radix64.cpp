// Radix-64 encoding and decoding of byte strings.
#include "rsa/Radix64.h"

#include "base/Exception.h"
#include "base/Wipe.h"

#include <array>

namespace velkor {

namespace {

constexpr std::array<signed char, 256> MakeValueTable() {
    std::array<signed char, 256> table{};
    for (auto& v : table) v = -1;
    for (std::size_t i = 0; i < kRadix64Chars.size(); ++i)
        table[static_cast<unsigned char>(kRadix64Chars[i])] = static_cast<signed char>(i);
    return table;
}

constexpr std::array<signed char, 256> kValues = MakeValueTable();

} // namespace

int Radix64Value(char ch) {
    const int v = kValues[static_cast<unsigned char>(ch)];
    if (v < 0) throw EConvertError("Error converting from Base64 - invalid character");
    return v;
}

std::string EncodeRadix64(BytesView bytes) {
    std::string out;
    out.reserve((bytes.size() * 4 + 2) / 3);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t whole = bytes.size() / 3 * 3;
    std::size_t i = 0;
    for (; i < whole; i += 3) {
        const unsigned x = p[i], y = p[i + 1], z = p[i + 2];
        out += kRadix64Chars[x >> 2];
        out += kRadix64Chars[((x & 3U) << 4) | (y >> 4)];
        out += kRadix64Chars[((y & 15U) << 2) | (z >> 6)];
        out += kRadix64Chars[z & 63U];
    }
    // A short final group behaves as if padded with a zero byte whose own character is dropped.
    const std::size_t rest = bytes.size() - whole;
    if (rest == 1) {
        const unsigned x = p[i];
        out += kRadix64Chars[x >> 2];
        out += kRadix64Chars[(x & 3U) << 4];
    } else if (rest == 2) {
        const unsigned x = p[i], y = p[i + 1];
        out += kRadix64Chars[x >> 2];
        out += kRadix64Chars[((x & 3U) << 4) | (y >> 4)];
        out += kRadix64Chars[(y & 15U) << 2];
    }
    return out;
}

Bytes DecodeRadix64(std::string_view text) {
    Bytes out;
    out.reserve(text.size() * 3 / 4);
    unsigned carried = 0;
    int position = 0;
    // Key fields decode here too: a refused text must not leave half a private exponent behind.
    struct WipeOnThrow {
        Bytes& Target;
        bool Armed = true;
        ~WipeOnThrow() {
            if (Armed) SecureWipe(Target);
        }
    } guard{out};
    for (char ch : text) {
        const auto v = static_cast<unsigned>(Radix64Value(ch));
        switch (position) {
        case 0:
            carried = (v << 2) & 0xFFU;
            break;
        case 1:
            out += static_cast<char>(carried | (v >> 4));
            carried = (v << 4) & 0xFFU;
            break;
        case 2:
            out += static_cast<char>(carried | (v >> 2));
            carried = (v << 6) & 0xFFU;
            break;
        default:
            out += static_cast<char>(carried | v);
            carried = 0;
            break;
        }
        position = (position + 1) & 3;
    }
    guard.Armed = false;
    return out;
}

} // namespace velkor
