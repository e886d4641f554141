// The MIME Base 64 coders.
#include "hash/StringFormatMIME64.h"

#include "base/ByteOrder.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace velkor {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="
                             " $()[]{},;:-_\\*\"'\t\n\r";
static_assert(sizeof(kAlphabet) - 1 == 85);

constexpr int kPad = 64;

// Digit values 0-63, "=" 64, everything else 255.
constexpr std::array<std::uint8_t, 256> kValues = [] {
    std::array<std::uint8_t, 256> t{};
    t.fill(255);
    for (int i = 0; i <= kPad; ++i)
        t[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
    return t;
}();
// kPlaced[k][c]: the value of digit c placed as the k-th character of a group of four (shifted
// left by 18, 12, 6 or 0 bits); FF000000 (hex) for every other character.
constexpr std::array<std::array<std::uint32_t, 256>, 4> kPlaced = [] {
    std::array<std::array<std::uint32_t, 256>, 4> t{};
    for (int k = 0; k < 4; ++k)
        for (int c = 0; c < 256; ++c)
            t[k][c] = kValues[c] < kPad ? static_cast<std::uint32_t>(kValues[c]) << (18 - 6 * k)
                                        : 0xFF000000U;
    return t;
}();

// The two characters of every 12-bit value, so that writing takes one lookup per two
// characters.
constexpr std::array<std::array<char, 2>, 4096> kPairs = [] {
    std::array<std::array<char, 2>, 4096> t{};
    for (int v = 0; v < 4096; ++v) t[v] = {kAlphabet[v >> 6], kAlphabet[v & 63]};
    return t;
}();

// Writes the two 24-bit groups as six bytes, most significant first, and two bytes of filler
// after them: a single eight-byte store.
inline void StoreGroups(unsigned char* o, std::uint32_t first, std::uint32_t second) {
    const std::uint64_t both = (std::uint64_t{first} << 24 | second) << 16;
    if constexpr (std::endian::native == std::endian::little) {
        const std::uint64_t bytes = ByteSwap64(both);
        std::memcpy(o, &bytes, 8);
    } else {
        std::memcpy(o, &both, 8);
    }
}

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
        std::memcpy(o, kPairs[group >> 12].data(), 2);
        std::memcpy(o + 2, kPairs[group & 0xFFF].data(), 2);
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
    Bytes out((n + 3) / 4 * 3 + 2, '\0');
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    std::size_t significant = 0, pads = 0, i = 0;

    // Runs of eight digits, as written text is up to its last groups: each character's value
    // comes from a table already shifted to its place in its 24-bit group, and a character
    // that is no digit sets the top byte, so one test covers all eight. Two groups are stored
    // as eight bytes, the last two overwritten by the next ones (the output has two to spare).
    const auto place = [in](std::size_t at) {
        return (kPlaced[0][in[at]] | kPlaced[1][in[at + 1]]) |
               (kPlaced[2][in[at + 2]] | kPlaced[3][in[at + 3]]);
    };
    for (; i + 8 <= n; i += 8, o += 6) {
        const std::uint32_t first = place(i), second = place(i + 4);
        if (((first | second) >> 24) != 0) break;
        StoreGroups(o, first, second);
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
