// The built-in cipher classes, handed to the registry in the order of its table.
#pragma once

#include "cipher/Cipher.h"

#include <functional>

namespace velkor {

using TRegisterCipherClass =
    std::function<void(TCipherClass cipherClass, const char* name, const char* note)>;

void RegisterBuiltInCipherClasses(const TRegisterCipherClass& add);

} // namespace velkor
