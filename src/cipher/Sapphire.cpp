// Sapphire II in the block framework. The designer published no test values with the cipher;
// it is tested through its properties (round trip in every mode, keystream statistics).
#include "cipher/Sapphire.h"

#include "base/Wipe.h"

#include <cstring>

namespace velkor {

VELKOR_DEFINE_CIPHER_CLASS(TCipher_Sapphire, TCipher::Class())

void TCipher_Sapphire::Init(const void* key, int size, const void* iv) {
    PrepareKey(size);
    std::uint8_t local[kKeySize] = {};
    if (size > 0) std::memcpy(local, key, static_cast<std::size_t>(size));
    sapphire::Key(KeyScheduleData(), local, static_cast<std::size_t>(size));
    SecureWipe(local, sizeof local);
    SetVector(iv);
}

void TCipher_Sapphire::EncipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    for (int i = 0; i < kBlockSize; ++i) b[i] = sapphire::Encrypt(KeyScheduleData(), b[i]);
}

void TCipher_Sapphire::DecipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    for (int i = 0; i < kBlockSize; ++i) b[i] = sapphire::Decrypt(KeyScheduleData(), b[i]);
}

} // namespace velkor
