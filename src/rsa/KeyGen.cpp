// Key-pair generation on the library's own limb arithmetic: random odd candidates with their top
// two bits set (so that the product of two has exactly twice their bit length), sieved by small
// primes and tested with Miller-Rabin.
#include "rsa/KeyGen.h"

#include "base/Exception.h"
#include "base/Secret.h"
#include "rsa/KeyText.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <sys/random.h>
#include <vector>

namespace velkor {

namespace {

constexpr int kMaxKeyLimbs = 64; // a 2048-bit modulus
constexpr Limb kPublicExponent = 65537;
constexpr int kMillerRabinRounds = 32;

void RandomBytes(void* p, std::size_t size) {
    auto* out = static_cast<unsigned char*>(p);
    while (size > 0) {
        const ssize_t got = getrandom(out, size, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw Exception(std::string("No random numbers for a key pair: ") +
                            std::strerror(errno));
        }
        out += got;
        size -= static_cast<std::size_t>(got);
    }
}

const std::vector<Limb>& SmallPrimes() {
    static const std::vector<Limb> primes = [] {
        constexpr Limb limit = 4000;
        std::vector<bool> composite(limit, false);
        std::vector<Limb> found;
        for (Limb i = 3; i < limit; i += 2) {
            if (composite[i]) continue;
            found.push_back(i);
            for (Limb j = i * i; j < limit; j += 2 * i) composite[j] = true;
        }
        return found;
    }();
    return primes;
}

Limb SmallMod(const Limb* a, int n, Limb m) {
    std::uint64_t r = 0;
    for (int i = n - 1; i >= 0; --i) r = ((r << 32) | a[i]) % m;
    return static_cast<Limb>(r);
}

bool MillerRabin(const Limb* p, int limbs, int rounds) {
    Limb one[kMaxKeyLimbs] = {1};
    Limb minusOne[kMaxKeyLimbs];
    Limb r[kMaxKeyLimbs];
    Limb base[kMaxKeyLimbs];
    Limb x[kMaxKeyLimbs];
    NumSub(minusOne, p, one, limbs);
    // p - 1 = 2^s * r with r odd.
    NumAssign(r, minusOne, limbs);
    int s = 0;
    while ((r[0] & 1U) == 0) {
        NumShiftRight(r, r, 1, limbs);
        ++s;
    }
    bool prime = true;
    for (int round = 0; round < rounds && prime; ++round) {
        // A base below 2^(32(limbs-1)) is below p - 2; 0 and 1 prove nothing.
        NumAssignZero(base, limbs);
        do RandomBytes(base, sizeof(Limb) * static_cast<std::size_t>(limbs - 1));
        while (NumLimbCount(base, limbs) <= 1 && base[0] < 2);
        NumModExp(x, base, r, limbs, p, limbs);
        if (NumCompare(x, one, limbs) == 0 || NumCompare(x, minusOne, limbs) == 0) continue;
        bool witness = true;
        for (int i = 1; i < s && witness; ++i) {
            NumModMul(x, x, x, p, limbs);
            if (NumCompare(x, minusOne, limbs) == 0) witness = false;
        }
        if (witness) prime = false;
    }
    for (Limb* t : {minusOne, r, base, x}) WipeBytes(t, 0, sizeof(Limb) * kMaxKeyLimbs);
    return prime;
}

void RandomPrime(Limb* p, int limbs) {
    for (;;) {
        RandomBytes(p, sizeof(Limb) * static_cast<std::size_t>(limbs));
        p[limbs - 1] |= 0xC0000000U;
        p[0] |= 1U;
        // e must be invertible modulo p - 1; 65537 is prime, so p mod e must not be 1.
        if (SmallMod(p, limbs, kPublicExponent) == 1) continue;
        if (IsProbablePrime(p, limbs, kMillerRabinRounds)) return;
    }
}

} // namespace

bool IsProbablePrime(const Limb* number, int limbs, int rounds) {
    const int used = NumLimbCount(number, limbs);
    if (used == 0) return false;
    if (used == 1 && number[0] < 4000) {
        if (number[0] == 2) return true;
        if (number[0] < 2 || (number[0] & 1U) == 0) return false;
        for (Limb q : SmallPrimes())
            if (q * q <= number[0] && number[0] % q == 0) return false;
        return true;
    }
    if ((number[0] & 1U) == 0) return false;
    for (Limb q : SmallPrimes())
        if (SmallMod(number, used, q) == 0) return false;
    if (used == 1) {
        // Miller-Rabin draws its bases from the limbs below the top one; one limb is small
        // enough for trial division by the primes up to its square root instead.
        for (Limb q = 4001; std::uint64_t{q} * q <= number[0]; q += 2)
            if (number[0] % q == 0) return false;
        return true;
    }
    return MillerRabin(number, used, rounds);
}

TKeyPair MakeKeyPair(TKeyBits bits) {
    int modulusLimbs = 16;
    if (bits == TKeyBits::kb1024)
        modulusLimbs = 32;
    else if (bits == TKeyBits::kb2048)
        modulusLimbs = 64;
    const int primeLimbs = modulusLimbs / 2;
    const std::size_t modulusBytes = 4U * static_cast<std::size_t>(modulusLimbs);

    Limb p[kMaxKeyLimbs] = {};
    Limb q[kMaxKeyLimbs] = {};
    Limb one[kMaxKeyLimbs] = {1};
    Limb e[kMaxKeyLimbs] = {kPublicExponent};
    Limb n[kMaxKeyLimbs];
    Limb phi[kMaxKeyLimbs];
    Limb d[kMaxKeyLimbs];

    RandomPrime(p, primeLimbs);
    do RandomPrime(q, primeLimbs);
    while (NumCompare(p, q, primeLimbs) == 0);

    NumMul(n, p, q, primeLimbs);
    NumSub(p, p, one, primeLimbs);
    NumSub(q, q, one, primeLimbs);
    NumMul(phi, p, q, primeLimbs);
    NumModInverse(d, e, phi, modulusLimbs);

    TKeyPair pair;
    Bytes exponentField = NumberToKeyField(e, 4);
    Bytes modulusField = NumberToKeyField(n, modulusBytes);
    const SecretBytes privateField(NumberToKeyField(d, modulusBytes));
    pair.PublicKey = MakeKeyText(exponentField, modulusField);
    pair.PrivateKey = MakeKeyText(modulusField, privateField.View());

    for (Limb* t : {p, q, phi, d}) WipeBytes(t, 0, sizeof(Limb) * kMaxKeyLimbs);
    return pair;
}

} // namespace velkor
