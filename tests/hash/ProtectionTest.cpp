// The protection base: chaining and its circular check, the stream, file, buffer and text
// drivers with their 4096-byte chunks, the StartRun/FinishRun bracket (also when a chunk
// fails) and the progress hook.
#include "hash/Protection.h"
#include "hash/StringFormat.h"

#include "FreedScan.h"
#include "RecordingProtection.h"
#include "TestVectors.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace velkor {
namespace {

using test::Hex;
using test::TRecordingProtection;
namespace fs = std::filesystem;

using Calls = std::vector<std::string>;

std::string Inverted(std::string s) {
    for (char& c : s) c = static_cast<char>(~c);
    return s;
}

std::string Pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + i / 256);
    return s;
}

// --- chaining ----------------------------------------------------------------------------------

TEST(ProtectionChain, CircularChainsAreRefusedAndLeftAsTheyWere) {
    auto a = std::make_shared<TRecordingProtection>();
    auto b = std::make_shared<TRecordingProtection>();
    auto c = std::make_shared<TRecordingProtection>();
    b->SetProtection(c);
    c->SetProtection(a); // c -> a
    const char* message = "Circular Protection detected, Protection Object is invalid.";
    struct Case {
        TProtection* Object;
        TProtectionRef Next;
        TProtectionRef Before;
    };
    for (Case k : {Case{a.get(), a, nullptr}, Case{a.get(), b, nullptr}, Case{c.get(), c, a}}) {
        try {
            k.Object->SetProtection(k.Next);
            ADD_FAILURE() << "accepted";
        } catch (const EProtection& e) {
            EXPECT_EQ(e.Message(), message);
        }
        EXPECT_EQ(k.Object->Protection(), k.Before);
    }
    EXPECT_EQ(b->Protection(), c);
}

TEST(ProtectionChain, ChainingTheSameAgainChangesNothing) {
    auto next = std::make_shared<TRecordingProtection>();
    TRecordingProtection p(next);
    const long refs = next.use_count();
    p.SetProtection(next);
    EXPECT_EQ(p.Protection(), next);
    EXPECT_EQ(next.use_count(), refs);
}

TEST(ProtectionChain, TheChainOwnsItsNextProtection) {
    std::weak_ptr<TProtection> watch;
    {
        auto next = std::make_shared<TRecordingProtection>();
        watch = next;
        TRecordingProtection p(std::move(next));
        EXPECT_FALSE(watch.expired()) << "kept alive by the chain";
        p.SetProtection(nullptr);
        EXPECT_TRUE(watch.expired()) << "released with the last reference";
    }
}

TEST(ProtectionChain, EveryRunCallPassesDownTheChain) {
    auto last = std::make_shared<TRecordingProtection>();
    auto middle = std::make_shared<TRecordingProtection>(last);
    TRecordingProtection first(middle);
    std::string data = "abc";
    first.ProcessBuffer(data.data(), data.size(), TProcessAction::Encipher);
    const Calls expected = {"start 0", "chunk 3", "finish 0"};
    EXPECT_EQ(first.Calls, expected);
    EXPECT_EQ(middle->Calls, expected);
    EXPECT_EQ(last->Calls, expected);
    EXPECT_EQ(
        TProtection().AllowedActions,
        (TProcessActions{TProcessAction::Encipher, TProcessAction::Decipher,
                         TProcessAction::Obscure, TProcessAction::Measure, TProcessAction::Erase}));
}

// --- streams ----------------------------------------------------------------------------------

TEST(ProtectionStream, ChunksOf4096) {
    for (TProcessAction action : {TProcessAction::Measure, TProcessAction::Encipher}) {
        TRecordingProtection p;
        TMemoryStream stream(Pattern(10000));
        p.ProcessStream(&stream, &stream, 10000, action);
        EXPECT_EQ(p.Chunks, (std::vector<std::size_t>{4096, 4096, 1808}));
        EXPECT_EQ(p.Calls.front(), "start " + std::to_string(static_cast<int>(action)));
        EXPECT_EQ(p.Calls.back(), "finish " + std::to_string(static_cast<int>(action)));
    }
}

TEST(ProtectionStream, InPlaceWritesEachChunkOverItsBytes) {
    TRecordingProtection p;
    p.Invert = true;
    TMemoryStream stream(Pattern(10000));
    p.ProcessStream(&stream, nullptr, -1, TProcessAction::Encipher);
    EXPECT_EQ(stream.Data(), Inverted(Pattern(10000)));
}

