// Unsigned multi-precision arithmetic for RSA over caller-owned arrays of 32-bit limbs, least
// significant limb first. The routines never allocate, never fail and never report errors: every
// precondition is the caller's. Scratch numbers live in fixed local arrays and are wiped on return.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velkor {

using Limb = std::uint32_t;

// Largest single-width operand and limb count; double-width values (products, dividends of a
// reduction) may have twice as many limbs.
inline constexpr int MaxLimbs = 257;

void NumAssign(Limb* a, const Limb* b, int n);
void NumAssignZero(Limb* a, int n);
// a = 2^k over n limbs; a = 0 when bit k does not fit.
void NumAssignPow2(Limb* a, unsigned k, int n);

// a = b + c and a = b - c over n limbs; return the carry or borrow (0 or 1). a may alias b or c.
Limb NumAdd(Limb* a, const Limb* b, const Limb* c, int n);
Limb NumSub(Limb* a, const Limb* b, const Limb* c, int n);

// a (2n limbs) = b * c (n limbs each). a may alias b or c.
void NumMul(Limb* a, const Limb* b, const Limb* c, int n);

// Shifts by k < 32 bits over n limbs, returning the bits shifted out (right-aligned for the left
// shift, left-aligned for the right shift). k >= 32 writes nothing and returns 0. a may alias b.
Limb NumShiftLeft(Limb* a, const Limb* b, unsigned k, int n);
Limb NumShiftRight(Limb* a, const Limb* b, unsigned k, int n);

// q (cn limbs) = c / d, r (dn limbs) = c mod d. A zero divisor writes neither q nor r.
// c may have up to 2 * MaxLimbs limbs.
void NumDivMod(Limb* q, Limb* r, const Limb* c, int cn, const Limb* d, int dn);
// r (cn limbs) = b (bn limbs) mod c (cn limbs).
void NumMod(Limb* r, const Limb* b, int bn, const Limb* c, int cn);
// a = b * c mod d, all n limbs. a may alias b, c or both.
void NumModMul(Limb* a, const Limb* b, const Limb* c, const Limb* d, int n);
// a (dn limbs) = b^c mod d, b and d of dn limbs, the exponent c of cn limbs. a may alias b.
void NumModExp(Limb* a, const Limb* b, const Limb* c, int cn, const Limb* d, int dn);
// a = b^-1 mod c for coprime b and c, n limbs each.
void NumModInverse(Limb* a, const Limb* b, const Limb* c, int n);
// a = gcd(b, c), n limbs each.
void NumGcd(Limb* a, const Limb* b, const Limb* c, int n);

// +1, -1 or 0 as a is greater than, less than or equal to b (unsigned).
int NumCompare(const Limb* a, const Limb* b, int n);
bool NumIsZero(const Limb* a, int n);
unsigned NumBitLength(const Limb* a, int n);
// Index of the highest non-zero limb plus one; 0 for zero.
int NumLimbCount(const Limb* a, int n);

// a = b + c * d and a = b - c * d over n limbs, c a single limb; return the carry or borrow limb.
// A zero c returns 0 at once and writes nothing (a is not set to b). a may alias b.
Limb NumAddLimbMul(Limb* a, const Limb* b, Limb c, const Limb* d, int n);
Limb NumSubLimbMul(Limb* a, const Limb* b, Limb c, const Limb* d, int n);

unsigned LimbBitLength(Limb x);
// p[0] low and p[1] high limb of x * y.
void LimbMul(Limb* p, Limb x, Limb y);
// floor((b[1] * 2^32 + b[0]) / c); requires b[1] < c and the high 16 bits of c non-zero.
Limb LimbDiv(const Limb* b, Limb c);

// Fills count bytes at p with value, in a way the compiler cannot drop.
void WipeBytes(void* p, std::uint8_t value, std::size_t count);

} // namespace velkor
