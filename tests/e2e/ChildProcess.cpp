// fork and exec rather than posix_spawn, so that the child can ask to be killed when the test
// program dies (PR_SET_PDEATHSIG) and no process outlives a crashed or timed-out test.
#include "ChildProcess.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

extern char** environ;

namespace velkor::test {

std::string TestOrdersBook() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/velkor-e2e-orders-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
        static std::string made = pattern;
        std::atexit([] { std::filesystem::remove_all(made); });
        return made;
    }();
    return folder + "/orders.sqlite";
}

ChildProcess::ChildProcess(std::string name, std::vector<std::string> argv,
                           const std::vector<std::string>& unset)
    : FName(std::move(name)) {
    // Everything the child needs is made before fork: after it only exec-safe calls remain.
    std::vector<std::string> env;
    bool book = false;
    for (const std::string& u : unset) book = book || u == "VELKOR_ORDERS_DB";
    for (char** e = environ; *e != nullptr; ++e) {
        std::string entry = *e;
        std::string key = entry.substr(0, entry.find('='));
        bool drop = false;
        for (const std::string& u : unset) drop = drop || key == u;
        if (!drop) env.push_back(entry);
        book = book || key == "VELKOR_ORDERS_DB";
    }
    if (!book) env.push_back("VELKOR_ORDERS_DB=" + TestOrdersBook());
    std::vector<char*> envp, args;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);

    char errTemplate[] = "/tmp/velkor-e2e-stderr-XXXXXX";
    int err = ::mkstemp(errTemplate);
    if (err < 0) throw std::runtime_error("mkstemp failed");
    FErrPath = errTemplate;
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        ::close(err);
        throw std::runtime_error("pipe failed");
    }
    pid_t parent = ::getpid();
    FPid = ::fork();
    if (FPid == 0) {
#ifdef __linux__
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
#endif
        ::dup2(out[1], 1);
        ::dup2(err, 2);
        ::execve(args[0], args.data(), envp.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err);
    FOut = out[0];
    if (FPid < 0) {
        ::close(FOut);
        throw std::runtime_error("fork failed");
    }
    ::fcntl(FOut, F_SETFL, ::fcntl(FOut, F_GETFL) | O_NONBLOCK);
}

ChildProcess::~ChildProcess() {
    Kill();
    if (FOut >= 0) ::close(FOut);
    ::unlink(FErrPath.c_str());
}

void ChildProcess::Kill() {
    if (FPid > 0 && !FStatus) {
        ::kill(FPid, SIGKILL);
        int status = 0;
        while (::waitpid(FPid, &status, 0) < 0 && errno == EINTR) {}
        FStatus = 128 + SIGKILL;
    }
}

bool ChildProcess::ReadSome(std::chrono::milliseconds timeout) {
    if (FEnded) return false;
    pollfd p{FOut, POLLIN, 0};
    int ready = ::poll(&p, 1, static_cast<int>(std::max<long long>(timeout.count(), 0)));
    if (ready <= 0) return true;
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(FOut, buffer, sizeof buffer);
        if (n > 0) {
            FPartial.append(buffer, static_cast<std::size_t>(n));
            std::size_t eol;
            while ((eol = FPartial.find('\n')) != std::string::npos) {
                FLines.push_back(FPartial.substr(0, eol));
                FPartial.erase(0, eol + 1);
            }
            continue;
        }
        if (n == 0) {
            FEnded = true;
            if (!FPartial.empty()) FLines.push_back(FPartial);
            FPartial.clear();
            return false;
        }
        if (errno == EINTR) continue;
        return true; // EAGAIN: all there was
    }
}

std::optional<std::size_t> ChildProcess::WaitForLine(const TMatch& match,
                                                     std::chrono::milliseconds timeout,
                                                     std::size_t from) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        for (std::size_t i = from; i < FLines.size(); ++i)
            if (match(FLines[i])) return i;
        from = std::max(from, FLines.size());
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        if (!ReadSome(left) && FLines.size() <= from) return std::nullopt;
    }
}

std::optional<std::size_t> ChildProcess::WaitForLine(const std::string& line,
                                                     std::chrono::milliseconds timeout,
                                                     std::size_t from) {
    return WaitForLine([&line](const std::string& l) { return l == line; }, timeout, from);
}

std::optional<int> ChildProcess::WaitExit(std::chrono::milliseconds timeout) {
    if (FStatus) return FStatus;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        ReadSome(std::chrono::milliseconds(20));
        int status = 0;
        pid_t done = ::waitpid(FPid, &status, WNOHANG);
        if (done == FPid) {
            // The rest of the output, unless something else holds the pipe open.
            auto drainEnd = std::chrono::steady_clock::now() + std::chrono::seconds(1);
            while (ReadSome(std::chrono::milliseconds(50)) &&
                   std::chrono::steady_clock::now() < drainEnd) {}
            FStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return FStatus;
        }
    }
    return std::nullopt;
}

void ChildProcess::CloseOutput() {
    if (FOut >= 0) ::close(FOut);
    FOut = -1;
    FEnded = true;
}

std::optional<int> ChildProcess::Terminate(std::chrono::milliseconds grace) {
    if (FStatus) return FStatus;
    ::kill(FPid, SIGTERM);
    auto status = WaitExit(grace);
    if (!status) Kill();
    return status;
}

std::string ChildProcess::ErrorOutput() const {
    std::ifstream err(FErrPath, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
}

std::string ChildProcess::Transcript() const {
    std::string text = "--- " + FName + " (standard output) ---\n";
    for (const std::string& line : FLines) text += line + "\n";
    if (!FPartial.empty()) text += FPartial + "\n";
    std::string errText = ErrorOutput();
    if (!errText.empty()) text += "--- " + FName + " (standard error) ---\n" + errText;
    return text;
}

sockaddr_in LoopbackAddress(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

std::string FixedPortsTaken() {
    for (int port : {2000, 2003, 2004}) {
        int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_ANY);
        bool free = fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
        if (fd >= 0) ::close(fd);
        if (!free)
            return "UDP port " + std::to_string(port) +
                   " is taken: another merchant, customer or gateway (or another program) is "
                   "using it. End it and run this test again.";
    }
    return {};
}

bool HasLineContaining(const std::vector<std::string>& lines, const std::string& part,
                       std::size_t from) {
    for (std::size_t i = from; i < lines.size(); ++i)
        if (lines[i].find(part) != std::string::npos) return true;
    return false;
}

} // namespace velkor::test
