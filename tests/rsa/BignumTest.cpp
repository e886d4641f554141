// The limb routines' pinned behaviour: what they leave untouched, what they return at the
// edges, aliasing, and that oversized limb counts give the results of the significant ones.
#include "rsa/Bignum.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace velkor {
namespace {

constexpr Limb kSentinel = 0xA5A5A5A5U;

std::vector<Limb> Filled(int n, Limb value = kSentinel) {
    return std::vector<Limb>(static_cast<std::size_t>(n), value);
}

std::vector<Limb> Num(std::initializer_list<Limb> limbs, int n) {
    std::vector<Limb> v(static_cast<std::size_t>(n), 0);
    std::size_t i = 0;
    for (Limb l : limbs) v[i++] = l;
    return v;
}

TEST(BignumDivision, ZeroDivisorWritesNothing) {
    auto c = Num({5, 6, 7}, 3);
    auto d = Num({}, 2);
    auto q = Filled(3);
    auto r = Filled(2);
    NumDivMod(q.data(), r.data(), c.data(), 3, d.data(), 2);
    EXPECT_EQ(q, Filled(3));
    EXPECT_EQ(r, Filled(2));

    auto a = Filled(2);
    auto b = Num({3, 4}, 2);
    NumModMul(a.data(), b.data(), b.data(), d.data(), 2);
    EXPECT_EQ(a, Filled(2)) << "a zero modulus leaves the product's output as it was";
}

TEST(BignumDivision, DividendBelowDivisorGivesZeroQuotient) {
    auto c = Num({0x12345678, 0x9}, 4);
    auto d = Num({1, 2, 3}, 4);
    auto q = Filled(4);
    auto r = Filled(4);
    NumDivMod(q.data(), r.data(), c.data(), 4, d.data(), 4);
    EXPECT_EQ(q, Num({}, 4));
    EXPECT_EQ(r, c);
}

TEST(BignumDivision, AllOnesSingleLimbDivisor) {
    // 2^32 - 1 is already normalised; the quotient limb is estimated from the remainder's top.
    const std::uint64_t dividend = 0xFFFFFFFE12345678ULL;
    auto c = Num({static_cast<Limb>(dividend), static_cast<Limb>(dividend >> 32), 7}, 3);
    auto d = Num({0xFFFFFFFFU}, 1);
    auto q = Filled(3);
    auto r = Filled(1);
    NumDivMod(q.data(), r.data(), c.data(), 3, d.data(), 1);
    // c = 7 * 2^64 + dividend; with B = 2^32 and B = 1 (mod B - 1) its residue is the limb sum.
    const std::uint64_t sum = 7ULL + (dividend >> 32) + (dividend & 0xFFFFFFFFU);
    EXPECT_EQ(r[0], sum % 0xFFFFFFFFULL);
    std::vector<Limb> back(6);
    NumMul(back.data(), q.data(), Num({0xFFFFFFFFU}, 3).data(), 3);
    EXPECT_EQ(NumAdd(back.data(), back.data(), Num({r[0]}, 6).data(), 6), 0U);
    EXPECT_EQ(back, Num({c[0], c[1], c[2]}, 6)) << "q * d + r gives c back";
}

TEST(BignumDivision, WritesExactlyTheStatedLimbs) {
    // Outputs sized cn and dn, with a guard limb after each that must survive.
    auto c = Num({0xDEADBEEF, 0x01234567, 0x89ABCDEF, 0xFEDCBA98}, 4);
    auto d = Num({0x11111111, 0x3}, 3);
    auto q = Filled(5);
    auto r = Filled(4);
    NumDivMod(q.data(), r.data(), c.data(), 4, d.data(), 3);
    EXPECT_EQ(q[4], kSentinel);
    EXPECT_EQ(r[3], kSentinel);
    EXPECT_EQ(r[2], 0U) << "the remainder is zeroed over all dn limbs";
}

TEST(BignumDivision, OutputsMayAliasTheOperands) {
    auto c = Num({0xDEADBEEF, 0x01234567, 0x89ABCDEF}, 3);
    auto d = Num({0x10001, 0x2}, 3);
    std::vector<Limb> q(3), r(3);
    NumDivMod(q.data(), r.data(), c.data(), 3, d.data(), 3);
    auto c2 = c;
    auto d2 = d;
    std::vector<Limb> q2(3);
    NumDivMod(q2.data(), d2.data(), c2.data(), 3, d2.data(), 3); // remainder over the divisor
    EXPECT_EQ(q2, q);
    EXPECT_EQ(d2, r);
    auto c3 = c;
    std::vector<Limb> r3(3);
    NumDivMod(c3.data(), r3.data(), c3.data(), 3, d.data(), 3); // quotient over the dividend
    EXPECT_EQ(c3, q);
    EXPECT_EQ(r3, r);
}

// Dividends that leave the working remainder exactly equal to the divisor after the estimated
// subtraction: the correction step must take that last divisor away too (q one higher, r = 0).
TEST(BignumDivision, RemainderEqualToTheDivisorIsTakenAway) {
    struct Case {
        std::vector<Limb> c, d, q, r;
    };
    const std::vector<Limb> d3 = {0x89ABCDEF, 0x01234567, 0x00000003};
    const Case cases[] = {
        {{5}, {5}, {1}, {0}},
        {{0x80000001}, {0x80000001}, {1}, {0}}, // already normalised
        {{0xFFFFFFFF}, {0xFFFFFFFF}, {1}, {0}}, // quotient estimated from the top limb
        {d3, d3, {1, 0, 0}, {0, 0, 0}},
        // 3d, d(2^32 - 1), d(2^32 + 1) and d * 0x10001 - 1, with d = d3
        {{0x9D0369CD, 0x0369D036, 0x00000009}, d3, {3, 0, 0}, {0, 0, 0}},
        {{0x76543211, 0x88888887, 0x01234564, 0x00000003}, d3, {0xFFFFFFFF, 0, 0, 0}, {0, 0, 0}},
        {{0x89ABCDEF, 0x8ACF1356, 0x0123456A, 0x00000003}, d3, {1, 1, 0, 0}, {0, 0, 0}},
        {{0x579ACDEE, 0x468ACF13, 0x00030126, 0},
         d3,
         {0x10000, 0, 0, 0},
         {0x89ABCDEE, 0x01234567, 3}},
    };
    for (const Case& c : cases) {
        auto q = Filled(static_cast<int>(c.c.size()));
        auto r = Filled(static_cast<int>(c.d.size()));
        NumDivMod(q.data(), r.data(), c.c.data(), static_cast<int>(c.c.size()), c.d.data(),
                  static_cast<int>(c.d.size()));
        EXPECT_EQ(q, c.q) << "c[0] = " << c.c[0];
        EXPECT_EQ(r, c.r) << "c[0] = " << c.c[0];
        auto m = Filled(static_cast<int>(c.d.size()));
        NumMod(m.data(), c.c.data(), static_cast<int>(c.c.size()), c.d.data(),
               static_cast<int>(c.d.size()));
        EXPECT_EQ(m, c.r) << "c[0] = " << c.c[0];
    }
}

TEST(BignumExp, ExponentZeroOneAndZeroModulus) {
    auto b = Num({0x12345678, 0x9ABCDEF0, 0x5}, 4);
    auto d = Num({0x87654321, 0x3}, 4);
    auto zero = Num({}, 4);
    auto one = Num({1}, 4);
    auto a = Filled(4);
    NumModExp(a.data(), b.data(), zero.data(), 4, d.data(), 4);
    EXPECT_EQ(a, one);

    std::vector<Limb> expected(4);
    NumMod(expected.data(), b.data(), 4, d.data(), 4);
    NumModExp(a.data(), b.data(), one.data(), 4, d.data(), 4);
    EXPECT_EQ(a, expected) << "exponent 1 gives b mod d";

    auto e = Num({65537}, 4);
    NumModExp(a.data(), b.data(), e.data(), 4, zero.data(), 4);
    EXPECT_EQ(a, one) << "a zero modulus leaves the running value at 1";
}

TEST(BignumExp, OutputMayAliasBase) {
    auto b = Num({0x12345678, 0x9ABCDEF0, 0x5}, 4);
    auto d = Num({0x87654321, 0x3, 0x77}, 4);
    auto e = Num({0xF00DF00D, 0x1}, 2);
    std::vector<Limb> a(4);
    NumModExp(a.data(), b.data(), e.data(), 2, d.data(), 4);
    NumModExp(b.data(), b.data(), e.data(), 2, d.data(), 4);
    EXPECT_EQ(b, a);
}

TEST(BignumExp, OversizedLimbCountsGiveTheSameResult) {
    // A 512-bit private-key style operation held in 132-limb arrays, as the component does.
    std::array<Limb, 132> b{}, e{}, d{}, a16{}, a132{};
    Limb x = 0x9E3779B9U;
    for (int i = 0; i < 16; ++i) {
        x = x * 1664525U + 1013904223U;
        b[i] = x;
        x = x * 1664525U + 1013904223U;
        e[i] = x;
        x = x * 1664525U + 1013904223U;
        d[i] = x;
    }
    d[15] |= 0x80000000U;
    b[15] &= 0x7FFFFFFFU;
    NumModExp(a16.data(), b.data(), e.data(), 16, d.data(), 16);
    NumModExp(a132.data(), b.data(), e.data(), 132, d.data(), 132);
    EXPECT_EQ(a16, a132);
    EXPECT_FALSE(NumIsZero(a16.data(), 16));
}

TEST(BignumShift, ByZeroCopiesAndByThirtyTwoOrMoreWritesNothing) {
    auto b = Num({0x80000001, 0xF0000000}, 2);
    for (auto shift : {NumShiftLeft, NumShiftRight}) {
        auto a = Filled(2);
        EXPECT_EQ(shift(a.data(), b.data(), 0, 2), 0U);
        EXPECT_EQ(a, b);
        for (unsigned k : {32U, 33U, 64U, 1000U}) {
            auto untouched = Filled(2);
            EXPECT_EQ(shift(untouched.data(), b.data(), k, 2), 0U);
            EXPECT_EQ(untouched, Filled(2));
        }
    }
}

TEST(BignumShift, ReturnsTheBitsShiftedOut) {
    struct Case {
        unsigned k;
        std::vector<Limb> left;
        Limb leftOut;
        std::vector<Limb> right;
        Limb rightOut;
    };
    const auto b = Num({0x80000003, 0xF0000001}, 2);
    const Case cases[] = {
        {1, {0x00000006, 0xE0000003}, 0x1, {0xC0000001, 0x78000000}, 0x80000000},
        {4, {0x00000030, 0x00000018}, 0xF, {0x18000000, 0x0F000000}, 0x30000000},
        {31, {0x80000000, 0xC0000001}, 0x78000000, {0xE0000003, 0x1}, 0x00000006},
    };
    for (const auto& c : cases) {
        std::vector<Limb> a(2);
        EXPECT_EQ(NumShiftLeft(a.data(), b.data(), c.k, 2), c.leftOut) << "k=" << c.k;
        EXPECT_EQ(a, c.left) << "k=" << c.k;
        EXPECT_EQ(NumShiftRight(a.data(), b.data(), c.k, 2), c.rightOut) << "k=" << c.k;
        EXPECT_EQ(a, c.right) << "k=" << c.k;
        auto inPlace = b;
        NumShiftRight(inPlace.data(), inPlace.data(), c.k, 2);
        EXPECT_EQ(inPlace, c.right) << "in place, k=" << c.k;
        inPlace = b;
        NumShiftLeft(inPlace.data(), inPlace.data(), c.k, 2);
        EXPECT_EQ(inPlace, c.left) << "in place, k=" << c.k;
    }
}

TEST(BignumLimbMul, ZeroMultiplierWritesNothing) {
    auto b = Num({1, 2, 3}, 3);
    auto d = Num({4, 5, 6}, 3);
    auto a = Filled(3);
    EXPECT_EQ(NumAddLimbMul(a.data(), b.data(), 0, d.data(), 3), 0U);
    EXPECT_EQ(a, Filled(3)) << "a is not set to b";
    EXPECT_EQ(NumSubLimbMul(a.data(), b.data(), 0, d.data(), 3), 0U);
    EXPECT_EQ(a, Filled(3));
}

TEST(BignumLimbMul, CarryAndBorrowLimbs) {
    const Limb m = 0xFFFFFFFFU;
    auto ones = Num({m, m}, 2);
    std::vector<Limb> a(2);
    // (2^64 - 1) + (2^32 - 1)(2^64 - 1) = 2^96 - 2^32: carry limb 2^32 - 1, low limbs 0, m.
    EXPECT_EQ(NumAddLimbMul(a.data(), ones.data(), m, ones.data(), 2), m);
    EXPECT_EQ(a, Num({0, m}, 2));
    // 0 - (2^32 - 1)(2^64 - 1) = -(2^96 - 2^64 - 2^32 + 1): borrow limb m, low limbs 2^32-1, 0.
    auto zero = Num({}, 2);
    EXPECT_EQ(NumSubLimbMul(a.data(), zero.data(), m, ones.data(), 2), m);
    EXPECT_EQ(a, Num({m, 0}, 2));
}

TEST(BignumAddSub, CarryBorrowAndAliasing) {
    const Limb m = 0xFFFFFFFFU;
    auto x = Num({m, m}, 2);
    auto one = Num({1}, 2);
    std::vector<Limb> a(2);
    EXPECT_EQ(NumAdd(a.data(), x.data(), one.data(), 2), 1U);
    EXPECT_EQ(a, Num({}, 2));
    EXPECT_EQ(NumSub(a.data(), a.data(), one.data(), 2), 1U);
    EXPECT_EQ(a, x);
    auto y = Num({5, 1}, 2);
    EXPECT_EQ(NumSub(y.data(), y.data(), Num({6}, 2).data(), 2), 0U);
    EXPECT_EQ(y, Num({m, 0}, 2));
    EXPECT_EQ(NumAdd(y.data(), y.data(), y.data(), 2), 0U);
    EXPECT_EQ(y, Num({m - 1, 1}, 2));
}

TEST(BignumMul, ProductIsDoubleWidthAndMayAliasAFactor) {
    const Limb m = 0xFFFFFFFFU;
    std::vector<Limb> a(4);
    auto b = Num({m, m}, 2);
    NumMul(a.data(), b.data(), b.data(), 2);
    EXPECT_EQ(a, Num({1, 0, m - 1, m}, 4)) << "(2^64 - 1)^2";
    std::vector<Limb> inPlace = Num({m, m}, 4);
    NumMul(inPlace.data(), inPlace.data(), inPlace.data(), 2);
    EXPECT_EQ(inPlace, a);
}

TEST(BignumCompare, UnsignedFromTheTopLimb) {
    auto big = Num({0, 0x80000000U}, 2);
    auto small = Num({0xFFFFFFFFU, 0x7FFFFFFFU}, 2);
    EXPECT_EQ(NumCompare(big.data(), small.data(), 2), 1);
    EXPECT_EQ(NumCompare(small.data(), big.data(), 2), -1);
    EXPECT_EQ(NumCompare(big.data(), big.data(), 2), 0);
}

TEST(BignumSize, CountsAndBitLengths) {
    struct Case {
        std::vector<Limb> value;
        int limbs;
        unsigned bits;
    };
    const Case cases[] = {
        {Num({}, 4), 0, 0},
        {Num({1}, 4), 1, 1},
        {Num({0, 0x80000000U}, 4), 2, 64},
        {Num({0, 0, 1}, 4), 3, 65},
        {Num({0, 0, 0, 0xFFFFFFFFU}, 4), 4, 128},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NumLimbCount(c.value.data(), 4), c.limbs);
        EXPECT_EQ(NumBitLength(c.value.data(), 4), c.bits);
        EXPECT_EQ(NumIsZero(c.value.data(), 4), c.limbs == 0);
    }
    EXPECT_EQ(LimbBitLength(0), 0U);
    EXPECT_EQ(LimbBitLength(1), 1U);
    EXPECT_EQ(LimbBitLength(0x80000000U), 32U);
}

