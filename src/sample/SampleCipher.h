// "Sample Cipher", the demonstration cipher: the smallest complete cipher class, to copy when
// adding an algorithm. A 16-round Feistel network on 8-byte blocks with a 16-byte key.
#pragma once

#include "cipher/Cipher.h"

namespace velkor {

class TCipher_Sample : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_Sample)
public:
    explicit TCipher_Sample(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kRounds = 16;
    static constexpr int kBlockSize = 8;
    static constexpr int kKeySize = 16;
    // One 32-bit round key per round.
    static constexpr int kKeyScheduleSize = kRounds * 4;

    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

} // namespace velkor
