// The DES family: published single-DES answers, the key layouts (parity bits, short keys, equal
// keys) and the shapes of the wide-block variants, "DES Triple 24byte" above all.
#include "cipher/DES.h"

#include "BlockReference.h"

#include <gtest/gtest.h>

#include <random>

using namespace velkor;
using velkor::test::Deciphered;
using velkor::test::Enciphered;
using velkor::test::Hex;
using velkor::test::RandomBytes;
using velkor::test::ReadVectors;
using velkor::test::Unhex;

namespace {} // namespace

TEST(DesKnownAnswers, SingleDesReproducesPublishedResults) {
    for (const auto& r : ReadVectors("des.vec", "DES")) {
        Bytes key = Unhex(r["Key"]), in = Unhex(r["In"]), out = Unhex(r["Out"]);
        EXPECT_EQ(Hex(Enciphered<TCipher_1DES>(key, in)), r["Out"]) << "line " << r.Line;
        EXPECT_EQ(Hex(Deciphered<TCipher_1DES>(key, out)), r["In"]) << "line " << r.Line;
    }
}

TEST(DesKnownAnswers, CbcExampleOfFips81) {
    for (const auto& r : ReadVectors("des.vec", "DES CBC")) {
        Bytes key = Unhex(r["Key"]), iv = Unhex(r["IV"]), in = Unhex(r["In"]);
        TCipher_1DES c;
        c.SetMode(TCipherMode::cmCBC);
        c.Init(key.data(), 8, iv.data());
        Bytes out(in.size(), '\0');
        c.EncipherBuffer(in.data(), out.data(), in.size());
        EXPECT_EQ(Hex(out), r["Out"]);
        c.ResetChain();
        c.DecipherBuffer(out.data(), out.data(), out.size());
        EXPECT_EQ(out, in);
    }
}

TEST(DesKeys, ParityBitsAreIgnored) {
    std::mt19937 rng(1);
    for (const auto& r : ReadVectors("des.vec", "DES")) {
        Bytes key = Unhex(r["Key"]);
        for (auto& ch : key) ch = static_cast<char>(ch ^ (rng() & 1));
        EXPECT_EQ(Hex(Enciphered<TCipher_1DES>(key, Unhex(r["In"]))), r["Out"])
            << "line " << r.Line;
    }
}

TEST(DesKeys, EqualKeysReduceToSingleDes) {
    std::mt19937 rng(2);
    for (int i = 0; i < 50; ++i) {
        Bytes k = RandomBytes(rng, 8), block = RandomBytes(rng, 8);
        Bytes single = Enciphered<TCipher_1DES>(k, block);
        EXPECT_EQ(Enciphered<TCipher_3DES>(k + k + k, block), single)
            << Hex(k) << " " << Hex(block);
        EXPECT_EQ(Enciphered<TCipher_2DES>(k + k, block), single) << Hex(k) << " " << Hex(block);
        EXPECT_EQ(Deciphered<TCipher_3DES>(k + k + k, single), block);
        EXPECT_EQ(Deciphered<TCipher_2DES>(k + k, single), block);
    }
}

TEST(DesKeys, MissingKeyBytesAreZero) {
    std::mt19937 rng(3);
    Bytes k16 = RandomBytes(rng, 16), zeros(8, '\0');
    Bytes block8 = RandomBytes(rng, 8), block24 = RandomBytes(rng, 24);
    EXPECT_EQ(Enciphered<TCipher_3DES>(k16, block8), Enciphered<TCipher_3DES>(k16 + zeros, block8));
    EXPECT_EQ(Enciphered<TCipher_3TDES>(k16, block24),
              Enciphered<TCipher_3TDES>(k16 + zeros, block24));
    // K3 is zero, not K1 again.
    EXPECT_NE(Enciphered<TCipher_3DES>(k16, block8),
              Enciphered<TCipher_3DES>(k16 + k16.substr(0, 8), block8));
    EXPECT_EQ(Enciphered<TCipher_2DES>(k16.substr(0, 8), block8),
              Enciphered<TCipher_2DES>(k16.substr(0, 8) + zeros, block8));
}

TEST(DesKeys, EmptyOrNegativeLengthIsTheZeroKey) {
    Bytes block = Unhex("0123456789ABCDEF"), zeros(24, '\0');
    TCipher_3DES c;
    c.Init(nullptr, 0, nullptr);
    Bytes a = block;
    c.EncipherBlock(a.data());
    c.Init(zeros.data(), -5, nullptr);
    Bytes b = block;
    c.EncipherBlock(b.data());
    EXPECT_EQ(a, Enciphered<TCipher_3DES>(zeros, block));
    EXPECT_EQ(b, a);
}

TEST(DesKeys, OverlongKeyIsCutToTheKeySize) {
    Bytes key = Unhex("0123456789ABCDEF55AA"), block = Unhex("4E6F772069732074");
    EXPECT_EQ(Hex(Enciphered<TCipher_1DES>(key, block)), "3FA40E8A984D4815");
}

