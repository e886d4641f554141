// Limb arithmetic for RSA: schoolbook multiplication, normalised long division with an
// under-estimated quotient limb, and a left-to-right modular exponentiation with a 2-bit window.
// Every loop runs over significant limbs only, so numbers kept in oversized arrays stay cheap.
#include "rsa/Bignum.h"

#include "base/Wipe.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace velkor {

namespace {

constexpr int kDoubleLimbs = 2 * MaxLimbs;

// The products and divisions work on pairs of limbs, one 64-bit word each, so that a single
// 64 x 64 -> 128-bit multiplication does the work of four limb products. A number of n limbs
// is (n + 1) / 2 words, the low limb of each pair in the low half; the results are the same
// numbers as limb by limb, only found in fewer steps. A compiler without a 128-bit integer
// type runs the same code on single limbs with 64-bit products. Below, W is 2^kWideBits.
#if defined(__SIZEOF_INT128__)
using Wide = std::uint64_t;
__extension__ typedef unsigned __int128 WideProduct;
#else
using Wide = std::uint32_t;
using WideProduct = std::uint64_t;
#endif
constexpr int kWideBits = 8 * static_cast<int>(sizeof(Wide));
constexpr int kLimbsPerWide = static_cast<int>(sizeof(Wide) / sizeof(Limb));
constexpr int kMaxWide = (MaxLimbs + kLimbsPerWide - 1) / kLimbsPerWide;
constexpr int kDoubleWide = 2 * kMaxWide;

void WipeLimbs(Limb* p, int n) {
    if (n > 0) WipeBytes(p, 0, static_cast<std::size_t>(n) * sizeof(Limb));
}

void WipeWide(Wide* p, int n) {
    if (n > 0) WipeBytes(p, 0, static_cast<std::size_t>(n) * sizeof(Wide));
}

int WideCount(int limbs) {
    return (limbs + kLimbsPerWide - 1) / kLimbsPerWide;
}

// w[0 .. WideCount(n)) = the n limbs of a, the lower limb in the lower half of each word.
void Pack(Wide* w, const Limb* a, int n) {
    for (int i = 0; i < WideCount(n); ++i) w[i] = 0;
    for (int i = 0; i < n; ++i) w[i / kLimbsPerWide] |= Wide{a[i]} << (32 * (i % kLimbsPerWide));
}

// a[0 .. n) = w (wn words), zero above it.
void Unpack(Limb* a, int n, const Wide* w, int wn) {
    for (int i = 0; i < n; ++i)
        a[i] = i / kLimbsPerWide < wn
                   ? static_cast<Limb>(w[i / kLimbsPerWide] >> (32 * (i % kLimbsPerWide)))
                   : 0;
}

int SignificantWide(const Wide* w, int n) {
    while (n > 0 && w[n - 1] == 0) --n;
    return n;
}

// t[0 .. bs + cs) = b * c, schoolbook over the significant words of both factors.
void WideMul(Wide* t, const Wide* b, int bs, const Wide* c, int cs) {
    for (int i = 0; i < bs + cs; ++i) t[i] = 0;
    for (int i = 0; i < bs; ++i) {
        const Wide x = b[i];
        if (x == 0) continue; // t[i + cs] is still zero
        Wide carry = 0;
        for (int j = 0; j < cs; ++j) {
            // x * c[j] + t[i + j] + carry is at most W^2 - 1.
            const WideProduct p = WideProduct{x} * c[j] + t[i + j] + carry;
            t[i + j] = static_cast<Wide>(p);
            carry = static_cast<Wide>(p >> kWideBits);
        }
        t[i + cs] = carry;
    }
}

// a[0 .. n) -= e * v[0 .. n); returns the word to take from the next higher word.
Wide WideSubMul(Wide* a, Wide e, const Wide* v, int n) {
    Wide borrow = 0;
    for (int j = 0; j < n; ++j) {
        const WideProduct p = WideProduct{e} * v[j] + borrow;
        const Wide low = static_cast<Wide>(p);
        const Wide aj = a[j];
        a[j] = aj - low;
        // The high word is below W - 1 whenever the low word is non-zero: no wrap.
        borrow = static_cast<Wide>(p >> kWideBits) + (aj < low ? 1 : 0);
    }
    return borrow;
}

Wide WideSub(Wide* a, const Wide* v, int n) {
    Wide borrow = 0;
    for (int j = 0; j < n; ++j) {
        const Wide aj = a[j];
        const Wide d = aj - v[j];
        const Wide next = (aj < v[j] || (aj == v[j] && borrow != 0)) ? 1 : 0;
        a[j] = d - borrow;
        borrow = next;
    }
    return borrow;
}

// a >= v over n words.
bool WideNotBelow(const Wide* a, const Wide* v, int n) {
    for (int j = n - 1; j >= 0; --j)
        if (a[j] != v[j]) return a[j] > v[j];
    return true;
}

// A divisor made ready once for any number of reductions: shifted left until the top bit of
// its top word is set, with what the quotient estimate needs.
struct TDivisor {
    Wide V[kMaxWide];
    int Size = 0; // significant words, 0 for a zero divisor
    unsigned Shift = 0;
    Wide Top = 0;
    // floor((W^2 - 1) / (Top + 1)) - W, unless Top is all ones.
    Wide Reciprocal = 0;

