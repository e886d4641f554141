// The limb routines against OpenSSL's BIGNUM on random operands of many sizes, up to the full
// 257 limbs (514 for dividends). A fixed seed keeps every run the same; a mismatch prints all
// operands in hex so it can be replayed.
#include "rsa/Bignum.h"

#include <gtest/gtest.h>
#include <openssl/bn.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace velkor {
namespace {

using Number = std::vector<Limb>;

struct BnFree {
    void operator()(BIGNUM* p) const { BN_free(p); }
};
struct CtxFree {
    void operator()(BN_CTX* p) const { BN_CTX_free(p); }
};
using Bn = std::unique_ptr<BIGNUM, BnFree>;

Bn ToBn(const Number& a) {
    std::vector<unsigned char> bytes(a.size() * 4);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<unsigned char>(a[i / 4] >> (8 * (i % 4)));
    return Bn(BN_lebin2bn(bytes.data(), static_cast<int>(bytes.size()), nullptr));
}

Number FromBn(const BIGNUM* b, std::size_t limbs) {
    std::vector<unsigned char> bytes(limbs * 4);
    EXPECT_GE(BN_bn2lebinpad(b, bytes.data(), static_cast<int>(bytes.size())), 0)
        << "reference result does not fit";
    Number a(limbs, 0);
    for (std::size_t i = 0; i < bytes.size(); ++i) a[i / 4] |= Limb{bytes[i]} << (8 * (i % 4));
    return a;
}

std::string Hex(const Number& a) {
    std::string s;
    char buf[12];
    for (std::size_t i = a.size(); i-- > 0;) {
        std::snprintf(buf, sizeof buf, "%08X", a[i]);
        s += buf;
    }
    const auto first = s.find_first_not_of('0');
    return first == std::string::npos ? "0" : s.substr(first);
}

class BignumDiff : public ::testing::Test {
protected:
    std::mt19937_64 Rng{20240611};
    std::unique_ptr<BN_CTX, CtxFree> Ctx{BN_CTX_new()};

