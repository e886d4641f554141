// The console side of a peer program: a poll loop, the listening UDP endpoint (which also
// sends, so that a peer's messages leave from its own port), SIGINT and SIGTERM as a request to
// stop, and the printed lines, each headed by the milliseconds since the program started.
#pragma once

#include "base/Bytes.h"
#include "net/NMUDP.h"
#include "net/PollEventLoop.h"
#include "protocol/Seams.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace velkor::peer {

// Lines on standard output, UTF-8, flushed one by one so that a user or a test can follow.
class TConsole {
public:
    TConsole() : FStart(std::chrono::steady_clock::now()) {}
    long long Milliseconds() const;
    // "   1234 ms  <text>"
    void Line(const std::string& utf8Text) const;

private:
    std::chrono::steady_clock::time_point FStart;
};

class TPeerEndpoint final : public ITransport {
public:
    using TReceive = std::function<void(const Bytes& frame, const std::string& fromIP)>;
    using TReport = std::function<void(const std::string& utf8Text)>;

    // Binds UDP `port` on `bindAddress` (a dotted IPv4 address; empty for every local address),
    // which is then also the address the peer sends from. Raises velkor::Exception when the
    // address is not dotted or the port cannot be bound (another program listens on it).
    TPeerEndpoint(int port, TReceive onReceive, TReport onFault,
                  const std::string& bindAddress = {});
    ~TPeerEndpoint() override;
    TPeerEndpoint(const TPeerEndpoint&) = delete;
    TPeerEndpoint& operator=(const TPeerEndpoint&) = delete;

    // From the listening socket; faults of the endpoint pass on.
    void Send(const std::string& host, int port, const Bytes& data) override;

    enum class TEnd { Done, Stopped, TimedOut };
    // Handles datagrams until `done` answers true, SIGINT or SIGTERM arrives, or `timeout` has
    // passed (a negative timeout never passes).
    TEnd Run(const std::function<bool()>& done, std::chrono::milliseconds timeout);

private:
    PollEventLoop FLoop;
    std::unique_ptr<TNMUDP> FUdp;
    IEventLoop::TWatchId FSignalWatch = 0;
    bool FStopped = false;
};

} // namespace velkor::peer
