// The DES family's key layouts, schedules and block shapes over the single-block engine: each
// class lays its keys out as consecutive schedules in KeySchedule and runs passes over them.
#include "cipher/DES.h"

#include "base/Wipe.h"

#include <cstring>

namespace velkor {

VELKOR_DEFINE_CIPHER_CLASS(TCipher_1DES, TCipher::Class())
VELKOR_DEFINE_CIPHER_CLASS(TCipher_2DES, TCipher_1DES::Class())
VELKOR_DEFINE_CIPHER_CLASS(TCipher_2DDES, TCipher_2DES::Class())
VELKOR_DEFINE_CIPHER_CLASS(TCipher_3DES, TCipher_1DES::Class())
VELKOR_DEFINE_CIPHER_CLASS(TCipher_3DDES, TCipher_3DES::Class())
VELKOR_DEFINE_CIPHER_CLASS(TCipher_3TDES, TCipher_3DES::Class())

namespace {
constexpr int kMaxKeySize = TCipher_3DES::kKeySize;
}

void TCipher_1DES::Init(const void* key, int size, const void* iv) {
    PrepareKey(size);
    std::uint8_t local[kMaxKeySize] = {};
    if (size > 0) std::memcpy(local, key, static_cast<std::size_t>(size));
    MakeSchedules(local);
    SecureWipe(local, sizeof local);
    SetVector(iv);
}

void TCipher_1DES::MakeSchedules(const std::uint8_t* key) {
    MakeSchedule(0, key, false);
    MakeSchedule(1, key, true);
}

void TCipher_1DES::Pass(int n, std::uint8_t* block) {
    const std::uint32_t* schedule = Schedule(n);
    for (int i = 0; i < BlockSize(); i += 8) des::Block(schedule, block + i);
}

void TCipher_1DES::ExchangeHalves(std::uint8_t* block) {
    std::uint8_t t[4];
    std::memcpy(t, block + 4, 4);
    std::memcpy(block + 4, block + 8, 4);
    std::memcpy(block + 8, t, 4);
}

void TCipher_1DES::EncipherBlock(void* block) {
    Pass(0, static_cast<std::uint8_t*>(block));
}
void TCipher_1DES::DecipherBlock(void* block) {
    Pass(1, static_cast<std::uint8_t*>(block));
}

void TCipher_2DES::MakeSchedules(const std::uint8_t* key) {
    const std::uint8_t* k1 = key;
    const std::uint8_t* k2 = key + 8;
    MakeSchedule(0, k1, false);
    MakeSchedule(1, k2, true);
    MakeSchedule(2, k1, true);
    MakeSchedule(3, k2, false);
}

void TCipher_2DES::EncipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    Pass(0, b);
    Pass(1, b);
    Pass(0, b);
}

void TCipher_2DES::DecipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    Pass(2, b);
    Pass(3, b);
    Pass(2, b);
}

void TCipher_2DDES::EncipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    Pass(0, b);
    ExchangeHalves(b);
    Pass(1, b);
    ExchangeHalves(b);
    Pass(0, b);
}

void TCipher_2DDES::DecipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    Pass(2, b);
    ExchangeHalves(b);
    Pass(3, b);
    ExchangeHalves(b);
    Pass(2, b);
}

void TCipher_3DES::MakeSchedules(const std::uint8_t* key) {
    const std::uint8_t* k1 = key;
    const std::uint8_t* k2 = key + 8;
    const std::uint8_t* k3 = key + 16;
    MakeSchedule(0, k1, false);
    MakeSchedule(1, k2, true);
    MakeSchedule(2, k3, false);
    MakeSchedule(3, k3, true);
    MakeSchedule(4, k2, false);
    MakeSchedule(5, k1, true);
}

void TCipher_3DES::WidePasses(std::uint8_t* block, int first) {
    Pass(first, block);
    ExchangeHalves(block);
    Pass(first + 1, block);
    ExchangeHalves(block);
    Pass(first + 2, block);
}

void TCipher_3DES::EncipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    Pass(0, b);
    Pass(1, b);
    Pass(2, b);
}

void TCipher_3DES::DecipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    Pass(3, b);
    Pass(4, b);
    Pass(5, b);
}

void TCipher_3DDES::EncipherBlock(void* block) {
    WidePasses(static_cast<std::uint8_t*>(block), 0);
}
void TCipher_3DDES::DecipherBlock(void* block) {
    WidePasses(static_cast<std::uint8_t*>(block), 3);
}

void TCipher_3TDES::EncipherBlock(void* block) {
    WidePasses(static_cast<std::uint8_t*>(block), 0);
}
void TCipher_3TDES::DecipherBlock(void* block) {
    WidePasses(static_cast<std::uint8_t*>(block), 3);
}

} // namespace velkor
