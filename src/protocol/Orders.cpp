// The order text: lines of "name;count;price", the price being that of the whole line.
#include "base/Convert.h"
#include "protocol/Merchant.h"

#include <vector>

namespace velkor {
namespace {

// A line ends at CR, at LF or at CR LF; a NUL ends the text; a break at the very end adds no
// empty line.
std::vector<Bytes> SplitLines(const Bytes& text) {
    std::vector<Bytes> lines;
    std::size_t end = text.find('\0');
    if (end == Bytes::npos) end = text.size();
    std::size_t start = 0, i = 0;
    while (i < end) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(text.substr(start, i - start));
            i += (c == '\r' && i + 1 < end && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < end) lines.push_back(text.substr(start, end - start));
    return lines;
}

// The text before the first ";" and the text after it. Without a ";" the first part is empty
// and the second is the whole text.
void SplitAtSemicolon(const Bytes& text, Bytes& before, Bytes& after) {
    std::size_t at = text.find(';');
    if (at == Bytes::npos) {
        before.clear();
        after = text;
    } else {
        before = text.substr(0, at);
        after = text.substr(at + 1);
    }
}

} // namespace

int ParseOrderLine(int i, const Bytes& order, Bytes& name, std::int32_t& count,
                   std::int32_t& price) {
    // One leading CR LF is dropped, so an order may begin with a line break.
    std::vector<Bytes> lines =
        SplitLines(order.compare(0, 2, "\r\n") == 0 ? order.substr(2) : order);
    if (i < 1) {
        name.clear();
        count = 0;
        price = 0;
    } else if (static_cast<std::size_t>(i) <= lines.size()) {
        Bytes rest, countText, priceText;
        SplitAtSemicolon(lines[static_cast<std::size_t>(i) - 1], name, rest);
        SplitAtSemicolon(rest, countText, priceText);
        count = StrToInt(countText);
        price = StrToInt(priceText);
    }
    return static_cast<int>(lines.size());
}

} // namespace velkor