TEST(ProtectionStream, SeparateDestinationAndMeasureWritesNothing) {
    TRecordingProtection p;
    p.Invert = true;
    TMemoryStream source(Pattern(5000)), dest;
    p.ProcessStream(&source, &dest, -1, TProcessAction::Obscure);
    EXPECT_EQ(dest.Data(), Inverted(Pattern(5000)));
    EXPECT_EQ(source.Data(), Pattern(5000));

    TMemoryStream measured(Pattern(5000)), untouched("keep");
    p.ProcessStream(&measured, &untouched, -1, TProcessAction::Measure);
    EXPECT_EQ(measured.Data(), Pattern(5000));
    EXPECT_EQ(untouched.Data(), "keep");
}

TEST(ProtectionStream, SizesNegativeZeroAndPartial) {
    {
        TRecordingProtection p;
        TMemoryStream stream(Pattern(10000));
        stream.SetPosition(6000);
        p.ProcessStream(&stream, &stream, -1, TProcessAction::Measure);
        EXPECT_EQ(p.Chunks, (std::vector<std::size_t>{4096, 4096, 1808})) << "all, from 0";
    }
    {
        TRecordingProtection p;
        TMemoryStream stream(Pattern(100));
        p.ProcessStream(&stream, &stream, 0, TProcessAction::Encipher);
        EXPECT_EQ(p.Calls, (Calls{"start 0", "finish 0"})) << "size 0 still brackets the run";
    }
    {
        // A positive size starts at the current position; a short source ends the run early.
        TRecordingProtection p;
        p.Invert = true;
        TMemoryStream stream(Pattern(100));
        stream.SetPosition(90);
        p.ProcessStream(&stream, &stream, 50, TProcessAction::Encipher);
        EXPECT_EQ(p.Chunks, (std::vector<std::size_t>{10}));
        EXPECT_EQ(stream.Data().substr(0, 90), Pattern(100).substr(0, 90));
        EXPECT_EQ(stream.Data().substr(90), Inverted(Pattern(100).substr(90)));
    }
    {
        TRecordingProtection p;
        p.ProcessStream(nullptr, nullptr, -1, TProcessAction::Encipher);
        EXPECT_TRUE(p.Calls.empty()) << "no source, no run";
    }
}

TEST(ProtectionStream, FinishRunIsReachedWhenAChunkFails) {
    std::vector<std::pair<std::int64_t, std::int64_t>> progress;
    TProgressHookScope scope([&](TProtection*, std::int64_t done, std::int64_t total) {
        progress.emplace_back(done, total);
    });
    TRecordingProtection p;
    p.Invert = true;
    p.FailAtChunk = 1;
    TMemoryStream stream(Pattern(10000));
    EXPECT_THROW(p.ProcessStream(&stream, &stream, -1, TProcessAction::Encipher), EProtection);
    EXPECT_EQ(p.Calls, (Calls{"start 0", "chunk 4096", "chunk 4096", "finish 0"}));
    EXPECT_EQ(progress.back(), std::make_pair(std::int64_t{0}, std::int64_t{0}));
    // The chunk that was done is written; the rest is as it was.
    EXPECT_EQ(stream.Data().substr(0, 4096), Inverted(Pattern(10000).substr(0, 4096)));
    EXPECT_EQ(stream.Data().substr(4096), Pattern(10000).substr(4096));

    TRecordingProtection q;
    q.FailAtChunk = 0;
    std::string data = "abc";
    EXPECT_THROW(q.ProcessBuffer(data.data(), data.size(), TProcessAction::Obscure), EProtection);
    EXPECT_EQ(q.Calls, (Calls{"start 2", "chunk 3", "finish 2"}));
}

