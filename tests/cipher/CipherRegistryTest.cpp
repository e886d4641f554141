// The cipher registry: the built-in entries, lookups by class name and display name, and
// registering, re-registering and removing a class.
#include "cipher/CipherRegistry.h"
#include "cipher/Blowfish.h"
#include "cipher/DES.h"
#include "cipher/NewDES.h"
#include "cipher/RC4.h"
#include "cipher/Sapphire.h"

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
        {"Blowfish=", TCipher_Blowfish::Class()},
        {"DES Single 8byte=", TCipher_1DES::Class()},
        {"DES Double 8byte=", TCipher_2DES::Class()},
        {"DES Double 16byte=", TCipher_2DDES::Class()},
        {"DES Triple 8byte=", TCipher_3DES::Class()},
        {"DES Triple 16byte=", TCipher_3DDES::Class()},
        {"DES Triple 24byte=", TCipher_3TDES::Class()},
        {"NewDES=", TCipher_NewDES::Class()},
        {"RC4=Patented by RSA", TCipher_RC4::Class()},
        {"Sapphire II=", TCipher_Sapphire::Class()},
    };
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
        {"Cast 256", nullptr},
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
    EXPECT_EQ(CipherRegistry().front().Class, TCipher_Blowfish::Class());
}
