// The format registry, the two entry points, the copy format and the two hex formats.
#include "hash/StringFormat.h"

#include "base/Format.h"
#include "hash/StringFormatMIME64.h"
#include "hash/StringFormatUU.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace velkor {
namespace {

// Indices 18-47 of the hex alphabets: the separators that decoding skips.
#define VELKOR_HEX_SEPARATORS_TAIL "hHx()[]{},;:-_/\\*+\"'\t\n\r"
constexpr char kHexAlphabet[] = "0123456789ABCDEFX$ abcdef" VELKOR_HEX_SEPARATORS_TAIL;
constexpr char kHexLAlphabet[] = "0123456789abcdefX$ ABCDEF" VELKOR_HEX_SEPARATORS_TAIL;
#undef VELKOR_HEX_SEPARATORS_TAIL
static_assert(sizeof(kHexAlphabet) - 1 == 48 && sizeof(kHexLAlphabet) - 1 == 48);

// The two digits of every byte value, upper case.
constexpr std::array<std::array<char, 2>, 256> kHexPairs = [] {
    std::array<std::array<char, 2>, 256> t{};
    for (int b = 0; b < 256; ++b) t[b] = {"0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 15]};
    return t;
}();

// What reading hex makes of each character: its digit value 0-15 (either letter case), the
// prefix marker ("X", "x" or "$"), or skip. Digits have neither high bit set.
constexpr std::uint8_t kHexPrefix = 16;
constexpr std::uint8_t kHexSkip = 255;
constexpr std::uint8_t kHexNotDigit = 0xF0;
constexpr std::array<std::uint8_t, 256> kHexValues = [] {
    std::array<std::uint8_t, 256> t{};
    t.fill(kHexSkip);
    for (int c = 0; c < 256; ++c) {
        const int upper = c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
        if (upper >= '0' && upper <= '9') t[c] = static_cast<std::uint8_t>(upper - '0');
        if (upper >= 'A' && upper <= 'F') t[c] = static_cast<std::uint8_t>(upper - 'A' + 10);
        if (upper == 'X' || upper == '$') t[c] = kHexPrefix;
    }
    return t;
}();

int EffectiveLength(const void* data, int length) {
    if (data == nullptr) return 0;
    if (length < 0) return static_cast<int>(std::strlen(static_cast<const char*>(data)));
    return length;
}

std::vector<TStringFormatClass>& Registry() {
    static std::vector<TStringFormatClass> registry = [] {
        std::vector<TStringFormatClass> r;
        for (TStringFormatClass c :
             {TStringFormat::Class(), static_cast<TStringFormatClass>(TStringFormat_HEX::Class()),
              static_cast<TStringFormatClass>(TStringFormat_HEXL::Class()),
              static_cast<TStringFormatClass>(TStringFormat_MIME64::Class()),
              static_cast<TStringFormatClass>(TStringFormat_UU::Class()),
              static_cast<TStringFormatClass>(TStringFormat_XX::Class())})
            r.push_back(c);
        return r;
    }();
    return registry;
}

} // namespace

std::string TrimmedClassName(std::string_view className) {
    std::size_t at = className.find('_');
    return std::string(at == std::string_view::npos ? className : className.substr(at + 1));
}

// --- copy format -------------------------------------------------------------------------

const TStringFormat* TStringFormat::Class() {
    static const TStringFormat instance;
    return &instance;
}

Bytes TStringFormat::TextToBytes(const char* text, int length) const {
    length = EffectiveLength(text, length);
    return length > 0 ? Bytes(text, static_cast<std::size_t>(length)) : Bytes();
}

Bytes TStringFormat::BytesToText(const char* data, int length) const {
    length = EffectiveLength(data, length);
    return length > 0 ? Bytes(data, static_cast<std::size_t>(length)) : Bytes();
}

std::string TStringFormat::DisplayName() const {
    return ClassName() == "TStringFormat" ? "copy Input to Output" : TrimmedClassName(ClassName());
}

bool TStringFormat::Accepts(const char*, int, bool) const {
    return true;
}

// --- hex ---------------------------------------------------------------------------------

const TStringFormat_HEX* TStringFormat_HEX::Class() {
    static const TStringFormat_HEX instance;
    return &instance;
}

std::string_view TStringFormat_HEX::Alphabet() const {
    return {kHexAlphabet, 48};
}

Bytes TStringFormat_HEX::BytesToText(const char* data, int length) const {
    length = EffectiveLength(data, length);
    if (length <= 0) return {};
    Bytes out(static_cast<std::size_t>(length) * 2, '\0');
    char* o = out.data();
    for (int i = 0; i < length; ++i, o += 2)
        std::memcpy(o, kHexPairs[static_cast<unsigned char>(data[i])].data(), 2);
    return out;
}

bool TStringFormat_HEX::Accepts(const char* data, int length, bool decoding) const {
    if (!decoding) return true;
    length = EffectiveLength(data, length);
    // One table lookup per character: the subclasses' alphabets (MIME Base 64 has 85
    // characters) make a search per character slow on long cipher texts. The refusals are
    // gathered over runs of characters, so that the loop has no branch per character.
    std::uint8_t refused[256];
    std::memset(refused, 1, sizeof refused);
    for (char c : Alphabet()) refused[static_cast<unsigned char>(c)] = 0;
    const auto* in = reinterpret_cast<const unsigned char*>(data);
    constexpr int kRun = 256;
    int i = 0;
    while (i + 8 <= length) {
        const int end = std::min(length - 7, i + kRun);
        std::uint8_t any = 0;
        for (; i < end; i += 8) {
            std::uint64_t chars;
            std::memcpy(&chars, in + i, 8);
            // A tree of ORs, so that the eight lookups do not wait for one another.
            const auto at = [&](int k) { return refused[(chars >> (8 * k)) & 0xFF]; };
            any |= static_cast<std::uint8_t>(((at(0) | at(1)) | (at(2) | at(3))) |
                                             ((at(4) | at(5)) | (at(6) | at(7))));
        }
        if (any != 0) return false;
    }
    std::uint8_t any = 0;
    for (; i < length; ++i) any |= refused[in[i]];
    return any == 0;
}

Bytes TStringFormat_HEX::TextToBytes(const char* text, int length) const {
    length = EffectiveLength(text, length);
    if (length <= 0) return {};
    // Both hex classes read digits of either case: every character is taken as upper case and
    // looked up among "0123456789ABCDEFX$" (kHexValues).
    Bytes out(static_cast<std::size_t>(length) / 2 + 1, '\0');
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    const auto* in = reinterpret_cast<const unsigned char*>(text);
    std::size_t pos = 0;
    unsigned nibbles = 0;
    bool prefixSeen = false;
    int i = 0;
    for (;;) {
        // Pairs of digits, as written text is from end to end.
        if (nibbles % 2 == 0) {
            for (; i + 2 <= length; i += 2) {
                const std::uint8_t high = kHexValues[in[i]], low = kHexValues[in[i + 1]];
                if (((high | low) & kHexNotDigit) != 0) break;
                o[pos++] = static_cast<unsigned char>(high << 4 | low);
                nibbles += 2;
            }
        }
        if (i >= length) break;
        const std::uint8_t value = kHexValues[in[i++]];
        if (value < 16) {
            if (nibbles % 2 == 0) {
                o[pos] = static_cast<unsigned char>(value << 4);
            } else {
                o[pos] = static_cast<unsigned char>(o[pos] | value);
                ++pos;
            }
            ++nibbles;
        } else if (value == kHexPrefix && !prefixSeen) {
            // The first "0x"/"$" marker discards what came before it: "0x1F" is the byte 1F.
            prefixSeen = true;
            pos = 0;
            nibbles = 0;
        }
        // Separators, and any other character, are skipped.
    }
    out.resize(pos);
    return out;
}

const TStringFormat_HEXL* TStringFormat_HEXL::Class() {
    static const TStringFormat_HEXL instance;
    return &instance;
}

std::string_view TStringFormat_HEXL::Alphabet() const {
    return {kHexLAlphabet, 48};
}

Bytes TStringFormat_HEXL::BytesToText(const char* data, int length) const {
    Bytes out = TStringFormat_HEX::BytesToText(data, length);
    for (char& c : out)
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// --- registry and entry points -----------------------------------------------------------

const std::vector<TStringFormatClass>& FormatRegistry() {
    return Registry();
}

TStringFormatClass FindFormatClass(std::int32_t formatId) {
    if (formatId == -1) formatId = DefaultFormatId;
    for (TStringFormatClass c : Registry())
        if (c->FormatId() == formatId) return c;
    return nullptr;
}

void AddFormatClasses(const std::vector<TStringFormatClass>& classes) {
    auto& registry = Registry();
    for (TStringFormatClass c : classes) {
        if (c == nullptr || c->FormatId() == -1) continue;
        bool replaced = false;
        for (auto& entry : registry)
            if (entry->FormatId() == c->FormatId()) {
                entry = c;
                replaced = true;
                break;
            }
        if (!replaced) registry.push_back(c);
    }
}

void RemoveFormatClass(TStringFormatClass formatClass) {
    auto& registry = Registry();
    registry.erase(std::remove(registry.begin(), registry.end(), formatClass), registry.end());
}

void ListFormats(std::vector<std::pair<std::string, TStringFormatClass>>* list) {
    if (list == nullptr) return;
    for (TStringFormatClass c : Registry()) list->emplace_back(c->DisplayName(), c);
}

namespace {

TStringFormatClass FormatFor(std::int32_t formatId) {
    TStringFormatClass c = FindFormatClass(formatId);
    if (c == nullptr) throw EStringFormat(Format("String Format \"%d\" not exists.", {formatId}));
    return c;
}

} // namespace

std::string ToFormat(const void* data, int length, std::int32_t formatId) {
    if (data == nullptr || formatId == 0) return {};
    length = EffectiveLength(data, length);
    if (length <= 0) return {};
    TStringFormatClass c = FormatFor(formatId);
    auto p = static_cast<const char*>(data);
    if (!c->Accepts(p, length, false))
        throw EStringFormat(Format("Input can not be convert to %s Format.", {c->DisplayName()}));
    return c->BytesToText(p, length);
}

Bytes FromFormat(const void* text, int length, std::int32_t formatId) {
    if (text == nullptr || formatId == 0) return {};
    length = EffectiveLength(text, length);
    if (length <= 0) return {};
    TStringFormatClass c = FormatFor(formatId);
    auto p = static_cast<const char*>(text);
    if (!c->Accepts(p, length, true))
        throw EStringFormat(Format("Input is not an valid %s Format.", {c->DisplayName()}));
    return c->TextToBytes(p, length);
}

std::string ToFormat(BytesView data, std::int32_t formatId) {
    return ToFormat(data.data(), static_cast<int>(data.size()), formatId);
}

Bytes FromFormat(BytesView text, std::int32_t formatId) {
    return FromFormat(text.data(), static_cast<int>(text.size()), formatId);
}

} // namespace velkor
