// The demonstration string formats.
#include "sample/SampleFormats.h"

#include <cstring>
#include <optional>
#include <string_view>

namespace velkor {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::size_t kBytesPerLine = 16;
constexpr std::size_t kHexColumn = 10;                      // after the offset and two blanks
constexpr std::size_t kHexWidth = 3 * kBytesPerLine;        // "hh " per byte
constexpr std::size_t kTextColumn = kHexColumn + kHexWidth; // the opening bar

std::string_view Text(const char* data, int length) {
    if (data == nullptr) return {};
    if (length < 0) return std::string_view(data);
    return {data, static_cast<std::size_t>(length)};
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The numbers of a 1704 text, or nothing when it holds anything else.
std::optional<Bytes> ParseDecimal(std::string_view text) {
    Bytes out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsSpace(text[i])) {
            ++i;
            continue;
        }
        unsigned value = 0;
        std::size_t digits = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
            value = value * 10 + static_cast<unsigned>(text[i] - '0');
            if (value > 255 || digits == 3) return std::nullopt;
        }
        if (digits == 0 || (i < text.size() && !IsSpace(text[i]))) return std::nullopt;
        out += static_cast<char>(value);
    }
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The bytes of a 1705 dump, or nothing when a line is not one that BytesToText writes.
std::optional<Bytes> ParseDump(std::string_view text) {
    Bytes out;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        if (line.size() < kTextColumn || line.substr(8, 2) != "  ") return std::nullopt;
        std::size_t offset = 0;
        for (char c : line.substr(0, 8)) {
            int v = HexValue(c);
            if (v < 0) return std::nullopt;
            offset = offset * 16 + static_cast<std::size_t>(v);
        }
        if (offset != out.size()) return std::nullopt;
        bool ended = false;
        for (std::size_t col = 0; col < kBytesPerLine; ++col) {
            std::string_view cell = line.substr(kHexColumn + 3 * col, 3);
            if (cell == "   ") {
                ended = true;
                continue;
            }
            int hi = HexValue(cell[0]), lo = HexValue(cell[1]);
            if (ended || hi < 0 || lo < 0 || cell[2] != ' ') return std::nullopt;
            out += static_cast<char>(hi * 16 + lo);
        }
    }
    return out;
}

} // namespace

const TStringFormat_Sample* TStringFormat_Sample::Class() {
    static const TStringFormat_Sample instance;
    return &instance;
}

Bytes TStringFormat_Sample::BytesToText(const char* data, int length) const {
    Bytes out;
    for (char c : Text(data, length)) {
        if (!out.empty()) out += ' ';
        out += std::to_string(static_cast<unsigned char>(c));
    }
    return out;
}

Bytes TStringFormat_Sample::TextToBytes(const char* text, int length) const {
    return ParseDecimal(Text(text, length)).value_or(Bytes());
}

bool TStringFormat_Sample::Accepts(const char* data, int length, bool decoding) const {
    return !decoding || ParseDecimal(Text(data, length)).has_value();
}

const TStringFormat_HEXVIEW* TStringFormat_HEXVIEW::Class() {
    static const TStringFormat_HEXVIEW instance;
    return &instance;
}

Bytes TStringFormat_HEXVIEW::BytesToText(const char* data, int length) const {
    const std::string_view bytes = Text(data, length);
    Bytes out;
    for (std::size_t at = 0; at < bytes.size(); at += kBytesPerLine) {
        std::string_view line = bytes.substr(at, kBytesPerLine);
        for (int shift = 28; shift >= 0; shift -= 4) out += kHexDigits[(at >> shift) & 0xF];
        out += "  ";
        for (std::size_t col = 0; col < kBytesPerLine; ++col) {
            if (col < line.size()) {
                auto b = static_cast<unsigned char>(line[col]);
                out += kHexDigits[b >> 4];
                out += kHexDigits[b & 0xF];
                out += ' ';
            } else {
                out += "   ";
            }
        }
        out += '|';
        for (char c : line) out += (c >= 0x20 && c <= 0x7E) ? c : '.';
        out += "|\r\n";
    }
    return out;
}

Bytes TStringFormat_HEXVIEW::TextToBytes(const char* text, int length) const {
    return ParseDump(Text(text, length)).value_or(Bytes());
}

bool TStringFormat_HEXVIEW::Accepts(const char* data, int length, bool decoding) const {
    return !decoding || ParseDump(Text(data, length)).has_value();
}

} // namespace velkor