    Limb RandomLimb() {
        // Runs of all-ones and all-zeros limbs drive the division's correction steps.
        switch (Rng() % 8) {
        case 0:
            return 0;
        case 1:
            return 0xFFFFFFFFU;
        case 2:
            return 0x80000000U;
        default:
            return static_cast<Limb>(Rng());
        }
    }
    // A number of `limbs` limbs whose significant part has `used` limbs (top limb non-zero).
    Number Random(int limbs, int used) {
        Number a(static_cast<std::size_t>(limbs), 0);
        for (int i = 0; i < used; ++i) a[i] = RandomLimb();
        if (used > 0 && a[used - 1] == 0) a[used - 1] = static_cast<Limb>(Rng() | 1);
        return a;
    }
    int Between(int low, int high) {
        return low + static_cast<int>(Rng() % static_cast<unsigned>(high - low + 1));
    }
};

const int kSizes[] = {1, 2, 3, 4, 7, 8, 16, 17, 32, 33, 64, 100, 132, 200, 257};

TEST_F(BignumDiff, Mul) {
    Bn expected(BN_new());
    for (int n : kSizes) {
        for (int iter = 0; iter < 12; ++iter) {
            Number b = Random(n, Between(0, n));
            Number c = Random(n, Between(0, n));
            Number a(2 * static_cast<std::size_t>(n), 0xCCCCCCCCU);
            NumMul(a.data(), b.data(), c.data(), n);
            BN_mul(expected.get(), ToBn(b).get(), ToBn(c).get(), Ctx.get());
            ASSERT_EQ(Hex(a), Hex(FromBn(expected.get(), a.size())))
                << "n=" << n << "\nb=" << Hex(b) << "\nc=" << Hex(c);
        }
    }
}

TEST_F(BignumDiff, DivModAndMod) {
    Bn q(BN_new()), r(BN_new());
    for (int dn : kSizes) {
        for (int iter = 0; iter < 12; ++iter) {
            const int cn = Between(1, 2 * MaxLimbs);
            Number c = Random(cn, Between(0, cn));
            Number d = Random(dn, Between(1, dn));
            if (iter == 0) d[NumLimbCount(d.data(), dn) - 1] = 0xFFFFFFFFU;
            Number gotQ(static_cast<std::size_t>(cn)), gotR(static_cast<std::size_t>(dn));
            NumDivMod(gotQ.data(), gotR.data(), c.data(), cn, d.data(), dn);
            ASSERT_EQ(BN_div(q.get(), r.get(), ToBn(c).get(), ToBn(d).get(), Ctx.get()), 1);
            ASSERT_EQ(Hex(gotQ), Hex(FromBn(q.get(), gotQ.size())))
                << "cn=" << cn << " dn=" << dn << "\nc=" << Hex(c) << "\nd=" << Hex(d);
            ASSERT_EQ(Hex(gotR), Hex(FromBn(r.get(), gotR.size())))
                << "cn=" << cn << " dn=" << dn << "\nc=" << Hex(c) << "\nd=" << Hex(d);

            Number modR(static_cast<std::size_t>(dn), 0xCCCCCCCCU);
            NumMod(modR.data(), c.data(), cn, d.data(), dn);
            ASSERT_EQ(modR, gotR) << "NumMod\nc=" << Hex(c) << "\nd=" << Hex(d);
        }
    }
}

TEST_F(BignumDiff, ModMul) {
    Bn expected(BN_new());
    for (int n : kSizes) {
        for (int iter = 0; iter < 10; ++iter) {
            // Factors need not be reduced: the full double-width product is reduced.
            Number b = Random(n, Between(0, n));
            Number c = Random(n, Between(0, n));
            Number d = Random(n, Between(1, n));
            Number a(static_cast<std::size_t>(n));
            NumModMul(a.data(), b.data(), c.data(), d.data(), n);
            BN_mod_mul(expected.get(), ToBn(b).get(), ToBn(c).get(), ToBn(d).get(), Ctx.get());
            ASSERT_EQ(Hex(a), Hex(FromBn(expected.get(), a.size())))
                << "n=" << n << "\nb=" << Hex(b) << "\nc=" << Hex(c) << "\nd=" << Hex(d);
            Number square = b;
            NumModMul(square.data(), square.data(), square.data(), d.data(), n);
            BN_mod_mul(expected.get(), ToBn(b).get(), ToBn(b).get(), ToBn(d).get(), Ctx.get());
            ASSERT_EQ(Hex(square), Hex(FromBn(expected.get(), a.size())))
                << "in place\nb=" << Hex(b) << "\nd=" << Hex(d);
        }
    }
}

TEST_F(BignumDiff, ModExp) {
    struct Shape {
        int dn, used, en, eused, iterations;
    };
    // The last rows are the costly full-width ones: few iterations there.
    const Shape shapes[] = {
        {1, 1, 1, 1, 30},     {2, 2, 2, 1, 30},      {4, 3, 4, 4, 20},
        {16, 16, 16, 16, 8},  {132, 16, 132, 16, 6}, {132, 32, 132, 32, 2},
        {132, 64, 132, 1, 3}, {257, 257, 257, 2, 2}, {257, 257, 257, 257, 1},
    };
    Bn expected(BN_new());
    for (const auto& s : shapes) {
        for (int iter = 0; iter < s.iterations; ++iter) {
            Number d = Random(s.dn, s.used);
            // The base is below 2^(32 used), not necessarily below d.
            Number b = Random(s.dn, Between(0, s.used));
            Number e = Random(s.en, Between(1, s.eused));
            if (d == Number(d.size(), 0) || (s.used == 1 && d[0] == 1)) d[0] = 0x10001;
            Number a(static_cast<std::size_t>(s.dn));
            NumModExp(a.data(), b.data(), e.data(), s.en, d.data(), s.dn);
            ASSERT_EQ(
                BN_mod_exp(expected.get(), ToBn(b).get(), ToBn(e).get(), ToBn(d).get(), Ctx.get()),
                1);
            ASSERT_EQ(Hex(a), Hex(FromBn(expected.get(), a.size())))
                << "dn=" << s.dn << " cn=" << s.en << "\nb=" << Hex(b) << "\ne=" << Hex(e)
                << "\nd=" << Hex(d);
        }
    }
}

TEST_F(BignumDiff, ModInverseAndGcd) {
    Bn expected(BN_new()), gcd(BN_new());
    for (int n : kSizes) {
        int found = 0;
        for (int iter = 0; iter < 40 && found < 6; ++iter) {
            Number c = Random(n, Between(1, n));
            Number b = Random(n, Between(1, n));
            if (NumLimbCount(c.data(), n) == 1 && c[0] < 2) continue;
            Number g(static_cast<std::size_t>(n));
            NumGcd(g.data(), b.data(), c.data(), n);
            BN_gcd(gcd.get(), ToBn(b).get(), ToBn(c).get(), Ctx.get());
            ASSERT_EQ(Hex(g), Hex(FromBn(gcd.get(), g.size())))
                << "gcd\nb=" << Hex(b) << "\nc=" << Hex(c);
            if (!BN_is_one(gcd.get())) continue;
            ++found;
            Number a(static_cast<std::size_t>(n));
            NumModInverse(a.data(), b.data(), c.data(), n);
            ASSERT_NE(BN_mod_inverse(expected.get(), ToBn(b).get(), ToBn(c).get(), Ctx.get()),
                      nullptr);
            ASSERT_EQ(Hex(a), Hex(FromBn(expected.get(), a.size())))
                << "n=" << n << "\nb=" << Hex(b) << "\nc=" << Hex(c);
        }
        EXPECT_GT(found, 0) << "no coprime pair drawn for n=" << n;
    }
    // A common factor must come out of the gcd whole.
    for (int n : {4, 64, 257}) {
        Number f = Random(n / 2, n / 2), x = Random(n / 2, n / 2), y = Random(n / 2, n / 2);
        Number b(static_cast<std::size_t>(n)), c(static_cast<std::size_t>(n));
        NumMul(b.data(), f.data(), x.data(), n / 2);
        NumMul(c.data(), f.data(), y.data(), n / 2);
        Number g(static_cast<std::size_t>(n));
        NumGcd(g.data(), b.data(), c.data(), n);
        BN_gcd(gcd.get(), ToBn(b).get(), ToBn(c).get(), Ctx.get());
        EXPECT_EQ(Hex(g), Hex(FromBn(gcd.get(), g.size()))) << "b=" << Hex(b) << "\nc=" << Hex(c);
    }
}

TEST_F(BignumDiff, LimbMulAndDivAgainstWideArithmetic) {
    for (int iter = 0; iter < 20000; ++iter) {
        const Limb x = RandomLimb(), y = RandomLimb();
        Limb p[2];
        LimbMul(p, x, y);
        const std::uint64_t product = std::uint64_t{x} * y;
        ASSERT_EQ(p[0], static_cast<Limb>(product)) << x << " * " << y;
        ASSERT_EQ(p[1], static_cast<Limb>(product >> 32)) << x << " * " << y;

        Limb c = RandomLimb() | 0x00010000U; // high 16 bits non-zero
        const Limb b[2] = {RandomLimb(), static_cast<Limb>(Rng() % c)};
        const std::uint64_t dividend = (std::uint64_t{b[1]} << 32) | b[0];
        ASSERT_EQ(LimbDiv(b, c), static_cast<Limb>(dividend / c))
            << std::hex << b[1] << ":" << b[0] << " / " << c;
    }
}

} // namespace
} // namespace velkor
