// The merchant's dispatcher.
#include "protocol/Merchant.h"

namespace velkor {

void HandleMessage(const Bytes&, const std::string&) {}

} // namespace velkor
