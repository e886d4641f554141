// The Square hash has no published values and no other implementation, so it is checked against
// its construction written out once more here over the block core (Miyaguchi-Preneel from a zero
// chaining value, 0x80 and zeros, the bit length as 64 bits big-endian), at the lengths where the
// padding changes shape. The generic tests add split-anywhere and avalanche.
#include "hash/SquareHash.h"
#include "hash/HashRegistry.h"
#include "hash/SquareBlock.h"

#include "TestVectors.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace velkor;
using velkor::test::Hex;

namespace {

Bytes ByDefinition(const Bytes& message) {
    Bytes padded = message + '\x80';
    while (padded.size() % 16 != 8) padded += '\0';
    const std::uint64_t bits = static_cast<std::uint64_t>(message.size()) * 8;
    for (int i = 7; i >= 0; --i) padded += static_cast<char>(bits >> (8 * i));
    std::uint8_t h[16] = {};
    std::uint8_t keys[square::kRoundKeyBytes];
    for (std::size_t at = 0; at < padded.size(); at += 16) {
        std::uint8_t m[16], e[16];
        std::memcpy(m, padded.data() + at, 16);
        std::memcpy(e, m, 16);
        square::MakeRoundKeys(h, keys);
        square::Encipher(keys, e);
        for (int i = 0; i < 16; ++i) h[i] = static_cast<std::uint8_t>(e[i] ^ m[i] ^ h[i]);
    }
    return BytesOf(h, 16);
}

Bytes Digest(const Bytes& message) {
    THash_Square h;
    h.Start();
    h.Feed(message.data(), message.size());
    h.Finish();
    return BytesOf(h.DigestData(), 16);
}

} // namespace

TEST(SquareHash, RegisteredWithItsSize) {
    EXPECT_EQ(FindHashClass("Square"), THash_Square::Class());
    EXPECT_EQ(THash_Square::Class()->DigestSize(), 16U);
}

TEST(SquareHash, FollowsItsConstructionAtEveryPaddingShape) {
    Bytes message;
    for (int i = 0; i < 70; ++i) message += static_cast<char>(i * 37 + 11);
    // Empty, short, one byte before and at the 8-byte room for the length, whole blocks, and
    // one past them.
    for (std::size_t n : {0, 1, 7, 8, 9, 15, 16, 17, 23, 24, 25, 31, 32, 33, 48, 70}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(Hex(Digest(message.substr(0, n))), Hex(ByDefinition(message.substr(0, n))));
    }
}

TEST(SquareHash, DigestsOfShortTextsDiffer) {
    EXPECT_NE(Hex(Digest("")), Hex(Digest(Bytes(1, '\0'))));
    EXPECT_NE(Hex(Digest(Bytes(15, '\0'))), Hex(Digest(Bytes(16, '\0'))));
}
