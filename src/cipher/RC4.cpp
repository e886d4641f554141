// RC4: the key schedule swaps each entry of the identity permutation with one chosen by a
// running sum of the entries and the cycled key; each keystream step moves i by one, j by
// S[i], swaps them and answers S[S[i] + S[j]].
#include "cipher/RC4.h"

#include "base/Wipe.h"

#include <cstring>

namespace velkor {
namespace rc4 {

void Key(std::uint8_t* state, const std::uint8_t* key, std::size_t length) {
    for (unsigned i = 0; i < 256; ++i) state[i] = static_cast<std::uint8_t>(i);
    std::uint8_t j = 0;
    for (std::size_t i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + state[i] + key[i % length]);
        const std::uint8_t t = state[i];
        state[i] = state[j];
        state[j] = t;
    }
    state[256] = 0;
    state[257] = 0;
    SecureWipe(&j, sizeof j);
}

void Crypt(std::uint8_t* state, std::uint8_t* data, std::size_t length) {
    std::uint8_t i = state[256];
    std::uint8_t j = state[257];
    for (std::size_t n = 0; n < length; ++n) {
        i = static_cast<std::uint8_t>(i + 1);
        const std::uint8_t si = state[i];
        j = static_cast<std::uint8_t>(j + si);
        const std::uint8_t sj = state[j];
        state[i] = sj;
        state[j] = si;
        data[n] ^= state[static_cast<std::uint8_t>(si + sj)];
    }
    state[256] = i;
    state[257] = j;
}

} // namespace rc4

VELKOR_DEFINE_CIPHER_CLASS(TCipher_RC4, TCipher::Class())

void TCipher_RC4::Init(const void* key, int size, const void* iv) {
    PrepareKey(size);
    std::uint8_t local[kKeySize] = {};
    if (size > 0) std::memcpy(local, key, static_cast<std::size_t>(size));
    rc4::Key(KeyScheduleData(), local, size > 0 ? static_cast<std::size_t>(size) : 1);
    SecureWipe(local, sizeof local);
    SetVector(iv);
}

void TCipher_RC4::EncipherBlock(void* block) {
    rc4::Crypt(KeyScheduleData(), static_cast<std::uint8_t*>(block), kBlockSize);
}

void TCipher_RC4::DecipherBlock(void* block) {
    rc4::Crypt(KeyScheduleData(), static_cast<std::uint8_t*>(block), kBlockSize);
}

} // namespace velkor
