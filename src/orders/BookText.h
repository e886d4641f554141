// The order book as text, for its viewers: times in ISO 8601 with the local offset, and the
// CSV export (RFC 4180) whose header is fixed.
#pragma once

#include "orders/OrderBook.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace velkor {

// "2026-12-10T16:45:03+01:00": local time of `ms` (UTC milliseconds since 1970) with its
// offset from UTC.
std::string IsoTime(std::int64_t ms);
// Empty for nothing, the number otherwise.
std::string AmountText(const std::optional<std::int64_t>& amount);

// One CSV field: quoted when it holds a comma, a quote, CR or LF, with quotes doubled.
std::string CsvField(const std::string& text);
// The header line, then one line per exchange in the order given, each ended by CR LF.
void WriteCsv(std::ostream& out, const std::vector<TExchange>& exchanges);

extern const char* const kCsvHeader;

} // namespace velkor
