// Text helpers of the run-time library that names and registries share.
#pragma once

#include <string_view>

namespace velkor {

// Equal ignoring the letter case of ASCII letters, as registry and file-name lookups compare.
bool SameText(std::string_view a, std::string_view b);

// Without leading and trailing blanks and control characters.
std::string_view Trim(std::string_view s);

} // namespace velkor
