// The MIME Base 64 coders.
#include "hash/StringFormatMIME64.h"

#include <array>
#include <cstring>

namespace velkor {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="
                             " $()[]{},;:-_\\*\"'\t\n\r";
static_assert(sizeof(kAlphabet) - 1 == 85);

constexpr int kPad = 64;

// Digit values 0-63, "=" 64, everything else -1.
constexpr std::array<signed char, 256> kValues = [] {
    std::array<signed char, 256> t{};
    t.fill(-1);
    for (int i = 0; i <= kPad; ++i)
        t[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
    return t;
}();

int Length(const char* p, int length) {
    if (p == nullptr) return 0;
    return length < 0 ? static_cast<int>(std::strlen(p)) : length;
}

} // namespace

const TStringFormat_MIME64* TStringFormat_MIME64::Class() {
    static const TStringFormat_MIME64 instance;
    return &instance;
}

std::string_view TStringFormat_MIME64::Alphabet() const {
    return {kAlphabet, 85};
}

Bytes TStringFormat_MIME64::BytesToText(const char* data, int length) const {
    length = Length(data, length);
    if (length <= 0) return {};
    const auto* in = reinterpret_cast<const unsigned char*>(data);
    const auto n = static_cast<std::size_t>(length);
    Bytes out((n + 2) / 3 * 4, '=');
    std::size_t o = 0;
    for (std::size_t i = 0; i < n; i += 3) {
        const std::size_t left = n - i;
        std::uint32_t group = static_cast<std::uint32_t>(in[i]) << 16;
        if (left > 1) group |= static_cast<std::uint32_t>(in[i + 1]) << 8;
        if (left > 2) group |= in[i + 2];
        out[o] = kAlphabet[group >> 18];
        out[o + 1] = kAlphabet[(group >> 12) & 63];
        if (left > 1) out[o + 2] = kAlphabet[(group >> 6) & 63];
        if (left > 2) out[o + 3] = kAlphabet[group & 63];
        o += 4;
    }
    return out;
}

Bytes TStringFormat_MIME64::TextToBytes(const char* text, int length) const {
    length = Length(text, length);
    if (length <= 0) return {};
    const auto* in = reinterpret_cast<const unsigned char*>(text);
    // The output length is fixed first: three bytes per group of four, one less for every
    // "=", those that complete the last group included. Well-formed text thus loses exactly
    // its filler; "=" inside the text only shortens the output, never lengthens it.
    std::size_t significant = 0, pads = 0;
    for (int i = 0; i < length; ++i) {
        int v = kValues[in[i]];
        if (v < 0) continue;
        ++significant;
        if (v == kPad) ++pads;
    }
    const std::size_t groups = (significant + 3) / 4;
    pads += groups * 4 - significant;
    const std::size_t size = groups * 3 > pads ? groups * 3 - pads : 0;

    // Every group is written whole; the cut to `size` comes at the end.
    Bytes out(groups * 3, '\0');
    std::size_t o = 0;
    std::uint32_t group = 0;
    int count = 0;
    for (int i = 0; i < length; ++i) {
        const int v = kValues[in[i]];
        if (v < 0) continue;
        group = group << 6 | static_cast<std::uint32_t>(v & 63); // "=" counts as zero bits
        if (++count == 4) {
            out[o] = static_cast<char>(group >> 16);
            out[o + 1] = static_cast<char>(group >> 8);
            out[o + 2] = static_cast<char>(group);
            o += 3;
            group = 0;
            count = 0;
        }
    }
    if (count != 0) {
        group <<= 6 * (4 - count);
        out[o] = static_cast<char>(group >> 16);
        out[o + 1] = static_cast<char>(group >> 8);
        out[o + 2] = static_cast<char>(group);
    }
    out.resize(size);
    return out;
}

} // namespace velkor