// The work buffer ends a run holding processed bytes (plain text, when the run deciphers); it
// is wiped before its storage goes back to the heap, also when a chunk fails. The stream is
// processed in place, so that no other block ever holds the processed bytes.
TEST(ProtectionStream, WorkBufferIsWipedAfterEveryRun) {
    const std::string plain = Pattern(5000);
    struct Case {
        int failAtChunk;
        std::size_t watchFrom; // processed bytes that are still in the buffer when the run ends
    };
    for (const Case& c : {Case{-1, 4096}, Case{1, 1000}}) {
        TRecordingProtection p;
        p.Invert = true;
        p.FailAtChunk = c.failAtChunk;
        TMemoryStream stream(Inverted(plain));
        const std::string watched = plain.substr(c.watchFrom, 64);
        int hits = 0;
        {
            test::FreedScan scan(watched);
            try {
                p.ProcessStream(&stream, &stream, -1, TProcessAction::Decipher);
            } catch (const EProtection&) {}
            hits = scan.Hits();
        }
        EXPECT_EQ(hits, 0) << "failing at chunk " << c.failAtChunk;
        EXPECT_EQ(stream.Data().substr(c.watchFrom, 64), watched) << "the run did process it";
    }
}

TEST(ProtectionStream, ProgressHookReportsEveryChunk) {
    struct Call {
        TProtection* Sender;
        std::int64_t Done, Total;
        bool operator==(const Call&) const = default;
    };
    std::vector<Call> calls;
    TRecordingProtection p;
    {
        TProgressHookScope scope([&](TProtection* sender, std::int64_t done, std::int64_t total) {
            calls.push_back({sender, done, total});
        });
        TMemoryStream stream(Pattern(10000));
        p.ProcessStream(&stream, &stream, -1, TProcessAction::Measure);
    }
    EXPECT_EQ(
        calls,
        (std::vector<Call>{
            {&p, 0, 10000}, {&p, 4096, 10000}, {&p, 8192, 10000}, {&p, 10000, 10000}, {&p, 0, 0}}));
    EXPECT_FALSE(ProgressHook()) << "the scope put the empty hook back";
    TMemoryStream again(Pattern(10));
    p.ProcessStream(&again, &again, -1, TProcessAction::Measure);
    EXPECT_EQ(calls.size(), 5U);
}

// --- buffers and texts ---------------------------------------------------------------------------

TEST(ProtectionText, EmptyTextStartsNoRun) {
    TRecordingProtection p;
    EXPECT_EQ(p.ProcessText("", TProcessAction::Encipher, fmtHEX), "");
    EXPECT_EQ(p.ProcessText("", TProcessAction::Decipher, fmtDefault), "");
    EXPECT_TRUE(p.Calls.empty());
}

TEST(ProtectionText, WritesAndReadsTheFormat) {
    TRecordingProtection p;
    p.Invert = true;
    const std::string text =
        p.ProcessText(std::string("\x00\x0F\xF0", 3), TProcessAction::Encipher, fmtHEX);
    EXPECT_EQ(text, "FFF00F");
    EXPECT_EQ(Hex(p.ProcessText("FFF00F", TProcessAction::Decipher, fmtHEX)), "000FF0");
    // The default format is MIME Base 64: ~"abc" is 9E 9D 9C.
    EXPECT_EQ(p.ProcessText("abc", TProcessAction::Encipher, fmtDefault), "np2c");
    EXPECT_EQ(p.ProcessText("np2c", TProcessAction::Decipher, fmtDefault), "abc");
}

TEST(ProtectionText, BadTextIsRefusedBeforeAnyRun) {
    TRecordingProtection p;
    try {
        p.ProcessText("np2c#", TProcessAction::Decipher, fmtDefault);
        FAIL() << "accepted";
    } catch (const EStringFormat& e) {
        EXPECT_EQ(e.Message(), "Input is not an valid MIME Base 64 Format.");
    }
    EXPECT_TRUE(p.Calls.empty());
}

TEST(ProtectionBuffer, ReturnsTheLength) {
    TRecordingProtection p;
    p.Invert = true;
    std::string data = "xyz";
    EXPECT_EQ(p.ProcessBuffer(data.data(), data.size(), TProcessAction::Encipher), 3U);
    EXPECT_EQ(data, Inverted("xyz"));
}

// --- files ------------------------------------------------------------------------------------

