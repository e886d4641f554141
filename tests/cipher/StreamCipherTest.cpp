// The stream ciphers in the block framework (RC4, Sapphire II): their keystream looks random
// (about half the bits set, other keys give other streams, one flipped key bit changes about
// half of the stream), and the generator runs on from run to run, so that a second run under
// one key never reuses the first run's keystream and an object keyed alike, taken through the
// same runs, deciphers them.
#include "cipher/CipherRegistry.h"
#include "cipher/Sapphire.h"
#include "hash/Sapphire.h"

#include "CaseNames.h"
#include "TestBytes.h"
#include "TestVectors.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>

namespace velkor {
namespace {

using test::Hex;
using test::RandomBytes;

TCipherRef Keyed(const std::string& name, const Bytes& key, TCipherMode mode) {
    TCipherClass cls = FindCipherClass(name);
    EXPECT_NE(cls, nullptr) << name;
    TCipherRef c = cls->Create(nullptr);
    c->Init(key.data(), static_cast<int>(key.size()), nullptr);
    c->SetMode(mode);
    return c;
}

// The keystream: zeros enciphered in cmECB.
Bytes Stream(const std::string& name, const Bytes& key, std::size_t length) {
    TCipherRef c = Keyed(name, key, TCipherMode::cmECB);
    Bytes out(length, '\0');
    c->EncipherBuffer(out.data(), out.data(), length);
    return out;
}

std::size_t BitsSet(const Bytes& b) {
    std::size_t n = 0;
    for (char ch : b) n += static_cast<std::size_t>(std::popcount(static_cast<unsigned char>(ch)));
    return n;
}

std::size_t BitsDiffering(const Bytes& a, const Bytes& b) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        n += static_cast<std::size_t>(std::popcount(static_cast<unsigned char>(
            static_cast<unsigned char>(a[i]) ^ static_cast<unsigned char>(b[i]))));
    return n;
}

class StreamCipher : public ::testing::TestWithParam<std::string> {};

TEST_P(StreamCipher, KeystreamHasAboutHalfItsBitsSet) {
    std::mt19937 rng(0x57);
    constexpr std::size_t kLength = 1 << 16; // 524288 bits: 4 sigma is about 0.3 percent
    for (std::size_t keyLength :
         {std::size_t{1}, std::size_t{5}, std::size_t{16}, std::size_t{200}}) {
        const Bytes key = RandomBytes(rng, keyLength);
        const double share =
            static_cast<double>(BitsSet(Stream(GetParam(), key, kLength))) / (8.0 * kLength);
        EXPECT_NEAR(share, 0.5, 0.005) << "key " << Hex(key);
    }
}

TEST_P(StreamCipher, OtherKeysGiveUnrelatedStreams) {
    std::mt19937 rng(0x58);
    constexpr std::size_t kLength = 4096;
    const Bytes key = RandomBytes(rng, 16);
    const Bytes reference = Stream(GetParam(), key, kLength);
    auto expectUnrelated = [&](const Bytes& other) {
        const double share =
            static_cast<double>(BitsDiffering(reference, Stream(GetParam(), other, kLength))) /
            (8.0 * kLength);
        EXPECT_NEAR(share, 0.5, 0.03) << "key " << Hex(key) << " against " << Hex(other);
    };
    for (std::size_t bit = 0; bit < 8 * key.size(); bit += 9) {
        Bytes flipped = key;
        flipped[bit / 8] = static_cast<char>(flipped[bit / 8] ^ (1 << (bit % 8)));
        expectUnrelated(flipped);
    }
    expectUnrelated(RandomBytes(rng, 16));
    expectUnrelated(key + '\0'); // one byte longer, the extra byte zero
}

TEST_P(StreamCipher, TheGeneratorRunsOnFromRunToRun) {
    std::mt19937 rng(0x59);
    const Bytes key = RandomBytes(rng, 16);
    const Bytes first = RandomBytes(rng, 100), second = first;
    for (TCipherMode mode :
         {TCipherMode::cmCTS, TCipherMode::cmCBC, TCipherMode::cmCFB, TCipherMode::cmOFB}) {
        SCOPED_TRACE(CipherModeName(mode));
        TCipherRef enc = Keyed(GetParam(), key, mode);
        const Bytes c1 = enc->ProcessText(first, TProcessAction::Encipher, 1);
        const Bytes c2 = enc->ProcessText(second, TProcessAction::Encipher, 1);
        EXPECT_NE(c1, c2) << "the same text enciphers differently in the second run";
        TCipherRef dec = Keyed(GetParam(), key, mode);
        EXPECT_EQ(Hex(dec->ProcessText(c1, TProcessAction::Decipher, 1)), Hex(first));
        EXPECT_EQ(Hex(dec->ProcessText(c2, TProcessAction::Decipher, 1)), Hex(second));
        TCipherRef fresh = Keyed(GetParam(), key, mode);
        EXPECT_NE(fresh->ProcessText(c2, TProcessAction::Decipher, 1), second)
            << "a fresh object is at the start of the stream, not where the second run began";
    }
}

// The cipher and the hashes share one state machine: keyed with the empty key (and given an IV,
// so that nothing is enciphered before the data), the cipher enciphers the message, the
// stirring bytes 255 down to 0 and then zeros, and the last of those cipher bytes are the
// digest.
TEST(SapphireCipher, EmptyKeyRunsTheHashConstruction) {
    std::mt19937 rng(0x5A9);
    const Bytes message = RandomBytes(rng, 64);
    Bytes stream = message;
    for (int i = 255; i >= 0; --i) stream += static_cast<char>(i);
    stream += Bytes(48, '\0');
    TCipher_Sapphire c;
    const Bytes iv(16, '\0');
    c.Init(nullptr, 0, iv.data());
    c.SetMode(TCipherMode::cmECB);
    c.EncipherBuffer(stream.data(), stream.data(), stream.size());
    THash_Sapphire320 h;
    h.Start();
    h.Feed(message.data(), message.size());
    h.Finish();
    EXPECT_EQ(Hex(stream.substr(stream.size() - 48, 40)), Hex(BytesOf(h.DigestData(), 40)));
}

INSTANTIATE_TEST_SUITE_P(Registered, StreamCipher, ::testing::Values("RC4", "Sapphire II"),
                         test::TextCaseName);

} // namespace
} // namespace velkor
