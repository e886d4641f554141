// The peers' run loop. Signals reach the loop through a pipe that the handler writes one byte
// into, the only thing a signal handler may safely do here.
#include "common/PeerEndpoint.h"

#include "base/Exception.h"
#include "base/Stream.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace velkor::peer {
namespace {

int gSignalPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int) {
    char c = 1;
    [[maybe_unused]] auto n = ::write(gSignalPipe[1], &c, 1);
}

int SignalPipe() {
    if (gSignalPipe[0] < 0) {
        if (::pipe(gSignalPipe) != 0) throw Exception("cannot create the signal pipe");
        for (int fd : gSignalPipe) {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
        struct sigaction sa = {};
        sa.sa_handler = OnStopSignal;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGINT, &sa, nullptr);
        sigaction(SIGTERM, &sa, nullptr);
    }
    return gSignalPipe[0];
}

} // namespace

long long TConsole::Milliseconds() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 FStart)
        .count();
}

void TConsole::Line(const std::string& utf8Text) const {
    std::printf("%7lld ms  %s\n", Milliseconds(), utf8Text.c_str());
    std::fflush(stdout);
}

TPeerEndpoint::TPeerEndpoint(int port, TReceive onReceive, TReport onFault,
                             const std::string& bindAddress) {
    in_addr local{};
    if (!bindAddress.empty() && ::inet_pton(AF_INET, bindAddress.c_str(), &local) != 1)
        throw Exception("'" + bindAddress + "' is not a dotted IPv4 address to bind");
    int signals = SignalPipe();
    FSignalWatch = FLoop.WatchReadable(signals, [this, signals] {
        char sink[16];
        while (::read(signals, sink, sizeof sink) > 0) {}
        FStopped = true;
    });
    FUdp = std::make_unique<TNMUDP>(nullptr, FLoop);
    FUdp->SetLocalAddress(local.s_addr);
    FUdp->SetLocalPort(port);
    if (FUdp->BoundPort() != port)
        throw Exception("UDP port " + std::to_string(port) +
                        (bindAddress.empty()
                             ? " cannot be bound: is another program listening on it?"
                             : " of " + bindAddress +
                                   " cannot be bound: is the address local, and no other "
                                   "program listening on it?"));
    FUdp->OnDataReceived = [this, onReceive = std::move(onReceive), onFault = std::move(onFault)](
                               TComponent*, int numberBytes, const std::string& fromIP) {
        if (numberBytes < 0) {
            onFault("a datagram from " + fromIP + " could not be received (longer than " +
                    std::to_string(TNMUDP::kBufferSize) + " bytes, or a socket error)");
            return;
        }
        TMemoryStream stream;
        FUdp->ReadIntoStream(&stream);
        Bytes frame(static_cast<std::size_t>(numberBytes), '\0');
        frame.resize(static_cast<std::size_t>(stream.Read(frame.data(), numberBytes)));
        onReceive(frame, fromIP);
    };
}

TPeerEndpoint::~TPeerEndpoint() {
    FUdp.reset();
    FLoop.Unwatch(FSignalWatch);
}

void TPeerEndpoint::Send(const std::string& host, int port, const Bytes& data) {
    FUdp->SetRemoteHost(host);
    FUdp->SetRemotePort(port);
    TMemoryStream stream;
    stream.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
    FUdp->SendFromStream(&stream);
}

TPeerEndpoint::TEnd TPeerEndpoint::Run(const std::function<bool()>& done,
                                       std::chrono::milliseconds timeout) {
    auto finished = [&] { return FStopped || done(); };
    if (timeout.count() < 0) {
        while (!finished()) FLoop.ProcessEvents(true);
    } else {
        FLoop.RunUntil(finished, timeout);
    }
    if (FStopped) return TEnd::Stopped;
    return done() ? TEnd::Done : TEnd::TimedOut;
}

} // namespace velkor::peer