TEST(BignumPow2, SetsOneBitOrNone) {
    auto a = Filled(3);
    NumAssignPow2(a.data(), 70, 3);
    EXPECT_EQ(a, Num({0, 0, 0x40}, 3));
    NumAssignPow2(a.data(), 96, 3);
    EXPECT_EQ(a, Num({}, 3)) << "bit 96 does not fit in three limbs";
}

TEST(BignumInverse, SmallCases) {
    struct Case {
        Limb b, c, inverse;
    };
    const Case cases[] = {{3, 7, 5}, {65537, 3120, 2753}, {1, 11, 1}, {10, 11, 10}};
    for (const auto& k : cases) {
        auto b = Num({k.b}, 2);
        auto c = Num({k.c}, 2);
        std::vector<Limb> a(2);
        NumModInverse(a.data(), b.data(), c.data(), 2);
        EXPECT_EQ(a[0], k.inverse) << k.b << " mod " << k.c;
        EXPECT_EQ(a[1], 0U);
    }
    std::vector<Limb> g(2);
    NumGcd(g.data(), Num({84}, 2).data(), Num({126}, 2).data(), 2);
    EXPECT_EQ(g, Num({42}, 2));
    NumGcd(g.data(), Num({0}, 2).data(), Num({9}, 2).data(), 2);
    EXPECT_EQ(g, Num({9}, 2));
}

TEST(LimbArithmetic, DivisionEdges) {
    struct Case {
        Limb high, low, divisor;
    };
    const Case cases[] = {
        {0, 0, 0x00010000U},
        {0x0000FFFFU, 0xFFFFFFFFU, 0x00010000U},
        {0xFFFFFFFEU, 0xFFFFFFFFU, 0xFFFFFFFFU},
        {0x7FFFFFFFU, 0, 0x80000000U},
        {0xFFFF0000U, 0x12345678U, 0xFFFF0001U},
        {0, 0xFFFFFFFFU, 0xFFFFFFFFU},
    };
    for (const auto& c : cases) {
        const Limb b[2] = {c.low, c.high};
        const std::uint64_t dividend = (std::uint64_t{c.high} << 32) | c.low;
        EXPECT_EQ(LimbDiv(b, c.divisor), dividend / c.divisor)
            << std::hex << c.high << ":" << c.low << " / " << c.divisor;
    }
}

} // namespace
} // namespace velkor
