// HAVAL's compression function, padding and output folding, from the designers' paper: each
// pass runs 32 steps of one Boolean function of seven state words, permuted per pass, over the
// message words in the pass's order, adding the pass's constants.
#include "hash/Haval.h"

#include "base/ByteOrder.h"
#include "base/Wipe.h"
#include "hash/BlockFeed.h"

#include <cstring>
#include <utility>

namespace velkor {

namespace {

using ::velkor::LoadLE32;
using ::velkor::StoreLE32;

// The starting state: the first eight 32-bit words of the fraction of pi.
constexpr std::uint32_t kStart[8] = {
    0x243F6A88, 0x85A308D3, 0x13198A2E, 0x03707344, 0xA4093822, 0x299F31D0, 0x082EFA98, 0xEC4E6C89,
};

// The constants of passes 2 to 5, 32 each: the next 128 words of the fraction of pi.
constexpr std::uint32_t kConstants[128] = {
    0x452821E6, 0x38D01377, 0xBE5466CF, 0x34E90C6C, 0xC0AC29B7, 0xC97C50DD, 0x3F84D5B5, 0xB5470917,
    0x9216D5D9, 0x8979FB1B, 0xD1310BA6, 0x98DFB5AC, 0x2FFD72DB, 0xD01ADFB7, 0xB8E1AFED, 0x6A267E96,
    0xBA7C9045, 0xF12C7F99, 0x24A19947, 0xB3916CF7, 0x0801F2E2, 0x858EFC16, 0x636920D8, 0x71574E69,
    0xA458FEA3, 0xF4933D7E, 0x0D95748F, 0x728EB658, 0x718BCD58, 0x82154AEE, 0x7B54A41D, 0xC25A59B5,
    0x9C30D539, 0x2AF26013, 0xC5D1B023, 0x286085F0, 0xCA417918, 0xB8DB38EF, 0x8E79DCB0, 0x603A180E,
    0x6C9E0E8B, 0xB01E8A3E, 0xD71577C1, 0xBD314B27, 0x78AF2FDA, 0x55605C60, 0xE65525F3, 0xAA55AB94,
    0x57489862, 0x63E81440, 0x55CA396A, 0x2AAB10B6, 0xB4CC5C34, 0x1141E8CE, 0xA15486AF, 0x7C72E993,
    0xB3EE1411, 0x636FBC2A, 0x2BA9C55D, 0x741831F6, 0xCE5C3E16, 0x9B87931E, 0xAFD6BA33, 0x6C24CF5C,
    0x7A325381, 0x28958677, 0x3B8F4898, 0x6B4BB9AF, 0xC4BFE81B, 0x66282193, 0x61D809CC, 0xFB21A991,
    0x487CAC60, 0x5DEC8032, 0xEF845D5D, 0xE98575B1, 0xDC262302, 0xEB651B88, 0x23893E81, 0xD396ACC5,
    0x0F6D6FF3, 0x83F44239, 0x2E0B4482, 0xA4842004, 0x69C8F04A, 0x9E1F9B5E, 0x21C66842, 0xF6E96C9A,
    0x670C9C61, 0xABD388F0, 0x6A51A0D2, 0xD8542F68, 0x960FA728, 0xAB5133A3, 0x6EEF0B6C, 0x137A3BE4,
    0xBA3BF050, 0x7EFB2A98, 0xA1F1651D, 0x39AF0176, 0x66CA593E, 0x82430E88, 0x8CEE8619, 0x456F9FB4,
    0x7D84A5C3, 0x3B8B5EBE, 0xE06F75D8, 0x85C12073, 0x401A449F, 0x56C16AA6, 0x4ED3AA62, 0x363F7706,
    0x1BFEDF72, 0x429B023D, 0x37D0D724, 0xD00A1248, 0xDB0FEAD3, 0x49F1C09B, 0x075372C9, 0x80991B7B,
    0x25D479D8, 0xF6E8DEF7, 0xE3FE501A, 0xB6794C3B, 0x976CE0BD, 0x04C006BA, 0xC1A94FB6, 0x409F60C4,
};

// The order in which each pass takes the 32 message words.
constexpr int kOrder[5][32] = {
    {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
     16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31},
    {5,  14, 26, 18, 11, 28, 7,  16, 0,  23, 20, 22, 1, 10, 4,  8,
     30, 3,  21, 9,  17, 24, 29, 6,  19, 12, 15, 13, 2, 25, 31, 27},
    {19, 9,  4, 20, 28, 17, 8,  22, 29, 14, 25, 12, 24, 30, 16, 26,
     31, 15, 7, 3,  1,  0,  18, 27, 13, 6,  21, 10, 23, 11, 5,  2},
    {24, 4,  0,  14, 2, 7,  28, 23, 26, 6,  30, 20, 18, 25, 19, 3,
     22, 11, 31, 21, 8, 27, 12, 9,  1,  29, 5,  15, 17, 10, 16, 13},
    {27, 3, 21, 26, 17, 11, 20, 29, 19, 0,  12, 7,  13, 8, 31, 10,
     5,  9, 14, 30, 18, 6,  28, 24, 2,  23, 16, 22, 4,  1, 25, 15},
};

// The permutations phi of the paper, by pass count and pass: entry k names the state word
// x_i that takes the place of argument x_(6-k) of the pass's function.
constexpr int kPhi3[3][7] = {{1, 0, 3, 5, 6, 2, 4}, {4, 2, 1, 0, 5, 3, 6}, {6, 1, 2, 3, 4, 5, 0}};
constexpr int kPhi4[4][7] = {
    {2, 6, 1, 4, 5, 3, 0}, {3, 5, 2, 0, 1, 6, 4}, {1, 4, 3, 6, 0, 2, 5}, {6, 4, 0, 5, 2, 1, 3}};
constexpr int kPhi5[5][7] = {{3, 4, 1, 0, 5, 2, 6},
                             {6, 2, 1, 0, 3, 4, 5},
                             {2, 6, 0, 4, 3, 1, 5},
                             {1, 5, 3, 2, 0, 4, 6},
                             {2, 5, 0, 6, 4, 3, 1}};

// HAVAL-128 to HAVAL-256 (three passes) of SelfTestInput.
constexpr std::uint8_t kSelfTest128[16] = {0xD8, 0xCB, 0xCD, 0xEC, 0x7A, 0xFD, 0xC8, 0xA5,
                                           0xF2, 0x7B, 0xD2, 0x12, 0xB9, 0x33, 0x9A, 0xBD};
constexpr std::uint8_t kSelfTest160[20] = {0x13, 0xDD, 0xBD, 0x32, 0x33, 0xBC, 0x04,
                                           0x8D, 0x6D, 0xF6, 0x63, 0x56, 0x37, 0xE2,
                                           0xA0, 0xD0, 0x53, 0x1B, 0x99, 0x03};
constexpr std::uint8_t kSelfTest192[24] = {0x92, 0x9A, 0x99, 0x56, 0x09, 0x09, 0x66, 0xBA,
                                           0x91, 0xFA, 0x69, 0x7A, 0xA6, 0xE9, 0xB7, 0x49,
                                           0xEC, 0xF0, 0x1F, 0x30, 0x3B, 0x10, 0x6E, 0xEC};
constexpr std::uint8_t kSelfTest224[28] = {
    0x71, 0x12, 0xD2, 0xFF, 0xD6, 0xDF, 0xCF, 0x44, 0x54, 0x46, 0x17, 0xE1, 0x91, 0xCA,
    0xDD, 0x78, 0xAD, 0x00, 0xF1, 0xDC, 0x36, 0x00, 0x62, 0xE3, 0xBF, 0xB9, 0x84, 0x80};
constexpr std::uint8_t kSelfTest256[32] = {
    0x4A, 0xB2, 0x91, 0x31, 0x03, 0x5D, 0xDF, 0x93, 0x05, 0x53, 0x35, 0x0E, 0x2D, 0x49, 0x18, 0xC0,
    0x24, 0x7F, 0x05, 0x93, 0x79, 0x3C, 0x88, 0xE4, 0x60, 0xCA, 0xD2, 0x00, 0x7A, 0x74, 0xDF, 0x25};

inline std::uint32_t Ror(std::uint32_t x, int n) {
    return Rol(x, 32 - n);
}

// The five Boolean functions F1..F5 of (x6, x5, x4, x3, x2, x1, x0).
constexpr std::uint32_t F(int pass, std::uint32_t x6, std::uint32_t x5, std::uint32_t x4,
                          std::uint32_t x3, std::uint32_t x2, std::uint32_t x1, std::uint32_t x0) {
    switch (pass) {
    case 0:
        return (x1 & x4) ^ (x2 & x5) ^ (x3 & x6) ^ (x0 & x1) ^ x0;
    case 1:
        return (x1 & x2 & x3) ^ (x2 & x4 & x5) ^ (x1 & x2) ^ (x1 & x4) ^ (x2 & x6) ^ (x3 & x5) ^
               (x4 & x5) ^ (x0 & x2) ^ x0;
    case 2:
        return (x1 & x2 & x3) ^ (x1 & x4) ^ (x2 & x5) ^ (x3 & x6) ^ (x0 & x3) ^ x0;
    case 3:
        return (x1 & x2 & x3) ^ (x2 & x4 & x5) ^ (x3 & x4 & x6) ^ (x1 & x4) ^ (x2 & x6) ^
               (x3 & x4) ^ (x3 & x5) ^ (x3 & x6) ^ (x4 & x5) ^ (x4 & x6) ^ (x0 & x4) ^ x0;
    default:
        return (x1 & x4) ^ (x2 & x5) ^ (x3 & x6) ^ (x0 & x1 & x2 & x3) ^ (x0 & x5) ^ x0;
    }
}

constexpr const int* Phi(int passes, int pass) {
    if (passes == 3) return kPhi3[pass];
    if (passes == 4) return kPhi4[pass];
    return kPhi5[pass];
}

// One step, unrolled at compile time. The eight words live in a ring: at step s the word x_i
// is x[(i - s) mod 8], so that x7's slot, once used, takes the new word, which is x0 of the
// next step, and every word is back in its place after each pass of 32 steps.
template <int Passes, int Pass, int Step>
inline void HavalStep(std::uint32_t* x, const std::uint32_t* w) {
    constexpr int base = (8 - Step % 8) % 8;
    constexpr const int* phi = Phi(Passes, Pass);
    auto at = [x](int i) -> std::uint32_t& { return x[(base + i) & 7]; };
    const std::uint32_t p =
        F(Pass, at(phi[0]), at(phi[1]), at(phi[2]), at(phi[3]), at(phi[4]), at(phi[5]), at(phi[6]));
    constexpr std::uint32_t k = Pass == 0 ? 0 : kConstants[32 * (Pass - 1) + Step];
    at(7) = Ror(p, 7) + Ror(at(7), 11) + w[kOrder[Pass][Step]] + k;
}

template <int Passes, int Pass, std::size_t... Steps>
inline void HavalPass(std::uint32_t* x, const std::uint32_t* w, std::index_sequence<Steps...>) {
    (HavalStep<Passes, Pass, static_cast<int>(Steps)>(x, w), ...);
}

template <int Passes, std::size_t... Pass>
void HavalPasses(std::uint32_t* x, const std::uint32_t* w, std::index_sequence<Pass...>) {
    (HavalPass<Passes, static_cast<int>(Pass)>(x, w, std::make_index_sequence<32>{}), ...);
}

// Folds the eight words into the first `bits` / 32, as the designers define each length.
void Fold(std::uint32_t* d, std::size_t bits) {
    switch (bits) {
    case 128: {
        std::uint32_t t =
            (d[7] & 0x000000FF) | (d[6] & 0xFF000000) | (d[5] & 0x00FF0000) | (d[4] & 0x0000FF00);
        d[0] += Ror(t, 8);
        t = (d[7] & 0x0000FF00) | (d[6] & 0x000000FF) | (d[5] & 0xFF000000) | (d[4] & 0x00FF0000);
        d[1] += Ror(t, 16);
        t = (d[7] & 0x00FF0000) | (d[6] & 0x0000FF00) | (d[5] & 0x000000FF) | (d[4] & 0xFF000000);
        d[2] += Ror(t, 24);
        t = (d[7] & 0xFF000000) | (d[6] & 0x00FF0000) | (d[5] & 0x0000FF00) | (d[4] & 0x000000FF);
        d[3] += t;
        break;
    }
    case 160: {
        std::uint32_t t = (d[7] & 0x3FU) | (d[6] & (0x7FU << 25)) | (d[5] & (0x3FU << 19));
        d[0] += Ror(t, 19);
        t = (d[7] & (0x3FU << 6)) | (d[6] & 0x3FU) | (d[5] & (0x7FU << 25));
        d[1] += Ror(t, 25);
        t = (d[7] & (0x7FU << 12)) | (d[6] & (0x3FU << 6)) | (d[5] & 0x3FU);
        d[2] += t;
        t = (d[7] & (0x3FU << 19)) | (d[6] & (0x7FU << 12)) | (d[5] & (0x3FU << 6));
        d[3] += t >> 6;
        t = (d[7] & (0x7FU << 25)) | (d[6] & (0x3FU << 19)) | (d[5] & (0x7FU << 12));
        d[4] += t >> 12;
        break;
    }
    case 192: {
        std::uint32_t t = (d[7] & 0x1FU) | (d[6] & (0x3FU << 26));
        d[0] += Ror(t, 26);
        t = (d[7] & (0x1FU << 5)) | (d[6] & 0x1FU);
        d[1] += t;
        t = (d[7] & (0x3FU << 10)) | (d[6] & (0x1FU << 5));
        d[2] += t >> 5;
        t = (d[7] & (0x1FU << 16)) | (d[6] & (0x3FU << 10));
        d[3] += t >> 10;
        t = (d[7] & (0x1FU << 21)) | (d[6] & (0x1FU << 16));
        d[4] += t >> 16;
        t = (d[7] & (0x3FU << 26)) | (d[6] & (0x1FU << 21));
        d[5] += t >> 21;
        break;
    }
    case 224:
        d[0] += (d[7] >> 27) & 0x1F;
        d[1] += (d[7] >> 22) & 0x1F;
        d[2] += (d[7] >> 18) & 0x0F;
        d[3] += (d[7] >> 13) & 0x1F;
        d[4] += (d[7] >> 9) & 0x0F;
        d[5] += (d[7] >> 4) & 0x1F;
        d[6] += d[7] & 0x0F;
        break;
    default:
        break;
    }
}

} // namespace

VELKOR_DEFINE_HASH_CLASS(THash_Haval128, THash::Class())
VELKOR_DEFINE_HASH_CLASS(THash_Haval160, THash::Class())
VELKOR_DEFINE_HASH_CLASS(THash_Haval192, THash::Class())
VELKOR_DEFINE_HASH_CLASS(THash_Haval224, THash::Class())
VELKOR_DEFINE_HASH_CLASS(THash_Haval256, THash::Class())

const std::uint8_t* THash_Haval128::SelfTestVectorData() {
    return kSelfTest128;
}
const std::uint8_t* THash_Haval160::SelfTestVectorData() {
    return kSelfTest160;
}
const std::uint8_t* THash_Haval192::SelfTestVectorData() {
    return kSelfTest192;
}
const std::uint8_t* THash_Haval224::SelfTestVectorData() {
    return kSelfTest224;
}
const std::uint8_t* THash_Haval256::SelfTestVectorData() {
    return kSelfTest256;
}

THash_Haval::~THash_Haval() {
    SecureWipe(FState, sizeof FState);
    SecureWipe(FDigest, sizeof FDigest);
    SecureWipe(FBuffer, sizeof FBuffer);
    SecureWipe(&FCount, sizeof FCount);
}

void THash_Haval::Start() {
    std::memcpy(FState, kStart, sizeof FState);
    std::memset(FBuffer, 0, sizeof FBuffer);
    std::memset(FDigest, 0, sizeof FDigest);
    FCount = 0;
    ProtectionHook(false);
}

void THash_Haval::CompressBlock(const std::uint8_t* block) {
    std::uint32_t w[32];
    for (int i = 0; i < 32; ++i) w[i] = LoadLE32(block + 4 * i);
    std::uint32_t x[8];
    std::memcpy(x, FState, sizeof x);
    if (FPasses == 3)
        HavalPasses<3>(x, w, std::make_index_sequence<3>{});
    else if (FPasses == 4)
        HavalPasses<4>(x, w, std::make_index_sequence<4>{});
    else
        HavalPasses<5>(x, w, std::make_index_sequence<5>{});
    for (int i = 0; i < 8; ++i) FState[i] += x[i];
}

void THash_Haval::Feed(const void* buffer, std::size_t length) {
    FeedBlocks<kBlockSize>(FBuffer, FCount, buffer, length,
                           [this](const std::uint8_t* block) { CompressBlock(block); });
}

// The last block ends with two bytes (version 1 in bits 0-2, the pass count in bits 3-5, the
// output length in bits in the remaining ten bits, low bits first) and the 64-bit bit count.
// As in the MD4 family, nothing is reset: the padded state stays, and a later Feed without
// Start continues from it.
void THash_Haval::Finish() {
    const std::size_t bits = DigestSize() * 8;
    std::size_t at = static_cast<std::size_t>(FCount % kBlockSize);
    FBuffer[at] = 0x01;
    std::memset(FBuffer + at + 1, 0, kBlockSize - at - 1);
    if (at >= kBlockSize - 10) {
        CompressBlock(FBuffer);
        std::memset(FBuffer, 0, kBlockSize);
    }
    FBuffer[118] =
        static_cast<std::uint8_t>(((bits & 3) << 6) | (static_cast<unsigned>(FPasses) << 3) | 1);
    FBuffer[119] = static_cast<std::uint8_t>(bits >> 2);
    const std::uint64_t count = FCount * 8;
    for (int i = 0; i < 8; ++i) FBuffer[120 + i] = static_cast<std::uint8_t>(count >> (8 * i));
    CompressBlock(FBuffer);
    std::memset(FBuffer, 0, kBlockSize);

    std::uint32_t d[8];
    std::memcpy(d, FState, sizeof d);
    Fold(d, bits);
    for (std::size_t i = 0; i < bits / 32; ++i) StoreLE32(FDigest + 4 * i, d[i]);
    SecureWipe(d, sizeof d);
    ProtectionHook(true);
}

} // namespace velkor