    TDivisor(const Limb* d, int dn) {
        const int limbs = NumLimbCount(d, dn);
        if (limbs == 0) return;
        Pack(V, d, limbs);
        Size = WideCount(limbs);
        Shift = kWideBits - static_cast<unsigned>(std::bit_width(V[Size - 1]));
        if (Shift != 0) {
            for (int i = Size - 1; i > 0; --i)
                V[i] = V[i] << Shift | V[i - 1] >> (kWideBits - Shift);
            V[0] <<= Shift;
        }
        Top = V[Size - 1];
        if (Top != ~Wide{0})
            Reciprocal = static_cast<Wide>(~WideProduct{0} / (WideProduct{Top} + 1));
    }
    TDivisor(const TDivisor&) = delete;
    TDivisor& operator=(const TDivisor&) = delete;
    ~TDivisor() { WipeWide(V, Size); }

    // A quotient word that never exceeds floor((hi * W + lo) / (Top + 1)), hence never the
    // true one, and falls short of it by a few units at most: the product with the reciprocal
    // (W + Reciprocal), with the low parts dropped. Needs hi <= Top.
    Wide Estimate(Wide hi, Wide lo) const {
        if (Top == ~Wide{0}) return hi;
        const WideProduct sum = WideProduct{lo} + WideProduct{hi} * Reciprocal +
                                ((WideProduct{lo} * Reciprocal) >> kWideBits);
        return hi + static_cast<Wide>(sum >> kWideBits);
    }
};

// Normalised long division of c (cs significant words) by the divisor: the remainder goes to
// r (divisor.Size words) and, when q is given, the quotient to q[0 .. cs - Size] (nothing when
// c is the shorter). w is the working remainder, cs + 1 words; the caller wipes it.
void WideDivide(Wide* q, Wide* r, const Wide* c, int cs, const TDivisor& divisor, Wide* w) {
    const int ds = divisor.Size;
    const unsigned shift = divisor.Shift;
    for (int i = cs; i < ds; ++i) w[i] = 0;
    if (shift == 0) {
        for (int i = 0; i < cs; ++i) w[i] = c[i];
        w[cs] = 0;
    } else {
        Wide carry = 0;
        for (int i = 0; i < cs; ++i) {
            w[i] = c[i] << shift | carry;
            carry = c[i] >> (kWideBits - shift);
        }
        w[cs] = carry;
    }
    const Wide* v = divisor.V;
    for (int i = cs - ds; i >= 0; --i) {
        Wide e = divisor.Estimate(w[i + ds], w[i + ds - 1]);
        if (e != 0) w[i + ds] -= WideSubMul(w + i, e, v, ds);
        while (w[i + ds] != 0 || WideNotBelow(w + i, v, ds)) {
            ++e;
            w[i + ds] -= WideSub(w + i, v, ds);
        }
        if (q != nullptr) q[i] = e;
    }
    if (shift == 0) {
        for (int i = 0; i < ds; ++i) r[i] = w[i];
    } else {
        for (int i = 0; i < ds; ++i)
            r[i] = w[i] >> shift | (i + 1 < ds ? w[i + 1] << (kWideBits - shift) : 0);
    }
}

// Scratch of one modular multiplication of factors below W^kMaxWide.
struct TProductScratch {
    Wide Product[kDoubleWide];
    Wide Remainder[kDoubleWide + 1];
};

// a (divisor.Size words) = b (bn words) * c (cn words) mod the divisor; a may be b or c.
void WideModMul(Wide* a, const Wide* b, int bn, const Wide* c, int cn, const TDivisor& divisor,
                TProductScratch& s) {
    const int bs = SignificantWide(b, bn);
    const int cs = SignificantWide(c, cn);
    WideMul(s.Product, b, bs, c, cs);
    WideDivide(nullptr, a, s.Product, bs + cs, divisor, s.Remainder);
}

} // namespace

