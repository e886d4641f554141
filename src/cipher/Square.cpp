// The Square cipher class: keying and the block primitives of the shared core.
#include "cipher/Square.h"

#include "base/Wipe.h"

#include <cstring>

namespace velkor {

VELKOR_DEFINE_CIPHER_CLASS(TCipher_Square, TCipher::Class())

void TCipher_Square::Init(const void* key, int size, const void* iv) {
    PrepareKey(size);
    std::uint8_t k[kKeySize] = {};
    if (size > 0) std::memcpy(k, key, static_cast<std::size_t>(size));
    square::MakeRoundKeys(k, KeyScheduleData());
    SecureWipe(k, sizeof k);
    SetVector(iv);
}

void TCipher_Square::EncipherBlock(void* block) {
    square::Encipher(KeyScheduleData(), static_cast<std::uint8_t*>(block));
}

void TCipher_Square::DecipherBlock(void* block) {
    square::Decipher(KeyScheduleData(), static_cast<std::uint8_t*>(block));
}

} // namespace velkor
