// TEA as its designers published it in 1994: 32 cycles (64 Feistel rounds), each cycle adding
// the multiple of the golden-ratio constant to the running sum and mixing both halves. The
// designers published no test values; the tests compare the class with Crypto++'s TEA.
#include "cipher/TEA.h"

#include "base/ByteOrder.h"
#include "base/Wipe.h"

#include <cstring>

namespace velkor {
namespace {

// The key-schedule constant, 2^32 divided by the golden ratio.
constexpr std::uint32_t kDelta = 0x9E3779B9U;
constexpr int kCycles = 32;

} // namespace

VELKOR_DEFINE_CIPHER_CLASS(TCipher_TEA, TCipher::Class())

void TCipher_TEA::Init(const void* key, int size, const void* iv) {
    PrepareKey(size);
    std::uint8_t local[kKeySize] = {};
    if (size > 0) std::memcpy(local, key, static_cast<std::size_t>(size));
    std::uint32_t* k = KeyScheduleWords();
    for (int i = 0; i < 4; ++i) k[i] = LoadBE32(local + 4 * i);
    SecureWipe(local, sizeof local);
    SetVector(iv);
}

void TCipher_TEA::EncipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    const std::uint32_t* k = KeyScheduleWords();
    std::uint32_t y = LoadBE32(b), z = LoadBE32(b + 4), sum = 0;
    for (int n = 0; n < kCycles; ++n) {
        sum += kDelta;
        y += ((z << 4) + k[0]) ^ (z + sum) ^ ((z >> 5) + k[1]);
        z += ((y << 4) + k[2]) ^ (y + sum) ^ ((y >> 5) + k[3]);
    }
    StoreBE32(b, y);
    StoreBE32(b + 4, z);
}

void TCipher_TEA::DecipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    const std::uint32_t* k = KeyScheduleWords();
    std::uint32_t y = LoadBE32(b), z = LoadBE32(b + 4), sum = kDelta * kCycles;
    for (int n = 0; n < kCycles; ++n) {
        z -= ((y << 4) + k[2]) ^ (y + sum) ^ ((y >> 5) + k[3]);
        y -= ((z << 4) + k[0]) ^ (z + sum) ^ ((z >> 5) + k[1]);
        sum -= kDelta;
    }
    StoreBE32(b, y);
    StoreBE32(b + 4, z);
}

} // namespace velkor