// The wide classes, rebuilt from single DES under each key: a pass runs over every 8-byte
// sub-block, and bytes 4-7 trade places with bytes 8-11 between passes.
TEST(DesWideBlocks, PassesAndHalfExchangesOverSubBlocks) {
    std::mt19937 rng(4);
    auto exchange = [](Bytes& b) {
        for (int i = 4; i < 8; ++i)
            std::swap(b[static_cast<std::size_t>(i)], b[static_cast<std::size_t>(i + 4)]);
    };
    auto pass = [](Bytes& b, const Bytes& key, bool encipher) {
        for (std::size_t i = 0; i < b.size(); i += 8) {
            Bytes sub = b.substr(i, 8);
            sub =
                encipher ? Enciphered<TCipher_1DES>(key, sub) : Deciphered<TCipher_1DES>(key, sub);
            b.replace(i, 8, sub);
        }
    };
    for (int i = 0; i < 10; ++i) {
        Bytes key = RandomBytes(rng, 24);
        Bytes k1 = key.substr(0, 8), k2 = key.substr(8, 8), k3 = key.substr(16, 8);
        for (std::size_t width : {16u, 24u}) {
            Bytes expect = RandomBytes(rng, width), block = expect;
            pass(expect, k1, true);
            exchange(expect);
            pass(expect, k2, false);
            exchange(expect);
            pass(expect, k3, true);
            Bytes got = width == 16 ? Enciphered<TCipher_3DDES>(key, block)
                                    : Enciphered<TCipher_3TDES>(key, block);
            EXPECT_EQ(Hex(got), Hex(expect)) << Hex(key) << " " << Hex(block);
        }
        Bytes expect = RandomBytes(rng, 16), block = expect;
        pass(expect, k1, true);
        exchange(expect);
        pass(expect, k2, false);
        exchange(expect);
        pass(expect, k1, true);
        EXPECT_EQ(Hex(Enciphered<TCipher_2DDES>(key.substr(0, 16), block)), Hex(expect));
        EXPECT_EQ(Deciphered<TCipher_2DDES>(key.substr(0, 16), expect), block);
        EXPECT_EQ(Deciphered<TCipher_3DDES>(key, Enciphered<TCipher_3DDES>(key, block)), block);
    }
}

TEST(DesTriple24, ReproducesTheRawKeyVectorsBothWays) {
    for (const auto& r : ReadVectors("des24.vec", "DES Triple 24byte")) {
        Bytes key = Unhex(r["Key"]);
        EXPECT_EQ(Hex(Enciphered<TCipher_3TDES>(key, Unhex(r["In"]))), r["Out"])
            << "line " << r.Line;
        EXPECT_EQ(Hex(Deciphered<TCipher_3TDES>(key, Unhex(r["Out"]))), r["In"])
            << "line " << r.Line;
    }
}

TEST(DesTriple24, SubBlockCMixesWithNothing) {
    std::mt19937 rng(5);
    Bytes key = RandomBytes(rng, 24), block = RandomBytes(rng, 24);
    Bytes base = Enciphered<TCipher_3TDES>(key, block);
    ASSERT_EQ(base.size(), 24u);

    Bytes changedC = block;
    changedC[20] ^= 1;
    Bytes outC = Enciphered<TCipher_3TDES>(key, changedC);
    EXPECT_EQ(outC.substr(0, 16), base.substr(0, 16));
    EXPECT_NE(outC.substr(16), base.substr(16));

    Bytes changedA = block;
    changedA[0] ^= 1;
    Bytes outA = Enciphered<TCipher_3TDES>(key, changedA);
    EXPECT_NE(outA.substr(0, 8), base.substr(0, 8));
    EXPECT_NE(outA.substr(8, 8), base.substr(8, 8)); // A and B are mixed
    EXPECT_EQ(outA.substr(16), base.substr(16));
}

TEST(DesTriple24, RoundTripOnRandomBlocks) {
    std::mt19937 rng(6);
    for (int i = 0; i < 50; ++i) {
        Bytes key = RandomBytes(rng, 24), block = RandomBytes(rng, 24);
        EXPECT_EQ(Deciphered<TCipher_3TDES>(key, Enciphered<TCipher_3TDES>(key, block)), block)
            << Hex(key) << " " << Hex(block);
    }
}

TEST(DesClasses, SizesAndNames) {
    struct Case {
        TCipherClass cls;
        const char* name;
        int block, key, schedule;
    };
    const Case cases[] = {
        {TCipher_1DES::Class(), "TCipher_1DES", 8, 8, 256},
        {TCipher_2DES::Class(), "TCipher_2DES", 8, 16, 512},
        {TCipher_2DDES::Class(), "TCipher_2DDES", 16, 16, 512},
        {TCipher_3DES::Class(), "TCipher_3DES", 8, 24, 768},
        {TCipher_3DDES::Class(), "TCipher_3DDES", 16, 24, 768},
        {TCipher_3TDES::Class(), "TCipher_3TDES", 24, 24, 768},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.cls->ClassName(), c.name);
        EXPECT_EQ(c.cls->BlockSize(), c.block) << c.name;
        EXPECT_EQ(c.cls->KeySize(), c.key) << c.name;
        EXPECT_EQ(c.cls->KeyScheduleSize(), c.schedule) << c.name;
        TCipherRef obj = c.cls->Create(nullptr);
        EXPECT_EQ(obj->ClassType(), c.cls);
        EXPECT_EQ(obj->BlockSize(), c.block);
        EXPECT_TRUE(c.cls->InheritsFrom(TCipher_1DES::Class())) << c.name;
    }
    EXPECT_TRUE(TCipher_3TDES::Class()->InheritsFrom(TCipher_3DES::Class()));
    EXPECT_FALSE(TCipher_3TDES::Class()->InheritsFrom(TCipher_2DES::Class()));
}
