// The side-by-side benchmark program: runs our primitives beside OpenSSL's, the merchant's
// handlings and, on request, every registered algorithm, then prints one table.
//
//   velkor_compare_bench [--quick] [--algorithms] [Google Benchmark flags]
//
// OpenSSL reads its processor-capability mask (OPENSSL_ia32cap) once, while libcrypto starts,
// before main runs. So the rows against its scalar SHA-1 are measured by a second copy of this
// program started with the mask in its environment (--openssl-scalar), which reports its
// times on a pipe, together with ours for the same rows, measured there again so that both
// sides get as many runs at the same moments; everything else runs here, with OpenSSL as it
// comes.
#include "Rows.h"

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace velkor::bench {
namespace {

// SSSE3 (bit 41) and AVX (bit 60) of the first capability word; BMI1, AVX2, BMI2 and the SHA
// extensions (bits 3, 5, 8 and 29) of the second.
constexpr const char* kScalarMask = "OPENSSL_ia32cap=~0x1000020000000000:~0x20000128";

// The fastest repetition of each benchmark, in CPU seconds per iteration; a benchmark that
// failed is kept with its message instead.
class TCollector final : public benchmark::ConsoleReporter {
public:
    explicit TCollector(bool showProgress) : FShowProgress(showProgress) {}

    bool ReportContext(const Context& context) override {
        return FShowProgress ? ConsoleReporter::ReportContext(context) : true;
    }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration) continue;
            const std::string& name = run.run_name.function_name;
            if (run.error_occurred) {
                Errors[name] = run.error_message;
                continue;
            }
            if (run.iterations <= 0) continue;
            const double seconds = run.cpu_accumulated_time / static_cast<double>(run.iterations);
            auto [at, fresh] = Best.emplace(name, seconds);
            if (!fresh) at->second = std::min(at->second, seconds);
        }
        if (FShowProgress) ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, double> Best;
    std::map<std::string, std::string> Errors;

private:
    bool FShowProgress;
};

void Run(TCollector& collector) {
    collector.SetOutputStream(&std::cerr);
    collector.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&collector);
}

// Starts this program again with the scalar mask and --openssl-scalar and reads its times.
std::map<std::string, double> RunScalarChild(bool quick, std::string& failure) {
    std::map<std::string, double> times;
    int fds[2];
    if (pipe(fds) != 0) {
        failure = "no pipe";
        return times;
    }
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, "OPENSSL_ia32cap=", 16) != 0) env.emplace_back(*e);
    env.emplace_back(kScalarMask);
    std::vector<char*> envp;
    for (std::string& s : env) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string self = "/proc/self/exe", flag = "--openssl-scalar", quickFlag = "--quick";
    std::vector<char*> argv = {self.data(), flag.data()};
    if (quick) argv.push_back(quickFlag.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, "/proc/self/exe", &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        failure = std::string("cannot start the scalar run: ") + std::strerror(spawned);
        return times;
    }
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) failure = "the scalar run failed";
    std::istringstream lines(text);
    std::string name;
    double seconds = 0;
    while (lines >> name >> seconds) times[name] = seconds;
    return times;
}

enum class TUnit { Throughput, Nanoseconds, Microseconds };

struct TRow {
    const char* Key;
    const char* Ours;
    const char* OpenSsl; // null: no OpenSSL column
    TUnit Unit;
    double Target; // ours / OpenSSL at least this, 0 for none
};