void WipeBytes(void* p, std::uint8_t value, std::size_t count) {
    SecureWipe(p, count, value);
}

void NumAssign(Limb* a, const Limb* b, int n) {
    for (int i = 0; i < n; ++i) a[i] = b[i];
}

void NumAssignZero(Limb* a, int n) {
    for (int i = 0; i < n; ++i) a[i] = 0;
}

void NumAssignPow2(Limb* a, unsigned k, int n) {
    NumAssignZero(a, n);
    if (n > 0 && k < 32U * static_cast<unsigned>(n)) a[k / 32] = Limb{1} << (k % 32);
}

Limb NumAdd(Limb* a, const Limb* b, const Limb* c, int n) {
    std::uint64_t carry = 0;
    for (int i = 0; i < n; ++i) {
        carry += std::uint64_t{b[i]} + c[i];
        a[i] = static_cast<Limb>(carry);
        carry >>= 32;
    }
    return static_cast<Limb>(carry);
}

Limb NumSub(Limb* a, const Limb* b, const Limb* c, int n) {
    Limb borrow = 0;
    for (int i = 0; i < n; ++i) {
        const Limb bi = b[i];
        const Limb ci = c[i];
        const Limb diff = bi - ci - borrow;
        borrow = (bi < ci || (bi == ci && borrow != 0)) ? 1 : 0;
        a[i] = diff;
    }
    return borrow;
}

void NumMul(Limb* a, const Limb* b, const Limb* c, int n) {
    Wide x[kMaxWide];
    Wide y[kMaxWide];
    Wide t[kDoubleWide];
    const int bs = WideCount(NumLimbCount(b, n));
    const int cs = WideCount(NumLimbCount(c, n));
    Pack(x, b, NumLimbCount(b, n));
    Pack(y, c, NumLimbCount(c, n));
    WideMul(t, x, bs, y, cs);
    Unpack(a, 2 * n, t, bs + cs);
    WipeWide(x, bs);
    WipeWide(y, cs);
    WipeWide(t, bs + cs);
}

Limb NumShiftLeft(Limb* a, const Limb* b, unsigned k, int n) {
    if (k >= 32) return 0;
    if (k == 0) {
        NumAssign(a, b, n);
        return 0;
    }
    Limb carry = 0;
    for (int i = 0; i < n; ++i) {
        const Limb x = b[i];
        a[i] = (x << k) | carry;
        carry = x >> (32 - k);
    }
    return carry;
}

Limb NumShiftRight(Limb* a, const Limb* b, unsigned k, int n) {
    if (k >= 32) return 0;
    if (k == 0) {
        NumAssign(a, b, n);
        return 0;
    }
    Limb carry = 0;
    for (int i = n - 1; i >= 0; --i) {
        const Limb x = b[i];
        a[i] = (x >> k) | carry;
        carry = x << (32 - k);
    }
    return carry;
}

namespace {

// q (qn limbs, when given) = c / d and r (rn limbs) = c mod d; nothing is written for a zero d.
// Everything is read before q or r is written, so either may alias c or d.
void DivideLimbs(Limb* q, int qn, Limb* r, int rn, const Limb* c, int cn, const Limb* d, int dn) {
    const TDivisor divisor(d, dn);
    if (divisor.Size == 0) return;
    const int climbs = NumLimbCount(c, cn);
    const int cs = WideCount(climbs);
    Wide x[kDoubleWide];
    Wide w[kDoubleWide + 1];
    Wide quotient[kDoubleWide];
    Wide remainder[kMaxWide];
    Pack(x, c, climbs);
    const int qs = cs >= divisor.Size ? cs - divisor.Size + 1 : 0;
    WideDivide(q != nullptr ? quotient : nullptr, remainder, x, cs, divisor, w);
    if (q != nullptr) Unpack(q, qn, quotient, qs);
    Unpack(r, rn, remainder, divisor.Size);
    WipeWide(x, cs);
    WipeWide(w, std::max(cs + 1, divisor.Size));
    if (q != nullptr) WipeWide(quotient, qs);
    WipeWide(remainder, divisor.Size);
}

} // namespace

