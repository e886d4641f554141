// The registry tables as a program sees them after start-up (built-in classes, then the
// demonstration module): every name of the two tables selects its own class, by display name
// and by class name, and describes it; the entries stand in the table's order.
#include "cipher/CipherManager.h"
#include "cipher/CipherRegistry.h"
#include "hash/HashManager.h"
#include "hash/HashRegistry.h"
#include "sample/Sample.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velkor {
namespace {

struct Row {
    const char* Name;
    const char* ClassName; // null: the library has no class of that name yet
};

// The hash table, in registry order.
const Row kHashes[] = {
    {"Message Digest 4", "THash_MD4"},
    {"Message Digest 5", "THash_MD5"},
    {"Secure Hash Algorithm", "THash_SHA"},
    {"Secure Hash Algorithm 1", "THash_SHA1"},
    {"Ripe Message Digest 128", "THash_RipeMD128"},
    {"Ripe Message Digest 160", "THash_RipeMD160"},
    {"Ripe Message Digest 256", "THash_RipeMD256"},
    {"Ripe Message Digest 320", "THash_RipeMD320"},
    {"Haval-128", "THash_Haval128"},
    {"Haval-160", "THash_Haval160"},
    {"Haval-192", "THash_Haval192"},
    {"Haval-224", "THash_Haval224"},
    {"Haval-256", "THash_Haval256"},
    {"Sapphire II-128", "THash_Sapphire128"},
    {"Sapphire II-160", "THash_Sapphire160"},
    {"Sapphire II-192", "THash_Sapphire192"},
    {"Sapphire II-224", "THash_Sapphire224"},
    {"Sapphire II-256", "THash_Sapphire256"},
    {"Sapphire II-288", "THash_Sapphire288"},
    {"Sapphire II-320", "THash_Sapphire320"},
    {"Snefru-256", nullptr},
    {"Square", "THash_Square"},
    {"Tiger", "THash_Tiger"},
    {"XOR-16", "THash_XOR16"},
    {"XOR-32", "THash_XOR32"},
    {"CRC-16 CCITT", "THash_CRC16_CCITT"},
    {"CRC-16 Standard", "Thash_CRC16_Standard"},
    {"CRC-32", "THash_CRC32"},
    {"Sample Hash", "THash_Sample"},
};

// The cipher table, in registry order.
const Row kCiphers[] = {
    {"3Way", "TCipher_3Way"},
    {"Blowfish", "TCipher_Blowfish"},
    {"Gost", "TCipher_Gost"},
    {"IDEA", "TCipher_IDEA"},
    {"Q128", nullptr},
    {"SAFER-K40", "TCipher_SAFER_K40"},
    {"SAFER-SK40", "TCipher_SAFER_SK40"},
    {"SAFER-K64", "TCipher_SAFER_K64"},
    {"SAFER-SK64", "TCipher_SAFER_SK64"},
    {"SAFER-K128", "TCipher_SAFER_K128"},
    {"SAFER-SK128", "TCipher_SAFER_SK128"},
    {"SCOP", nullptr},
    {"Shark", nullptr},
    {"Square", "TCipher_Square"},
    {"TEA", "TCipher_TEA"},
    {"TEA extended", "TCipher_TEAN"},
    {"Twofish", "TCipher_Twofish"},
    {"Cast 128", "TCipher_Cast128"},
    {"Cast 256", "TCipher_Cast256"},
    {"DES Single 8byte", "TCipher_1DES"},
    {"DES Double 8byte", "TCipher_2DES"},
    {"DES Double 16byte", "TCipher_2DDES"},
    {"DES Triple 8byte", "TCipher_3DES"},
    {"DES Triple 16byte", "TCipher_3DDES"},
    {"DES Triple 24byte", "TCipher_3TDES"},
    {"DESX", "TCipher_DESX"},
    {"Diamond II", nullptr},
    {"Diamond II Lite", nullptr},
    {"FROG", nullptr},
    {"Mars", nullptr},
    {"Misty 1", nullptr},
    {"NewDES", "TCipher_NewDES"},
    {"RC2", "TCipher_RC2"},
    {"RC4", "TCipher_RC4"},
    {"RC5", "TCipher_RC5"},
    {"RC6", "TCipher_RC6"},
    {"Rijndael", "TCipher_Rijndael"},
    {"Sapphire II", "TCipher_Sapphire"},
    {"Skipjack", "TCipher_Skipjack"},
    {"Sample Cipher", "TCipher_Sample"},
};

class RegistryTables : public ::testing::Test {
protected:
    void SetUp() override { RegisterSampleModule(); }
    void TearDown() override { UnregisterSampleModule(); }
};

TEST_F(RegistryTables, EveryHashNameSelectsItsOwnClass) {
    std::vector<std::string> order;
    for (const Row& row : kHashes) {
        SCOPED_TRACE(row.Name);
        THashClass cls = FindHashClass(row.Name);
        if (row.ClassName == nullptr) {
            EXPECT_EQ(cls, nullptr) << "a class arrived: give it its row";
            continue;
        }
        ASSERT_NE(cls, nullptr);
        EXPECT_EQ(cls->ClassName(), row.ClassName);
        EXPECT_EQ(FindHashClass(row.ClassName), cls);
        THashManager manager;
        manager.SetAlgorithm(row.Name);
        EXPECT_EQ(manager.Algorithm(), row.Name);
        EXPECT_EQ(manager.HashClass(), cls);
        order.push_back(row.Name);
    }
    std::vector<std::string> registered;
    for (const auto& e : HashRegistry()) registered.push_back(HashClassName(e.Class));
    EXPECT_EQ(registered, order);
}

TEST_F(RegistryTables, EveryCipherNameSelectsItsOwnClass) {
    std::vector<std::string> order;
    for (const Row& row : kCiphers) {
        SCOPED_TRACE(row.Name);
        TCipherClass cls = FindCipherClass(row.Name);
        if (row.ClassName == nullptr) {
            EXPECT_EQ(cls, nullptr) << "a class arrived: give it its row";
            continue;
        }
        ASSERT_NE(cls, nullptr);
        EXPECT_EQ(cls->ClassName(), row.ClassName);
        EXPECT_EQ(FindCipherClass(row.ClassName), cls);
        TCipherManager manager;
        manager.SetAlgorithm(row.Name);
        EXPECT_EQ(manager.Algorithm(), row.Name);
        // "<note>, <bits>bit Key" or "<bits>bit Key": the key size is the class's own.
        const std::string bits = std::to_string(cls->KeySize() * 8) + "bit Key";
        const std::string description = manager.Description();
        EXPECT_EQ(description.substr(description.size() - bits.size()), bits);
        order.push_back(row.Name);
    }
    std::vector<std::string> registered;
    for (const auto& e : CipherRegistry()) registered.push_back(CipherClassName(e.Class));
    EXPECT_EQ(registered, order);
}

} // namespace
} // namespace velkor
