// Times, amounts and the CSV export of the order book.
#include "orders/BookText.h"

#include <cstdio>
#include <ctime>

namespace velkor {

const char* const kCsvHeader =
    "id,started,customer,lines,goods,postage,packing,total,gateway,status,credited,finished";

std::string IsoTime(std::int64_t ms) {
    std::time_t seconds = static_cast<std::time_t>(ms / 1000 - (ms % 1000 < 0 ? 1 : 0));
    std::tm local{};
    ::localtime_r(&seconds, &local);
    long offset = local.tm_gmtoff / 60;
    char sign = offset < 0 ? '-' : '+';
    if (offset < 0) offset = -offset;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, sign, offset / 60, offset % 60);
    return text;
}

std::string AmountText(const std::optional<std::int64_t>& amount) {
    return amount ? std::to_string(*amount) : std::string();
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

void WriteCsv(std::ostream& out, const std::vector<TExchange>& exchanges) {
    out << kCsvHeader << "\r\n";
    for (const TExchange& e : exchanges) {
        out << e.Id << ',' << CsvField(IsoTime(e.Started)) << ',' << CsvField(e.Customer) << ','
            << e.LineCount << ',' << AmountText(e.Goods) << ',' << AmountText(e.Postage) << ','
            << AmountText(e.Packing) << ',' << AmountText(e.Total) << ',' << CsvField(e.Gateway)
            << ',' << StatusName(e.Status) << ',' << AmountText(e.Credited) << ','
            << (e.Finished ? IsoTime(*e.Finished) : std::string()) << "\r\n";
    }
}

} // namespace velkor
