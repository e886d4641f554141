// The SAFER family against Crypto++'s SAFER_K and SAFER_SK on random keys and blocks, with the
// rounds set explicitly to the classes' (K-64 6, SK-64 8, K-128 10, SK-128 10). Crypto++ takes a
// 128-bit key in the same byte order (the second half gives K1). It has no 40-bit variants: the
// 40-bit classes are compared with its 64-bit schedules over 5 rounds on the key extended as the
// classes define it, so that comparison checks the rounds and schedules, not the extension.
#include "cipher/Safer.h"
#include "cipher/CipherRegistry.h"

#include "BlockReference.h"

#include <cryptopp/safer.h>
#include <gtest/gtest.h>

using namespace velkor;
using velkor::test::ExpectSameAsReference;
using velkor::test::U8;

namespace {

template <class E> test::BlockReference CryptoPPSafer(int rounds) {
    return [rounds](const Bytes& key, const Bytes& block) {
        E e;
        e.SetKeyWithRounds(U8(key), key.size(), rounds);
        Bytes out(block.size(), '\0');
        e.ProcessBlock(U8(block), U8(out));
        return out;
    };
}

// (k1..k5) -> (k1..k5, k1^k3^0x81, k1^k4^k5^0x42, k2^k3^k5^0x24), written out once more here.
Bytes Extend40(const Bytes& k) {
    Bytes e = k;
    e += static_cast<char>(k[0] ^ k[2] ^ 0x81);
    e += static_cast<char>(k[0] ^ k[3] ^ k[4] ^ 0x42);
    e += static_cast<char>(k[1] ^ k[2] ^ k[4] ^ 0x24);
    return e;
}

struct Member {
    const char* Name;
    TCipherClass Class;
    int KeySize;
    int Rounds;
};

const Member kMembers[] = {
    {"SAFER-K40", TCipher_SAFER_K40::Class(), 5, 5},
    {"SAFER-SK40", TCipher_SAFER_SK40::Class(), 5, 5},
    {"SAFER-K64", TCipher_SAFER_K64::Class(), 8, 6},
    {"SAFER-SK64", TCipher_SAFER_SK64::Class(), 8, 8},
    {"SAFER-K128", TCipher_SAFER_K128::Class(), 16, 10},
    {"SAFER-SK128", TCipher_SAFER_SK128::Class(), 16, 10},
};

} // namespace

TEST(Safer, RegisteredNamesSizesAndRounds) {
    for (const Member& m : kMembers) {
        SCOPED_TRACE(m.Name);
        EXPECT_EQ(FindCipherClass(m.Name), m.Class);
        EXPECT_EQ(m.Class->BlockSize(), 8);
        EXPECT_EQ(m.Class->KeySize(), m.KeySize);
        EXPECT_EQ(m.Class->KeyScheduleSize(), safer::ScheduleBytes(m.Rounds));
    }
}

TEST(Safer, K64AndK128AgreeWithCryptoPP) {
    ExpectSameAsReference(TCipher_SAFER_K64::Class(), {8}, 200,
                          CryptoPPSafer<CryptoPP::SAFER_K::Encryption>(6), 6401);
    ExpectSameAsReference(TCipher_SAFER_K128::Class(), {16}, 200,
                          CryptoPPSafer<CryptoPP::SAFER_K::Encryption>(10), 12801);
}

TEST(Safer, SK64AndSK128AgreeWithCryptoPP) {
    ExpectSameAsReference(TCipher_SAFER_SK64::Class(), {8}, 200,
                          CryptoPPSafer<CryptoPP::SAFER_SK::Encryption>(8), 6402);
    ExpectSameAsReference(TCipher_SAFER_SK128::Class(), {16}, 200,
                          CryptoPPSafer<CryptoPP::SAFER_SK::Encryption>(10), 12802);
}

TEST(Safer, FortyBitClassesAreTheSixtyFourBitSchedulesOnTheExtendedKey) {
    const auto k = CryptoPPSafer<CryptoPP::SAFER_K::Encryption>(5);
    const auto sk = CryptoPPSafer<CryptoPP::SAFER_SK::Encryption>(5);
    ExpectSameAsReference(
        TCipher_SAFER_K40::Class(), {5}, 200,
        [&](const Bytes& key, const Bytes& block) { return k(Extend40(key), block); }, 4001);
    ExpectSameAsReference(
        TCipher_SAFER_SK40::Class(), {5}, 200,
        [&](const Bytes& key, const Bytes& block) { return sk(Extend40(key), block); }, 4002);
}

// K-128's schedule was designed so that a key whose halves are equal gives the K-64 subkeys: the
// class keyed so agrees with the 64-bit schedule run for K-128's 10 rounds.
TEST(Safer, EqualHalvesGiveTheSixtyFourBitSubkeys) {
    const Bytes half = test::Unhex("0102030405060708"), block = test::Unhex("0011223344556677");
    const Bytes key = half + half;
    TCipher_SAFER_K128 c;
    c.Init(key.data(), 16, nullptr);
    Bytes got = block;
    c.EncipherBlock(got.data());
    EXPECT_EQ(test::Hex(got),
              test::Hex(CryptoPPSafer<CryptoPP::SAFER_K::Encryption>(10)(half, block)));
}
