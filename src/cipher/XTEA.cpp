// XTEA with 32 cycles as Needham and Wheeler published it in 1997: each half-cycle adds
// ((z << 4 ^ z >> 5) + z) ^ (sum + k[...]), the key word taken from the low bits of the sum
// before the first half and from bits 11-12 of the sum after it is advanced. The designers
// published no test values; the tests compare the class with Crypto++'s and Botan's XTEA.
#include "cipher/XTEA.h"

#include "base/ByteOrder.h"
#include "base/Wipe.h"

#include <cstring>

namespace velkor {
namespace {

// The key-schedule constant, 2^32 divided by the golden ratio.
constexpr std::uint32_t kDelta = 0x9E3779B9U;
constexpr int kCycles = 32;

std::uint32_t Mix(std::uint32_t z) {
    return ((z << 4) ^ (z >> 5)) + z;
}

} // namespace

VELKOR_DEFINE_CIPHER_CLASS(TCipher_TEAN, TCipher::Class())

void TCipher_TEAN::Init(const void* key, int size, const void* iv) {
    PrepareKey(size);
    std::uint8_t local[kKeySize] = {};
    if (size > 0) std::memcpy(local, key, static_cast<std::size_t>(size));
    std::uint32_t k[4];
    for (int i = 0; i < 4; ++i) k[i] = LoadBE32(local + 4 * i);
    // Entry 2n is what the first half of cycle n adds to y's mix, 2n+1 the second half's.
    std::uint32_t* s = KeyScheduleWords();
    std::uint32_t sum = 0;
    for (int n = 0; n < kCycles; ++n) {
        s[2 * n] = sum + k[sum & 3];
        sum += kDelta;
        s[2 * n + 1] = sum + k[(sum >> 11) & 3];
    }
    SecureWipe(k, sizeof k);
    SecureWipe(local, sizeof local);
    SetVector(iv);
}

void TCipher_TEAN::EncipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    const std::uint32_t* s = KeyScheduleWords();
    std::uint32_t y = LoadBE32(b), z = LoadBE32(b + 4);
    for (int n = 0; n < kCycles; ++n) {
        y += Mix(z) ^ s[2 * n];
        z += Mix(y) ^ s[2 * n + 1];
    }
    StoreBE32(b, y);
    StoreBE32(b + 4, z);
}

void TCipher_TEAN::DecipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    const std::uint32_t* s = KeyScheduleWords();
    std::uint32_t y = LoadBE32(b), z = LoadBE32(b + 4);
    for (int n = kCycles - 1; n >= 0; --n) {
        z -= Mix(y) ^ s[2 * n + 1];
        y -= Mix(z) ^ s[2 * n];
    }
    StoreBE32(b, y);
    StoreBE32(b + 4, z);
}

} // namespace velkor
