// NewDES as published: eight double rounds and a final half round. In each double round the
// left bytes B0..B3, each XORed with a key byte, go through the substitution into the right
// bytes B4..B7; then B4 (with a key byte), B4 XOR B5 (with none), B6 and B7 (with key bytes)
// go back into B1, B2, B3 and B0. Deciphering runs the same steps backwards. No test values
// were published with the cipher and no packaged library implements it; it is tested through
// its properties.
#include "cipher/NewDES.h"

#include "base/Wipe.h"

#include <cstring>

namespace velkor {
namespace {

// The substitution f, the permutation of 0..255 that the designer derived from the text of the
// Declaration of Independence.
constexpr std::uint8_t kF[256] = {
    32,  137, 239, 188, 102, 125, 221, 72,  212, 68,  81,  37,  86,  237, 147, 149, 70,  229, 17,
    124, 115, 207, 33,  20,  122, 143, 25,  215, 51,  183, 138, 142, 146, 211, 110, 173, 1,   228,
    189, 14,  103, 78,  162, 36,  253, 167, 116, 255, 158, 45,  185, 50,  98,  168, 250, 235, 54,
    141, 195, 247, 240, 63,  148, 2,   224, 169, 214, 180, 62,  22,  117, 108, 19,  172, 161, 159,
    160, 47,  43,  171, 194, 175, 178, 56,  196, 112, 23,  220, 89,  21,  164, 130, 157, 8,   85,
    251, 216, 44,  94,  179, 226, 38,  90,  119, 40,  202, 34,  206, 35,  69,  231, 246, 29,  109,
    74,  71,  176, 6,   60,  145, 65,  13,  77,  151, 12,  127, 95,  199, 57,  101, 5,   232, 150,
    210, 129, 24,  181, 10,  121, 187, 48,  193, 139, 252, 219, 64,  88,  233, 96,  128, 80,  53,
    191, 144, 218, 11,  106, 132, 155, 104, 91,  136, 31,  42,  243, 66,  126, 135, 30,  26,  87,
    186, 182, 154, 242, 123, 82,  166, 208, 39,  152, 190, 113, 205, 114, 105, 225, 84,  73,  163,
    99,  111, 204, 61,  200, 217, 170, 15,  198, 28,  192, 254, 134, 234, 222, 7,   236, 248, 201,
    41,  177, 156, 92,  131, 67,  249, 245, 184, 203, 9,   241, 0,   27,  46,  133, 174, 75,  18,
    93,  209, 100, 120, 76,  213, 16,  83,  4,   107, 140, 52,  58,  55,  3,   244, 97,  197, 238,
    227, 118, 49,  79,  230, 223, 165, 153, 59,
};

} // namespace

VELKOR_DEFINE_CIPHER_CLASS(TCipher_NewDES, TCipher::Class())

void TCipher_NewDES::Init(const void* key, int size, const void* iv) {
    PrepareKey(size);
    std::uint8_t local[kKeySize] = {};
    if (size > 0) std::memcpy(local, key, static_cast<std::size_t>(size));
    std::uint8_t* schedule = KeyScheduleData();
    for (int i = 0; i < kKeyScheduleSize; ++i) schedule[i] = local[i % kKeySize];
    SecureWipe(local, sizeof local);
    SetVector(iv);
}

void TCipher_NewDES::EncipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    const std::uint8_t* k = KeyScheduleData();
    for (int round = 0; round < 8; ++round, k += 7) {
        b[4] ^= kF[b[0] ^ k[0]];
        b[5] ^= kF[b[1] ^ k[1]];
        b[6] ^= kF[b[2] ^ k[2]];
        b[7] ^= kF[b[3] ^ k[3]];
        b[1] ^= kF[b[4] ^ k[4]];
        b[2] ^= kF[b[4] ^ b[5]];
        b[3] ^= kF[b[6] ^ k[5]];
        b[0] ^= kF[b[7] ^ k[6]];
    }
    b[4] ^= kF[b[0] ^ k[0]];
    b[5] ^= kF[b[1] ^ k[1]];
    b[6] ^= kF[b[2] ^ k[2]];
    b[7] ^= kF[b[3] ^ k[3]];
}

void TCipher_NewDES::DecipherBlock(void* block) {
    auto* b = static_cast<std::uint8_t*>(block);
    const std::uint8_t* k = KeyScheduleData() + 56;
    b[7] ^= kF[b[3] ^ k[3]];
    b[6] ^= kF[b[2] ^ k[2]];
    b[5] ^= kF[b[1] ^ k[1]];
    b[4] ^= kF[b[0] ^ k[0]];
    for (int round = 0; round < 8; ++round) {
        k -= 7;
        b[0] ^= kF[b[7] ^ k[6]];
        b[3] ^= kF[b[6] ^ k[5]];
        b[2] ^= kF[b[4] ^ b[5]];
        b[1] ^= kF[b[4] ^ k[4]];
        b[7] ^= kF[b[3] ^ k[3]];
        b[6] ^= kF[b[2] ^ k[2]];
        b[5] ^= kF[b[1] ^ k[1]];
        b[4] ^= kF[b[0] ^ k[0]];
    }
}

} // namespace velkor
