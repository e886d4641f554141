// The cipher manager: selection by name and what it keeps or discards, its description, mode
// and hash-manager link, keying and text encipherment, and its form-description properties.
#include "cipher/CipherManager.h"

#include "base/Cp1250.h"
#include "cipher/Blowfish.h"
#include "cipher/CipherRegistry.h"
#include "cipher/DES.h"
#include "hash/HashRegistry.h"
#include "hash/Hashes.h"
#include "hash/StringFormat.h"

#include "FreedScan.h"
#include "TestVectors.h"

#include <gtest/gtest.h>

#include <memory>

using namespace velkor;
using velkor::test::Hex;
using velkor::test::ReadVectors;
using velkor::test::Unhex;

namespace {

// The window's side of a form description: a root that owns the managers.
class TProbeForm : public TComponent {
public:
    std::string ClassName() const override { return "TProbeForm"; }
};

// A manager as the envelopes use it: "DES Triple 24byte" keyed through MD5.
struct Sealer {
    THashManager hash;
    TCipherManager cipher;
    explicit Sealer(BytesView key) {
        hash.SetAlgorithm("Message Digest 5");
        cipher.SetHashManager(&hash);
        cipher.SetAlgorithm("DES Triple 24byte");
        cipher.SetKeyText(key);
    }
};

} // namespace

TEST(CipherManager, NewManagerReadsAsBlowfishInCts) {
    TCipherManager m;
    EXPECT_EQ(m.ClassName(), "TCipherManager");
    EXPECT_EQ(m.Algorithm(), "Blowfish");
    EXPECT_EQ(m.Description(), "448bit Key");
    EXPECT_EQ(m.Mode(), TCipherMode::cmCTS);
    EXPECT_EQ(m.HashManager(), nullptr);
    EXPECT_EQ(m.Cipher().ClassType(), TCipher_Blowfish::Class());
    EXPECT_EQ(m.Cipher().Mode(), TCipherMode::cmCTS);
}

TEST(CipherManager, NamesSelectClassesAndUnknownNamesTheDefault) {
    const std::pair<const char*, const char*> cases[] = {
        {"DES Triple 24byte", "DES Triple 24byte"},
        {"des triple 24byte", "DES Triple 24byte"},
        {"TCipher_3TDES", "DES Triple 24byte"},
        {"3DES", "DES Triple 8byte"},
        {"Serpent", "Blowfish"},
        {"", "Blowfish"},
    };
    for (auto [name, reads] : cases) {
        TCipherManager m;
        m.SetAlgorithm("DES Single 8byte");
        m.SetAlgorithm(name);
        EXPECT_EQ(m.Algorithm(), reads) << name;
    }
}

TEST(CipherManager, DescriptionNamesTheNoteAndTheKeyBits) {
    TCipherManager m;
    m.SetAlgorithm("DES Triple 24byte");
    EXPECT_EQ(m.Description(), "192bit Key");
    m.SetAlgorithm("DES Single 8byte");
    EXPECT_EQ(m.Description(), "64bit Key");

    // A class with a note, as modules register them.
    struct Restore {
        ~Restore() { AddCipherClass(TCipher_2DES::Class(), "DES Double 8byte", ""); }
    } restore;
    ASSERT_TRUE(AddCipherClass(TCipher_2DES::Class(), "DES Double 8byte", "Patented"));
    m.SetAlgorithm("DES Double 8byte");
    EXPECT_EQ(m.Description(), "Patented, 128bit Key");
}

TEST(CipherManager, ReselectingKeepsTheKeyedCipherAnotherClassDropsIt) {
    TCipherManager m;
    m.SetAlgorithm("DES Triple 24byte");
    m.SetKeyText("klic");
    TCipher* keyed = &m.Cipher();
    m.SetAlgorithm("des triple 24byte");
    m.SetAlgorithm("3TDES");
    EXPECT_EQ(&m.Cipher(), keyed);
    EXPECT_TRUE(m.Cipher().FlagBit(TCipher::kFlagInitialized));

    m.SetAlgorithm("Blowfish");
    m.SetAlgorithm("DES Triple 24byte");
    EXPECT_FALSE(m.Cipher().FlagBit(TCipher::kFlagInitialized));
    try {
        m.EncipherText("abc");
        ADD_FAILURE() << "an unkeyed cipher enciphered";
    } catch (const ECipherException& e) {
        EXPECT_EQ(e.ErrorCode(), errNotInitialized);
        EXPECT_EQ(e.Message(), "TCipher_3TDES is not initialized call Init() or InitKey() before.");
    }
    EXPECT_THROW(m.DecipherText("AAAA"), ECipherException);
}

