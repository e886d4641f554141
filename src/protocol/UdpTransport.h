// The real transport: every datagram from a fresh UDP endpoint bound to local port 2000,
// destroyed again on every path, faults included.
#pragma once

#include "net/EventLoop.h"
#include "protocol/Seams.h"

namespace velkor {

class TUdpTransport final : public ITransport {
public:
    static constexpr int kLocalPort = 2000;
    explicit TUdpTransport(IEventLoop& loop) : FLoop(loop) {}
    void Send(const std::string& host, int port, const Bytes& data) override;

private:
    IEventLoop& FLoop;
};

} // namespace velkor
