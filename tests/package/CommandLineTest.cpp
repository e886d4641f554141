// Every installed program answers --help and --version on standard output with status 0, and
// the console programs refuse an unknown option on standard error with status 2. The merchant
// reads no other argument; its starts with arguments are in QuietStartTest.cpp.
#include "ChildProcess.h"

#include "VelkorVersion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velkor::test {
namespace {

using namespace std::chrono_literals;

struct TProgram {
    std::string Name; // as installed
    std::string Path; // in the build
    bool Console;     // refuses unknown options (the merchant ignores them)
};

std::vector<TProgram> Programs() {
    std::vector<TProgram> programs = {
        {"velkor-merchant", VELKOR_MERCHANT_BIN, false},
        {"velkor-customer", VELKOR_CUSTOMER_BIN, true},
        {"velkor-gateway", VELKOR_GATEWAY_BIN, true},
    };
#ifdef VELKOR_ORDERS_BIN
    programs.push_back({"velkor-orders", VELKOR_ORDERS_BIN, true});
#endif
    return programs;
}

struct TRun {
    std::optional<int> Status;
    std::string Out;
    std::string Err;
    std::string Transcript;
};

// The program with `args` and no display; its whole output.
TRun RunProgram(const TProgram& program, const std::vector<std::string>& args) {
    std::vector<std::string> argv = {program.Path};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildProcess child(program.Name, argv, {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"});
    TRun run;
    run.Status = child.WaitExit(20s);
    for (const std::string& line : child.Lines()) run.Out += line + "\n";
    run.Err = child.ErrorOutput();
    run.Transcript = child.Transcript();
    return run;
}

TEST(CommandLine, HelpGoesToStandardOutputWithStatus0) {
    for (const TProgram& program : Programs()) {
        TRun run = RunProgram(program, {"--help"});
        EXPECT_EQ(run.Status, 0) << run.Transcript;
        EXPECT_EQ(run.Out.rfind("Usage: " + program.Name, 0), 0u) << run.Transcript;
        EXPECT_NE(run.Out.find("--version"), std::string::npos) << run.Transcript;
        EXPECT_EQ(run.Err, "") << run.Transcript;
    }
}

TEST(CommandLine, VersionIsOneLineWithTheProjectVersion) {
    // "velkor-customer (Velkor) 1.0": the name first, the version from project(VERSION) last.
    const std::string tail = std::string(" ") + kVersion + "\n";
    for (const TProgram& program : Programs()) {
        TRun run = RunProgram(program, {"--version"});
        EXPECT_EQ(run.Status, 0) << run.Transcript;
        EXPECT_EQ(run.Err, "") << run.Transcript;
        EXPECT_EQ(run.Out.rfind(program.Name + " ", 0), 0u) << run.Transcript;
        ASSERT_GT(run.Out.size(), tail.size()) << run.Transcript;
        EXPECT_EQ(run.Out.substr(run.Out.size() - tail.size()), tail) << run.Transcript;
        EXPECT_EQ(run.Out.find('\n'), run.Out.size() - 1) << run.Transcript;
    }
}

TEST(CommandLine, ConsoleProgramsRefuseAnUnknownOptionOnStandardErrorWithStatus2) {
    for (const TProgram& program : Programs()) {
        if (!program.Console) continue;
        TRun run = RunProgram(program, {"--no-such-option"});
        EXPECT_EQ(run.Status, 2) << run.Transcript;
        EXPECT_EQ(run.Out, "") << run.Transcript;
        EXPECT_NE(run.Err.find("--no-such-option"), std::string::npos) << run.Transcript;
    }
}

} // namespace
} // namespace velkor::test
