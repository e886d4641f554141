// Key material in the RSA layer leaves nothing behind: the block numbers of enciphering and
// deciphering, the private key text when it is replaced or its component goes, the private
// exponent with its component, the bytes decoded from a key field or text that is then
// refused, and a key text being written. A freed-memory scan watches every block that goes
// back to the heap; each test makes its own copies before arming it.
#include "rsa/KeyGen.h"
#include "rsa/KeyText.h"
#include "rsa/RSA.h"
#include "rsa/Radix64.h"

#include "FreedScan.h"
#include "TestVectors.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

#include <memory>

namespace velkor {
namespace {

using test::FreedScan;

// The first key pair of the vector file.
const test::VecRecord& FirstPair() {
    static const test::VecRecord record = test::ReadVectors("rsa512.vec", "RSA 512").at(0);
    return record;
}
const std::string& Public() {
    return FirstPair()["PublicKey"];
}
const std::string& Private() {
    return FirstPair()["PrivateKey"];
}

// 40 plain bytes: a symmetric key's worth and more, none of them a pad byte.
const std::string kPlain = "Symetricky klic 0123456789 abcdefghijklm";

std::unique_ptr<TRSA> Component(const std::string* publicKey, const std::string* privateKey) {
    auto rsa = std::make_unique<TRSA>();
    rsa->SetKeyBits(TKeyBits::kb0512);
    if (publicKey) rsa->SetPublicKey(*publicKey);
    if (privateKey) rsa->SetPrivateKey(*privateKey);
    return rsa;
}

TEST(RSAKeyHygiene, BlockNumbersAreWipedWhenTheirStorageGoes) {
    auto rsa = Component(&Public(), &Private());
    std::string cipher;
    int hits = 0;
    {
        // The padded copy and the message number hold the plain bytes.
        FreedScan scan(kPlain);
        cipher = rsa->PublicEncipher(kPlain);
        hits = scan.Hits();
    }
    EXPECT_EQ(hits, 0) << "enciphering left the plain bytes in freed memory";
    Bytes back;
    {
        // Here only the result number holds them before they reach the returned string.
        FreedScan scan(kPlain);
        back = rsa->PrivateDecipher(cipher);
        hits = scan.Hits();
    }
    EXPECT_EQ(hits, 0) << "deciphering left the plain bytes in freed memory";
    EXPECT_EQ(back, kPlain);
}

TEST(RSAKeyHygiene, SettingThePrivateKeyToItsOwnTextKeepsIt) {
    auto rsa = Component(&Public(), &Private());
    rsa->SetPrivateKey(rsa->PrivateKey());
    EXPECT_EQ(rsa->PrivateKey(), Private());
    EXPECT_EQ(rsa->Status(), "Private key loaded OK");
    EXPECT_EQ(rsa->PrivateDecipher(rsa->PublicEncipher(kPlain)), kPlain);
    // And through a copy of the text, as a form description would hand it back.
    const std::string copy = rsa->PrivateKey();
    rsa->SetPrivateKey(copy);
    EXPECT_EQ(rsa->PrivateKey(), Private());
}

TEST(RSAKeyHygiene, PrivateKeyTextIsWipedWhenReplacedAndWhenTheComponentGoes) {
    const TKeyPair other = MakeKeyPair(TKeyBits::kb0512);
    // 64 characters of each private exponent field.
    const std::string first = Private().substr(Private().find(':') + 1, 64);
    const std::string second = other.PrivateKey.substr(other.PrivateKey.find(':') + 1, 64);
    auto rsa = Component(nullptr, &Private());
    int hits = 0;
    {
        FreedScan scan(first);
        rsa->SetPrivateKey(other.PrivateKey);
        ASSERT_EQ(rsa->PrivateKey(), other.PrivateKey);
        rsa.reset();
        hits = scan.Hits();
    }
    EXPECT_EQ(hits, 0) << "the replaced key text outlived its replacement";
    rsa = Component(nullptr, &other.PrivateKey);
    {
        FreedScan scan(second);
        rsa.reset();
        hits = scan.Hits();
    }
    EXPECT_EQ(hits, 0) << "the key text outlived its component";
}

// The private exponent as the component holds it (limbs of the key field) is wiped with it.
TEST(RSAKeyHygiene, KeyNumbersAreWipedWhenTheComponentGoes) {
    Limb exponent[KeyLimbs] = {};
    KeyFieldToNumber(DecodeRadix64(Private().substr(Private().find(':') + 1)), exponent);
    const std::string watched(reinterpret_cast<const char*>(exponent), 64);
    auto rsa = Component(&Public(), &Private());
    int hits = 0;
    {
        FreedScan scan(watched);
        rsa.reset();
        hits = scan.Hits();
    }
    EXPECT_EQ(hits, 0);
}

// A refused text must not leave the bytes decoded before the refusal in a freed block.
TEST(RSAKeyHygiene, RefusedTextsLeaveNoDecodedBytes) {
    const std::string field = Private().substr(Private().find(':') + 1);
    const Bytes exponent = DecodeRadix64(field);
    const std::string head = exponent.substr(0, 48); // what is decoded before the refusal
    struct Case {
        std::string text;
        const char* message;
    };
    const Case decoderCases[] = {
        {field.substr(0, 64) + "=", "Error converting from Base64 - invalid character"},
        {field + " ", "Error converting from Base64 - invalid character"},
    };
    for (const Case& c : decoderCases) {
        int hits = 0;
        std::string message;
        {
            FreedScan scan(head);
            try {
                DecodeRadix64(c.text);
            } catch (const EConvertError& e) {
                message = e.Message();
            }
            hits = scan.Hits();
        }
        EXPECT_EQ(message, c.message) << c.text;
        EXPECT_EQ(hits, 0) << c.text;
    }
    // The same through the component: an invalid character, and a field one byte too long.
    const std::string modulus = Private().substr(0, Private().find(':') + 1);
    const Case keyCases[] = {
        {modulus + field.substr(0, 85) + "/", "Private key not valid"},
        {modulus + field + "AA", "Private key has incorrect length"},
    };
    for (const Case& c : keyCases) {
        auto rsa = Component(nullptr, nullptr);
        int hits = 0;
        std::string message;
        {
            FreedScan scan(head);
            try {
                rsa->SetPrivateKey(c.text);
            } catch (const Exception& e) {
                message = e.Message();
            }
            hits = scan.Hits();
        }
        EXPECT_EQ(message, c.message) << c.text;
        EXPECT_EQ(hits, 0) << c.text;
    }
}

// Writing a private key text (the key generator does) leaves no copy of the private exponent's
// text in a released temporary.
TEST(RSAKeyHygiene, WritingAKeyTextLeavesNoCopyOfItsSecondField) {
    const std::string modulusText = Private().substr(0, Private().find(':'));
    const std::string exponentText = Private().substr(Private().find(':') + 1);
    const Bytes modulus = DecodeRadix64(modulusText), exponent = DecodeRadix64(exponentText);
    const std::string watched = exponentText.substr(0, 64);
    std::string text;
    int hits = 0;
    {
        FreedScan scan(watched);
        text = MakeKeyText(modulus, exponent);
        hits = scan.Hits();
    }
    EXPECT_EQ(hits, 0);
    EXPECT_EQ(text, Private());
}

} // namespace
} // namespace velkor
