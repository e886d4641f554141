// Sapphire II, Michael Paul Johnson's stream cipher (1995), on the state machine that the
// Sapphire II hashes share (hash/SapphireState.h). Keys of 1 to 255 bytes.
//
// How it fits the block framework: the class is a cipher on 16-byte blocks. EncipherBlock runs
// the 16 bytes through the cipher's encrypt step and DecipherBlock through its decrypt step;
// both feed the plain and the cipher byte back into the state, so the state moves on exactly
// alike on both sides as long as both sides call the primitives in the same order, which every
// mode does (CTS, CBC and ECB encipher where the other side deciphers; CFB, OFB and the
// partial tails encipher on both sides). A freshly keyed object thus deciphers what a freshly
// keyed object enciphered, in every mode. Init keys the state and SetVector(null) then
// enciphers the FF block, which moves the state on by 16 bytes before any data (with an IV
// given, nothing is enciphered before the data). A chain reset
// restarts the feedback register from the IV but never rewinds the state: deciphering needs an
// object keyed alike that has gone through the same runs.
#pragma once

#include "cipher/Cipher.h"
#include "hash/SapphireState.h"

namespace velkor {

class TCipher_Sapphire : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_Sapphire)
public:
    explicit TCipher_Sapphire(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 16;
    static constexpr int kKeySize = static_cast<int>(sapphire::kMaxKeySize);
    static constexpr int kKeyScheduleSize = 264;

    // The key is the given bytes alone (the key setup cycles the key over its own length and
    // adds that length in, so a short key is not padded with zeros). An empty key gives the
    // published keyless start, the one the hashes use.
    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

} // namespace velkor
