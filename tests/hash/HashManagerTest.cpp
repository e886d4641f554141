// The hash registry and the hash manager: selection by name, the default class, the digest
// as bytes and as text, and the stored property "Hash".
#include "hash/HashManager.h"
#include "hash/HashRegistry.h"
#include "hash/Hashes.h"
#include "hash/StringFormat.h"

#include "TestVectors.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

using test::Hex;

// --- registry ------------------------------------------------------------------------------

TEST(HashRegistry, BuiltInEntriesInOrder) {
    std::vector<std::pair<std::string, THashClass>> expected = {
        {"Message Digest 4=Hash", THash_MD4::Class()},
        {"Message Digest 5=Hash", THash_MD5::Class()},
        {"Secure Hash Algorithm=Hash", THash_SHA::Class()},
        {"Secure Hash Algorithm 1=Hash", THash_SHA1::Class()},
        {"Ripe Message Digest 128=Hash", THash_RipeMD128::Class()},
        {"Ripe Message Digest 160=Hash", THash_RipeMD160::Class()},
        {"Ripe Message Digest 256=Hash", THash_RipeMD256::Class()},
        {"Ripe Message Digest 320=Hash", THash_RipeMD320::Class()},
        {"Haval-128=Hash", THash_Haval128::Class()},
        {"Haval-160=Hash", THash_Haval160::Class()},
        {"Haval-192=Hash", THash_Haval192::Class()},
        {"Haval-224=Hash", THash_Haval224::Class()},
        {"Haval-256=Hash", THash_Haval256::Class()},
        {"Sapphire II-128=Hash", THash_Sapphire128::Class()},
        {"Sapphire II-160=Hash", THash_Sapphire160::Class()},
        {"Sapphire II-192=Hash", THash_Sapphire192::Class()},
        {"Sapphire II-224=Hash", THash_Sapphire224::Class()},
        {"Sapphire II-256=Hash", THash_Sapphire256::Class()},
        {"Sapphire II-288=Hash", THash_Sapphire288::Class()},
        {"Sapphire II-320=Hash", THash_Sapphire320::Class()},
        {"Square=Hash", THash_Square::Class()},
        {"Tiger=Hash", THash_Tiger::Class()},
        {"XOR-16=Checksum", THash_XOR16::Class()},
        {"XOR-32=Checksum", THash_XOR32::Class()},
        {"CRC-16 CCITT=Checksum", THash_CRC16_CCITT::Class()},
        {"CRC-16 Standard=Checksum", Thash_CRC16_Standard::Class()},
        {"CRC-32=Checksum", THash_CRC32::Class()}};
    const auto& registry = HashRegistry();
    ASSERT_EQ(registry.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(registry[i].Text, expected[i].first);
        EXPECT_EQ(registry[i].Class, expected[i].second) << registry[i].Text;
    }
    EXPECT_EQ(DefaultHashClass(), THash_RipeMD256::Class());
}

TEST(HashRegistry, FindByClassNameThenDisplayName) {
    struct Case {
        const char* Name;
        THashClass Found;
    };
    for (Case c :
         {Case{"Secure Hash Algorithm", THash_SHA::Class()},
          Case{"secure hash algorithm", THash_SHA::Class()}, Case{"SHA", THash_SHA::Class()},
          Case{"THash_SHA", THash_SHA::Class()}, Case{"Hash_SHA", THash_SHA::Class()},
          Case{"Secure Hash Algorithm 1", THash_SHA1::Class()}, Case{"SHA1", THash_SHA1::Class()},
          Case{"MD5", THash_MD5::Class()}, Case{"md5", THash_MD5::Class()},
          Case{"Message Digest 5", THash_MD5::Class()}, Case{"RipeMD256", THash_RipeMD256::Class()},
          Case{"Message Digest", nullptr}, Case{"", nullptr}, Case{"Whirlpool", nullptr}})
        EXPECT_EQ(FindHashClass(c.Name), c.Found) << c.Name;
}

TEST(HashRegistry, NamesOfRegisteredAndUnregisteredClasses) {
    EXPECT_EQ(HashClassName(THash_MD5::Class()), "Message Digest 5");
    EXPECT_EQ(HashClassName(THash::Class()), "THash") << "no '_': the class name whole";
    EXPECT_EQ(HashClassCategory(THash_SHA::Class()), "Hash");
    EXPECT_EQ(HashClassCategory(THash::Class()), "");
}

// Registers a stand-in class for the duration of a test and removes it afterwards.
class HashRegistryChanges : public ::testing::Test {
protected:
    void TearDown() override { RemoveHashClass(THash::Class()); }
};

