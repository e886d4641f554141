// Secure wipe: volatile stores plus a barrier that tells the optimiser the memory is observed.
#include "base/Wipe.h"

namespace velkor {

void SecureWipe(void* p, std::size_t count, std::uint8_t value) {
    if (p == nullptr) return;
    volatile std::uint8_t* q = static_cast<volatile std::uint8_t*>(p);
    for (std::size_t i = 0; i < count; ++i) q[i] = value;
#if defined(__GNUC__) || defined(__clang__)
    __asm__ __volatile__("" : : "r"(p) : "memory");
#endif
}

void SecureWipe(std::string& s, std::uint8_t value) {
    SecureWipe(s.data(), s.size(), value);
}

} // namespace velkor
