// Blowfish, the default cipher class: the designer's published test data (blocks, and keys of
// 1 to 24 bytes on one block) both ways, and its sizes and key limit.
#include "cipher/Blowfish.h"

#include "TestVectors.h"

#include <gtest/gtest.h>

using namespace velkor;
using velkor::test::Hex;
using velkor::test::ReadVectors;
using velkor::test::Unhex;

namespace {

Bytes Transform(const Bytes& key, Bytes block, bool encipher) {
    TCipher_Blowfish c;
    c.Init(key.data(), static_cast<int>(key.size()), nullptr);
    if (encipher)
        c.EncipherBlock(block.data());
    else
        c.DecipherBlock(block.data());
    return block;
}

} // namespace

TEST(Blowfish, ReproducesThePublishedBlocksAndKeyLengths) {
    for (const char* group : {"Blowfish", "Blowfish keys"}) {
        for (const auto& r : ReadVectors("blowfish.vec", group)) {
            Bytes key = Unhex(r["Key"]);
            EXPECT_EQ(Hex(Transform(key, Unhex(r["In"]), true)), r["Out"])
                << group << " line " << r.Line;
            EXPECT_EQ(Hex(Transform(key, Unhex(r["Out"]), false)), r["In"])
                << group << " line " << r.Line;
        }
    }
}

TEST(Blowfish, SizesAndKeyLimit) {
    EXPECT_EQ(TCipher_Blowfish::Class()->ClassName(), "TCipher_Blowfish");
    EXPECT_EQ(TCipher_Blowfish::Class()->BlockSize(), 8);
    EXPECT_EQ(TCipher_Blowfish::Class()->KeySize(), 56);
    EXPECT_EQ(TCipher_Blowfish::Class()->KeyScheduleSize(), 4168);
    // Bytes past the 56th are not part of the key.
    Bytes key, block = Unhex("0123456789ABCDEF");
    for (int i = 0; i < 56; ++i) key += static_cast<char>(i * 7 + 1);
    EXPECT_EQ(Transform(key + "extra", block, true), Transform(key, block, true));
    EXPECT_NE(Transform(key.substr(0, 55), block, true), Transform(key, block, true));
}
