// The eight chaining modes, one function each. A mode sees only the block primitives of one
// keyed cipher and its feedback and scratch blocks; TCipher picks the function by its Mode.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velkor {

class TCipher;

// What a mode works on: E and D of a keyed cipher, its feedback register F and its scratch
// block S, B bytes each.
struct TChain {
    TCipher& Cipher;
    std::uint8_t* F;
    std::uint8_t* S;
    std::size_t B;
    void E(std::uint8_t* block) const;
    void D(std::uint8_t* block) const;
};

// `size` bytes from `in` to `out` (which may be the same area); the MAC modes write nothing.
using TModeFunction = void (*)(const TChain& chain, const std::uint8_t* in, std::uint8_t* out,
                               std::size_t size, bool encipher);

// In the order of TCipherMode: cmCTS, cmCBC, cmCFB, cmOFB, cmECB, cmCTSMAC, cmCBCMAC, cmCFBMAC.
extern const TModeFunction kModeFunctions[8];

} // namespace velkor