TEST_F(HashRegistryChanges, AddReplaceAndRemove) {
    const std::size_t before = HashRegistry().size();
    EXPECT_FALSE(AddHashClass(nullptr, "Nothing", "Hash"));
    EXPECT_EQ(HashRegistry().size(), before);

    EXPECT_TRUE(AddHashClass(THash::Class(), " \t Base hash \r\n", "Test"));
    ASSERT_EQ(HashRegistry().size(), before + 1);
    EXPECT_EQ(HashRegistry().back().Text, "Base hash=Test");
    EXPECT_EQ(FindHashClass("base HASH"), THash::Class());

    EXPECT_TRUE(AddHashClass(THash::Class(), "Renamed", "Other"));
    ASSERT_EQ(HashRegistry().size(), before + 1) << "replaced in place, not appended";
    EXPECT_EQ(HashRegistry().back().Text, "Renamed=Other");

    EXPECT_TRUE(RemoveHashClass(THash::Class()));
    EXPECT_EQ(HashRegistry().size(), before);
    EXPECT_EQ(FindHashClass("Renamed"), nullptr);
    EXPECT_FALSE(RemoveHashClass(THash::Class()));
}

TEST_F(HashRegistryChanges, BlankNameComesFromTheClassName) {
    // "THash" has no "_": only the leading "T" goes.
    EXPECT_TRUE(AddHashClass(THash::Class(), "  ", "Hash"));
    EXPECT_EQ(HashRegistry().back().Text, "Hash=Hash");
    RemoveHashClass(THash::Class());
    // A copy of the MD5 entry under a blank name would read "MD5"; check with the rule on a
    // registered class by re-adding MD5 and restoring its entry afterwards.
    AddHashClass(THash_MD5::Class(), "", "Hash");
    EXPECT_EQ(HashRegistry()[1].Text, "MD5=Hash");
    AddHashClass(THash_MD5::Class(), "Message Digest 5", "Hash");
    EXPECT_EQ(HashRegistry()[1].Text, "Message Digest 5=Hash");
}

// --- manager ----------------------------------------------------------------------------------

TEST(HashManager, StartsWithTheDefaultClass) {
    THashManager m;
    EXPECT_EQ(m.Algorithm(), "Ripe Message Digest 256");
    EXPECT_EQ(m.Description(), "Hash, 256bit Digestsize");
    EXPECT_EQ(m.DigestSize(), 32U);
    EXPECT_EQ(m.HashClass(), THash_RipeMD256::Class());
    EXPECT_TRUE(m.DigestBytes().empty());
    EXPECT_EQ(m.DigestText(fmtHEX), "");
}

TEST(HashManager, NamesSelectClasses) {
    struct Case {
        const char* Name;
        THashClass Selected;
        const char* Algorithm;
        const char* Description;
    };
    for (Case c :
         {Case{"Message Digest 5", THash_MD5::Class(), "Message Digest 5",
               "Hash, 128bit Digestsize"},
          Case{"MD5", THash_MD5::Class(), "Message Digest 5", "Hash, 128bit Digestsize"},
          Case{"md5", THash_MD5::Class(), "Message Digest 5", "Hash, 128bit Digestsize"},
          Case{"THash_SHA", THash_SHA::Class(), "Secure Hash Algorithm", "Hash, 160bit Digestsize"},
          Case{"Secure Hash Algorithm 1", THash_SHA1::Class(), "Secure Hash Algorithm 1",
               "Hash, 160bit Digestsize"},
          Case{"Message Digest", THash_RipeMD256::Class(), "Ripe Message Digest 256",
               "Hash, 256bit Digestsize"},
          Case{"no such hash", THash_RipeMD256::Class(), "Ripe Message Digest 256",
               "Hash, 256bit Digestsize"}}) {
        THashManager m;
        m.SetAlgorithm(c.Name);
        EXPECT_EQ(m.HashClass(), c.Selected) << c.Name;
        EXPECT_EQ(m.Algorithm(), c.Algorithm) << c.Name;
        EXPECT_EQ(m.Description(), c.Description) << c.Name;
    }
}

