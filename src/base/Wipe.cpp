// Secure wipe. With GCC and clang: a plain fill, then a barrier that tells the optimiser the
// memory is read afterwards, so the fill cannot be dropped as dead and runs at memset's speed.
// Elsewhere: volatile stores, one byte at a time.
#include "base/Wipe.h"

#include <cstring>

namespace velkor {

void SecureWipe(void* p, std::size_t count, std::uint8_t value) {
    if (p == nullptr) return;
#if defined(__GNUC__) || defined(__clang__)
    std::memset(p, value, count);
    __asm__ __volatile__("" : : "r"(p) : "memory");
#else
    volatile std::uint8_t* q = static_cast<volatile std::uint8_t*>(p);
    for (std::size_t i = 0; i < count; ++i) q[i] = value;
#endif
}

void SecureWipe(std::string& s, std::uint8_t value) {
    SecureWipe(s.data(), s.size(), value);
}

} // namespace velkor
