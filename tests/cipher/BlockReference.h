// Compares a block cipher class with an independent implementation on random keys and blocks.
// For each key length it draws keys; each key enciphers several random blocks on one keyed
// object, which must give the reference's output and decipher it back (so the object also keeps
// nothing from one block to the next). A mismatch prints the key and the block to replay it.
#pragma once

#include "cipher/Cipher.h"

#include "TestBytes.h"
#include "TestVectors.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

namespace velkor::test {

// reference(key, block) -> the block enciphered by the other implementation under the raw key.
using BlockReference = std::function<Bytes(const Bytes& key, const Bytes& block)>;

// One block through a fresh object of class C keyed with the raw key.
template <class C> Bytes Enciphered(const Bytes& key, Bytes block) {
    C c;
    c.Init(key.data(), static_cast<int>(key.size()), nullptr);
    c.EncipherBlock(block.data());
    return block;
}

template <class C> Bytes Deciphered(const Bytes& key, Bytes block) {
    C c;
    c.Init(key.data(), static_cast<int>(key.size()), nullptr);
    c.DecipherBlock(block.data());
    return block;
}

// How many blocks each key enciphers.
inline constexpr int kBlocksPerKey = 4;

inline void ExpectSameAsReference(TCipherClass cls, const std::vector<std::size_t>& keyLengths,
                                  int keysPerLength, const BlockReference& reference,
                                  std::uint32_t seed) {
    std::mt19937 rng(seed);
    const auto blockSize = static_cast<std::size_t>(cls->BlockSize());
    for (std::size_t length : keyLengths) {
        for (int k = 0; k < keysPerLength; ++k) {
            const Bytes key = RandomBytes(rng, length);
            TCipherRef c = cls->Create(nullptr);
            c->Init(key.data(), static_cast<int>(key.size()), nullptr);
            for (int j = 0; j < kBlocksPerKey; ++j) {
                const Bytes block = RandomBytes(rng, blockSize);
                const Bytes theirs = reference(key, block);
                Bytes ours = block;
                c->EncipherBlock(ours.data());
                ASSERT_EQ(Hex(ours), Hex(theirs))
                    << "enciphering, key " << Hex(key) << " block " << Hex(block);
                c->DecipherBlock(ours.data());
                ASSERT_EQ(Hex(ours), Hex(block))
                    << "deciphering, key " << Hex(key) << " block " << Hex(theirs);
            }
        }
    }
}

// The key lengths from `first` to `last` bytes, or those of them that `accepted` takes (a
// reference library that refuses some lengths).
inline std::vector<std::size_t>
KeyLengths(std::size_t first, std::size_t last,
           const std::function<bool(std::size_t)>& accepted = nullptr) {
    std::vector<std::size_t> lengths;
    for (std::size_t n = first; n <= last; ++n)
        if (!accepted || accepted(n)) lengths.push_back(n);
    return lengths;
}

} // namespace velkor::test
