#!/usr/bin/env python3
"""Makes one RSA key pair (512 bits unless --bits says otherwise) and prints its public and
private key texts, then, for each --encipher HEX given, the cipher text of those bytes.

The texts are in the form the RSA component reads: two radix-64 fields joined by a colon,
public = exponent (4 bytes) : modulus (64 bytes), private = modulus : private exponent (64 bytes),
each field's bytes taken four at a time as big-endian limbs, least significant limb first.
Cipher texts pad the data with p bytes of value p to whole blocks of N - 1 bytes, read each
block as a little-endian number, and write each result as N little-endian bytes.
Standard library only; randomness from the `secrets` module.
"""

import argparse
import secrets
import sys

ALPHABET = "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
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


def encipher(data, e, n, size):
    block = size - 1
    pad = block - len(data) % block
    data = data + bytes([pad]) * pad
    out = bytearray()
    for i in range(0, len(data), block):
        m = int.from_bytes(data[i : i + block], "little")
        out += pow(m, e, n).to_bytes(size, "little")
    return radix64(bytes(out))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bits", type=int, choices=(512, 1024, 2048), default=512)
    parser.add_argument("--encipher", action="append", default=[], metavar="HEX")
    args = parser.parse_args()
    size = args.bits // 8
    half = size * 4
    while True:
        p, q = random_prime(half), random_prime(half)
        if p != q:
            break
    n = p * q
    assert n.bit_length() == 8 * size and n >= 1 << (8 * (size - 1))
    phi = (p - 1) * (q - 1)
    d = pow(PUBLIC_EXPONENT, -1, phi)
    assert PUBLIC_EXPONENT * d % phi == 1
    for m in (0, 1, 2**503 + 12345, n - 1):
        assert pow(pow(m, PUBLIC_EXPONENT, n), d, n) == m

    modulus = radix64(key_field(n, size))
    public = radix64(key_field(PUBLIC_EXPONENT, 4)) + ":" + modulus
    private = modulus + ":" + radix64(key_field(d, size))
    assert len(public) == 6 + 1 + len(modulus) and len(private) == 2 * len(modulus) + 1
    print(public)
    print(private)
    for text in args.encipher:
        print(encipher(bytes.fromhex(text), PUBLIC_EXPONENT, n, size))
    return 0


if __name__ == "__main__":
    sys.exit(main())
