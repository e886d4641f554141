// Making RSA key pairs for the merchant (a fresh pair at every start) and the peer programs:
// two random primes of half the modulus size each, public exponent 65537, and the two key texts.
#pragma once

#include "rsa/RSA.h"

#include <string>

namespace velkor {

struct TKeyPair {
    std::string PublicKey;  // 4-byte exponent field ":" N-byte modulus field
    std::string PrivateKey; // N-byte modulus field ":" N-byte private exponent field
};

// A fresh key pair for a component set to `bits`. The modulus has exactly 8N bits, so every
// block of N - 1 bytes deciphers. Randomness comes from the kernel (getrandom); raises
// velkor::Exception when the kernel cannot provide it.
TKeyPair MakeKeyPair(TKeyBits bits);

// True when the number of `limbs` limbs is (with overwhelming probability) prime: trial division
// by small primes, then `rounds` Miller-Rabin rounds with random bases.
bool IsProbablePrime(const Limb* number, int limbs, int rounds);

} // namespace velkor
