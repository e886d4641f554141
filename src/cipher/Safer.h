// The SAFER family of Massey: SAFER K-64 (1993), its 128-bit key schedule K-128 (1994), the
// strengthened key schedules SK-64 and SK-128 (1995) and the 40-bit SK-40 (1995). All share one
// round on 64-bit blocks; only the subkeys and the number of rounds differ.
#pragma once

#include "cipher/Cipher.h"

#include <cstdint>

namespace velkor {

namespace safer {
constexpr int kMaxRounds = 10;
// Bytes of the subkeys of `rounds` rounds: two per round and one for the output transformation.
constexpr int ScheduleBytes(int rounds) {
    return 8 * (2 * rounds + 1);
}
// Expands two 8-byte key halves into the subkeys: `a` gives K1 and the odd-numbered subkeys,
// `b` the even-numbered ones (both are the key itself for the 64-bit keys).
void MakeSchedule(const std::uint8_t* a, const std::uint8_t* b, bool strengthened, int rounds,
                  std::uint8_t* schedule);
// Extends a 40-bit key to the eight bytes of a 64-bit key.
void ExtendKey40(const std::uint8_t* key5, std::uint8_t* key8);
void Encipher(const std::uint8_t* schedule, int rounds, std::uint8_t* block);
void Decipher(const std::uint8_t* schedule, int rounds, std::uint8_t* block);
} // namespace safer

// The shared part of the six classes: key size (5, 8 or 16 bytes), key schedule (original or
// strengthened) and rounds. The rounds are the designer's recommendations: 6 for K-64, 10 for
// K-128, 8 for SK-64, 10 for SK-128 and 5 for SK-40. K-40 is this library's counterpart of SK-40
// with the original schedule: the same 40-bit extension and 5 rounds.
// A key shorter than the class's key size is padded with zeros.
class TCipher_SAFER : public TCipher {
public:
    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;

protected:
    TCipher_SAFER(TCipherClass cipherClass, TProtectionRef protection, bool strengthened,
                  int rounds)
        : TCipher(cipherClass, std::move(protection)), FStrengthened(strengthened),
          FRounds(rounds) {}

private:
    bool FStrengthened;
    int FRounds;
};

#define VELKOR_SAFER_CLASS(T, keyBytes, strengthened, rounds)                                      \
    class T : public TCipher_SAFER {                                                               \
        VELKOR_CIPHER_CLASS(T)                                                                     \
    public:                                                                                        \
        explicit T(TProtectionRef protection = nullptr)                                            \
            : TCipher_SAFER(Class(), std::move(protection), strengthened, rounds) {}               \
        static constexpr int kBlockSize = 8;                                                       \
        static constexpr int kKeySize = keyBytes;                                                  \
        static constexpr int kRounds = rounds;                                                     \
        static constexpr int kKeyScheduleSize = safer::ScheduleBytes(rounds);                      \
    };

VELKOR_SAFER_CLASS(TCipher_SAFER_K40, 5, false, 5)
VELKOR_SAFER_CLASS(TCipher_SAFER_SK40, 5, true, 5)
VELKOR_SAFER_CLASS(TCipher_SAFER_K64, 8, false, 6)
VELKOR_SAFER_CLASS(TCipher_SAFER_SK64, 8, true, 8)
VELKOR_SAFER_CLASS(TCipher_SAFER_K128, 16, false, 10)
VELKOR_SAFER_CLASS(TCipher_SAFER_SK128, 16, true, 10)

#undef VELKOR_SAFER_CLASS

} // namespace velkor
