// TRSA: the published vectors in both directions, the wire lengths and pad bytes, every refusal
// with its Status and event, and the states that the shared modulus leaves.
#include "rsa/RSA.h"

#include "LargeKeyVectors.h"
#include "TestVectors.h"
#include "base/Exception.h"
#include "rsa/Radix64.h"

#include <gtest/gtest.h>
#include <openssl/bn.h>

#include <array>
#include <memory>
#include <vector>

namespace velkor {
namespace {

using test::Unhex;

struct KeyPair {
    std::string Public, Private;
};

// The two distinct pairs of the vector file.
std::vector<KeyPair> VectorPairs() {
    std::vector<KeyPair> pairs;
    for (const auto& r : test::ReadVectors("rsa512.vec", "RSA 512")) {
        if (pairs.empty() || pairs.back().Public != r["PublicKey"])
            pairs.push_back({r["PublicKey"], r["PrivateKey"]});
    }
    return pairs;
}

std::string ModulusField(const KeyPair& p) {
    return p.Private.substr(0, p.Private.find(':'));
}
std::string ExponentField(const KeyPair& p) {
    return p.Public.substr(0, p.Public.find(':'));
}

// A component that records the Status it sees at every event.
struct Probe {
    TRSA Rsa;
    std::vector<std::string> Seen;
    Probe() {
        Rsa.OnStatusUpdate = [this](TComponent* sender) {
            EXPECT_EQ(sender, &Rsa);
            Seen.push_back(Rsa.Status());
        };
    }
    explicit Probe(const KeyPair& keys) : Probe() {
        Rsa.SetKeyBits(TKeyBits::kb0512);
        Rsa.SetPublicKey(keys.Public);
        Rsa.SetPrivateKey(keys.Private);
        Seen.clear();
    }
};

// The N-byte blocks a cipher text deciphers to, computed with OpenSSL from the key text.
std::vector<Bytes> RawBlocks(const std::string& cipherText, const std::string& privateKey) {
    std::array<Limb, KeyLimbs> n{}, d{};
    ReadKeyText(privateKey, TKeyTextKind::Private, 64, n.data(), d.data());
    auto toBn = [](const std::array<Limb, KeyLimbs>& a) {
        unsigned char bytes[64];
        for (int i = 0; i < 64; ++i)
            bytes[i] = static_cast<unsigned char>(a[i / 4] >> (8 * (i % 4)));
        return BN_lebin2bn(bytes, 64, nullptr);
    };
    BIGNUM* bn = toBn(n);
    BIGNUM* bd = toBn(d);
    BIGNUM* m = BN_new();
    BN_CTX* ctx = BN_CTX_new();
    const Bytes cipher = DecodeRadix64(cipherText);
    std::vector<Bytes> blocks;
    for (std::size_t off = 0; off + 64 <= cipher.size(); off += 64) {
        BIGNUM* c = BN_lebin2bn(BytePtr(cipher) + off, 64, nullptr);
        BN_mod_exp(m, c, bd, bn, ctx);
        Bytes block(64, '\0');
        BN_bn2lebinpad(m, BytePtr(block), 64);
        blocks.push_back(block);
        BN_free(c);
    }
    BN_free(m);
    BN_free(bn);
    BN_free(bd);
    BN_CTX_free(ctx);
    return blocks;
}

TEST(RSAVectors, EncipherAndDecipherReproduceTheFile) {
    const auto records = test::ReadVectors("rsa512.vec", "RSA 512");
    ASSERT_FALSE(records.empty());
    for (const auto& r : records) {
        TRSA rsa;
        rsa.SetKeyBits(TKeyBits::kb0512);
        rsa.SetPublicKey(r["PublicKey"]);
        rsa.SetPrivateKey(r["PrivateKey"]);
        const Bytes in = Unhex(r["In"]);
        EXPECT_EQ(rsa.PublicEncipher(in), r["Out"]) << "line " << r.Line;
        EXPECT_EQ(rsa.PrivateDecipher(r["Out"]), in) << "line " << r.Line;
    }
}

TEST(RSAVectors, LargerKeysMatchAnIndependentComputation) {
    for (const auto& v : test::kLargeKeyVectors) {
        TRSA rsa;
        rsa.SetKeyBits(v.Bits);
        rsa.SetPublicKey(v.PublicKey);
        rsa.SetPrivateKey(v.PrivateKey);
        const Bytes in = Unhex(v.In);
        EXPECT_EQ(rsa.PublicEncipher(in), v.Out) << static_cast<int>(v.Bits) << " " << v.In;
        EXPECT_EQ(rsa.PrivateDecipher(v.Out), in) << static_cast<int>(v.Bits) << " " << v.In;
    }
}

TEST(RSAWire, CipherTextLengthFollowsTheBlockCount) {
    Probe p(VectorPairs().at(0));
    const std::pair<std::size_t, std::size_t> cases[] = {
        {0, 86},   {1, 86},    {16, 86},   {24, 86},   {62, 86},
        {63, 171}, {125, 171}, {126, 256}, {188, 256}, {189, 342},
    };
    for (auto [length, chars] : cases) {
        const Bytes data(length, '\x33');
        const std::string text = p.Rsa.PublicEncipher(data);
        EXPECT_EQ(text.size(), chars) << length << " bytes";
        EXPECT_EQ(p.Rsa.PrivateDecipher(text), data) << length << " bytes";
    }
    EXPECT_TRUE(p.Seen.empty()) << "success changes no Status and fires no event";
}

TEST(RSAWire, PadBytesCarryTheirCount) {
    const KeyPair keys = VectorPairs().at(0);
    Probe p(keys);
    struct Case {
        std::size_t length;
        std::size_t blocks;
        std::size_t pad;
    };
    for (const Case& c : {Case{0, 1, 63}, Case{16, 1, 47}, Case{62, 1, 1}, Case{63, 2, 63}}) {
        const Bytes data(c.length, '\xC3');
        const auto blocks = RawBlocks(p.Rsa.PublicEncipher(data), keys.Private);
        ASSERT_EQ(blocks.size(), c.blocks) << c.length;
        Bytes plain;
        for (const auto& b : blocks) {
            EXPECT_EQ(b[63], '\0') << "the top byte of every message block is zero";
            plain += b.substr(0, 63);
        }
        EXPECT_EQ(plain, data + Bytes(c.pad, static_cast<char>(c.pad))) << c.length;
    }
}

TEST(RSAWire, EncipheringIsDeterministic) {
    Probe p(VectorPairs().at(0));
    EXPECT_EQ(p.Rsa.PublicEncipher("the same bytes"), p.Rsa.PublicEncipher("the same bytes"));
}

TEST(RSAWire, BytesOfEveryValueSurvive) {
    Probe p(VectorPairs().at(1));
    Bytes all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    EXPECT_EQ(p.Rsa.PrivateDecipher(p.Rsa.PublicEncipher(all)), all);
}

TEST(RSAFailures, DecipherRefusalsLeaveTheComponentWorking) {
    const KeyPair keys = VectorPairs().at(0);
    Probe p(keys);
    const std::string good = p.Rsa.PublicEncipher("payload");
    struct Case {
        const char* what;
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {"empty text", "", "String has incorrect length"},
        {"63 bytes", EncodeRadix64(Bytes(63, 'x')), "String has incorrect length"},
        {"65 bytes", EncodeRadix64(Bytes(65, 'x')), "String has incorrect length"},
        {"one block and trailing bytes", good + "++++", "String has incorrect length"},
        {"two blocks less one byte", EncodeRadix64(Bytes(127, 'x')), "String has incorrect length"},
        {"blank", good.substr(0, 10) + " " + good.substr(10), "String not valid"},
        {"fill character", good + "==", "String not valid"},
        {"line break", good + "\n", "String not valid"},
        {"NUL byte", good.substr(0, 5) + Bytes(1, '\0') + good.substr(5), "String not valid"},
    };
    for (const auto& c : cases) {
        p.Seen.clear();
        try {
            (void)p.Rsa.PrivateDecipher(c.text);
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), c.message) << c.what;
        }
        EXPECT_EQ(p.Rsa.Status(), "String not valid") << c.what;
        EXPECT_EQ(p.Seen, std::vector<std::string>{"String not valid"}) << c.what;
        EXPECT_EQ(p.Rsa.PrivateDecipher(good), "payload") << c.what << ": keys intact";
    }
}

