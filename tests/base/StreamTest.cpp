// Memory and file streams as the protection runs and the endpoint use them.
#include "base/Stream.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace velkor {
namespace {

TEST(MemoryStream, ReadsWritesAndSeeks) {
    TMemoryStream s;
    s.WriteBuffer("abc\0e", 5);
    EXPECT_EQ(s.Size(), 5);
    EXPECT_EQ(s.Position(), 5);
    s.SetPosition(1);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 4);
    EXPECT_EQ(std::string(buf, 4), std::string("bc\0e", 4));
    EXPECT_EQ(s.Read(buf, 8), 0);
    EXPECT_THROW(s.ReadBuffer(buf, 1), EReadError);
    s.SetPosition(1);
    s.WriteBuffer("XY", 2);
    EXPECT_EQ(s.Data(), std::string("aXY\0e", 5));
    s.SetSize(2);
    EXPECT_EQ(s.Position(), 2);
    EXPECT_EQ(s.Data(), "aX");
}

TEST(FileStream, CreatesOpensAndCuts) {
    auto path = (std::filesystem::temp_directory_path() / "velkor_stream_test.bin").string();
    {
        TFileStream f(path, TFileMode::fmCreate);
        f.WriteBuffer("hello world", 11);
        f.SetSize(5);
    }
    TFileStream f(path, TFileMode::fmOpenRead);
    EXPECT_EQ(f.Size(), 5);
    char buf[16] = {};
    EXPECT_EQ(f.Read(buf, 16), 5);
    EXPECT_EQ(std::string(buf, 5), "hello");
    std::remove(path.c_str());
}

TEST(FileStream, MissingFileIsAnOpenError) {
    try {
        TFileStream f("/nonexistent/velkor", TFileMode::fmOpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file \"/nonexistent/velkor\"");
    }
    EXPECT_THROW(TFileStream("/nonexistent/velkor", TFileMode::fmCreate), EFCreateError);
}

} // namespace
} // namespace velkor
