// A plain loopback UDP socket for the endpoint tests: the far side of every exchange, able to
// send datagrams of any size and to say whether one arrived. Always on an ephemeral port.
#pragma once

#include "base/Bytes.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace velkor::test {

class UdpPeer {
public:
    UdpPeer() {
        FFd = ::socket(AF_INET, SOCK_DGRAM, 0);
        if (FFd < 0) throw std::runtime_error("socket");
        sockaddr_in a = Loopback(0);
        if (::bind(FFd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0)
            throw std::runtime_error("bind");
        socklen_t size = sizeof a;
        ::getsockname(FFd, reinterpret_cast<sockaddr*>(&a), &size);
        FPort = ntohs(a.sin_port);
    }
    ~UdpPeer() { ::close(FFd); }
    UdpPeer(const UdpPeer&) = delete;
    UdpPeer& operator=(const UdpPeer&) = delete;

    int Port() const { return FPort; }
    int Fd() const { return FFd; }

    void SendTo(int port, const Bytes& data) const {
        sockaddr_in a = Loopback(port);
        if (::sendto(FFd, data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&a),
                     sizeof a) != static_cast<ssize_t>(data.size()))
            throw std::runtime_error("sendto");
    }

    struct Datagram {
        Bytes Data;
        int FromPort = 0;
    };

    // The next datagram, or nothing if none arrives within `wait`.
    std::optional<Datagram> Receive(std::chrono::milliseconds wait = std::chrono::seconds(2)) {
        pollfd p{FFd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0) return std::nullopt;
        char buffer[65536];
        sockaddr_in from{};
        socklen_t size = sizeof from;
        ssize_t n =
            ::recvfrom(FFd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &size);
        if (n < 0) return std::nullopt;
        return Datagram{Bytes(buffer, static_cast<std::size_t>(n)), ntohs(from.sin_port)};
    }

    static sockaddr_in Loopback(int port) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return a;
    }

    // A loopback port with nobody on it (taken from the system, then let go).
    static int ClosedPort() {
        UdpPeer probe;
        return probe.Port();
    }

private:
    int FFd = -1;
    int FPort = 0;
};

// Every byte value once, the zero byte first: a payload that shows any C-string or sign fault.
inline Bytes AllByteValues() {
    Bytes b;
    for (int i = 0; i < 256; ++i) b += static_cast<char>(i);
    return b;
}

} // namespace velkor::test
