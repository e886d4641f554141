// The cipher registry: the built-in entries, lookups by class name and display name, and
// registering, re-registering and removing a class.
#include "cipher/CipherRegistry.h"
#include "cipher/Blowfish.h"
#include "cipher/Cast.h"
#include "cipher/DES.h"
#include "cipher/DESX.h"
#include "cipher/Gost.h"
#include "cipher/IDEA.h"
#include "cipher/NewDES.h"
#include "cipher/RC2.h"
#include "cipher/RC4.h"
#include "cipher/RC5.h"
#include "cipher/RC6.h"
#include "cipher/Rijndael.h"
#include "cipher/Safer.h"
#include "cipher/Sapphire.h"
#include "cipher/Skipjack.h"
#include "cipher/Square.h"
#include "cipher/TEA.h"
#include "cipher/ThreeWay.h"
#include "cipher/Twofish.h"
#include "cipher/XTEA.h"

#include <gtest/gtest.h>

using namespace velkor;

namespace {

// A class the library does not register, standing in for one a module would add.
class TCipher_Probe : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_Probe)
public:
    explicit TCipher_Probe(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}
    static constexpr int kBlockSize = 8;
    static constexpr int kKeySize = 32;
    static constexpr int kKeyScheduleSize = 32;
};
VELKOR_DEFINE_CIPHER_CLASS(TCipher_Probe, TCipher::Class())

// Takes the probe out of the registry whatever a test did.
struct ProbeGuard {
    ~ProbeGuard() { RemoveCipherClass(TCipher_Probe::Class()); }
};

} // namespace

TEST(CipherRegistry, BuiltInEntriesInOrder) {
    const std::pair<const char*, TCipherClass> expect[] = {
        {"3Way=", TCipher_3Way::Class()},
        {"Blowfish=", TCipher_Blowfish::Class()},
        {"Gost=", TCipher_Gost::Class()},
        {"IDEA=free for non-commercial", TCipher_IDEA::Class()},
        {"SAFER-K40=", TCipher_SAFER_K40::Class()},
        {"SAFER-SK40=Keyscheduling", TCipher_SAFER_SK40::Class()},
        {"SAFER-K64=", TCipher_SAFER_K64::Class()},
        {"SAFER-SK64=Keyscheduling", TCipher_SAFER_SK64::Class()},
        {"SAFER-K128=", TCipher_SAFER_K128::Class()},
        {"SAFER-SK128=Keyscheduling", TCipher_SAFER_SK128::Class()},
        {"Square=", TCipher_Square::Class()},
        {"TEA=", TCipher_TEA::Class()},
        {"TEA extended=", TCipher_TEAN::Class()},
        {"Twofish=", TCipher_Twofish::Class()},
        {"Cast 128=", TCipher_Cast128::Class()},
        {"Cast 256=Patented", TCipher_Cast256::Class()},
        {"DES Single 8byte=", TCipher_1DES::Class()},
        {"DES Double 8byte=", TCipher_2DES::Class()},
        {"DES Double 16byte=", TCipher_2DDES::Class()},
        {"DES Triple 8byte=", TCipher_3DES::Class()},
        {"DES Triple 16byte=", TCipher_3DDES::Class()},
        {"DES Triple 24byte=", TCipher_3TDES::Class()},
        {"DESX=Copyright RSA Data Security", TCipher_DESX::Class()},
        {"NewDES=", TCipher_NewDES::Class()},
        {"RC2=", TCipher_RC2::Class()},
        {"RC4=Patented by RSA", TCipher_RC4::Class()},
        {"RC5=Patented by RSA", TCipher_RC5::Class()},
        {"RC6=Patented by RSA", TCipher_RC6::Class()},
        {"Rijndael=", TCipher_Rijndael::Class()},
        {"Sapphire II=", TCipher_Sapphire::Class()},
        {"Skipjack=", TCipher_Skipjack::Class()}};
    const auto& entries = CipherRegistry();
    ASSERT_EQ(entries.size(), std::size(expect));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].Text, expect[i].first);
        EXPECT_EQ(entries[i].Class, expect[i].second);
    }
    EXPECT_EQ(DefaultCipherClass(), TCipher_Blowfish::Class());
}

TEST(CipherRegistry, FindByClassNameOrDisplayNameIgnoringCase) {
    const std::pair<const char*, TCipherClass> cases[] = {
        {"DES Triple 24byte", TCipher_3TDES::Class()},
        {"des triple 24byte", TCipher_3TDES::Class()},
        {"3TDES", TCipher_3TDES::Class()},
        {"3tdes", TCipher_3TDES::Class()},
        {"TCipher_3TDES", TCipher_3TDES::Class()},
        {"Cipher_3TDES", TCipher_3TDES::Class()},
        {"DES Triple 8byte", TCipher_3DES::Class()},
        {"3DES", TCipher_3DES::Class()},
        {"blowfish", TCipher_Blowfish::Class()},
        {"  Blowfish", nullptr},
        {"DES", nullptr},
        {"Cast 256", TCipher_Cast256::Class()},
        {"Serpent", nullptr},
        {"", nullptr},
    };
    for (auto [name, cls] : cases) EXPECT_EQ(FindCipherClass(name), cls) << "'" << name << "'";
}

TEST(CipherRegistry, ClassNamesOfRegisteredAndOtherClasses) {
    EXPECT_EQ(CipherClassName(TCipher_3TDES::Class()), "DES Triple 24byte");
    EXPECT_EQ(CipherClassName(TCipher_Blowfish::Class()), "Blowfish");
    EXPECT_EQ(CipherClassName(TCipher_Probe::Class()), "Probe");
    EXPECT_EQ(CipherClassNote(TCipher_3TDES::Class()), "");
    EXPECT_EQ(CipherClassNote(TCipher_Probe::Class()), "");
}

TEST(CipherRegistry, AddReplaceAndRemove) {
    ProbeGuard guard;
    const std::size_t before = CipherRegistry().size();
    const TCipherClass first = CipherRegistry().front().Class;
    EXPECT_FALSE(AddCipherClass(nullptr, "Nothing", ""));
    EXPECT_EQ(CipherRegistry().size(), before);

    // A blank name is made from the class name.
    ASSERT_TRUE(AddCipherClass(TCipher_Probe::Class(), "  \t", "Patented"));
    ASSERT_EQ(CipherRegistry().size(), before + 1);
    EXPECT_EQ(CipherRegistry().back().Text, "Probe=Patented");
    EXPECT_EQ(FindCipherClass("probe"), TCipher_Probe::Class());

    // Registering again replaces the text in place.
    ASSERT_TRUE(
        AddCipherClass(TCipher_Probe::Class(), " Probe Cipher ", "free for non-commercial"));
    ASSERT_EQ(CipherRegistry().size(), before + 1);
    EXPECT_EQ(CipherRegistry().back().Text, "Probe Cipher=free for non-commercial");
    EXPECT_EQ(CipherClassName(TCipher_Probe::Class()), "Probe Cipher");
    EXPECT_EQ(CipherClassNote(TCipher_Probe::Class()), "free for non-commercial");
    EXPECT_EQ(FindCipherClass("PROBE CIPHER"), TCipher_Probe::Class());

    EXPECT_TRUE(RemoveCipherClass(TCipher_Probe::Class()));
    EXPECT_FALSE(RemoveCipherClass(TCipher_Probe::Class()));
    EXPECT_EQ(CipherRegistry().size(), before);
    EXPECT_EQ(FindCipherClass("Probe Cipher"), nullptr);
    EXPECT_EQ(CipherRegistry().front().Class, first);
}
