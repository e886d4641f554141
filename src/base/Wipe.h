// Overwriting key material so that the compiler cannot drop the stores as dead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace velkor {

// Fills `count` bytes at `p` with `value` in a way the compiler may not drop, so the stores
// survive even when the area is freed or goes out of scope right after.
void SecureWipe(void* p, std::size_t count, std::uint8_t value = 0);

// Wipes the whole content of a byte string (its size stays).
void SecureWipe(std::string& s, std::uint8_t value = 0);

} // namespace velkor