TEST(HashManager, HashesWithTheSelectedClass) {
    THashManager m;
    m.SetAlgorithm("Message Digest 5");
    m.HashText("abc");
    EXPECT_EQ(Hex(m.DigestBytes()), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(m.DigestText(fmtHEX), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(m.DigestText(fmtCopy), m.DigestBytes());

    m.SetAlgorithm("Secure Hash Algorithm");
    m.HashText("abc");
    EXPECT_EQ(m.DigestText(fmtHEX), "0164B8A914CD2A5E74C4F7FF082C4D97F1EDF880");
    m.SetAlgorithm("Secure Hash Algorithm 1");
    m.HashText("abc");
    EXPECT_EQ(m.DigestText(fmtHEX), "A9993E364706816ABA3E25717850C26C9CD0D89D");

    // Every HashText is independent of the one before.
    m.HashText("abc");
    EXPECT_EQ(m.DigestText(fmtHEX), "A9993E364706816ABA3E25717850C26C9CD0D89D");
    m.HashText(std::string("a\0b", 3));
    EXPECT_EQ(m.DigestBytes().size(), 20U);
}

TEST(HashManager, UnknownNameGivesTheDefaultDigest) {
    THashManager m;
    m.SetAlgorithm("no such hash");
    m.HashText("abc");
    EXPECT_EQ(m.DigestText(fmtHEX),
              "AFBD6E228B9D8CBBCEF5CA2D03E6DBA10AC0BC7DCBE4680E1E42D2E975459B65");
}

TEST(HashManager, SelectionKeepsOrEmptiesTheDigest) {
    THashManager m;
    m.SetAlgorithm("Message Digest 5");
    m.HashText("abc");
    m.SetAlgorithm("md5");
    EXPECT_EQ(m.DigestBytes().size(), 16U) << "the same class again keeps the digest";
    m.SetAlgorithm("Secure Hash Algorithm");
    EXPECT_TRUE(m.DigestBytes().empty()) << "another class empties it";

    m.SetAlgorithm("nothing at all");
    m.HashText("abc");
    ASSERT_EQ(m.DigestBytes().size(), 32U);
    m.SetAlgorithm("still nothing");
    EXPECT_TRUE(m.DigestBytes().empty()) << "no match empties it even while the default is in";

    m.HashText("abc");
    m.SetHashClass(THash_RipeMD256::Class());
    EXPECT_EQ(m.DigestBytes().size(), 32U);
}

TEST(HashManager, DigestTextWithAnUnknownFormat) {
    THashManager m;
    EXPECT_EQ(m.DigestText(99), "") << "nothing to write, no format looked up";
    m.SetAlgorithm("MD5");
    m.HashText("abc");
    try {
        m.DigestText(99);
        FAIL() << "no exception";
    } catch (const EStringFormat& e) {
        EXPECT_EQ(e.Message(), "String Format \"99\" not exists.");
    }
    EXPECT_EQ(m.DigestBytes().size(), 16U) << "the digest survives the failure";
}

TEST(HashManager, HashPropertyIsWrittenAndReadBack) {
    THashManager written;
    written.SetName("HashManager1");
    EXPECT_EQ(WriteComponentText(written), "object HashManager1: THashManager\nend\n")
        << "nothing selected, nothing stored";
    written.SetAlgorithm("Secure Hash Algorithm");
    const std::string text = WriteComponentText(written);
    EXPECT_EQ(text, "object HashManager1: THashManager\n  Hash = 'THash_SHA'\nend\n");

    THashManager read;
    read.SetName("HashManager1");
    ReadComponentText(read, text);
    EXPECT_EQ(read.HashClass(), THash_SHA::Class());
}

TEST(HashManager, ReadingAnUnknownClassNameKeepsTheSelection) {
    for (const char* stored : {"THash_Whirlpool", "thash_sha", "SHA", "Secure Hash Algorithm"}) {
        THashManager m;
        m.SetName("HashManager1");
        m.SetAlgorithm("MD5");
        m.HashText("abc");
        ReadComponentText(m, std::string("object HashManager1: THashManager\n  Hash = '") + stored +
                                 "'\nend\n");
        EXPECT_EQ(m.HashClass(), THash_MD5::Class()) << stored;
        EXPECT_EQ(m.DigestBytes().size(), 16U) << stored;
    }
}

TEST(HashManager, FormDescriptionSelectsTheDefaultByClassName) {
    THashManager m;
    m.SetName("HashManager1");
    m.SetAlgorithm("MD5");
    ReadComponentText(m, "object HashManager1: THashManager\n  Hash = 'THash_RipeMD256'\nend\n");
    EXPECT_EQ(m.Algorithm(), "Ripe Message Digest 256");
}

TEST(HashManager, OnProgressIsKept) {
    THashManager m;
    int calls = 0;
    m.OnProgress = [&](TComponent* sender, std::int64_t, std::int64_t) {
        EXPECT_EQ(sender, &m);
        ++calls;
    };
    m.HashText("abc");
    EXPECT_EQ(calls, 0) << "hashing a text raises no progress";
    m.OnProgress(&m, 1, 2);
    EXPECT_EQ(calls, 1);
}

} // namespace
} // namespace velkor
