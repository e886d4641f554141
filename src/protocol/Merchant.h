// The merchant's side of the exchange: the dispatcher that every received frame reaches.
#pragma once

#include "base/Bytes.h"

#include <string>

namespace velkor {

// Dispatches one received frame by its type. The merchant's cases come with the protocol;
// until then a frame is only logged by the window.
void HandleMessage(const Bytes& frame, const std::string& fromIP);

} // namespace velkor