// Rows against OpenSSL compare speeds: the ratio is OpenSSL's time over ours.
const TRow kRows[] = {
    {"md5-64k", "ours/md5-64k", "openssl/md5-64k", TUnit::Throughput, 0.9},
    {"sha1-64k", "ours/sha1-64k", "openssl-scalar/sha1-64k", TUnit::Throughput, 0.9},
    {"sha1-64k-native", "ours/sha1-64k", "openssl/sha1-64k", TUnit::Throughput, 0},
    {"sha0-64k", "ours/sha0-64k", "openssl-scalar/sha1-64k", TUnit::Throughput, 0.9},
    {"des24-cts-64k", "ours/des24-cts-64k", "openssl/des24-cts-64k", TUnit::Throughput, 0.95},
    {"des-block", "ours/des-block", "openssl/des-block", TUnit::Nanoseconds, 0.95},
    {"base64-encode-64k", "ours/base64-encode-64k", "openssl/base64-encode-64k", TUnit::Throughput,
     0.8},
    {"base64-decode-64k", "ours/base64-decode-64k", "openssl/base64-decode-64k", TUnit::Throughput,
     0.8},
    {"hex-encode-64k", "ours/hex-encode-64k", "openssl/hex-encode-64k", TUnit::Throughput, 0.8},
    {"hex-decode-64k", "ours/hex-decode-64k", "openssl/hex-decode-64k", TUnit::Throughput, 0.8},
    {"rsa512-private", "ours/rsa512-private", "openssl/rsa512-private", TUnit::Microseconds, 0.15},
    {"rsa512-public", "ours/rsa512-public", "openssl/rsa512-public", TUnit::Microseconds, 0.15},
    {"handle-0x63", "handle/handle-0x63", nullptr, TUnit::Microseconds, 0},
    {"handle-0x59", "handle/handle-0x59", nullptr, TUnit::Microseconds, 0},
    {"handle-0x4F-10-lines", "handle/handle-0x4F-10-lines", nullptr, TUnit::Microseconds, 0},
    {"handle-0x5F", "handle/handle-0x5F", nullptr, TUnit::Microseconds, 0},
    {"handle-0x09", "handle/handle-0x09", nullptr, TUnit::Microseconds, 0},
};

// The ten-line order must be handled in under this much CPU time.
constexpr double kOrderLimitSeconds = 1e-3;

std::string Cell(double seconds, TUnit unit) {
    char text[64];
    switch (unit) {
    case TUnit::Throughput:
        std::snprintf(text, sizeof text, "%.1f MB/s", kBulkBytes / seconds / 1e6);
        break;
    case TUnit::Nanoseconds:
        std::snprintf(text, sizeof text, "%.1f ns", seconds * 1e9);
        break;
    case TUnit::Microseconds:
        std::snprintf(text, sizeof text, "%.1f µs", seconds * 1e6);
        break;
    }
    return text;
}

class TTimes {
public:
    TTimes(const TCollector& here, const std::map<std::string, double>& child)
        : FHere(here), FChild(child) {}
    // The fastest run in either process; NaN when the benchmark did not run or failed.
    double Of(const std::string& name) const {
        double best = std::numeric_limits<double>::quiet_NaN();
        if (auto at = FHere.Best.find(name); at != FHere.Best.end()) best = at->second;
        if (auto at = FChild.find(name); at != FChild.end())
            best = std::isnan(best) ? at->second : std::min(best, at->second);
        return best;
    }
    std::string Error(const std::string& name) const {
        auto at = FHere.Errors.find(name);
        return at == FHere.Errors.end() ? std::string() : at->second;
    }

private:
    const TCollector& FHere;
    const std::map<std::string, double>& FChild;
};