void NumDivMod(Limb* q, Limb* r, const Limb* c, int cn, const Limb* d, int dn) {
    DivideLimbs(q, cn, r, dn, c, cn, d, dn);
}

void NumMod(Limb* r, const Limb* b, int bn, const Limb* c, int cn) {
    DivideLimbs(nullptr, 0, r, cn, b, bn, c, cn);
}

void NumModMul(Limb* a, const Limb* b, const Limb* c, const Limb* d, int n) {
    const TDivisor divisor(d, n);
    if (divisor.Size == 0) return;
    Wide x[kMaxWide];
    Wide y[kMaxWide];
    Wide result[kMaxWide];
    TProductScratch scratch;
    const int bs = WideCount(NumLimbCount(b, n));
    const int cs = WideCount(NumLimbCount(c, n));
    Pack(x, b, NumLimbCount(b, n));
    Pack(y, c, NumLimbCount(c, n));
    WideMul(scratch.Product, x, bs, y, cs);
    WideDivide(nullptr, result, scratch.Product, bs + cs, divisor, scratch.Remainder);
    Unpack(a, n, result, divisor.Size);
    WipeWide(x, bs);
    WipeWide(y, cs);
    WipeWide(result, divisor.Size);
    WipeWide(scratch.Product, bs + cs);
    WipeWide(scratch.Remainder, std::max(bs + cs + 1, divisor.Size));
}

void NumModExp(Limb* a, const Limb* b, const Limb* c, int cn, const Limb* d, int dn) {
    if (dn <= 0) return;
    const TDivisor divisor(d, dn);
    if (divisor.Size == 0) {
        // No product can be reduced by a zero modulus, so the running value stays 1.
        NumAssignZero(a, dn);
        a[0] = 1;
        return;
    }
    // The powers and the running value in words, each as long as the modulus, except P1: it
    // is b itself, not reduced, so it may be longer.
    const int ds = divisor.Size;
    Wide p1[kMaxWide] = {};
    Wide p2[kMaxWide] = {};
    Wide p3[kMaxWide] = {};
    Wide t[kMaxWide] = {};
    TProductScratch scratch;
    const int p1n = WideCount(NumLimbCount(b, dn));
    Pack(p1, b, NumLimbCount(b, dn));
    WideModMul(p2, p1, p1n, p1, p1n, divisor, scratch);
    WideModMul(p3, p2, ds, p1, p1n, divisor, scratch);
    t[0] = 1;
    const Wide* powers[4] = {nullptr, p1, p2, p3};
    const int lengths[4] = {0, p1n, ds, ds};

    const int cs = NumLimbCount(c, cn);
    for (int i = cs - 1; i >= 0; --i) {
        Limb x = c[i];
        int bits = 32;
        if (i == cs - 1) {
            while ((x & 0xC0000000U) == 0) {
                x <<= 2;
                bits -= 2;
            }
        }
        for (int g = 0; g < bits / 2; ++g) {
            WideModMul(t, t, ds, t, ds, divisor, scratch);
            WideModMul(t, t, ds, t, ds, divisor, scratch);
            const Limb s = x >> 30;
            if (s != 0) WideModMul(t, t, ds, powers[s], lengths[s], divisor, scratch);
            x <<= 2;
        }
    }

    Unpack(a, dn, t, ds);
    // The scratch is shared by every product above and wiped once, here.
    const int longest = std::max(p1n, ds);
    WipeWide(p1, longest);
    WipeWide(p2, longest);
    WipeWide(p3, longest);
    WipeWide(t, longest);
    WipeWide(scratch.Product, 2 * longest);
    WipeWide(scratch.Remainder, 2 * longest + 1);
}

