// Differential checks of a block cipher class against an independent reference on random keys
// and blocks: each trial enciphers one block with both and deciphers the result with ours.
// A mismatch prints the key and the block so that the case can be replayed.
#pragma once

#include "cipher/Cipher.h"

#include "TestVectors.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

namespace velkor::test {

// The reference's encipherment of one block under a raw key.
using ReferenceBlock = std::function<Bytes(const Bytes& key, const Bytes& block)>;

inline Bytes RandomBytes(std::mt19937& rng, std::size_t n) {
    Bytes b(n, '\0');
    for (auto& ch : b) ch = static_cast<char>(rng() & 0xFF);
    return b;
}

inline void ExpectSameAsReference(TCipherClass cls, const std::vector<std::size_t>& keyLengths,
                                  int trialsPerLength, const ReferenceBlock& reference,
                                  std::uint32_t seed) {
    std::mt19937 rng(seed);
    const auto blockSize = static_cast<std::size_t>(cls->BlockSize());
    for (std::size_t length : keyLengths) {
        for (int trial = 0; trial < trialsPerLength; ++trial) {
            const Bytes key = RandomBytes(rng, length);
            const Bytes block = RandomBytes(rng, blockSize);
            TCipherRef c = cls->Create(nullptr);
            c->Init(key.data(), static_cast<int>(key.size()), nullptr);
            Bytes ours = block;
            c->EncipherBlock(ours.data());
            const Bytes theirs = reference(key, block);
            ASSERT_EQ(Hex(ours), Hex(theirs)) << "key " << Hex(key) << " block " << Hex(block);
            c->DecipherBlock(ours.data());
            ASSERT_EQ(Hex(ours), Hex(block)) << "key " << Hex(key) << " block " << Hex(block);
        }
    }
}

} // namespace velkor::test