TEST(CipherManager, EmptyInputGivesEmptyResultEvenUnkeyed) {
    TCipherManager m;
    m.SetAlgorithm("DES Triple 24byte");
    EXPECT_EQ(m.EncipherText(""), "");
    EXPECT_EQ(m.DecipherText(""), "");
}

TEST(CipherManager, ModeReachesTheCipherAtOnceOrWhenItIsMade) {
    TCipherManager m;
    m.SetMode(TCipherMode::cmCFB);
    m.SetAlgorithm("DES Triple 24byte");
    EXPECT_EQ(m.Cipher().Mode(), TCipherMode::cmCFB);
    m.SetKeyText("k");
    m.SetMode(TCipherMode::cmOFB);
    EXPECT_EQ(m.Cipher().Mode(), TCipherMode::cmOFB);
    EXPECT_TRUE(m.Cipher().FlagBit(TCipher::kFlagInitialized)); // the key stays
}

TEST(CipherManager, KeysThroughTheLinkedHashManagersClass) {
    THashManager hash;
    hash.SetAlgorithm("Message Digest 5");
    TCipherManager m;
    m.SetHashManager(&hash);
    EXPECT_EQ(m.HashManager(), &hash);
    m.SetAlgorithm("DES Triple 24byte");
    m.SetKeyText("klic");
    EXPECT_EQ(m.Cipher().KeyHashClass(), THash_MD5::Class());

    // A hash manager with nothing selected yields the default class.
    THashManager blank;
    m.SetHashManager(&blank);
    m.SetKeyText("klic");
    EXPECT_EQ(m.Cipher().KeyHashClass(), DefaultHashClass());
}

TEST(CipherManager, DestroyedHashManagerLeavesNoLink) {
    auto hash = std::make_unique<THashManager>();
    hash->SetAlgorithm("Message Digest 5");
    TCipherManager m;
    m.SetHashManager(hash.get());
    hash.reset();
    EXPECT_EQ(m.HashManager(), nullptr);
    m.SetAlgorithm("DES Triple 24byte");
    m.SetKeyText("klic"); // through the cipher's own key-hash class
    EXPECT_EQ(m.Cipher().KeyHashClass(), DefaultHashClass());
    EXPECT_TRUE(m.Cipher().FlagBit(TCipher::kFlagKeyed));

    // The other way round: the cipher manager goes first, the hash manager lives on.
    THashManager lasting;
    {
        TCipherManager shortLived;
        shortLived.SetHashManager(&lasting);
    }
    lasting.SetAlgorithm("Message Digest 5");
    TCipherManager again;
    again.SetHashManager(&lasting);
    EXPECT_EQ(again.HashManager(), &lasting);
}

TEST(CipherManager, StreamsCipherModeAndHashManager) {
    TProbeForm form;
    form.SetName("Form1");
    auto* hash = new THashManager(&form);
    hash->SetName("HashManager1");
    auto* cipher = new TCipherManager(&form);
    cipher->SetName("CipherManager1");
    cipher->SetAlgorithm("DES Triple 24byte");
    cipher->SetMode(TCipherMode::cmCBC);
    cipher->SetHashManager(hash);
    std::string text = WriteComponentText(form);
    EXPECT_NE(text.find("    Cipher = 'TCipher_3TDES'\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    Mode = cmCBC\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    HashManager = HashManager1\n"), std::string::npos) << text;

    TProbeForm copy;
    copy.SetName("Form1");
    auto* hash2 = new THashManager(&copy);
    hash2->SetName("HashManager1");
    auto* cipher2 = new TCipherManager(&copy);
    cipher2->SetName("CipherManager1");
    ReadComponentText(copy, text);
    EXPECT_EQ(cipher2->Algorithm(), "DES Triple 24byte");
    EXPECT_EQ(cipher2->Mode(), TCipherMode::cmCBC);
    EXPECT_EQ(cipher2->HashManager(), hash2);
}

TEST(CipherManager, UnselectedManagerWritesNoCipher) {
    TProbeForm form;
    form.SetName("Form1");
    auto* cipher = new TCipherManager(&form);
    cipher->SetName("CipherManager1");
    std::string text = WriteComponentText(form);
    EXPECT_EQ(text.find("Cipher ="), std::string::npos) << text;
    EXPECT_NE(text.find("Mode = cmCTS"), std::string::npos) << text;
}

