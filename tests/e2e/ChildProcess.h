// A program of the exchange run as a child process of a test: its standard output read line by
// line through a pipe with time limits, its standard error kept in a file for failure messages,
// and the process ended on every path (killed with the test if the test itself dies).
#pragma once

#include <chrono>
#include <functional>
#include <netinet/in.h>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace velkor::test {

class ChildProcess {
public:
    using TMatch = std::function<bool(const std::string& line)>;

    // Starts `argv[0]` with `argv`, the test's environment without the variables in `unset`.
    // Unless the environment names one (or `unset` drops it), VELKOR_ORDERS_DB points into
    // TestOrdersBook(), so that no merchant a test starts writes into the user's home.
    // Raises std::runtime_error when the process cannot be started.
    ChildProcess(std::string name, std::vector<std::string> argv,
                 const std::vector<std::string>& unset = {});
    // Kills the process if it still runs, and reaps it.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The index of the first line from `from` on that matches, reading more output for at most
    // `timeout`; nothing when no such line came before the timeout or the end of the output.
    std::optional<std::size_t> WaitForLine(const TMatch& match, std::chrono::milliseconds timeout,
                                           std::size_t from = 0);
    std::optional<std::size_t> WaitForLine(const std::string& line,
                                           std::chrono::milliseconds timeout, std::size_t from = 0);

    // Reads the output to its end and waits for the exit, at most `timeout`; the exit status
    // (128 + the signal number for a process ended by a signal), or nothing on timeout.
    std::optional<int> WaitExit(std::chrono::milliseconds timeout);
    // Stops reading and closes the reading end of the output pipe, as a reader that goes away
    // does (`program | head -3`): the child's next write finds no reader.
    void CloseOutput();
    // SIGTERM, then WaitExit; SIGKILL if the process has not ended within `grace`.
    std::optional<int> Terminate(std::chrono::milliseconds grace = std::chrono::seconds(5));

    // The complete lines of standard output read so far (without their line ends).
    const std::vector<std::string>& Lines() const { return FLines; }
    // What it wrote on standard error so far.
    std::string ErrorOutput() const;
    // Its name, every output line and its standard error, for a failure message.
    std::string Transcript() const;
    // The process id, for reading the process's own figures under /proc.
    pid_t Pid() const { return FPid; }

private:
    // Reads what is there, waiting at most `timeout` for something; false at the output's end.
    bool ReadSome(std::chrono::milliseconds timeout);
    void Kill();

    std::string FName;
    pid_t FPid = -1;
    int FOut = -1;
    std::string FErrPath;
    std::string FPartial;
    std::vector<std::string> FLines;
    bool FEnded = false; // output at its end
    std::optional<int> FStatus;
};

// The order book of the programs this test process starts: a file in a private temporary
// folder, made at the first call and removed with the folder when the process ends.
std::string TestOrdersBook();

// 127.0.0.1 at `port`, for the tests' own sockets.
sockaddr_in LoopbackAddress(int port);

// Empty when the fixed ports of the exchange (2000, 2003, 2004) can all be bound, otherwise what
// to tell the user about the first one that is taken.
std::string FixedPortsTaken();

// True when a line from index `from` on contains `part`.
bool HasLineContaining(const std::vector<std::string>& lines, const std::string& part,
                       std::size_t from = 0);

} // namespace velkor::test
