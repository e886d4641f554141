// The log's copy on standard output: lines as written, key lines masked or revealed, and a
// descriptor that fails (reader gone, closed, full) ending the copy with one note.
#include "ui/LogCopy.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace velkor {
namespace {

// A pipe whose read end the test drains.
struct Pipe {
    Pipe() {
        EXPECT_EQ(::pipe(Fd), 0);
        ::fcntl(Fd[0], F_SETFL, O_NONBLOCK);
    }
    ~Pipe() {
        for (int fd : Fd)
            if (fd >= 0) ::close(fd);
    }
    std::string Drain() {
        std::string text;
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(Fd[0], buffer, sizeof buffer)) > 0)
            text.append(buffer, static_cast<std::size_t>(n));
        return text;
    }
    int Fd[2] = {-1, -1};
};

TEST(LogCopy, LinesAndMaskedKeys) {
    struct Case {
        bool Reveal;
        const char* Expected;
    };
    for (const Case& c : {Case{false, "a\n\n   (klíč skryt: 24 bajtů)\nčeský řádek\n"},
                          Case{true, "a\n\n   00112233\nčeský řádek\n"}}) {
        Pipe pipe;
        TLogCopy copy(pipe.Fd[1], c.Reveal);
        copy.Line("a");
        copy.Line("");
        copy.SecretLine("   00112233", 24);
        copy.Line("český řádek");
        EXPECT_TRUE(copy.Active());
        EXPECT_EQ(pipe.Drain(), c.Expected) << c.Reveal;
    }
}

TEST(LogCopy, MarkTellsOnlyTheSize) {
    EXPECT_EQ(TLogCopy::Mark(24), "   (klíč skryt: 24 bajtů)");
    EXPECT_EQ(TLogCopy::Mark(173), "   (klíč skryt: 173 bajtů)");
}

// Each way a descriptor can fail: the copy stops at the first failed line, says so once on
// standard error, and takes every later line quietly.
TEST(LogCopy, FailedWriteEndsTheCopyWithOneNote) {
    struct Case {
        const char* Name;
        const char* Error;
    };
    for (const Case& c :
         {Case{"reader gone", "Broken pipe"}, Case{"closed descriptor", "Bad file descriptor"},
          Case{"full device", "No space left on device"}}) {
        const std::string name = c.Name;
        int fd = -1;
        Pipe pipe;
        // Captured first: the capture's own file must not take the number closed below.
        testing::internal::CaptureStderr();
        if (name == "reader gone") {
            ::close(pipe.Fd[0]);
            pipe.Fd[0] = -1;
            fd = pipe.Fd[1];
        } else if (name == "closed descriptor") {
            fd = ::dup(pipe.Fd[1]);
            ::close(fd);
        } else {
            fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
            if (fd < 0) {
                testing::internal::GetCapturedStderr();
                continue; // not on this system
            }
        }
        TLogCopy copy(fd, false);
        copy.Line("first");
        copy.SecretLine("   00112233", 4);
        copy.Line("third");
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(copy.Active()) << name;
        EXPECT_EQ(err, "velkor-merchant: standard output failed (" + std::string(c.Error) +
                           "); the log is no longer copied there\n")
            << name;
        if (name == "full device") ::close(fd);
    }
}

TEST(LogCopy, KeysOnlyWhenAskedForExactly) {
    const char* saved = std::getenv("VELKOR_LOG_KEYS");
    const std::string keep = saved ? saved : "";
    struct Case {
        const char* Value; // nullptr: unset
        bool Reveal;
    };
    for (const Case& c : {Case{nullptr, false}, Case{"1", true}, Case{"0", false},
                          Case{"yes", false}, Case{"", false}, Case{"11", false}}) {
        if (c.Value)
            ::setenv("VELKOR_LOG_KEYS", c.Value, 1);
        else
            ::unsetenv("VELKOR_LOG_KEYS");
        EXPECT_EQ(LogKeysRequested(), c.Reveal) << (c.Value ? c.Value : "(unset)");
    }
    if (saved)
        ::setenv("VELKOR_LOG_KEYS", keep.c_str(), 1);
    else
        ::unsetenv("VELKOR_LOG_KEYS");
}

} // namespace
} // namespace velkor