TEST(RSAFailures, OperationsWithoutAKey) {
    Probe p;
    p.Rsa.SetKeyBits(TKeyBits::kb0512);
    p.Seen.clear();
    try {
        (void)p.Rsa.PublicEncipher("x");
        ADD_FAILURE() << "enciphered without a key";
    } catch (const ENoKeyLoaded& e) {
        EXPECT_EQ(e.Message(), "Public key not loaded");
    }
    try {
        (void)p.Rsa.PrivateDecipher("");
        ADD_FAILURE() << "deciphered without a key";
    } catch (const ENoKeyLoaded& e) {
        EXPECT_EQ(e.Message(), "Private key not loaded");
    }
    EXPECT_EQ(p.Seen,
              (std::vector<std::string>{"Public key not loaded", "Private key not loaded"}));
}

TEST(RSAFailures, WrongPrivateKeyRaisesNothing) {
    const auto pairs = VectorPairs();
    Probe a(pairs.at(0));
    Probe b(pairs.at(1));
    for (std::size_t length : {0U, 16U, 63U, 100U}) {
        const std::string text = a.Rsa.PublicEncipher(Bytes(length, 'q'));
        Bytes out;
        EXPECT_NO_THROW(out = b.Rsa.PrivateDecipher(text));
        EXPECT_LE(out.size(), (text.size() * 3 / 4) / 64 * 63);
        if (length > 0) {
            EXPECT_NE(out, Bytes(length, 'q'));
        }
    }
    EXPECT_TRUE(b.Seen.empty());
}

