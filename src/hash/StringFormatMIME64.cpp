// The MIME Base 64 coders.
#include "hash/StringFormatMIME64.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace velkor {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="
                             " $()[]{},;:-_\\*\"'\t\n\r";
static_assert(sizeof(kAlphabet) - 1 == 85);

constexpr int kPad = 64;

// Digit values 0-63, "=" 64, everything else 255: a digit is a value with neither of the two
// top bits set, so four characters are checked at once with one OR.
constexpr std::array<std::uint8_t, 256> kValues = [] {
    std::array<std::uint8_t, 256> t{};
    t.fill(255);
    for (int i = 0; i <= kPad; ++i)
        t[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
    return t;
}();
constexpr std::uint8_t kNotDigit = 0xC0;

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
    char* o = out.data();
    std::size_t i = 0;
    for (; i + 3 <= n; i += 3, o += 4) {
        const std::uint32_t group = static_cast<std::uint32_t>(in[i]) << 16 |
                                    static_cast<std::uint32_t>(in[i + 1]) << 8 | in[i + 2];
        o[0] = kAlphabet[group >> 18];
        o[1] = kAlphabet[(group >> 12) & 63];
        o[2] = kAlphabet[(group >> 6) & 63];
        o[3] = kAlphabet[group & 63];
    }
    // A last group of one or two bytes, zero-filled; the "=" are already in place.
    if (const std::size_t left = n - i; left != 0) {
        std::uint32_t group = static_cast<std::uint32_t>(in[i]) << 16;
        if (left > 1) group |= static_cast<std::uint32_t>(in[i + 1]) << 8;
        o[0] = kAlphabet[group >> 18];
        o[1] = kAlphabet[(group >> 12) & 63];
        if (left > 1) o[2] = kAlphabet[(group >> 6) & 63];
    }
    return out;
}

Bytes TStringFormat_MIME64::TextToBytes(const char* text, int length) const {
    length = Length(text, length);
    if (length <= 0) return {};
    const auto* in = reinterpret_cast<const unsigned char*>(text);
    const auto n = static_cast<std::size_t>(length);
    // The output length is fixed by the whole text: three bytes per group of four, one less
    // for every "=", those that complete the last group included. Well-formed text thus loses
    // exactly its filler; "=" inside the text only shortens the output, never lengthens it.
    // Every group is written whole into room for the longest result; the cut comes at the end.
    Bytes out((n + 3) / 4 * 3, '\0');
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    std::size_t significant = 0, pads = 0, i = 0;

    // Runs of four digits, as written text is up to its last group.
    for (; i + 4 <= n; i += 4, o += 3) {
        const std::uint8_t v0 = kValues[in[i]], v1 = kValues[in[i + 1]], v2 = kValues[in[i + 2]],
                           v3 = kValues[in[i + 3]];
        if (((v0 | v1 | v2 | v3) & kNotDigit) != 0) break;
        const std::uint32_t group = static_cast<std::uint32_t>(v0) << 18 |
                                    static_cast<std::uint32_t>(v1) << 12 |
                                    static_cast<std::uint32_t>(v2) << 6 | v3;
        o[0] = static_cast<unsigned char>(group >> 16);
        o[1] = static_cast<unsigned char>(group >> 8);
        o[2] = static_cast<unsigned char>(group);
    }
    significant = i;

    // The rest one character at a time: skipped characters, "=" and the last group.
    std::uint32_t group = 0;
    int count = 0;
    for (; i < n; ++i) {
        const std::uint8_t v = kValues[in[i]];
        if (v > kPad) continue;
        ++significant;
        if (v == kPad) ++pads;
        group = group << 6 | (v & 63U); // "=" counts as zero bits
        if (++count == 4) {
            o[0] = static_cast<unsigned char>(group >> 16);
            o[1] = static_cast<unsigned char>(group >> 8);
            o[2] = static_cast<unsigned char>(group);
            o += 3;
            group = 0;
            count = 0;
        }
    }
    if (count != 0) {
        group <<= 6 * (4 - count);
        o[0] = static_cast<unsigned char>(group >> 16);
        o[1] = static_cast<unsigned char>(group >> 8);
        o[2] = static_cast<unsigned char>(group);
    }
    const std::size_t groups = (significant + 3) / 4;
    pads += groups * 4 - significant;
    out.resize(groups * 3 > pads ? groups * 3 - pads : 0);
    return out;
}

} // namespace velkor
