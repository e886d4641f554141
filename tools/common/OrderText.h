// Texts the customer takes from its user: order lines and the payment text, given in UTF-8 on
// the command line or in a file, sent as CP1250 bytes. An order's lines are joined with CR LF.
#pragma once

#include "base/Bytes.h"
#include "base/Exception.h"

#include <string>
#include <vector>

namespace velkor::peer {

class ETextError : public Exception {
public:
    using Exception::Exception;
};

// The CP1250 bytes of a UTF-8 text. Raises ETextError "<what>: ..." for malformed UTF-8 and
// for a character that code page 1250 does not have (rather than sending a "?" for it).
Bytes ToCp1250(const std::string& utf8, const std::string& what);

// The order text of these lines. Raises ETextError for an empty list and for a line that
// holds a line break (it would become two lines of the order).
Bytes OrderFromLines(const std::vector<std::string>& utf8Lines);

// The order text of a file: one order line per line (LF or CR LF), empty lines at its end
// dropped. A file that is valid UTF-8 is converted; any other is taken as CP1250 already.
Bytes OrderFromFile(const std::string& path);

// The lines of an order text as UTF-8, for printing.
std::vector<std::string> OrderLines(const Bytes& order);

} // namespace velkor::peer