TEST(RSAFailures, KeyRefusalStoresStatusFiresEventThenRaises) {
    const KeyPair keys = VectorPairs().at(0);
    Probe p(keys);
    const std::string before = p.Rsa.PublicEncipher("abc");
    struct Case {
        bool isPrivate;
        std::string text;
        bool invalidKey; // EInvalidKey, else EConvertError
        const char* message;
    };
    const Case cases[] = {
        {false, "no colon", true, "Public key not valid"},
        {false, "++2++E:" + ModulusField(keys) + "=", false, "Public key not valid"},
        {false, "++2++E:" + ModulusField(keys).substr(1), true, "Public key has incorrect length"},
        {true, ModulusField(keys), true, "Public key not valid"},
        {true, "=" + keys.Private, false, "Public key not valid"},
        {true, keys.Private + "=", false, "Private key not valid"},
        {true, keys.Private + "+", true, "Private key has incorrect length"},
    };
    for (const auto& c : cases) {
        Probe q(keys);
        bool raised = false;
        try {
            if (c.isPrivate)
                q.Rsa.SetPrivateKey(c.text);
            else
                q.Rsa.SetPublicKey(c.text);
        } catch (const EInvalidKey& e) {
            raised = true;
            EXPECT_TRUE(c.invalidKey) << c.text;
            EXPECT_EQ(e.Message(), c.message) << c.text;
            EXPECT_EQ(q.Seen, std::vector<std::string>{c.message})
                << "event fired before the raise";
        } catch (const EConvertError& e) {
            raised = true;
            EXPECT_FALSE(c.invalidKey) << c.text;
            EXPECT_EQ(e.Message(), c.message) << c.text;
            EXPECT_EQ(q.Seen, std::vector<std::string>{c.message})
                << "event fired before the raise";
        }
        EXPECT_TRUE(raised) << c.text;
        EXPECT_EQ(q.Rsa.Status(), c.message);
        // The failed key's flag is down and its text is the previous one.
        EXPECT_EQ(q.Rsa.PublicKey(), keys.Public);
        EXPECT_EQ(q.Rsa.PrivateKey(), keys.Private);
        if (c.isPrivate)
            EXPECT_THROW((void)q.Rsa.PrivateDecipher(before), ENoKeyLoaded);
        else
            EXPECT_THROW((void)q.Rsa.PublicEncipher("abc"), ENoKeyLoaded);
    }
}

TEST(RSAState, SuccessfulAssignmentsReportTheirStatus) {
    const KeyPair keys = VectorPairs().at(0);
    Probe p;
    p.Rsa.SetKeyBits(TKeyBits::kb0512);
    p.Rsa.SetPublicKey(keys.Public);
    p.Rsa.SetPrivateKey(keys.Private);
    EXPECT_EQ(p.Seen, (std::vector<std::string>{"TRSA using 512 bit key", "Public key loaded OK",
                                                "Private key loaded OK"}));
    EXPECT_EQ(p.Rsa.PublicKey(), keys.Public);
    EXPECT_EQ(p.Rsa.PrivateKey(), keys.Private);
}