TEST(CipherManager, ReadingUnknownValues) {
    TProbeForm form;
    form.SetName("Form1");
    auto* cipher = new TCipherManager(&form);
    cipher->SetName("CipherManager1");
    cipher->SetAlgorithm("DES Single 8byte");
    auto read = [&](const std::string& property) {
        ReadComponentText(
            form, "object Form1: TProbeForm\n  object CipherManager1: TCipherManager\n    " +
                      property + "\n  end\nend\n");
    };
    // The class name compares exactly; no match leaves the selection.
    read("Cipher = 'tcipher_3tdes'");
    EXPECT_EQ(cipher->Algorithm(), "DES Single 8byte");
    read("Cipher = 'TCipher_Serpent'");
    EXPECT_EQ(cipher->Algorithm(), "DES Single 8byte");
    read("Cipher = 'TCipher_3TDES'");
    EXPECT_EQ(cipher->Algorithm(), "DES Triple 24byte");

    EXPECT_THROW(read("Mode = cmXYZ"), EReadError);
    EXPECT_EQ(cipher->Mode(), TCipherMode::cmCTS);
    EXPECT_THROW(read("HashManager = NoSuchManager"), EReadError);
    EXPECT_EQ(cipher->HashManager(), nullptr);
}

TEST(CipherManagerText, ReproducesTheDesTriple24TextVectorsBothWays) {
    for (const auto& r : ReadVectors("des24.vec", "DES Triple 24byte text")) {
        Sealer s(Unhex(r["KeyString"]));
        Bytes in = Unhex(r["In"]);
        EXPECT_EQ(s.cipher.EncipherText(in), r["Out"]) << "line " << r.Line;
        EXPECT_EQ(Hex(s.cipher.DecipherText(r["Out"])), Hex(in)) << "line " << r.Line;
        // Every call starts from the IV.
        EXPECT_EQ(s.cipher.EncipherText(in), r["Out"]) << "line " << r.Line;
    }
}

TEST(CipherManagerText, KeyStringEndToEnd) {
    // MD5 of the key string, eight zero bytes, IV = E(FF..FF) under that key, cmCTS.
    const Bytes key = Cz("Tajný klíč"), text = Cz("Objednávka: 3 ks, celkem 1250 Kč");
    Sealer s(key);
    Bytes k = DigestOf(THash_MD5::Class(), key, nullptr, fmtCopy) + Bytes(8, '\0');
    TCipher_3TDES raw;
    raw.Init(k.data(), 24, nullptr);
    Bytes expect(text.size(), '\0');
    raw.EncipherBuffer(text.data(), expect.data(), text.size());
    EXPECT_EQ(s.cipher.EncipherText(text), ToFormat(expect, fmtMIME64));
    EXPECT_EQ(s.cipher.DecipherText(ToFormat(expect, fmtMIME64)), text);
}

TEST(CipherManagerText, InvalidMimeTextIsRefusedAndTheCipherIsUnchanged) {
    Sealer s("klic");
    Bytes good = s.cipher.EncipherText("data");
    Bytes feedback = BytesOf(s.cipher.Cipher().Feedback(), 24);
    try {
        s.cipher.DecipherText("AB#C");
        ADD_FAILURE() << "invalid text was deciphered";
    } catch (const EStringFormat& e) {
        EXPECT_EQ(e.Message(), "Input is not an valid MIME Base 64 Format.");
    }
    EXPECT_EQ(BytesOf(s.cipher.Cipher().Feedback(), 24), feedback);
    EXPECT_EQ(s.cipher.DecipherText(good), "data");
}

// The plain text of an envelope (an order, a symmetric key for the gateway) is copied only into
// storage that ends up holding cipher text or that is wiped: sealing and opening leave it in no
// freed block, only in the caller's strings.
TEST(CipherManagerText, PlainTextLeavesNoCopyInFreedMemory) {
    Sealer s("Symetricky klic zakaznika");
    const Bytes plain = "Objednavka 17: 3 ks po 1250 Kc, 2 ks po 99 Kc; klic brany 0123456789";
    const std::string sealed = s.cipher.EncipherText(plain);
    std::string again;
    Bytes opened;
    int hits = 0;
    {
        test::FreedScan scan(plain);
        again = s.cipher.EncipherText(plain);
        opened = s.cipher.DecipherText(sealed);
        hits = scan.Hits();
    }
    EXPECT_EQ(hits, 0);
    EXPECT_EQ(again, sealed);
    EXPECT_EQ(opened, plain);
}
