// The demonstration cipher. It is this library's own construction, not a published one, so it
// has no known answers and no reference implementation; its tests are the properties every
// cipher must have (round trips in every mode, every key byte matters) and the avalanche of
// its block function. It shows the shape of a cipher class, not a cipher to rely on.
//
// A block is two big-endian 32-bit halves L and R; each round does L ^= F(R + k[i]) and swaps
// the halves (the last round does not swap). F is a multiply-and-xorshift mixer.
#include "sample/SampleCipher.h"

#include "base/ByteOrder.h"
#include "base/Wipe.h"

#include <cstring>

namespace velkor {
namespace {

// The round function: xor-shifts around two multiplications by odd constants.
std::uint32_t F(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352DU;
    x ^= x >> 15;
    x *= 0x846CA68BU;
    x ^= x >> 16;
    return x;
}

// The round keys: a 64-bit counter over the key's two halves, mixed and cut to 32 bits.
void Expand(const std::uint8_t* key, std::uint32_t* k) {
    std::uint64_t a = 0, b = 0;
    for (int i = 0; i < 8; ++i) {
        a = (a << 8) | key[i];
        b = (b << 8) | key[8 + i];
    }
    for (int i = 0; i < TCipher_Sample::kRounds; ++i) {
        std::uint64_t x = a + 0x9E3779B97F4A7C15ULL * static_cast<std::uint64_t>(i + 1);
        x ^= b;
        x ^= x >> 30;
        x *= 0xBF58476D1CE4E5B9ULL;
        x ^= x >> 27;
        x *= 0x94D049BB133111EBULL;
        x ^= x >> 31;
        k[i] = static_cast<std::uint32_t>(x ^ (x >> 32));
        b = (b << 1) | (b >> 63);
    }
}

} // namespace

VELKOR_DEFINE_CIPHER_CLASS(TCipher_Sample, TCipher::Class())

void TCipher_Sample::Init(const void* key, int size, const void* iv) {
    PrepareKey(size);
    std::uint8_t local[kKeySize] = {};
    if (size > 0) std::memcpy(local, key, static_cast<std::size_t>(size));
    Expand(local, KeyScheduleWords());
    SecureWipe(local, sizeof local);
    SetVector(iv);
}

void TCipher_Sample::EncipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    const std::uint32_t* k = KeyScheduleWords();
    std::uint32_t l = LoadBE32(b), r = LoadBE32(b + 4);
    for (int i = 0; i < kRounds; ++i) {
        l ^= F(r + k[i]);
        std::swap(l, r);
    }
    StoreBE32(b, r);
    StoreBE32(b + 4, l);
}

void TCipher_Sample::DecipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    const std::uint32_t* k = KeyScheduleWords();
    std::uint32_t r = LoadBE32(b), l = LoadBE32(b + 4);
    for (int i = kRounds - 1; i >= 0; --i) {
        std::swap(l, r);
        l ^= F(r + k[i]);
    }
    StoreBE32(b, l);
    StoreBE32(b + 4, r);
}

} // namespace velkor
