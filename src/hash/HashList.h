// The built-in hash classes, handed to the registry in the order of its table.
#pragma once

#include "hash/Hash.h"

#include <functional>

namespace velkor {

using TRegisterHashClass =
    std::function<void(THashClass hashClass, const char* name, const char* category)>;

void RegisterBuiltInHashClasses(const TRegisterHashClass& add);

} // namespace velkor
