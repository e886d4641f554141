// What every registered hash class must do, whatever its algorithm: a digest of its declared
// size, the same digest however the input is split into Feed calls, a fresh digest after each
// Start, and (for the cryptographic hashes) about half of the digest's bits changed by one
// flipped input bit.
#include "hash/HashRegistry.h"

#include "CaseNames.h"
#include "TestBytes.h"
#include "TestVectors.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>

namespace velkor {
namespace {

using test::Hex;
using test::RandomBytes;

Bytes DigestOfPieces(THash& h, const Bytes& data, std::size_t split) {
    h.Start();
    h.Feed(data.data(), split);
    h.Feed(data.data() + split, data.size() - split);
    h.Finish();
    return BytesOf(h.DigestData(), h.DigestSize());
}

class EveryHash : public ::testing::TestWithParam<std::string> {
protected:
    THashClass Class() const { return FindHashClass(GetParam()); }
};

TEST_P(EveryHash, SplitAnywhereGivesTheSameDigest) {
    THashClass cls = Class();
    ASSERT_NE(cls, nullptr);
    THashRef h = cls->Create();
    ASSERT_GT(h->DigestSize(), 0U);
    std::mt19937 rng(0xD16E57);
    const Bytes data = RandomBytes(rng, 300);
    const Bytes whole = DigestOfPieces(*h, data, 0);
    ASSERT_EQ(whole.size(), cls->DigestSize());
    for (std::size_t split = 1; split <= data.size(); ++split)
        ASSERT_EQ(Hex(DigestOfPieces(*h, data, split)), Hex(whole)) << "split at " << split;
    // Start begins afresh: the same object gives the same digest again.
    EXPECT_EQ(Hex(DigestOfPieces(*h, data, 150)), Hex(whole));
    EXPECT_NE(Hex(DigestOfPieces(*h, data.substr(1), 0)), Hex(whole));
}

// A null buffer (whatever length it claims) and an empty piece are no input at all.
TEST_P(EveryHash, NullAndEmptyFeedsChangeNothing) {
    THashClass cls = Class();
    ASSERT_NE(cls, nullptr);
    THashRef h = cls->Create();
    std::mt19937 rng(0x0E);
    const Bytes data = RandomBytes(rng, 77);
    const Bytes whole = DigestOfPieces(*h, data, 0);
    h->Start();
    h->Feed(data.data(), 30);
    h->Feed(nullptr, 7);
    h->Feed(data.data() + 30, 0);
    h->Feed(data.data() + 30, data.size() - 30);
    h->Finish();
    EXPECT_EQ(Hex(BytesOf(h->DigestData(), h->DigestSize())), Hex(whole));
}

TEST_P(EveryHash, OneFlippedBitChangesAboutHalfTheDigest) {
    THashClass cls = Class();
    ASSERT_NE(cls, nullptr);
    if (HashClassCategory(cls) == "Checksum") GTEST_SKIP() << "a checksum is linear";
    THashRef h = cls->Create();
    std::mt19937 rng(0xAF);
    const Bytes data = RandomBytes(rng, 100);
    const Bytes reference = DigestOfPieces(*h, data, 0);
    long changed = 0, total = 0;
    for (std::size_t bit = 0; bit < data.size() * 8; bit += 3) {
        Bytes flipped = data;
        flipped[bit / 8] = static_cast<char>(flipped[bit / 8] ^ (1 << (bit % 8)));
        const Bytes d = DigestOfPieces(*h, flipped, 0);
        for (std::size_t i = 0; i < d.size(); ++i)
            changed += std::popcount(
                static_cast<unsigned>(static_cast<std::uint8_t>(d[i] ^ reference[i])));
        total += static_cast<long>(d.size() * 8);
    }
    const double share = static_cast<double>(changed) / static_cast<double>(total);
    EXPECT_GT(share, 0.47);
    EXPECT_LT(share, 0.53);
}

std::vector<std::string> RegisteredHashes() {
    std::vector<std::string> names;
    for (const auto& e : HashRegistry()) names.push_back(HashClassName(e.Class));
    return names;
}

INSTANTIATE_TEST_SUITE_P(Registered, EveryHash, ::testing::ValuesIn(RegisteredHashes()),
                         test::TextCaseName);

} // namespace
} // namespace velkor
