// The chaining modes. Whole blocks come from the start of the range while at least B bytes
// remain; r bytes (0 <= r < B) are left after them. F carries over from call to call.
#include "cipher/Modes.h"

#include "cipher/Cipher.h"

#include <cstring>

namespace velkor {

void TChain::E(std::uint8_t* block) const {
    Cipher.EncipherBlock(block);
}

void TChain::D(std::uint8_t* block) const {
    Cipher.DecipherBlock(block);
}

namespace {

// The tail rule of the block modes: S = E(F); the r remaining bytes are masked with the first
// r bytes of S (unless `out` is null, in the MAC modes); F = S xor F over the whole block. The
// tail bytes themselves never enter F.
void Tail(const TChain& c, const std::uint8_t* in, std::uint8_t* out, std::size_t r) {
    if (r == 0) return;
    std::memcpy(c.S, c.F, c.B);
    c.E(c.S);
    if (out != nullptr) XorBuffers(out, in, c.S, r);
    XorBuffers(c.F, c.S, c.F, c.B);
}

// The keystream byte of the byte-wise modes: S = E(F), its first byte.
std::uint8_t KeystreamByte(const TChain& c) {
    std::memcpy(c.S, c.F, c.B);
    c.E(c.S);
    return c.S[0];
}

// The register of the byte-wise modes moves one byte left and takes `next` at its end.
void ShiftIn(const TChain& c, std::uint8_t next) {
    std::memmove(c.F, c.F + 1, c.B - 1);
    c.F[c.B - 1] = next;
}

// cmCTS. Enciphering: C = E(P xor F), F = C xor F. Deciphering: P = D(C) xor F, F = C xor F
// (with F taken before the update). Then the tail rule.
void Cts(const TChain& c, const std::uint8_t* in, std::uint8_t* out, std::size_t size,
         bool encipher) {
    const std::size_t whole = size - size % c.B;
    for (std::size_t i = 0; i < whole; i += c.B) {
        if (encipher) {
            XorBuffers(c.S, in + i, c.F, c.B);
            c.E(c.S);
            XorBuffers(c.F, c.S, c.F, c.B);
        } else {
            std::memcpy(c.S, in + i, c.B);
            c.D(c.S);
            XorBuffers(c.S, c.S, c.F, c.B);
            XorBuffers(c.F, c.F, in + i, c.B);
        }
        std::memcpy(out + i, c.S, c.B);
    }
    Tail(c, in + whole, out + whole, size - whole);
}

// cmCBC. Enciphering: C = E(P xor F), F = C. Deciphering: P = D(C) xor F, F = C. Then the
// tail rule.
void Cbc(const TChain& c, const std::uint8_t* in, std::uint8_t* out, std::size_t size,
         bool encipher) {
    const std::size_t whole = size - size % c.B;
    for (std::size_t i = 0; i < whole; i += c.B) {
        if (encipher) {
            XorBuffers(c.S, in + i, c.F, c.B);
            c.E(c.S);
            std::memcpy(c.F, c.S, c.B);
        } else {
            std::memcpy(c.S, in + i, c.B);
            c.D(c.S);
            XorBuffers(c.S, c.S, c.F, c.B);
            std::memcpy(c.F, in + i, c.B);
        }
        std::memcpy(out + i, c.S, c.B);
    }
    Tail(c, in + whole, out + whole, size - whole);
}

// cmCFB, one byte at a time: output = input xor E(F)[0]; the cipher-text byte enters F.
void Cfb(const TChain& c, const std::uint8_t* in, std::uint8_t* out, std::size_t size,
         bool encipher) {
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t input = in[i];
        const auto output = static_cast<std::uint8_t>(input ^ KeystreamByte(c));
        out[i] = output;
        ShiftIn(c, encipher ? output : input);
    }
}

// cmOFB, one byte at a time: output = input xor E(F)[0]; the keystream byte enters F.
void Ofb(const TChain& c, const std::uint8_t* in, std::uint8_t* out, std::size_t size, bool) {
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t k = KeystreamByte(c);
        out[i] = static_cast<std::uint8_t>(in[i] ^ k);
        ShiftIn(c, k);
    }
}

// cmECB: each whole block replaced by E or D of itself. TCipher refuses a partial block from
// its callers; only the keying's overwrite of a digest gets here with one, and it takes the
// tail rule, which needs no inverse.
void Ecb(const TChain& c, const std::uint8_t* in, std::uint8_t* out, std::size_t size,
         bool encipher) {
    if (out != in) std::memmove(out, in, size);
    const std::size_t whole = size - size % c.B;
    for (std::size_t i = 0; i < whole; i += c.B) {
        if (encipher)
            c.E(out + i);
        else
            c.D(out + i);
    }
    Tail(c, out + whole, out + whole, size - whole);
}

// cmCTSMAC, both directions alike: S = E(P xor F), F = S xor F; then the tail rule, writing
// nothing. The MAC is the final F.
void CtsMac(const TChain& c, const std::uint8_t* in, std::uint8_t*, std::size_t size, bool) {
    const std::size_t whole = size - size % c.B;
    for (std::size_t i = 0; i < whole; i += c.B) {
        XorBuffers(c.S, in + i, c.F, c.B);
        c.E(c.S);
        XorBuffers(c.F, c.S, c.F, c.B);
    }
    Tail(c, in + whole, nullptr, size - whole);
}

// cmCBCMAC, both directions alike: S = E(P xor F), F = S; then the tail rule, writing nothing.
void CbcMac(const TChain& c, const std::uint8_t* in, std::uint8_t*, std::size_t size, bool) {
    const std::size_t whole = size - size % c.B;
    for (std::size_t i = 0; i < whole; i += c.B) {
        XorBuffers(c.S, in + i, c.F, c.B);
        c.E(c.S);
        std::memcpy(c.F, c.S, c.B);
    }
    Tail(c, in + whole, nullptr, size - whole);
}

// cmCFBMAC, both directions alike, one byte at a time: input xor E(F)[0] enters F.
void CfbMac(const TChain& c, const std::uint8_t* in, std::uint8_t*, std::size_t size, bool) {
    for (std::size_t i = 0; i < size; ++i)
        ShiftIn(c, static_cast<std::uint8_t>(in[i] ^ KeystreamByte(c)));
}

} // namespace

const TModeFunction kModeFunctions[8] = {Cts, Cbc, Cfb, Ofb, Ecb, CtsMac, CbcMac, CfbMac};

} // namespace velkor
