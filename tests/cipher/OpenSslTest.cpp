// Differential tests against OpenSSL's legacy DES and Blowfish routines (test-only): single
// and triple DES blocks, CBC over whole blocks, 8-bit CFB, and Blowfish blocks, on random keys
// and data. Every mismatch prints its operands so that it can be replayed.
#if defined(__GNUC__) || defined(__clang__)
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
#include "cipher/Blowfish.h"
#include "cipher/DES.h"

#include "BlockReference.h"

#include <gtest/gtest.h>
#include <openssl/blowfish.h>
#include <openssl/des.h>

#include <cstring>
#include <functional>
#include <random>

using namespace velkor;
using velkor::test::ExpectSameAsReference;
using velkor::test::Hex;
using velkor::test::RandomBytes;
using velkor::test::U8;

namespace {

DES_key_schedule OpenSslSchedule(const Bytes& key8) {
    DES_cblock k;
    std::memcpy(k, key8.data(), 8);
    DES_key_schedule ks;
    DES_set_key_unchecked(&k, &ks);
    return ks;
}

template <class C> std::unique_ptr<C> Keyed(const Bytes& key, const Bytes* iv, TCipherMode mode) {
    auto c = std::make_unique<C>();
    c->Init(key.data(), static_cast<int>(key.size()), iv ? iv->data() : nullptr);
    c->SetMode(mode);
    return c;
}

} // namespace

TEST(OpenSslDes, SingleBlocks) {
    ExpectSameAsReference(
        TCipher_1DES::Class(), {8}, 500,
        [](const Bytes& key, const Bytes& block) {
            DES_key_schedule ks = OpenSslSchedule(key);
            DES_cblock in, ref;
            std::memcpy(in, block.data(), 8);
            DES_ecb_encrypt(&in, &ref, &ks, DES_ENCRYPT);
            return BytesOf(ref, 8);
        },
        100);
}

// A 16-byte key leaves the third DES key zero.
TEST(OpenSslDes, TripleBlocksWithThreeAndTwoKeys) {
    ExpectSameAsReference(
        TCipher_3DES::Class(), {16, 24}, 200,
        [](const Bytes& key, const Bytes& block) {
            const Bytes k3 = key.size() == 16 ? Bytes(8, '\0') : key.substr(16, 8);
            DES_key_schedule ks1 = OpenSslSchedule(key.substr(0, 8)),
                             ks2 = OpenSslSchedule(key.substr(8, 8)), ks3 = OpenSslSchedule(k3);
            DES_cblock in, ref;
            std::memcpy(in, block.data(), 8);
            DES_ecb3_encrypt(&in, &ref, &ks1, &ks2, &ks3, DES_ENCRYPT);
            return BytesOf(ref, 8);
        },
        101);
}

// Random keys, IVs and data through OpenSSL's three-key triple DES in a chaining mode and
// through TCipher_3DES in `mode`: the same cipher text, and deciphering gives the data back.
using TReference =
    std::function<void(const Bytes& data, Bytes& out, DES_key_schedule* ks, DES_cblock* ivec)>;

void CompareTripleDesMode(unsigned seed, TCipherMode mode, bool wholeBlocks,
                          const TReference& reference) {
    std::mt19937 rng(seed);
    for (int i = 0; i < 60; ++i) {
        Bytes key = RandomBytes(rng, 24), iv = RandomBytes(rng, 8);
        Bytes data = RandomBytes(rng, wholeBlocks ? 8 * (rng() % 40) : rng() % 200);
        DES_key_schedule ks[3] = {OpenSslSchedule(key.substr(0, 8)),
                                  OpenSslSchedule(key.substr(8, 8)),
                                  OpenSslSchedule(key.substr(16, 8))};
        DES_cblock ivec;
        std::memcpy(ivec, iv.data(), 8);
        Bytes ref(data.size(), '\0');
        reference(data, ref, ks, &ivec);
        auto c = Keyed<TCipher_3DES>(key, &iv, mode);
        Bytes got(data.size(), '\0');
        c->EncipherBuffer(data.data(), got.data(), data.size());
        ASSERT_EQ(Hex(got), Hex(ref))
            << "key " << Hex(key) << " iv " << Hex(iv) << " data " << Hex(data);
        c->ResetChain();
        c->DecipherBuffer(got.data(), got.data(), got.size());
        ASSERT_EQ(got, data);
    }
}

TEST(OpenSslDes, TripleCbcOverWholeBlocks) {
    CompareTripleDesMode(102, TCipherMode::cmCBC, true,
                         [](const Bytes& data, Bytes& out, DES_key_schedule* ks, DES_cblock* iv) {
                             DES_ede3_cbc_encrypt(U8(data), U8(out), static_cast<long>(data.size()),
                                                  &ks[0], &ks[1], &ks[2], iv, DES_ENCRYPT);
                         });
}

TEST(OpenSslDes, TripleCfbEightBit) {
    CompareTripleDesMode(103, TCipherMode::cmCFB, false,
                         [](const Bytes& data, Bytes& out, DES_key_schedule* ks, DES_cblock* iv) {
                             DES_ede3_cfb_encrypt(U8(data), U8(out), 8,
                                                  static_cast<long>(data.size()), &ks[0], &ks[1],
                                                  &ks[2], iv, DES_ENCRYPT);
                         });
}

TEST(OpenSslBlowfish, BlocksForEveryKeyLength) {
    ExpectSameAsReference(
        TCipher_Blowfish::Class(), test::KeyLengths(1, 56), 6,
        [](const Bytes& key, const Bytes& block) {
            BF_KEY bk;
            BF_set_key(&bk, static_cast<int>(key.size()), U8(key));
            Bytes out(8, '\0');
            BF_ecb_encrypt(U8(block), U8(out), &bk, BF_ENCRYPT);
            return out;
        },
        104);
}
