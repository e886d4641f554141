// Blowfish, the default cipher class: its sizes and its key limit. Its published test data is
// in tests/data/ciphers/blowfish.vec.
#include "cipher/Blowfish.h"

#include "BlockReference.h"

#include <gtest/gtest.h>

using namespace velkor;
using velkor::test::Hex;
using velkor::test::Unhex;

namespace {

constexpr auto Encipher = &test::Enciphered<TCipher_Blowfish>;

} // namespace

TEST(Blowfish, SizesAndKeyLimit) {
    EXPECT_EQ(TCipher_Blowfish::Class()->ClassName(), "TCipher_Blowfish");
    EXPECT_EQ(TCipher_Blowfish::Class()->BlockSize(), 8);
    EXPECT_EQ(TCipher_Blowfish::Class()->KeySize(), 56);
    EXPECT_EQ(TCipher_Blowfish::Class()->KeyScheduleSize(), 4168);
    // Bytes past the 56th are not part of the key.
    Bytes key, block = Unhex("0123456789ABCDEF");
    for (int i = 0; i < 56; ++i) key += static_cast<char>(i * 7 + 1);
    EXPECT_EQ(Encipher(key + "extra", block), Encipher(key, block));
    EXPECT_NE(Encipher(key.substr(0, 55), block), Encipher(key, block));
}
