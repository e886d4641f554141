// Compares a cipher class block by block with an independent implementation on random keys and
// blocks: the class must encipher each block to the reference's output and decipher it back.
// A mismatch prints the key and the block so that it can be replayed.
#pragma once

#include "cipher/Cipher.h"

#include "TestVectors.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace velkor::test {

// reference(key, block) -> the block enciphered by the other implementation.
using BlockReference = std::function<Bytes(const Bytes& key, const Bytes& block)>;

inline Bytes RandomBytes(std::mt19937& rng, std::size_t n) {
    Bytes b(n, '\0');
    for (auto& ch : b) ch = static_cast<char>(rng() & 0xFF);
    return b;
}

inline void ExpectSameBlocks(TCipherClass cls, std::size_t keySize, const BlockReference& reference,
                             unsigned seed, int keys = 200) {
    std::mt19937 rng(seed);
    const auto b = static_cast<std::size_t>(cls->BlockSize());
    for (int i = 0; i < keys; ++i) {
        const Bytes key = RandomBytes(rng, keySize);
        TCipherRef c = cls->Create(nullptr);
        c->Init(key.data(), static_cast<int>(key.size()), nullptr);
        for (int j = 0; j < 4; ++j) {
            const Bytes block = RandomBytes(rng, b);
            const Bytes expected = reference(key, block);
            Bytes got = block;
            c->EncipherBlock(got.data());
            ASSERT_EQ(Hex(got), Hex(expected)) << "key " << Hex(key) << " block " << Hex(block);
            c->DecipherBlock(got.data());
            ASSERT_EQ(Hex(got), Hex(block))
                << "deciphering, key " << Hex(key) << " block " << Hex(expected);
        }
    }
}

} // namespace velkor::test
