// Order and payment texts: UTF-8 in, CP1250 out, every character accounted for.
#include "common/OrderText.h"

#include "base/Cp1250.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace velkor::peer {
namespace {

bool IsValidUtf8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        int follow;
        std::uint32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            follow = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            follow = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            follow = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(follow) >= s.size()) return false;
        for (int k = 1; k <= follow; ++k) {
            auto d = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        static const std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[follow] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += static_cast<std::size_t>(follow) + 1;
    }
    return true;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

} // namespace

Bytes ToCp1250(const std::string& utf8, const std::string& what) {
    if (!IsValidUtf8(utf8)) throw ETextError(what + ": not valid UTF-8");
    Bytes bytes = Utf8ToCp1250(utf8);
    if (Cp1250ToUtf8(bytes) != utf8)
        throw ETextError(what + ": holds a character that code page 1250 does not have");
    return bytes;
}

Bytes OrderFromLines(const std::vector<std::string>& utf8Lines) {
    if (utf8Lines.empty()) throw ETextError("the order has no lines");
    Bytes order;
    for (std::size_t i = 0; i < utf8Lines.size(); ++i) {
        std::string what = "order line " + std::to_string(i + 1);
        if (utf8Lines[i].find_first_of("\r\n") != std::string::npos)
            throw ETextError(what + ": holds a line break");
        if (i > 0) order += "\r\n";
        order += ToCp1250(utf8Lines[i], what);
    }
    return order;
}

Bytes OrderFromFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ETextError(path + ": cannot be read (" + std::strerror(errno) + ")");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> lines = SplitLines(text);
    if (lines.empty()) throw ETextError(path + ": the order has no lines");
    if (!IsValidUtf8(text)) {
        Bytes order;
        for (std::size_t i = 0; i < lines.size(); ++i) order += (i > 0 ? "\r\n" : "") + lines[i];
        return order;
    }
    try {
        return OrderFromLines(lines);
    } catch (const ETextError& e) {
        throw ETextError(path + ": " + e.Message());
    }
}

std::vector<std::string> OrderLines(const Bytes& order) {
    std::vector<std::string> lines;
    for (const std::string& line : SplitLines(order)) lines.push_back(Cp1250ToUtf8(line));
    return lines;
}

} // namespace velkor::peer