void PrintTable(const TTimes& times, const TRunLength& length, const std::string& childFailure) {
    std::vector<std::string> misses;
    std::printf("what | ours | OpenSSL | ratio\n");
    for (const TRow& row : kRows) {
        const double ours = times.Of(row.Ours);
        const std::string oursCell = std::isnan(ours) ? "-" : Cell(ours, row.Unit);
        if (row.OpenSsl == nullptr) {
            std::printf("%s | %s | - | -\n", row.Key, oursCell.c_str());
            if (std::string(row.Key) == "handle-0x4F-10-lines" && !std::isnan(ours) &&
                ours >= kOrderLimitSeconds)
                misses.push_back(std::string(row.Key) + " takes " + oursCell + ", over 1 ms");
        } else {
            const double theirs = times.Of(row.OpenSsl);
            const std::string theirCell = std::isnan(theirs) ? "-" : Cell(theirs, row.Unit);
            const double ratio = theirs / ours;
            char ratioCell[32] = "-";
            if (!std::isnan(ratio)) std::snprintf(ratioCell, sizeof ratioCell, "%.2f", ratio);
            std::printf("%s | %s | %s | %s\n", row.Key, oursCell.c_str(), theirCell.c_str(),
                        ratioCell);
            if (row.Target > 0 && !std::isnan(ratio) && ratio < row.Target)
                misses.push_back(std::string(row.Key) + " " + ratioCell + " < " +
                                 std::to_string(row.Target).substr(0, 4));
        }
        for (const char* name : {row.Ours, row.OpenSsl})
            if (name != nullptr && !times.Error(name).empty())
                std::printf("  (%s failed: %s)\n", name, times.Error(name).c_str());
    }
    std::printf("\nCPU time, the fastest of %d round(s) of at least %.2f s per row, ours and "
                "OpenSSL's alternating; ratio = OpenSSL's time / ours (1.00 = as fast).\n",
                length.Repetitions, length.MinTime);
    std::printf("sha1-64k and sha0-64k: OpenSSL's SHA-1 with %s (scalar code);\n"
                "sha1-64k-native: as it comes. des24-cts-64k: against DES-EDE3-CBC per byte.\n"
                "rsa512-*: NumModExp over 132-limb arrays against BN_mod_exp_mont with a "
                "prepared Montgomery context.\n",
                kScalarMask);
    if (!childFailure.empty()) std::printf("scalar OpenSSL rows: %s\n", childFailure.c_str());
    if (misses.empty()) {
        std::printf("every target met\n");
    } else {
        std::printf("below target:");
        for (const std::string& m : misses) std::printf(" %s;", m.c_str());
        std::printf("\n");
    }
}

void PrintAlgorithms(const TCollector& collector, const std::vector<std::string>& names) {
    std::printf("algorithm | MB/s over 64 KiB\n");
    for (const std::string& name : names) {
        if (auto at = collector.Best.find(name); at != collector.Best.end())
            std::printf("%s | %.1f\n", name.c_str(), kBulkBytes / at->second / 1e6);
        else if (auto error = collector.Errors.find(name); error != collector.Errors.end())
            std::printf("%s | failed: %s\n", name.c_str(), error->second.c_str());
    }
}

} // namespace
} // namespace velkor::bench

int main(int argc, char** argv) {
    using namespace velkor::bench;
    bool quick = false, algorithms = false, scalarChild = false;
    std::vector<char*> rest = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick")
            quick = true;
        else if (arg == "--algorithms")
            algorithms = true;
        else if (arg == "--openssl-scalar")
            scalarChild = true;
        else
            rest.push_back(argv[i]);
    }
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    if (benchmark::ReportUnrecognizedArguments(restCount, rest.data())) return 2;

    TRunLength length;
    if (quick) length = {0.02, 1};

    if (scalarChild) {
        RegisterScalarRows(length);
        TCollector collector(false);
        Run(collector);
        for (const auto& [name, seconds] : collector.Best)
            std::printf("%s %.12g\n", name.c_str(), seconds);
        return collector.Best.empty() ? 1 : 0;
    }

    if (algorithms) {
        const std::vector<std::string> names = RegisterAlgorithms(length);
        TCollector collector(true);
        Run(collector);
        PrintAlgorithms(collector, names);
        return 0;
    }

    // The scalar rows run before and after the rest, and the faster run counts, so that a
    // change in the machine's load during the run does not fall on one side only.
    std::string childFailure;
    std::map<std::string, double> scalar = RunScalarChild(quick, childFailure);
    RegisterPrimitives(length);
    RegisterHandlings(length);
    TCollector collector(true);
    Run(collector);
    for (const auto& [name, seconds] : RunScalarChild(quick, childFailure)) {
        auto [at, fresh] = scalar.emplace(name, seconds);
        if (!fresh) at->second = std::min(at->second, seconds);
    }
    std::fflush(stderr);
    PrintTable(TTimes(collector, scalar), length, childFailure);
    return 0;
}
