// DESX over the single-block DES engine: C = K2 XOR DES(K, P XOR K1), and the derivation of
// K2 from the 16-byte key described in the class comment.
#include "cipher/DESX.h"

#include "base/Wipe.h"

#include <cstring>

namespace velkor {

VELKOR_DEFINE_CIPHER_CLASS(TCipher_DESX, TCipher_1DES::Class())

void TCipher_DESX::DeriveOutputWhitening(const std::uint8_t* k, const std::uint8_t* k1,
                                         std::uint8_t* k2) {
    std::uint32_t schedule[des::kScheduleWords];
    des::MakeSchedule(k1, schedule, false);
    std::memcpy(k2, k, 8);
    des::Block(schedule, k2);
    for (int i = 0; i < 8; ++i) k2[i] ^= k[i];
    SecureWipe(schedule, sizeof schedule);
}

void TCipher_DESX::MakeSchedules(const std::uint8_t* key) {
    MakeSchedule(0, key, false);
    MakeSchedule(1, key, true);
    std::memcpy(InputWhitening(), key + 8, 8);
    DeriveOutputWhitening(key, key + 8, OutputWhitening());
}

void TCipher_DESX::EncipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    XorBuffers(b, b, InputWhitening(), 8);
    des::Block(Schedule(0), b);
    XorBuffers(b, b, OutputWhitening(), 8);
}

void TCipher_DESX::DecipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    XorBuffers(b, b, OutputWhitening(), 8);
    des::Block(Schedule(1), b);
    XorBuffers(b, b, InputWhitening(), 8);
}

} // namespace velkor
