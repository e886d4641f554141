// The Sapphire II hashes. No test values were published with them and no packaged library has
// them, so beyond the generic properties (split anywhere, avalanche) these tests pin what the
// construction implies: the digest bytes are drawn one by one from one stirred state, so every
// shorter digest is a prefix of a longer one, while the message itself reaches every byte.
#include "hash/Sapphire.h"

#include "TestVectors.h"

#include <gtest/gtest.h>

#include <random>

namespace velkor {
namespace {

using test::Hex;

std::string Digest(THashClass cls, const Bytes& message) {
    THashRef h = cls->Create(nullptr);
    h->Start();
    h->Feed(message.data(), message.size());
    h->Finish();
    return BytesOf(h->DigestData(), h->DigestSize());
}

const THashClass kClasses[] = {THash_Sapphire128::Class(), THash_Sapphire160::Class(),
                               THash_Sapphire192::Class(), THash_Sapphire224::Class(),
                               THash_Sapphire256::Class(), THash_Sapphire288::Class(),
                               THash_Sapphire320::Class()};

TEST(SapphireHash, DigestSizesRunFrom16To40Bytes) {
    std::size_t expect = 16;
    for (THashClass cls : kClasses) {
        EXPECT_EQ(cls->DigestSize(), expect) << cls->ClassName();
        EXPECT_EQ(Digest(cls, "abc").size(), expect);
        expect += 4;
    }
}

TEST(SapphireHash, ShorterDigestsArePrefixesOfLongerOnes) {
    std::mt19937 rng(0x5A);
    for (std::size_t length : {0, 1, 31, 1000}) {
        Bytes message(length, '\0');
        for (auto& ch : message) ch = static_cast<char>(rng() & 0xFF);
        const std::string longest = Digest(THash_Sapphire320::Class(), message);
        for (THashClass cls : kClasses)
            EXPECT_EQ(Hex(Digest(cls, message)), Hex(longest.substr(0, cls->DigestSize())))
                << cls->ClassName() << " of " << Hex(message);
    }
}

TEST(SapphireHash, EveryMessageByteAndLengthCounts) {
    const Bytes base(64, 'a');
    const std::string reference = Digest(THash_Sapphire128::Class(), base);
    for (std::size_t i = 0; i < base.size(); ++i) {
        Bytes changed = base;
        changed[i] = 'b';
        EXPECT_NE(Digest(THash_Sapphire128::Class(), changed), reference) << "byte " << i;
    }
    EXPECT_NE(Digest(THash_Sapphire128::Class(), base + '\0'), reference);
    EXPECT_NE(Digest(THash_Sapphire128::Class(), ""), Digest(THash_Sapphire128::Class(), {'\0'}));
}

} // namespace
} // namespace velkor
