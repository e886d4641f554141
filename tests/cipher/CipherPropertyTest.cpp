// What every registered cipher class must do, whatever its algorithm: decipher what it
// enciphers in each of the eight modes, compute the same MAC in both directions, give the same
// bytes whether a range is processed at once or in whole-block pieces, and depend on its key.
#include "cipher/CipherRegistry.h"

#include "CaseNames.h"
#include "TestBytes.h"
#include "TestVectors.h"

#include <gtest/gtest.h>

#include <random>

namespace velkor {
namespace {

using test::Hex;
using test::RandomBytes;

constexpr TCipherMode kModes[] = {
    TCipherMode::cmCTS, TCipherMode::cmCBC,    TCipherMode::cmCFB,    TCipherMode::cmOFB,
    TCipherMode::cmECB, TCipherMode::cmCTSMAC, TCipherMode::cmCBCMAC, TCipherMode::cmCFBMAC};

bool IsMacMode(TCipherMode m) {
    return m == TCipherMode::cmCTSMAC || m == TCipherMode::cmCBCMAC || m == TCipherMode::cmCFBMAC;
}

TCipherRef Keyed(TCipherClass cls, const Bytes& key, TCipherMode mode) {
    TCipherRef c = cls->Create(nullptr);
    c->Init(key.data(), static_cast<int>(key.size()), nullptr);
    c->SetMode(mode);
    return c;
}

Bytes Feedback(const TCipher& c) {
    return BytesOf(c.Feedback(), static_cast<std::size_t>(c.BlockSize()));
}

class EveryCipher : public ::testing::TestWithParam<std::string> {
protected:
    TCipherClass Class() const {
        TCipherClass cls = FindCipherClass(GetParam());
        EXPECT_NE(cls, nullptr);
        return cls;
    }
};

TEST_P(EveryCipher, RoundTripsInEveryMode) {
    TCipherClass cls = Class();
    ASSERT_NE(cls, nullptr);
    const auto b = static_cast<std::size_t>(cls->BlockSize());
    std::mt19937 rng(0x5EED);
    const Bytes key = RandomBytes(rng, static_cast<std::size_t>(cls->KeySize()));
    for (TCipherMode mode : kModes) {
        SCOPED_TRACE(CipherModeName(mode));
        // Empty, shorter than a block, whole blocks, and whole blocks with a tail.
        for (std::size_t length : {std::size_t{0}, b - 1, b, 3 * b, 3 * b + b / 2 + 1, 257 * b}) {
            if (mode == TCipherMode::cmECB && length % b != 0) continue;
            SCOPED_TRACE(length);
            const Bytes plain = RandomBytes(rng, length);
            TCipherRef enc = Keyed(cls, key, mode);
            TCipherRef dec = Keyed(cls, key, mode);
            Bytes cipher(length, '\0'), back(length, '\0');
            enc->EncipherBuffer(plain.data(), cipher.data(), length);
            if (IsMacMode(mode)) {
                Bytes copy = plain;
                dec->DecipherBuffer(copy.data(), copy.data(), length);
                EXPECT_EQ(copy, plain) << "a MAC mode writes nothing";
                EXPECT_EQ(Hex(Feedback(*enc)), Hex(Feedback(*dec))) << "the same MAC both ways";
                continue;
            }
            dec->DecipherBuffer(cipher.data(), back.data(), length);
            EXPECT_EQ(Hex(back), Hex(plain));
            if (length >= 2 * b && mode != TCipherMode::cmECB) {
                EXPECT_NE(cipher, plain);
            }
        }
    }
}

TEST_P(EveryCipher, WholeBlockPiecesEqualOneCall) {
    TCipherClass cls = Class();
    ASSERT_NE(cls, nullptr);
    const auto b = static_cast<std::size_t>(cls->BlockSize());
    std::mt19937 rng(0xB10C);
    const Bytes key = RandomBytes(rng, static_cast<std::size_t>(cls->KeySize()));
    const Bytes plain = RandomBytes(rng, 12 * b);
    for (TCipherMode mode : {TCipherMode::cmCTS, TCipherMode::cmCBC, TCipherMode::cmCFB,
                             TCipherMode::cmOFB, TCipherMode::cmECB}) {
        SCOPED_TRACE(CipherModeName(mode));
        TCipherRef whole = Keyed(cls, key, mode);
        Bytes once(plain.size(), '\0');
        whole->EncipherBuffer(plain.data(), once.data(), plain.size());
        TCipherRef pieces = Keyed(cls, key, mode);
        Bytes split(plain.size(), '\0');
        for (std::size_t at = 0, n = b; at < plain.size(); at += n, n = n % (3 * b) + b)
            pieces->EncipherBuffer(plain.data() + at, split.data() + at,
                                   std::min(n, plain.size() - at));
        EXPECT_EQ(Hex(split), Hex(once));
    }
}

TEST_P(EveryCipher, DependsOnEveryKeyByte) {
    TCipherClass cls = Class();
    ASSERT_NE(cls, nullptr);
    const auto b = static_cast<std::size_t>(cls->BlockSize());
    std::mt19937 rng(0x4E1);
    const Bytes key = RandomBytes(rng, static_cast<std::size_t>(cls->KeySize()));
    const Bytes plain = RandomBytes(rng, 4 * b);
    auto encipher = [&](const Bytes& k) {
        TCipherRef c = Keyed(cls, k, TCipherMode::cmCBC);
        Bytes out(plain.size(), '\0');
        c->EncipherBuffer(plain.data(), out.data(), plain.size());
        return out;
    };
    const Bytes reference = encipher(key);
    for (std::size_t i = 0; i < key.size(); ++i) {
        Bytes changed = key;
        // A whole byte changes, not one bit: DES-like keys ignore their parity bits.
        changed[i] = static_cast<char>(changed[i] ^ 0xFE);
        EXPECT_NE(encipher(changed), reference) << "key byte " << i << " makes no difference";
    }
}

std::vector<std::string> RegisteredCiphers() {
    std::vector<std::string> names;
    for (const auto& e : CipherRegistry()) names.push_back(CipherClassName(e.Class));
    return names;
}

INSTANTIATE_TEST_SUITE_P(Registered, EveryCipher, ::testing::ValuesIn(RegisteredCiphers()),
                         test::TextCaseName);

} // namespace
} // namespace velkor
