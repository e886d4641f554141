// Skipjack: differential runs against Crypto++'s SKIPJACK on random 80-bit keys and blocks.
// NIST's worked example of 1998 is in tests/data/ciphers/skipjack.vec. Crypto++ takes the
// cryptovariable and the block in the reverse byte order (its key is cv9..cv0, its block the
// example's bytes from last to first), so the operands are reversed on the way in and out; the
// published example, read in the order it is printed, is this class's.
#include "cipher/Skipjack.h"

#include "BlockReference.h"

#include <cryptopp/skipjack.h>
#include <gtest/gtest.h>

#include <algorithm>

using namespace velkor;
using velkor::test::Hex;
using velkor::test::U8;

namespace {

Bytes Reversed(Bytes b) {
    std::reverse(b.begin(), b.end());
    return b;
}

Bytes CryptoPPEncipher(const Bytes& key, const Bytes& block) {
    const Bytes k = Reversed(key), in = Reversed(block);
    CryptoPP::SKIPJACK::Encryption reference(U8(k), k.size());
    Bytes out(8, '\0');
    reference.ProcessBlock(U8(in), U8(out));
    return Reversed(out);
}

} // namespace

TEST(CryptoPPSkipjack, ReadsThePublishedExampleInReverseByteOrder) {
    EXPECT_EQ(
        Hex(CryptoPPEncipher(test::Unhex("00998877665544332211"), test::Unhex("33221100DDCCBBAA"))),
        "2587CAE27A12D300");
}

TEST(CryptoPPSkipjack, RandomKeysAndBlocks) {
    test::ExpectSameAsReference(TCipher_Skipjack::Class(), {10}, 1000, CryptoPPEncipher, 1998);
}
