// The demonstration module: it registers after the built-in classes and leaves cleanly, its
// formats read back what they write and refuse anything else with the formats' messages, and
// its hash and cipher behave as every hash and cipher must (they have no published values).
#include "cipher/CipherManager.h"
#include "cipher/CipherRegistry.h"
#include "hash/HashManager.h"
#include "hash/HashRegistry.h"
#include "sample/Sample.h"
#include "sample/SampleCipher.h"
#include "sample/SampleFormats.h"
#include "sample/SampleHash.h"

#include "TestVectors.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>

namespace velkor {
namespace {

using test::Hex;

class SampleModule : public ::testing::Test {
protected:
    void SetUp() override { RegisterSampleModule(); }
    void TearDown() override { UnregisterSampleModule(); }
};

Bytes RandomBytes(std::mt19937& rng, std::size_t n) {
    Bytes b(n, '\0');
    for (auto& ch : b) ch = static_cast<char>(rng() & 0xFF);
    return b;
}

TEST_F(SampleModule, RegistersAfterTheBuiltInClassesAndLeavesCleanly) {
    ASSERT_FALSE(HashRegistry().empty());
    EXPECT_EQ(HashRegistry().back().Text, "Sample Hash=see Unit \"Sample\"");
    EXPECT_EQ(HashRegistry().back().Class, THash_Sample::Class());
    EXPECT_EQ(CipherRegistry().back().Text, "Sample Cipher=see Unit \"Sample\"");
    EXPECT_EQ(FindFormatClass(1704), TStringFormat_Sample::Class());
    EXPECT_EQ(FindFormatClass(1705), TStringFormat_HEXVIEW::Class());

    const auto hashes = HashRegistry().size(), ciphers = CipherRegistry().size();
    RegisterSampleModule(); // a second registration replaces the entries in place
    EXPECT_EQ(HashRegistry().size(), hashes);
    EXPECT_EQ(CipherRegistry().size(), ciphers);

    UnregisterSampleModule();
    EXPECT_EQ(FindHashClass("Sample Hash"), nullptr);
    EXPECT_EQ(FindCipherClass("Sample Cipher"), nullptr);
    EXPECT_EQ(FindFormatClass(1704), nullptr);
    EXPECT_EQ(FindFormatClass(1705), nullptr);
    EXPECT_EQ(HashRegistry().size(), hashes - 1);
    EXPECT_EQ(CipherRegistry().size(), ciphers - 1);
}

TEST_F(SampleModule, ManagersSelectAndDescribeItsClasses) {
    THashManager hashes;
    hashes.SetAlgorithm("Sample Hash");
    EXPECT_EQ(hashes.HashClass(), THash_Sample::Class());
    EXPECT_EQ(hashes.Description(), "see Unit \"Sample\", 64bit Digestsize");
    hashes.HashText("abc");
    EXPECT_EQ(hashes.DigestBytes().size(), 8U);

    TCipherManager ciphers;
    ciphers.SetAlgorithm("sample cipher");
    EXPECT_EQ(ciphers.Algorithm(), "Sample Cipher");
    EXPECT_EQ(ciphers.Description(), "see Unit \"Sample\", 128bit Key");
    ciphers.SetAlgorithm("TCipher_Sample");
    EXPECT_EQ(ciphers.Algorithm(), "Sample Cipher");
}

struct FormatCase {
    std::int32_t Id;
    const char* Bytes;
    std::size_t Length;
    const char* Text;
};

TEST_F(SampleModule, FormatsWriteWhatTheyReadBack) {
    const FormatCase cases[] = {
        {1704, "", 0, ""},
        {1704, "Hi\0\xFF", 4, "72 105 0 255"},
        {1705, "", 0, ""},
        {1705, "Hello", 5, "00000000  48 65 6C 6C 6F                                  |Hello|\r\n"},
        {1705, "0123456789abcdef\x01", 17,
         "00000000  30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66 |0123456789abcdef|\r\n"
         "00000010  01                                              |.|\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        const Bytes bytes(c.Bytes, c.Length);
        EXPECT_EQ(ToFormat(bytes, c.Id), c.Text);
        EXPECT_EQ(Hex(FromFormat(std::string_view(c.Text), c.Id)), Hex(bytes));
    }
    std::mt19937 rng(1705);
    for (std::size_t n : {1U, 15U, 16U, 17U, 300U}) {
        const Bytes data = RandomBytes(rng, n);
        EXPECT_EQ(FromFormat(ToFormat(data, 1704), 1704), data);
        EXPECT_EQ(FromFormat(ToFormat(data, 1705), 1705), data);
    }
    // Reading is lenient about the blanks between numbers.
    EXPECT_EQ(FromFormat(std::string_view(" 1\t2\r\n  3 "), 1704), Bytes("\x01\x02\x03"));
}

TEST_F(SampleModule, FormatsRefuseWhatTheyDoNotWrite) {
    const std::pair<std::int32_t, const char*> bad[] = {
        {1704, "256"},
        {1704, "1,2"},
        {1704, "0001"},
        {1704, "-1"},
        {1704, "12a"},
        {1705, "00000000 48"},
        {1705, "00000001  48                                              |H|\r\n"},
        {1705, "0000000G  48                                              |H|\r\n"},
        {1705, "00000000  4X                                              |H|\r\n"},
        {1705, "00000000     48                                           |H|\r\n"},
    };
    for (const auto& [id, text] : bad) {
        SCOPED_TRACE(text);
        try {
            FromFormat(std::string_view(text), id);
            ADD_FAILURE() << "accepted";
        } catch (const EStringFormat& e) {
            EXPECT_EQ(std::string(e.what()),
                      std::string("Input is not an valid ") +
                          (id == 1704 ? "Sample see Sample" : "HEX-View, see Sample") + " Format.");
        }
    }
}

TEST_F(SampleModule, CipherRoundTripsInEveryModeAndAvalanches) {
    std::mt19937 rng(0x5A);
    const Bytes key = RandomBytes(rng, 16);
    for (int m = 0; m < 8; ++m) {
        const auto mode = static_cast<TCipherMode>(m);
        SCOPED_TRACE(CipherModeName(mode));
        const Bytes plain = RandomBytes(rng, mode == TCipherMode::cmECB ? 64 : 61);
        TCipher_Sample enc, dec;
        enc.Init(key.data(), 16, nullptr);
        dec.Init(key.data(), 16, nullptr);
        enc.SetMode(mode);
        dec.SetMode(mode);
        Bytes cipher(plain.size(), '\0'), back(plain.size(), '\0');
        enc.EncipherBuffer(plain.data(), cipher.data(), plain.size());
        dec.DecipherBuffer(m >= 5 ? plain.data() : cipher.data(), back.data(), plain.size());
        if (m < 5)
            EXPECT_EQ(Hex(back), Hex(plain));
        else
            EXPECT_EQ(Hex(BytesOf(enc.Feedback(), 8)), Hex(BytesOf(dec.Feedback(), 8)));
    }

    // One flipped plaintext bit changes about half of the block.
    TCipher_Sample c;
    c.Init(key.data(), 16, nullptr);
    long changed = 0, total = 0;
    for (int trial = 0; trial < 200; ++trial) {
        Bytes a = RandomBytes(rng, 8), b = a;
        b[trial % 8] = static_cast<char>(b[trial % 8] ^ (1 << (trial % 7)));
        c.EncipherBlock(a.data());
        c.EncipherBlock(b.data());
        for (int i = 0; i < 8; ++i)
            changed += std::popcount(static_cast<unsigned>(static_cast<std::uint8_t>(a[i] ^ b[i])));
        total += 64;
    }
    const double share = static_cast<double>(changed) / static_cast<double>(total);
    EXPECT_GT(share, 0.46);
    EXPECT_LT(share, 0.54);
}

TEST_F(SampleModule, HashIsSplitIndependentAndAvalanches) {
    std::mt19937 rng(0x77);
    const Bytes data = RandomBytes(rng, 100);
    THash_Sample h;
    auto digest = [&](const Bytes& d, std::size_t split) {
        h.Start();
        h.Feed(d.data(), split);
        h.Feed(d.data() + split, d.size() - split);
        h.Finish();
        return BytesOf(h.DigestData(), 8);
    };
    const Bytes whole = digest(data, 0);
    for (std::size_t split = 1; split <= data.size(); ++split)
        ASSERT_EQ(digest(data, split), whole) << split;
    long changed = 0, total = 0;
    for (std::size_t bit = 0; bit < 800; ++bit) {
        Bytes flipped = data;
        flipped[bit / 8] = static_cast<char>(flipped[bit / 8] ^ (1 << (bit % 8)));
        const Bytes d = digest(flipped, 0);
        for (int i = 0; i < 8; ++i)
            changed +=
                std::popcount(static_cast<unsigned>(static_cast<std::uint8_t>(d[i] ^ whole[i])));
        total += 64;
    }
    const double share = static_cast<double>(changed) / static_cast<double>(total);
    EXPECT_GT(share, 0.47);
    EXPECT_LT(share, 0.53);
    // Inputs that differ only in trailing zero bytes differ in their digests.
    EXPECT_NE(digest(Bytes("a"), 0), digest(Bytes("a\0", 2), 0));
}

TEST(SampleHashSelfTest, ReproducesItsVector) {
    THash_Sample h;
    h.Start();
    h.Feed(SelfTestInput, sizeof SelfTestInput);
    h.Finish();
    EXPECT_EQ(Hex(BytesOf(h.DigestData(), 8)), Hex(BytesOf(THash_Sample::SelfTestVectorData(), 8)));
}

} // namespace
} // namespace velkor
