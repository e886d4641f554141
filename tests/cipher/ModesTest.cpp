// The cipher base: the eight modes with their tail rule, chaining across calls, the chain reset,
// keying errors, the wipe, and the protection runs that drive a cipher.
#include "cipher/Blowfish.h"
#include "cipher/DES.h"

#include "TestVectors.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace velkor;
using velkor::test::Hex;

namespace {

Bytes RandomBytes(std::uint32_t seed, std::size_t n) {
    std::mt19937 rng(seed);
    Bytes b(n, '\0');
    for (auto& ch : b) ch = static_cast<char>(rng() & 0xFF);
    return b;
}

Bytes Area(const std::uint8_t* p, int n) {
    return BytesOf(p, static_cast<std::size_t>(n));
}

TCipherRef Keyed(TCipherClass cls, TCipherMode mode, std::uint32_t seed = 7) {
    TCipherRef c = cls->Create(nullptr);
    Bytes key = RandomBytes(seed, static_cast<std::size_t>(cls->KeySize()));
    c->Init(key.data(), static_cast<int>(key.size()), nullptr);
    c->SetMode(mode);
    return c;
}

Bytes Encipher(TCipher& c, const Bytes& in) {
    Bytes out(in.size(), '\0');
    c.EncipherBuffer(in.data(), out.data(), in.size());
    return out;
}

Bytes Decipher(TCipher& c, const Bytes& in) {
    Bytes out(in.size(), '\0');
    c.DecipherBuffer(in.data(), out.data(), in.size());
    return out;
}

// E(x) under the cipher's key, without touching its chaining state.
Bytes E(TCipher& c, Bytes x) {
    c.EncipherBlock(x.data());
    return x;
}

Bytes Xor(const Bytes& a, const Bytes& b) {
    Bytes out(a);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char>(out[i] ^ b[i]);
    return out;
}

// A clock that always answers the same time and counter, so that the Erase seed is known.
class TFixedClock final : public IClock {
public:
    TDateTimeParts Now() override { return {2024, 5, 6, 7, 8, 9, 10}; }
    TDateTimeParts UtcNow() override { return {2024, 5, 6, 5, 8, 9, 10}; }
    std::uint64_t PerformanceCounter() override { return 0x0000012300004567ull; }
    void Sleep(int) override {}
};

const TCipherMode kStreamModes[] = {TCipherMode::cmCTS, TCipherMode::cmCBC, TCipherMode::cmCFB,
                                    TCipherMode::cmOFB};
const TCipherMode kMacModes[] = {TCipherMode::cmCTSMAC, TCipherMode::cmCBCMAC,
                                 TCipherMode::cmCFBMAC};

class CipherModes : public testing::TestWithParam<TCipherClass> {
protected:
    TCipherClass Cls() const { return GetParam(); }
    std::size_t B() const { return static_cast<std::size_t>(GetParam()->BlockSize()); }
};

std::string ClassParamName(const testing::TestParamInfo<TCipherClass>& info) {
    return info.param->ClassName();
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Classes, CipherModes,
                         testing::Values(TCipher_1DES::Class(), TCipher_3TDES::Class(),
                                         TCipher_Blowfish::Class()),
                         ClassParamName);

TEST_P(CipherModes, RoundTripsForEveryLength) {
    const std::size_t b = B();
    for (TCipherMode mode : kStreamModes) {
        for (std::size_t n : {std::size_t{0}, std::size_t{1}, b - 1, b, b + 1, std::size_t{4095},
                              std::size_t{4096}, std::size_t{4097}, std::size_t{10000}}) {
            TCipherRef c = Keyed(Cls(), mode);
            Bytes plain = RandomBytes(static_cast<std::uint32_t>(n), n);
            Bytes cipher = Encipher(*c, plain);
            ASSERT_EQ(cipher.size(), n);
            if (n > 0) {
                EXPECT_NE(cipher, plain) << CipherModeName(mode) << " n=" << n;
            }
            const Bytes feedback = Area(c->Feedback(), c->BlockSize());
            // Into a separate buffer, where a mode that took its feedback from what it writes
            // instead of what it reads would go astray, and in place.
            c->ResetChain();
            EXPECT_EQ(Decipher(*c, cipher), plain) << CipherModeName(mode) << " n=" << n;
            EXPECT_EQ(Area(c->Feedback(), c->BlockSize()), feedback) << CipherModeName(mode);
            c->ResetChain();
            c->DecipherBuffer(cipher.data(), cipher.data(), cipher.size());
            EXPECT_EQ(cipher, plain) << CipherModeName(mode) << " n=" << n;
            EXPECT_EQ(Area(c->Feedback(), c->BlockSize()), feedback) << CipherModeName(mode);
        }
    }
}

TEST_P(CipherModes, EcbRoundTripsWholeBlocksAndRepeatsEqualBlocks) {
    TCipherRef c = Keyed(Cls(), TCipherMode::cmECB);
    Bytes block = RandomBytes(1, B());
    Bytes plain = block + block + RandomBytes(2, 3 * B());
    Bytes cipher = Encipher(*c, plain);
    EXPECT_EQ(cipher.substr(0, B()), cipher.substr(B(), B()));
    EXPECT_EQ(cipher.substr(0, B()), E(*c, block));
    EXPECT_EQ(Decipher(*c, cipher), plain);
}

TEST_P(CipherModes, EcbRefusesAPartialBlockBeforeWritingAnything) {
    TCipherRef c = Keyed(Cls(), TCipherMode::cmECB);
    Bytes plain = RandomBytes(3, 2 * B() + 1);
    Bytes dest(plain.size(), '\x11');
    Bytes feedback = Area(c->Feedback(), c->BlockSize());
    for (bool encipher : {true, false}) {
        try {
            if (encipher)
                c->EncipherBuffer(plain.data(), dest.data(), plain.size());
            else
                c->DecipherBuffer(plain.data(), dest.data(), plain.size());
            ADD_FAILURE() << "a partial block was accepted";
        } catch (const ECipherException& e) {
            EXPECT_EQ(e.ErrorCode(), errBufferSize);
            EXPECT_EQ(e.Message(), c->ClassName() + " can not process " +
                                       std::to_string(plain.size()) +
                                       " bytes in cmECB, the size must be a multiple of " +
                                       std::to_string(B()) + " bytes.");
        }
        EXPECT_EQ(dest, Bytes(plain.size(), '\x11'));
        EXPECT_EQ(Area(c->Feedback(), c->BlockSize()), feedback);
    }
    // In place the data stays as it was.
    Bytes inPlace = plain;
    EXPECT_THROW(c->EncipherBuffer(inPlace.data(), inPlace.data(), inPlace.size()),
                 ECipherException);
    EXPECT_EQ(inPlace, plain);
}

TEST_P(CipherModes, ShortRangeInCtsAndCbcIsOnlyTheTailRule) {
    for (TCipherMode mode : {TCipherMode::cmCTS, TCipherMode::cmCBC}) {
        TCipherRef c = Keyed(Cls(), mode);
        Bytes f = Area(c->Feedback(), c->BlockSize());
        Bytes s = E(*c, f);
        Bytes plain = RandomBytes(4, B() - 3);
        EXPECT_EQ(Encipher(*c, plain), Xor(plain, s.substr(0, plain.size())))
            << CipherModeName(mode);
        EXPECT_EQ(Area(c->Feedback(), c->BlockSize()), Xor(s, f)) << CipherModeName(mode);
    }
}

TEST_P(CipherModes, CtsChainsEachBlockIntoTheFeedback) {
    TCipherRef c = Keyed(Cls(), TCipherMode::cmCTS);
    Bytes f = Area(c->Feedback(), c->BlockSize());
    Bytes p1 = RandomBytes(5, B()), p2 = RandomBytes(6, B());
    Bytes c1 = E(*c, Xor(p1, f));
    Bytes f1 = Xor(c1, f);
    Bytes c2 = E(*c, Xor(p2, f1));
    EXPECT_EQ(Encipher(*c, p1 + p2), c1 + c2);
    EXPECT_EQ(Area(c->Feedback(), c->BlockSize()), Xor(c2, f1));
}

TEST_P(CipherModes, ZeroLengthChangesNothing) {
    for (TCipherMode mode :
         {TCipherMode::cmCTS, TCipherMode::cmCFB, TCipherMode::cmECB, TCipherMode::cmCBCMAC}) {
        TCipherRef c = Keyed(Cls(), mode);
        Bytes warm = RandomBytes(8, B() + 1);
        if (mode != TCipherMode::cmECB) Encipher(*c, warm);
        Bytes f = Area(c->Feedback(), c->BlockSize()), s = Area(c->Scratch(), c->BlockSize());
        c->EncipherBuffer(nullptr, nullptr, 0);
        c->DecipherBuffer(nullptr, nullptr, 0);
        EXPECT_EQ(Area(c->Feedback(), c->BlockSize()), f) << CipherModeName(mode);
        EXPECT_EQ(Area(c->Scratch(), c->BlockSize()), s) << CipherModeName(mode);
    }
}

TEST_P(CipherModes, SplitCallsAtWholeBlocksGiveTheSameBytes) {
    const std::size_t b = B();
    Bytes plain = RandomBytes(9, 100 * b + 5);
    for (TCipherMode mode : kStreamModes) {
        TCipherRef whole = Keyed(Cls(), mode), split = Keyed(Cls(), mode);
        Bytes expect = Encipher(*whole, plain);
        Bytes got;
        for (std::size_t at = 0, step = b; at < plain.size(); at += step, step = 7 * b)
            got += Encipher(*split, plain.substr(at, step));
        EXPECT_EQ(got, expect) << CipherModeName(mode);
    }
    // A cut inside a block applies the tail rule there.
    TCipherRef whole = Keyed(Cls(), TCipherMode::cmCTS), split = Keyed(Cls(), TCipherMode::cmCTS);
    Bytes expect = Encipher(*whole, plain);
    Bytes got = Encipher(*split, plain.substr(0, b + 1));
    got += Encipher(*split, plain.substr(b + 1));
    EXPECT_EQ(got.substr(0, b), expect.substr(0, b));
    EXPECT_NE(got.substr(b), expect.substr(b));
}

TEST_P(CipherModes, ByteModesMayBeSplitAnywhere) {
    Bytes plain = RandomBytes(10, 3 * B() + 2);
    for (TCipherMode mode : {TCipherMode::cmCFB, TCipherMode::cmOFB}) {
        TCipherRef whole = Keyed(Cls(), mode), bytewise = Keyed(Cls(), mode);
        Bytes expect = Encipher(*whole, plain), got;
        for (char ch : plain) got += Encipher(*bytewise, Bytes(1, ch));
        EXPECT_EQ(got, expect) << CipherModeName(mode);
    }
}

TEST_P(CipherModes, OfbKeystreamDoesNotDependOnTheData) {
    Bytes plain = RandomBytes(11, 5 * B() + 3);
    TCipherRef a = Keyed(Cls(), TCipherMode::cmOFB), b = Keyed(Cls(), TCipherMode::cmOFB);
    EXPECT_EQ(Xor(Encipher(*a, plain), Encipher(*b, Bytes(plain.size(), '\0'))), plain);
}

TEST_P(CipherModes, CfbFeedsBackTheCipherText) {
    // Changing one cipher-text byte spoils that byte and the next block's worth of bytes only.
    Bytes plain = RandomBytes(12, 4 * B());
    TCipherRef c = Keyed(Cls(), TCipherMode::cmCFB);
    Bytes cipher = Encipher(*c, plain);
    cipher[3] ^= 0x40;
    c->ResetChain();
    Bytes back = Decipher(*c, cipher);
    EXPECT_EQ(back[3], static_cast<char>(plain[3] ^ 0x40));
    EXPECT_EQ(back.substr(0, 3), plain.substr(0, 3));
    EXPECT_NE(back.substr(4, B()), plain.substr(4, B()));
    EXPECT_EQ(back.substr(4 + B()), plain.substr(4 + B()));
}

TEST_P(CipherModes, MacModesLeaveDestAndComputeOneValueBothWays) {
    Bytes data = RandomBytes(13, 5 * B() + 3);
    for (TCipherMode mode : kMacModes) {
        TCipherRef enc = Keyed(Cls(), mode), dec = Keyed(Cls(), mode);
        Bytes dest(data.size(), '\x5C');
        enc->EncipherBuffer(data.data(), dest.data(), data.size());
        EXPECT_EQ(dest, Bytes(data.size(), '\x5C')) << CipherModeName(mode);
        dec->DecipherBuffer(data.data(), dest.data(), data.size());
        EXPECT_EQ(dest, Bytes(data.size(), '\x5C')) << CipherModeName(mode);
        Bytes mac = Area(enc->Feedback(), enc->BlockSize());
        EXPECT_EQ(Area(dec->Feedback(), dec->BlockSize()), mac) << CipherModeName(mode);
        EXPECT_NE(mac, Area(enc->IV(), enc->BlockSize()));
        // The chain reset moves the MAC into Scratch.
        enc->ResetChain();
        EXPECT_EQ(Area(enc->Scratch(), enc->BlockSize()), mac);
        // Every data byte counts, the partial tail's bytes excepted in the block modes.
        Bytes other = data;
        other[1] ^= 1;
        TCipherRef c = Keyed(Cls(), mode);
        c->EncipherBuffer(other.data(), dest.data(), other.size());
        EXPECT_NE(Area(c->Feedback(), c->BlockSize()), mac) << CipherModeName(mode);
    }
}

// Each MAC mode carries the same feedback as its enciphering mode.
TEST_P(CipherModes, MacEqualsTheFeedbackOfItsEncipheringMode) {
    const std::pair<TCipherMode, TCipherMode> pairs[] = {
        {TCipherMode::cmCTSMAC, TCipherMode::cmCTS},
        {TCipherMode::cmCBCMAC, TCipherMode::cmCBC},
        {TCipherMode::cmCFBMAC, TCipherMode::cmCFB},
    };
    for (std::size_t n : {3 * B(), 3 * B() + 2}) {
        Bytes data = RandomBytes(14, n);
        for (auto [macMode, mode] : pairs) {
            TCipherRef mac = Keyed(Cls(), macMode), enc = Keyed(Cls(), mode);
            mac->EncipherBuffer(data.data(), nullptr, data.size());
            Bytes cipher = Encipher(*enc, data);
            EXPECT_EQ(Hex(Area(mac->Feedback(), mac->BlockSize())),
                      Hex(Area(enc->Feedback(), enc->BlockSize())))
                << CipherModeName(macMode) << " n=" << n;
            if (mode == TCipherMode::cmCBC && n % B() == 0) {
                EXPECT_EQ(Area(mac->Feedback(), mac->BlockSize()), cipher.substr(n - B()));
            }
        }
    }
}

TEST_P(CipherModes, ModeChangesTakeEffectWithoutResettingTheChain) {
    TCipherRef c = Keyed(Cls(), TCipherMode::cmCBC);
    Bytes data = RandomBytes(15, 2 * B());
    Encipher(*c, data);
    Bytes f = Area(c->Feedback(), c->BlockSize());
    c->SetMode(TCipherMode::cmCFB);
    EXPECT_EQ(Area(c->Feedback(), c->BlockSize()), f);
    EXPECT_EQ(c->Mode(), TCipherMode::cmCFB);
}

TEST_P(CipherModes, KeyingWithoutIvStartsFromTheEnciphermentOfOnes) {
    TCipherRef c = Keyed(Cls(), TCipherMode::cmCTS);
    Bytes iv = Area(c->IV(), c->BlockSize());
    EXPECT_EQ(iv, E(*c, Bytes(B(), '\xFF')));
    EXPECT_EQ(Area(c->Feedback(), c->BlockSize()), iv);
    EXPECT_TRUE(c->FlagBit(TCipher::kFlagInitialized));
    EXPECT_FALSE(c->FlagBit(TCipher::kFlagKeyed));

    Bytes given = RandomBytes(16, B()), key(static_cast<std::size_t>(Cls()->KeySize()), 'k');
    c->Init(key.data(), static_cast<int>(key.size()), given.data());
    EXPECT_EQ(Area(c->IV(), c->BlockSize()), given);
    EXPECT_EQ(Area(c->Feedback(), c->BlockSize()), given);
}

TEST_P(CipherModes, ResetChainSavesTheFeedbackOnce) {
    TCipherRef c = Keyed(Cls(), TCipherMode::cmCTS);
    Encipher(*c, RandomBytes(17, 2 * B()));
    Bytes f = Area(c->Feedback(), c->BlockSize());
    c->ResetChain();
    EXPECT_EQ(Area(c->Feedback(), c->BlockSize()), Area(c->IV(), c->BlockSize()));
    EXPECT_EQ(Area(c->Scratch(), c->BlockSize()), f);
    c->ResetChain();
    EXPECT_EQ(Area(c->Scratch(), c->BlockSize()), f);
}

TEST_P(CipherModes, UseBeforeKeyingIsRefused) {
    TCipherRef c = Cls()->Create(nullptr);
    const std::string message =
        c->ClassName() + " is not initialized call Init() or InitKey() before.";
    Bytes data = RandomBytes(18, 2 * B()), dest(data.size(), '\x33');
    auto expectRefused = [&](auto&& call, const char* what) {
        try {
            call();
            ADD_FAILURE() << what << " ran on an unkeyed cipher";
        } catch (const ECipherException& e) {
            EXPECT_EQ(e.ErrorCode(), errNotInitialized) << what;
            EXPECT_EQ(e.Message(), message) << what;
        }
    };
    for (int round = 0; round < 2; ++round) {
        expectRefused([&] { c->EncipherBuffer(data.data(), dest.data(), data.size()); },
                      "EncipherBuffer");
        expectRefused([&] { c->DecipherBuffer(data.data(), dest.data(), data.size()); },
                      "DecipherBuffer");
        expectRefused([&] { c->StartRun(TProcessAction::Measure); }, "StartRun(Measure)");
        Bytes copy = data;
        expectRefused([&] { c->ProcessBuffer(copy.data(), copy.size(), TProcessAction::Encipher); },
                      "ProcessBuffer");
        EXPECT_EQ(copy, data);
        EXPECT_EQ(dest, Bytes(data.size(), '\x33'));
        EXPECT_EQ(Area(c->Feedback(), c->BlockSize()), Bytes(B(), '\xFF'));
        // Wiping a keyed cipher makes it unkeyed again.
        Bytes key(4, 'k');
        c->Init(key.data(), 4, nullptr);
        c->Wipe();
    }
}

TEST_P(CipherModes, WipeLeavesOnesInTheChainAndZerosElsewhere) {
    TCipherRef fresh = Cls()->Create(nullptr);
    TCipherRef used = Keyed(Cls(), TCipherMode::cmCBC);
    Encipher(*used, RandomBytes(19, 3 * B() + 1));
    used->ResetChain();
    used->Wipe();
    for (TCipher* c : {fresh.get(), used.get()}) {
        EXPECT_EQ(Area(c->IV(), c->BlockSize()), Bytes(B(), '\xFF'));
        EXPECT_EQ(Area(c->Feedback(), c->BlockSize()), Bytes(B(), '\xFF'));
        EXPECT_EQ(Area(c->Scratch(), c->BlockSize()), Bytes(B(), '\0'));
        EXPECT_EQ(Area(c->KeySchedule(), c->KeyScheduleSize()),
                  Bytes(static_cast<std::size_t>(c->KeyScheduleSize()), '\0'));
        EXPECT_EQ(c->Flags(), 0u);
    }
    EXPECT_EQ(used->Mode(), TCipherMode::cmCBC); // the mode is not key material
}

TEST_P(CipherModes, EveryRunStartsFromTheIv) {
    TCipherRef c = Keyed(Cls(), TCipherMode::cmCTS);
    Bytes data = RandomBytes(20, 3 * B() + 5);
    Bytes first = data, second = data;
    c->ProcessBuffer(first.data(), first.size(), TProcessAction::Encipher);
    c->ProcessBuffer(second.data(), second.size(), TProcessAction::Encipher);
    EXPECT_EQ(first, second);
    EXPECT_EQ(Area(c->Feedback(), c->BlockSize()), Area(c->IV(), c->BlockSize()));
    c->ProcessBuffer(first.data(), first.size(), TProcessAction::Decipher);
    EXPECT_EQ(first, data);
    // Obscure enciphers like Encipher.
    Bytes obscured = data;
    c->ProcessBuffer(obscured.data(), obscured.size(), TProcessAction::Obscure);
    EXPECT_EQ(obscured, second);
}

TEST_P(CipherModes, EraseRunsFromARandomisedChain) {
    TFixedClock clock;
    TCipherRef c = Keyed(Cls(), TCipherMode::cmCBC);
    c->SetClock(clock);
    Bytes data = RandomBytes(21, 4 * B()), normal = data, erased = data;
    c->ProcessBuffer(normal.data(), normal.size(), TProcessAction::Encipher);
    c->ProcessBuffer(erased.data(), erased.size(), TProcessAction::Erase);
    EXPECT_NE(erased, normal);
    // The chain started from the IV overwritten by the shared generator, and the run's end
    // overwrote the final feedback the same way.
    Bytes start = Area(c->IV(), c->BlockSize());
    OverwriteFromSeed(BytePtr(start), start.size(), ClockSeed(clock));
    TCipherRef manual = Keyed(Cls(), TCipherMode::cmCBC);
    Bytes key = RandomBytes(7, static_cast<std::size_t>(Cls()->KeySize()));
    manual->Init(key.data(), static_cast<int>(key.size()), start.data());
    Bytes expect = Encipher(*manual, data);
    EXPECT_EQ(erased, expect);
    Bytes end = Area(manual->Feedback(), manual->BlockSize());
    OverwriteFromSeed(BytePtr(end), end.size(), ClockSeed(clock));
    EXPECT_EQ(Area(c->Feedback(), c->BlockSize()), end);
    // The next ordinary run is back on the IV.
    Bytes again = data;
    c->ProcessBuffer(again.data(), again.size(), TProcessAction::Encipher);
    EXPECT_EQ(again, normal);
}

TEST_P(CipherModes, ChainedProtectionIsWrappedAndUnwrapped) {
    TCipherRef inner = Keyed(TCipher_3TDES::Class(), TCipherMode::cmCBC, 30);
    TCipherRef outer = Keyed(Cls(), TCipherMode::cmCFB, 31);
    Bytes data = RandomBytes(22, 2 * B() + 24 + 1);
    Bytes expect = data;
    inner->ProcessBuffer(expect.data(), expect.size(), TProcessAction::Encipher);
    outer->ProcessBuffer(expect.data(), expect.size(), TProcessAction::Encipher);
    outer->SetProtection(inner);
    Bytes got = data;
    outer->ProcessBuffer(got.data(), got.size(), TProcessAction::Encipher);
    EXPECT_EQ(got, expect);
    outer->ProcessBuffer(got.data(), got.size(), TProcessAction::Decipher);
    EXPECT_EQ(got, data);
}

TEST_P(CipherModes, ActionsOutsideAllowedActionsPassTheDataThrough) {
    TCipherRef c = Keyed(Cls(), TCipherMode::cmCTS);
    c->AllowedActions.Exclude(TProcessAction::Encipher);
    Bytes data = RandomBytes(23, 2 * B()), copy = data;
    c->ProcessBuffer(copy.data(), copy.size(), TProcessAction::Encipher);
    EXPECT_EQ(copy, data);
}

TEST(CipherKeys, StrictKeySizeRefusesOverlongKeys) {
    struct Restore {
        ~Restore() { SetStrictKeySize(false); }
    } restore;
    EXPECT_FALSE(StrictKeySize());
    Bytes key(25, 'k');
    TCipher_3TDES c;
    c.Init(key.data(), 24, nullptr);
    SetStrictKeySize(true);
    try {
        c.Init(key.data(), 25, nullptr);
        ADD_FAILURE() << "an over-long key was accepted";
    } catch (const ECipherException& e) {
        EXPECT_EQ(e.ErrorCode(), errKeySize);
        EXPECT_EQ(e.Message(), "Length from Encryptionkey is invalid.\r\n"
                               "Keysize for TCipher_3TDES must be to 0-24 bytes");
    }
    EXPECT_FALSE(c.FlagBit(TCipher::kFlagInitialized));
    EXPECT_EQ(Area(c.KeySchedule(), c.KeyScheduleSize()), Bytes(768, '\0'));
    Bytes data(24, 'd');
    EXPECT_THROW(c.EncipherBuffer(data.data(), data.data(), data.size()), ECipherException);
    c.Init(key.data(), 24, nullptr); // the key size itself is fine
    EXPECT_TRUE(c.FlagBit(TCipher::kFlagInitialized));

    SetStrictKeySize(false);
    TCipher_3TDES cut, exact;
    cut.Init(key.data(), 25, nullptr);
    exact.Init(key.data(), 24, nullptr);
    EXPECT_EQ(Area(cut.KeySchedule(), 768), Area(exact.KeySchedule(), 768));
}

TEST(CipherXor, WordsAndTailBytesWithAliasing) {
    for (std::size_t n : {0u, 1u, 3u, 4u, 5u, 8u, 11u}) {
        Bytes a = RandomBytes(40, n + 1).substr(1), b = RandomBytes(41, n);
        Bytes expect = Xor(a, b), out(n, '\0');
        XorBuffers(out.data(), a.data(), b.data(), n);
        EXPECT_EQ(out, expect) << n;
        XorBuffers(a.data(), a.data(), b.data(), n);
        EXPECT_EQ(a, expect) << n;
    }
}

TEST(CipherModeNames, AsFormDescriptionsWriteThem) {
    const char* names[] = {"cmCTS", "cmCBC",    "cmCFB",    "cmOFB",
                           "cmECB", "cmCTSMAC", "cmCBCMAC", "cmCFBMAC"};
    for (int i = 0; i < 8; ++i) {
        auto mode = static_cast<TCipherMode>(i);
        EXPECT_EQ(CipherModeName(mode), names[i]);
        EXPECT_EQ(CipherModeFromName(names[i]), mode);
    }
    EXPECT_FALSE(CipherModeFromName("cmcts").has_value());
    EXPECT_FALSE(CipherModeFromName("").has_value());
}
