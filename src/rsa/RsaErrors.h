// The faults the RSA component raises besides the general EConvertError: an operation whose key
// has not been accepted, and a key text that is malformed or of the wrong length.
#pragma once

#include "base/Exception.h"

namespace velkor {

class ENoKeyLoaded : public Exception {
public:
    using Exception::Exception;
};

class EInvalidKey : public Exception {
public:
    using Exception::Exception;
};

} // namespace velkor
