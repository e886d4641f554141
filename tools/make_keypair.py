#!/usr/bin/env python3
"""Makes one 512-bit RSA key pair and prints its public and private key texts.

The texts are in the form the RSA component reads: two radix-64 fields joined by a colon,
public = exponent (4 bytes) : modulus (64 bytes), private = modulus : private exponent (64 bytes),
each field's bytes taken four at a time as big-endian limbs, least significant limb first.
Standard library only; randomness from the `secrets` module.
"""

import secrets
import sys

ALPHABET = "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
MODULUS_BYTES = 64
PUBLIC_EXPONENT = 65537
ROUNDS = 40

SMALL_PRIMES = [p for p in range(3, 2000) if all(p % q for q in range(2, int(p**0.5) + 1))]


def is_probable_prime(n):
    if n < 2:
        return False
    for p in SMALL_PRIMES:
        if n % p == 0:
            return n == p
    r, s = n - 1, 0
    while r % 2 == 0:
        r //= 2
        s += 1
    for _ in range(ROUNDS):
        a = 2 + secrets.randbelow(n - 3)
        x = pow(a, r, n)
        if x in (1, n - 1):
            continue
        for _ in range(s - 1):
            x = x * x % n
            if x == n - 1:
                break
        else:
            return False
    return True


def random_prime(bits):
    while True:
        # The top two bits set make the product of two such primes exactly 2 * bits long.
        candidate = secrets.randbits(bits) | (3 << (bits - 2)) | 1
        if candidate % PUBLIC_EXPONENT != 1 and is_probable_prime(candidate):
            return candidate


def key_field(value, size):
    """Bytes of a key field: limb j (bits 32j..32j+31) as four big-endian bytes at 4j."""
    out = bytearray()
    for j in range(0, size, 4):
        limb = (value >> (8 * j)) & 0xFFFFFFFF
        out += limb.to_bytes(4, "big")
    return bytes(out[:size])


def radix64(data):
    text = []
    for i in range(0, len(data), 3):
        group = data[i : i + 3]
        bits = int.from_bytes(group + bytes(3 - len(group)), "big")
        chars = [ALPHABET[(bits >> shift) & 63] for shift in (18, 12, 6, 0)]
        text += chars[: len(group) + 1]
    return "".join(text)


def main():
    half = MODULUS_BYTES * 4
    while True:
        p, q = random_prime(half), random_prime(half)
        if p != q:
            break
    n = p * q
    assert n.bit_length() == 8 * MODULUS_BYTES and n >= 1 << 504
    phi = (p - 1) * (q - 1)
    d = pow(PUBLIC_EXPONENT, -1, phi)
    assert PUBLIC_EXPONENT * d % phi == 1
    for m in (0, 1, 2**503 + 12345, n - 1):
        assert pow(pow(m, PUBLIC_EXPONENT, n), d, n) == m

    modulus = radix64(key_field(n, MODULUS_BYTES))
    public = radix64(key_field(PUBLIC_EXPONENT, 4)) + ":" + modulus
    private = modulus + ":" + radix64(key_field(d, MODULUS_BYTES))
    assert len(public) == 93 and len(private) == 173
    print(public)
    print(private)
    return 0


if __name__ == "__main__":
    sys.exit(main())
