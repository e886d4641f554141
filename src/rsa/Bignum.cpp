// Limb arithmetic for RSA: schoolbook multiplication, normalised long division with an
// under-estimated quotient limb, and a left-to-right modular exponentiation with a 2-bit window.
// Every loop runs over significant limbs only, so numbers kept in oversized arrays stay cheap.
#include "rsa/Bignum.h"

#include "base/Wipe.h"

#include <algorithm>
#include <bit>

namespace velkor {

namespace {

constexpr int kDoubleLimbs = 2 * MaxLimbs;

void WipeLimbs(Limb* p, int n) {
    if (n > 0) WipeBytes(p, 0, static_cast<std::size_t>(n) * sizeof(Limb));
}

// t[0 .. bs+cs) = b * c, from the significant limbs of both factors.
void MulSignificant(Limb* t, const Limb* b, int bs, const Limb* c, int cs) {
    NumAssignZero(t, bs + cs);
    for (int i = 0; i < bs; ++i) t[i + cs] += NumAddLimbMul(t + i, t + i, b[i], c, cs);
}

// The long division behind NumDivMod, NumMod and NumModMul. q may be null when only the
// remainder is wanted; the remainder is written over rn limbs. Every read of c and d happens
// before q or r is written, so either may alias c or d.
void DivSignificant(Limb* q, Limb* r, int rn, const Limb* c, int cn, const Limb* d, int dn) {
    const int ds = NumLimbCount(d, dn);
    if (ds == 0) return;
    const int cs = NumLimbCount(c, cn);
    const unsigned shift = 32 - LimbBitLength(d[ds - 1]);

    Limb w[kDoubleLimbs + 1];
    Limb v[MaxLimbs];
    // The working remainder only ever holds the shifted significant part of c; the limbs above
    // it would yield zero quotient limbs, so the loop can start at cs - ds.
    NumAssignZero(w, ds);
    w[cs] = NumShiftLeft(w, c, shift, cs);
    NumAssignZero(v, ds); // only so that optimisers can see v is set before it is read
    NumShiftLeft(v, d, shift, ds);
    const Limb t = v[ds - 1];

    if (q != nullptr) NumAssignZero(q, cn);
    for (int i = cs - ds; i >= 0; --i) {
        Limb e = t == 0xFFFFFFFFU ? w[i + ds] : LimbDiv(w + i + ds - 1, t + 1);
        w[i + ds] -= NumSubLimbMul(w + i, w + i, e, v, ds);
        while (w[i + ds] != 0 || NumCompare(w + i, v, ds) >= 0) {
            ++e;
            w[i + ds] -= NumSub(w + i, w + i, v, ds);
        }
        if (q != nullptr) q[i] = e;
    }

    NumAssignZero(r, rn);
    NumShiftRight(r, w, shift, ds);

    WipeLimbs(w, std::max(cs + 1, ds));
    WipeLimbs(v, ds);
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
    Limb t[kDoubleLimbs];
    const int bs = NumLimbCount(b, n);
    const int cs = NumLimbCount(c, n);
    MulSignificant(t, b, bs, c, cs);
    NumAssign(a, t, bs + cs);
    NumAssignZero(a + bs + cs, 2 * n - (bs + cs));
    WipeLimbs(t, bs + cs);
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

void NumDivMod(Limb* q, Limb* r, const Limb* c, int cn, const Limb* d, int dn) {
    DivSignificant(q, r, dn, c, cn, d, dn);
}

void NumMod(Limb* r, const Limb* b, int bn, const Limb* c, int cn) {
    DivSignificant(nullptr, r, cn, b, bn, c, cn);
}

void NumModMul(Limb* a, const Limb* b, const Limb* c, const Limb* d, int n) {
    Limb t[kDoubleLimbs];
    const int bs = NumLimbCount(b, n);
    const int cs = NumLimbCount(c, n);
    MulSignificant(t, b, bs, c, cs);
    DivSignificant(nullptr, a, n, t, bs + cs, d, n);
    WipeLimbs(t, bs + cs);
}

void NumModExp(Limb* a, const Limb* b, const Limb* c, int cn, const Limb* d, int dn) {
    if (dn <= 0) return;
    Limb p1[MaxLimbs];
    Limb p2[MaxLimbs];
    Limb p3[MaxLimbs];
    Limb t[MaxLimbs];
    const Limb* powers[4] = {nullptr, p1, p2, p3};

    // P1 is b itself, not reduced; with a zero modulus the products below write nothing, so
    // P2, P3 and t keep the values set here.
    NumAssign(p1, b, dn);
    NumAssignZero(p2, dn);
    NumAssignZero(p3, dn);
    NumModMul(p2, p1, b, d, dn);
    NumModMul(p3, p2, b, d, dn);
    NumAssignZero(t, dn);
    t[0] = 1;

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
            NumModMul(t, t, t, d, dn);
            NumModMul(t, t, t, d, dn);
            const Limb s = x >> 30;
            if (s != 0) NumModMul(t, t, powers[s], d, dn);
            x <<= 2;
        }
    }

    NumAssign(a, t, dn);
    WipeLimbs(p1, dn);
    WipeLimbs(p2, dn);
    WipeLimbs(p3, dn);
    WipeLimbs(t, dn);
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