TEST(RSAState, KeyBitsSetsSizeAndStatus) {
    struct Case {
        TKeyBits value;
        int limbs;
        const char* status;
    };
    const Case cases[] = {{TKeyBits::kb1024, 32, "TRSA using 1024 bit key"},
                          {TKeyBits::kb2048, 64, "TRSA using 2048 bit key"},
                          {TKeyBits::kb0512, 16, "TRSA using 512 bit key"},
                          {TKeyBits::kb0512, 16, "TRSA using 512 bit key"}};
    Probe p;
    EXPECT_EQ(p.Rsa.KeyBits(), TKeyBits::kb0512);
    EXPECT_EQ(p.Rsa.ModulusLimbs(), 0);
    for (const auto& c : cases) {
        p.Seen.clear();
        p.Rsa.SetKeyBits(c.value);
        EXPECT_EQ(p.Rsa.KeyBits(), c.value);
        EXPECT_EQ(p.Rsa.ModulusLimbs(), c.limbs);
        EXPECT_EQ(p.Seen, std::vector<std::string>{c.status}) << "fires also for the same value";
    }
    p.Seen.clear();
    p.Rsa.SetKeyBits(static_cast<TKeyBits>(3));
    EXPECT_EQ(p.Rsa.KeyBits(), TKeyBits::kb0512);
    EXPECT_EQ(p.Rsa.ModulusLimbs(), 16);
    EXPECT_EQ(p.Seen, std::vector<std::string>{"TRSA using 512 bit key"})
        << "a value outside the enumeration changes nothing but still fires";
}

TEST(RSAState, ChangingKeyBitsKeepsTheKeys) {
    Probe p(VectorPairs().at(0));
    p.Rsa.SetKeyBits(TKeyBits::kb1024);
    EXPECT_EQ(p.Rsa.ModulusLimbs(), 32);
    // The 512-bit numbers stay; the data is now blocked by 127 and 128 bytes. A 127-byte block
    // exceeds the 512-bit modulus, so what comes back is not the data, but nothing raises.
    const std::string text = p.Rsa.PublicEncipher("");
    EXPECT_EQ(text.size(), 171U);
    EXPECT_LE(p.Rsa.PrivateDecipher(text).size(), 127U);
    EXPECT_THROW((void)p.Rsa.PrivateDecipher(EncodeRadix64(Bytes(64, 'x'))), EConvertError);
    p.Rsa.SetKeyBits(TKeyBits::kb0512);
    EXPECT_EQ(p.Rsa.PrivateDecipher(p.Rsa.PublicEncipher("back")), "back");
}

TEST(RSAState, WithoutKeyBitsOnlyEmptyFieldsPassAndOperationsRefuse) {
    const KeyPair keys = VectorPairs().at(0);
    Probe p;
    try {
        p.Rsa.SetPublicKey(keys.Public);
        ADD_FAILURE() << "accepted a key with no size set";
    } catch (const EInvalidKey& e) {
        EXPECT_EQ(e.Message(), "Public key has incorrect length");
    }
    EXPECT_THROW(p.Rsa.SetPrivateKey(keys.Private), EInvalidKey);
    EXPECT_THROW((void)p.Rsa.PublicEncipher("x"), ENoKeyLoaded);

    p.Rsa.SetPublicKey(":");
    p.Rsa.SetPrivateKey(":");
    p.Seen.clear();
    try {
        (void)p.Rsa.PublicEncipher("x");
        ADD_FAILURE() << "enciphered with no block size";
    } catch (const EInvalidKey& e) {
        EXPECT_EQ(e.Message(), "Public key has incorrect length");
    }
    try {
        (void)p.Rsa.PrivateDecipher("");
        ADD_FAILURE() << "deciphered with no block size";
    } catch (const EInvalidKey& e) {
        EXPECT_EQ(e.Message(), "Private key has incorrect length");
    }
    EXPECT_EQ(p.Seen, (std::vector<std::string>{"Public key has incorrect length",
                                                "Private key has incorrect length"}));
}