class ProtectionFile : public ::testing::Test {
protected:
    void SetUp() override {
        FDir = fs::temp_directory_path() /
               ("velkor-protection-" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(FDir);
        fs::create_directories(FDir);
    }
    void TearDown() override { fs::remove_all(FDir); }

    std::string Path(const std::string& name) const { return (FDir / name).string(); }
    void Write(const std::string& name, const std::string& content) const {
        std::ofstream(Path(name), std::ios::binary) << content;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool Exists(const std::string& name) const { return fs::exists(FDir / name); }
    // Compares a file with its expected content, reporting sizes rather than kilobytes.
    ::testing::AssertionResult Holds(const std::string& name, const std::string& content) const {
        const std::string actual = Read(name);
        if (actual == content) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << name << " holds " << actual.size()
                                             << " bytes, not the " << content.size() << " expected";
    }

    fs::path FDir;
};

TEST_F(ProtectionFile, SameNameInAnotherCaseWorksInPlace) {
    Write("data.bin", Pattern(10000));
    TRecordingProtection p;
    p.Invert = true;
    p.ProcessFile(Path("data.bin"), (FDir / "DATA.BIN").string(), TProcessAction::Encipher);
    EXPECT_TRUE(Holds("data.bin", Inverted(Pattern(10000))));
    EXPECT_FALSE(Exists("DATA.BIN"));
    EXPECT_EQ(p.Chunks, (std::vector<std::size_t>{4096, 4096, 1808}));
}

TEST_F(ProtectionFile, BlankDestinationWorksInPlace) {
    Write("data.bin", "abc");
    TRecordingProtection p;
    p.Invert = true;
    p.ProcessFile(Path("data.bin"), "  ", TProcessAction::Obscure);
    EXPECT_TRUE(Holds("data.bin", Inverted("abc")));
}

TEST_F(ProtectionFile, SeparateDestinationIsCreatedOrCut) {
    Write("in.bin", "abc");
    Write("out.bin", "much longer old content");
    TRecordingProtection p;
    p.Invert = true;
    p.ProcessFile(Path("in.bin"), Path("out.bin"), TProcessAction::Encipher);
    EXPECT_TRUE(Holds("out.bin", Inverted("abc")));
    EXPECT_TRUE(Holds("in.bin", "abc"));
    p.ProcessFile(Path("in.bin"), Path("new.bin"), TProcessAction::Encipher);
    EXPECT_TRUE(Holds("new.bin", Inverted("abc")));
}

TEST_F(ProtectionFile, MeasureNeverCreatesTheDestination) {
    Write("in.bin", Pattern(5000));
    for (const char* dest : {"out.bin", "", "IN.BIN"}) {
        TRecordingProtection p;
        p.Invert = true;
        p.ProcessFile(Path("in.bin"), *dest ? Path(dest) : "", TProcessAction::Measure);
        EXPECT_EQ(p.Chunks, (std::vector<std::size_t>{4096, 904})) << dest;
        EXPECT_FALSE(Exists("out.bin"));
        EXPECT_FALSE(Exists("IN.BIN"));
        EXPECT_TRUE(Holds("in.bin", Pattern(5000))) << "Measure writes nothing back";
    }
}

TEST_F(ProtectionFile, AnotherNameOfTheSourceIsNotTruncated) {
    // Creating the destination would empty the source before it is read.
    Write("data.bin", Pattern(5000));
    TRecordingProtection p;
    p.Invert = true;
    p.ProcessFile(Path("data.bin"), (FDir / "." / "data.bin").string(), TProcessAction::Encipher);
    EXPECT_TRUE(Holds("data.bin", Inverted(Pattern(5000))));
}

TEST_F(ProtectionFile, MissingSourceCreatesNothing) {
    TRecordingProtection p;
    try {
        p.ProcessFile(Path("missing.bin"), Path("out.bin"), TProcessAction::Encipher);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file \"" + Path("missing.bin") + "\"");
    }
    EXPECT_FALSE(Exists("out.bin"));
    EXPECT_TRUE(p.Calls.empty());
}

TEST_F(ProtectionFile, AFailingChunkClosesAndCutsTheDestination) {
    Write("in.bin", Pattern(10000));
    TRecordingProtection p;
    p.FailAtChunk = 1;
    EXPECT_THROW(p.ProcessFile(Path("in.bin"), Path("out.bin"), TProcessAction::Encipher),
                 EProtection);
    EXPECT_EQ(p.Calls.back(), "finish 0");
    EXPECT_TRUE(Holds("out.bin", Pattern(4096))) << "what was done is kept, nothing more";
    EXPECT_TRUE(Holds("in.bin", Pattern(10000)));
}

} // namespace
} // namespace velkor
