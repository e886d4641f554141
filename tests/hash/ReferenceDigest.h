// Shared by the differential hash tests: random inputs of every length around the block
// sizes and some long ones, each digested by a class of this library and by a reference
// function; a mismatch prints the input so that the case can be replayed.
#pragma once

#include "hash/Hash.h"

#include "TestVectors.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace velkor::test {

inline Bytes OurDigest(THashClass cls, const Bytes& data) {
    THashRef h = cls->Create();
    h->Start();
    h->Feed(data.data(), data.size());
    h->Finish();
    return BytesOf(h->DigestData(), h->DigestSize());
}

// Lengths 0..300 (every block boundary of 32-, 64- and 128-byte blocks up to there), then
// twenty random lengths up to 20000, with a fixed seed per caller.
inline void CompareOnRandomInputs(THashClass cls,
                                  const std::function<Bytes(const Bytes&)>& reference,
                                  std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n <= 300; ++n) lengths.push_back(n);
    for (int i = 0; i < 20; ++i) lengths.push_back(rng() % 20000);
    for (std::size_t n : lengths) {
        Bytes data(n, '\0');
        for (auto& ch : data) ch = static_cast<char>(rng() & 0xFF);
        const Bytes ours = OurDigest(cls, data);
        const Bytes theirs = reference(data);
        ASSERT_EQ(Hex(ours), Hex(theirs))
            << cls->ClassName() << ", input of " << n << " bytes: " << Hex(data);
    }
}

} // namespace velkor::test