TEST(RSAState, BothKeysUseTheModulusReadLast) {
    const auto pairs = VectorPairs();
    TRSA mixed;
    mixed.SetKeyBits(TKeyBits::kb0512);
    mixed.SetPublicKey(pairs.at(0).Public);
    mixed.SetPrivateKey(pairs.at(1).Private);
    TRSA reference;
    reference.SetKeyBits(TKeyBits::kb0512);
    reference.SetPublicKey(ExponentField(pairs.at(0)) + ":" + ModulusField(pairs.at(1)));
    EXPECT_EQ(mixed.PublicEncipher("shared"), reference.PublicEncipher("shared"));
}

TEST(RSAState, FailedAssignmentsLeaveTheSharedModulus) {
    const auto pairs = VectorPairs();
    const KeyPair a = pairs.at(0), b = pairs.at(1);
    // A zero modulus turns every block into the number 1.
    const Bytes oneBlock = Bytes(1, '\x01') + Bytes(63, '\0');

    { // Failed public key: modulus zero, the private key still works with it.
        Probe p(a);
        EXPECT_THROW(p.Rsa.SetPublicKey("bad"), EInvalidKey);
        const std::string text = EncodeRadix64(Bytes(128, '\x77'));
        EXPECT_EQ(p.Rsa.PrivateDecipher(text), oneBlock.substr(0, 63) + oneBlock.substr(0, 63));
    }
    { // Private key failing at its first field: modulus zero for the public key too.
        Probe p(a);
        EXPECT_THROW(p.Rsa.SetPrivateKey("=:"), EConvertError);
        EXPECT_EQ(p.Rsa.PublicEncipher("x"), EncodeRadix64(oneBlock));
    }
    { // Private key failing at its second field: the modulus is the one it read.
        Probe p(a);
        EXPECT_THROW(p.Rsa.SetPrivateKey(ModulusField(b) + ":short"), EInvalidKey);
        TRSA reference;
        reference.SetKeyBits(TKeyBits::kb0512);
        reference.SetPublicKey(ExponentField(a) + ":" + ModulusField(b));
        EXPECT_EQ(p.Rsa.PublicEncipher("x"), reference.PublicEncipher("x"));
    }
}

TEST(RSASignature, AcceptsExactlyOneBlockSilently) {
    Probe p(VectorPairs().at(0));
    const std::string sig = EncodeRadix64(Bytes(64, '\x11'));
    p.Rsa.SetStatus("unchanged");
    p.Rsa.SetSignature(sig);
    EXPECT_EQ(p.Rsa.Signature(), sig);
    EXPECT_EQ(p.Rsa.Status(), "unchanged");
    EXPECT_TRUE(p.Seen.empty());

    struct Case {
        std::string text;
        const char* message;
    };
    const Case cases[] = {{sig + "=", "Signature not valid"},
                          {EncodeRadix64(Bytes(63, '\x11')), "Signature has incorrect length"},
                          {"", "Signature has incorrect length"}};
    for (const auto& c : cases) {
        p.Seen.clear();
        try {
            p.Rsa.SetSignature(c.text);
            ADD_FAILURE() << "accepted " << c.text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(p.Seen, std::vector<std::string>{c.message});
        EXPECT_EQ(p.Rsa.Signature(), sig) << "a failed signature changes nothing";
    }
}

TEST(RSAStreaming, PublishedPropertiesRoundTrip) {
    const KeyPair keys = VectorPairs().at(1);
    TRSA source;
    source.SetName("RSA1");
    source.SetKeyBits(TKeyBits::kb0512);
    source.SetPublicKey(keys.Public);
    source.SetPrivateKey(keys.Private);
    source.SetSymKeyLength(TSymKeyLength::sk192);
    const std::string text = WriteComponentText(source);
    EXPECT_NE(text.find("KeyBits = kb0512"), std::string::npos) << text;

    TRSA copy;
    copy.SetName("RSA1");
    ReadComponentText(copy, text);
    EXPECT_EQ(copy.KeyBits(), TKeyBits::kb0512);
    EXPECT_EQ(copy.SymKeyLength(), TSymKeyLength::sk192);
    EXPECT_EQ(copy.PublicKey(), keys.Public);
    EXPECT_EQ(copy.Status(), source.Status());
    EXPECT_EQ(copy.PrivateDecipher(source.PublicEncipher("streamed")), "streamed");
}

} // namespace
} // namespace velkor