void NumModInverse(Limb* a, const Limb* b, const Limb* c, int n) {
    Limb x[MaxLimbs];
    Limb y[MaxLimbs];
    Limb g[MaxLimbs];
    Limb h[MaxLimbs];
    Limb q[MaxLimbs];
    Limb rem[MaxLimbs];
    Limb z[MaxLimbs];
    Limb product[kDoubleLimbs];

    // Extended Euclid with only the cofactor of b: x * b is congruent to +g or -g modulo c,
    // the sign alternating with each step.
    NumAssignZero(x, n);
    if (n > 0) x[0] = 1;
    NumAssignZero(y, n);
    NumAssign(g, b, n);
    NumAssign(h, c, n);
    bool negative = false;
    while (!NumIsZero(h, n)) {
        NumDivMod(q, rem, g, n, h, n);
        NumMul(product, q, y, n);
        NumAdd(z, x, product, n);
        NumAssign(x, y, n);
        NumAssign(y, z, n);
        NumAssign(g, h, n);
        NumAssign(h, rem, n);
        negative = !negative;
    }
    if (negative)
        NumSub(a, c, x, n);
    else
        NumAssign(a, x, n);

    for (Limb* p : {x, y, g, h, q, rem, z}) WipeLimbs(p, n);
    WipeLimbs(product, 2 * n);
}

void NumGcd(Limb* a, const Limb* b, const Limb* c, int n) {
    Limb t[MaxLimbs];
    Limb u[MaxLimbs];
    Limb r[MaxLimbs];
    NumAssign(t, b, n);
    NumAssign(u, c, n);
    while (!NumIsZero(u, n)) {
        NumMod(r, t, n, u, n);
        NumAssign(t, u, n);
        NumAssign(u, r, n);
    }
    NumAssign(a, t, n);
    WipeLimbs(t, n);
    WipeLimbs(u, n);
    WipeLimbs(r, n);
}

int NumCompare(const Limb* a, const Limb* b, int n) {
    for (int i = n - 1; i >= 0; --i) {
        if (a[i] > b[i]) return 1;
        if (a[i] < b[i]) return -1;
    }
    return 0;
}

bool NumIsZero(const Limb* a, int n) {
    return NumLimbCount(a, n) == 0;
}

unsigned NumBitLength(const Limb* a, int n) {
    const int s = NumLimbCount(a, n);
    if (s == 0) return 0;
    return 32U * static_cast<unsigned>(s - 1) + LimbBitLength(a[s - 1]);
}

int NumLimbCount(const Limb* a, int n) {
    for (int i = n - 1; i >= 0; --i)
        if (a[i] != 0) return i + 1;
    return 0;
}

Limb NumAddLimbMul(Limb* a, const Limb* b, Limb c, const Limb* d, int n) {
    if (c == 0) return 0;
    std::uint64_t carry = 0;
    for (int i = 0; i < n; ++i) {
        // c * d[i] + b[i] + carry is at most 2^64 - 1, so the sum never overflows.
        carry += std::uint64_t{c} * d[i] + b[i];
        a[i] = static_cast<Limb>(carry);
        carry >>= 32;
    }
    return static_cast<Limb>(carry);
}

Limb NumSubLimbMul(Limb* a, const Limb* b, Limb c, const Limb* d, int n) {
    if (c == 0) return 0;
    Limb borrow = 0;
    for (int i = 0; i < n; ++i) {
        const std::uint64_t p = std::uint64_t{c} * d[i] + borrow;
        const Limb low = static_cast<Limb>(p);
        Limb high = static_cast<Limb>(p >> 32);
        const Limb bi = b[i];
        a[i] = bi - low;
        // high is below 2^32 - 1 whenever low is non-zero, so this cannot wrap.
        if (bi < low) ++high;
        borrow = high;
    }
    return borrow;
}

unsigned LimbBitLength(Limb x) {
    return static_cast<unsigned>(std::bit_width(x));
}

void LimbMul(Limb* p, Limb x, Limb y) {
    const std::uint64_t product = std::uint64_t{x} * y;
    p[0] = static_cast<Limb>(product);
    p[1] = static_cast<Limb>(product >> 32);
}

Limb LimbDiv(const Limb* b, Limb c) {
    // b[1] < c keeps the quotient within one limb, so one 64-by-32-bit division is exact.
    const std::uint64_t dividend = (std::uint64_t{b[1]} << 32) | b[0];
    return static_cast<Limb>(dividend / c);
}

} // namespace velkor
