// The UU and XX coders, written once over the class's alphabet.
#include "hash/StringFormatUU.h"

#include "base/Format.h"

#include <array>
#include <cstring>

namespace velkor {

namespace {

constexpr char kUUAlphabet[] = "`!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_"
                               " \t\n\r";
constexpr char kXXAlphabet[] = "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                               " \"()[]'\t\n\r";
static_assert(sizeof(kUUAlphabet) - 1 == 68 && sizeof(kXXAlphabet) - 1 == 74);

constexpr int kLineBytes = 45;

// Alphabet position of every byte value, -1 for characters outside the alphabet.
using TValues = std::array<short, 256>;

TValues ValuesOf(std::string_view alphabet) {
    TValues t;
    t.fill(-1);
    for (std::size_t i = alphabet.size(); i-- > 0;)
        t[static_cast<unsigned char>(alphabet[i])] = static_cast<short>(i);
    return t;
}

int Length(const char* p, int length) {
    if (p == nullptr) return 0;
    return length < 0 ? static_cast<int>(std::strlen(p)) : length;
}

} // namespace

const TStringFormat_UU* TStringFormat_UU::Class() {
    static const TStringFormat_UU instance;
    return &instance;
}

const TStringFormat_XX* TStringFormat_XX::Class() {
    static const TStringFormat_XX instance;
    return &instance;
}

std::string_view TStringFormat_UU::Alphabet() const {
    return {kUUAlphabet, 68};
}

std::string_view TStringFormat_XX::Alphabet() const {
    return {kXXAlphabet, 74};
}

Bytes TStringFormat_UU::BytesToText(const char* data, int length) const {
    length = Length(data, length);
    if (length <= 0) return {};
    const std::string_view alphabet = Alphabet();
    const auto* in = reinterpret_cast<const unsigned char*>(data);
    const auto n = static_cast<std::size_t>(length);
    Bytes out;
    out.reserve((n + 2) / 3 * 4 + n / kLineBytes + 1);
    for (std::size_t line = 0; line < n; line += kLineBytes) {
        const std::size_t count = std::min<std::size_t>(kLineBytes, n - line);
        out += alphabet[count];
        for (std::size_t i = line; i < line + count; i += 3) {
            const std::size_t left = line + count - i;
            std::uint32_t group = static_cast<std::uint32_t>(in[i]) << 16;
            if (left > 1) group |= static_cast<std::uint32_t>(in[i + 1]) << 8;
            if (left > 2) group |= in[i + 2];
            for (int shift = 18; shift >= 0; shift -= 6) out += alphabet[(group >> shift) & 63];
        }
    }
    return out;
}

bool TStringFormat_UU::Accepts(const char* data, int length, bool decoding) const {
    if (!decoding) return true;
    length = Length(data, length);
    const TValues values = ValuesOf(Alphabet());
    const auto* in = reinterpret_cast<const unsigned char*>(data);
    for (int i = 0; i < length; ++i)
        if (values[in[i]] < 0) return false;
    for (int i = 0; i < length;) {
        const int count = values[in[i++]];
        if (count > kLineBytes) return false;
        // The line's characters of value 0-63; blanks among them are not counted.
        int wanted = (4 * count + 2) / 3;
        for (; wanted > 0 && i < length; ++i)
            if (values[in[i]] < 64) --wanted;
        if (wanted > 0) return false;
    }
    return true;
}

Bytes TStringFormat_UU::TextToBytes(const char* text, int length) const {
    length = Length(text, length);
    if (length <= 0) return {};
    const TValues values = ValuesOf(Alphabet());
    const auto* in = reinterpret_cast<const unsigned char*>(text);
    Bytes out;
    out.reserve(static_cast<std::size_t>(length) / 4 * 3 + 3);
    for (int i = 0; i < length;) {
        int count = values[in[i++]];
        if (count < 0 || count > kLineBytes)
            throw EStringFormat(Format("Input is not an valid %s Format.", {DisplayName()}));
        for (; count > 0; count -= 3) {
            std::uint32_t group = 0;
            for (int got = 0; got < 4;) {
                if (i >= length) {
                    group <<= 6 * (4 - got);
                    break;
                }
                const int v = values[in[i++]];
                if (v < 0 || v > 63) continue;
                group = group << 6 | static_cast<std::uint32_t>(v);
                ++got;
            }
            const char bytes[3] = {static_cast<char>(group >> 16), static_cast<char>(group >> 8),
                                   static_cast<char>(group)};
            out.append(bytes, static_cast<std::size_t>(count > 3 ? 3 : count));
        }
    }
    return out;
}

} // namespace velkor
