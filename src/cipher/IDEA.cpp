// IDEA as Lai and Massey published it. Three group operations on 16-bit words are mixed:
// XOR, addition modulo 2^16 and multiplication modulo 2^16 + 1 (where the word 0 stands for
// 2^16). Deciphering runs the same rounds under inverted subkeys.
#include "cipher/IDEA.h"

#include "base/Wipe.h"

#include <cstring>

namespace velkor {

namespace {

// Multiplication modulo 65537 with 0 standing for 65536.
inline std::uint16_t Mul(std::uint32_t a, std::uint32_t b) {
    if (a == 0) return static_cast<std::uint16_t>(65537 - b);
    if (b == 0) return static_cast<std::uint16_t>(65537 - a);
    const std::uint32_t p = a * b;
    const std::uint32_t lo = p & 0xFFFF, hi = p >> 16;
    // 2^16 = -1 modulo 65537, so lo + hi * 2^16 = lo - hi.
    return static_cast<std::uint16_t>(lo - hi + (lo < hi ? 1 : 0));
}

// The multiplicative inverse modulo 65537 (x^65535); 0 (65536 = -1) is its own inverse.
std::uint16_t MulInverse(std::uint16_t x) {
    std::uint16_t result = 1, base = x;
    for (std::uint32_t e = 65535; e != 0; e >>= 1) {
        if (e & 1) result = Mul(result, base);
        base = Mul(base, base);
    }
    return result;
}

inline std::uint16_t AddInverse(std::uint16_t x) {
    return static_cast<std::uint16_t>(0x10000 - x);
}

void Crypt(const std::uint32_t* z, std::uint8_t* block) {
    auto load = [&](int i) {
        return static_cast<std::uint16_t>((block[2 * i] << 8) | block[2 * i + 1]);
    };
    std::uint16_t x1 = load(0), x2 = load(1), x3 = load(2), x4 = load(3);
    for (int round = 0; round < 8; ++round, z += 6) {
        const std::uint16_t a = Mul(x1, z[0]);
        const auto b = static_cast<std::uint16_t>(x2 + z[1]);
        const auto c = static_cast<std::uint16_t>(x3 + z[2]);
        const std::uint16_t d = Mul(x4, z[3]);
        // The multiplication-addition structure.
        const std::uint16_t e = Mul(a ^ c, z[4]);
        const std::uint16_t f = Mul(static_cast<std::uint16_t>((b ^ d) + e), z[5]);
        const auto g = static_cast<std::uint16_t>(e + f);
        // The two middle words change places between rounds.
        x1 = a ^ f;
        x2 = c ^ f;
        x3 = b ^ g;
        x4 = d ^ g;
    }
    // The output transformation undoes the last exchange of the middle words.
    const std::uint16_t y[4] = {Mul(x1, z[0]), static_cast<std::uint16_t>(x3 + z[1]),
                                static_cast<std::uint16_t>(x2 + z[2]), Mul(x4, z[3])};
    for (int i = 0; i < 4; ++i) {
        block[2 * i] = static_cast<std::uint8_t>(y[i] >> 8);
        block[2 * i + 1] = static_cast<std::uint8_t>(y[i]);
    }
}

} // namespace

VELKOR_DEFINE_CIPHER_CLASS(TCipher_IDEA, TCipher::Class())

void TCipher_IDEA::Init(const void* key, int size, const void* iv) {
    PrepareKey(size);
    std::uint8_t k[kKeySize] = {};
    if (size > 0) std::memcpy(k, key, static_cast<std::size_t>(size));
    std::uint32_t* ek = KeyScheduleWords();
    std::uint32_t* dk = ek + kSubkeys;
    // The enciphering subkeys are the key's eight big-endian words, then the same words after
    // each rotation of the 128-bit key by 25 bits to the left.
    for (int i = 0; i < kSubkeys; ++i) {
        const int bit = (25 * (i / 8) + 16 * (i % 8)) % 128;
        std::uint32_t w = 0;
        for (int b = 0; b < 24; b += 8) {
            const int at = ((bit + b) / 8) % kKeySize;
            w = (w << 8) | k[at];
        }
        ek[i] = static_cast<std::uint16_t>(w >> (8 - bit % 8));
    }
    // Round r of deciphering uses the inverses of the subkeys of round 9 - r; the additive
    // pair is exchanged except in the first and the last group, and the MA-subkeys come from
    // the round before.
    for (int r = 0; r <= 8; ++r) {
        const std::uint32_t* from = ek + 6 * (8 - r);
        std::uint32_t* to = dk + 6 * r;
        const bool outer = r == 0 || r == 8;
        to[0] = MulInverse(static_cast<std::uint16_t>(from[0]));
        to[1] = AddInverse(static_cast<std::uint16_t>(from[outer ? 1 : 2]));
        to[2] = AddInverse(static_cast<std::uint16_t>(from[outer ? 2 : 1]));
        to[3] = MulInverse(static_cast<std::uint16_t>(from[3]));
        if (r < 8) {
            to[4] = ek[6 * (7 - r) + 4];
            to[5] = ek[6 * (7 - r) + 5];
        }
    }
    SecureWipe(k, sizeof k);
    SetVector(iv);
}

void TCipher_IDEA::EncipherBlock(void* block) {
    Crypt(KeyScheduleWords(), static_cast<std::uint8_t*>(block));
}

void TCipher_IDEA::DecipherBlock(void* block) {
    Crypt(KeyScheduleWords() + kSubkeys, static_cast<std::uint8_t*>(block));
}

} // namespace velkor
