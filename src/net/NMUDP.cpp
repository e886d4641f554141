// TNMUDP over POSIX sockets: socket life, bind and read notification through the event loop,
// the receive into a fixed 2048-byte buffer, the send of a stream as one datagram, and the
// asynchronous host-name lookup whose completion is posted back to the owner's thread.
#include "net/NMUDP.h"

#include "base/Convert.h"
#include "base/Format.h"
#include "base/Text.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <thread>
#include <unistd.h>

namespace velkor {
namespace {

// WSAEWOULDBLOCK; every check of the endpoint ignores errors that carry all of its bits.
constexpr int kIgnoredErrorMask = 10035;

bool ValidPort(int port) {
    return port >= 0 && port <= 65535;
}

std::string DottedAddress(const sockaddr_in& address) {
    const auto* b = reinterpret_cast<const unsigned char*>(&address.sin_addr.s_addr);
    return Format("%d.%d.%d.%d", {int{b[0]}, int{b[1]}, int{b[2]}, int{b[3]}});
}

// Linux queues ICMP errors here when IP_RECVERR is on; left queued they keep the socket
// reporting POLLERR, and the loop would wake for them forever.
void DrainErrorQueue([[maybe_unused]] int fd) {
#ifdef MSG_ERRQUEUE
    char data[512];
    char control[512];
    for (int i = 0; i < 64; ++i) {
        iovec io{data, sizeof data};
        msghdr msg{};
        msg.msg_iov = &io;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        if (::recvmsg(fd, &msg, MSG_ERRQUEUE | MSG_DONTWAIT) < 0) break;
    }
#endif
}

} // namespace

// What a pending lookup shares with its worker thread and with the send that waits for it, so
// that neither needs the endpoint to be still alive.
struct TLookupLife {
    std::mutex Mutex;           // guards Loop
    IEventLoop* Loop = nullptr; // cleared when the endpoint goes; the worker then posts nothing
    // Read and written on the owner's thread only.
    bool Destroyed = false;
    bool Cancelled = false;
};

struct TLookupRequest {
    bool Done = false; // set on the owner's thread by the posted completion
    THostLookupResult Result;
};

struct TNMUDP::Impl {
    int Socket = -1;
    bool Watching = false;
    IEventLoop::TWatchId Watch = 0;
    bool Initialised = false;
    std::array<char, kBufferSize> ReceiveBuffer{};
    int LastLength = 0;
    THostResolver Resolver;
    std::shared_ptr<TLookupLife> Life = std::make_shared<TLookupLife>();
};

TNMUDP::TNMUDP(TComponent* owner, IEventLoop& loop)
    : TComponent(owner), FImpl(std::make_unique<Impl>()), FLoop(loop) {
    FImpl->Life->Loop = &loop;
    FReportLevel = 1;
    ReportStatus(8, "Initializing Winsock");
    FImpl->Socket = CreateSocket();
    if (FImpl->Socket >= 0) {
        // Closing must not wait for unsent data; later sockets (LocalPort) are left as made.
        linger off{};
        off.l_onoff = 0;
        off.l_linger = 0;
        ::setsockopt(FImpl->Socket, SOL_SOCKET, SO_LINGER, &off, sizeof off);
    }
    FImpl->Initialised = true;
}

TNMUDP::~TNMUDP() {
    FImpl->Life->Destroyed = true;
    {
        std::lock_guard<std::mutex> lock(FImpl->Life->Mutex);
        FImpl->Life->Loop = nullptr;
    }
    CloseSocket();
}

int TNMUDP::CreateSocket() {
    int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) {
        std::string message;
        CheckSocketError(kIgnoredErrorMask, message);
        return -1;
    }
    int fdFlags = ::fcntl(fd, F_GETFD);
    if (fdFlags >= 0) ::fcntl(fd, F_SETFD, fdFlags | FD_CLOEXEC);
    return fd;
}

void TNMUDP::CloseSocket() {
    if (FImpl->Watching) {
        FLoop.Unwatch(FImpl->Watch);
        FImpl->Watching = false;
    }
    if (FImpl->Socket >= 0) {
        ::close(FImpl->Socket);
        FImpl->Socket = -1;
    }
}

void TNMUDP::SetLocalPort(int port) {
    CloseSocket();
    FImpl->Socket = CreateSocket();
    FLocalPort = port;
    Loaded();
}

void TNMUDP::Loaded() {
    if (Designing() || FImpl->Socket < 0) return;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = FLocalAddress;
    // A port outside 0..65535 would be cut to 16 bits and bind somewhere else; it fails like
    // any other bind, silently.
    if (ValidPort(FLocalPort)) {
        local.sin_port = htons(static_cast<std::uint16_t>(FLocalPort));
        [[maybe_unused]] int bound =
            ::bind(FImpl->Socket, reinterpret_cast<const sockaddr*>(&local), sizeof local);
    }
    if (FImpl->Watching) FLoop.Unwatch(FImpl->Watch);
    FImpl->Watch = FLoop.WatchReadable(FImpl->Socket, [this] { Receive(); });
    FImpl->Watching = true;
}

void TNMUDP::Receive() {
    if (!FImpl->Initialised || FImpl->Socket < 0) return;
    int fd = FImpl->Socket;
    int flags = 0;
#ifdef MSG_DONTWAIT
    flags = MSG_DONTWAIT;
#else
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0) return;
#endif
    sockaddr_in from{};
    iovec io{FImpl->ReceiveBuffer.data(), FImpl->ReceiveBuffer.size()};
    msghdr msg{};
    msg.msg_name = &from;
    msg.msg_namelen = sizeof from;
    msg.msg_iov = &io;
    msg.msg_iovlen = 1;
    ssize_t received;
    do {
        received = ::recvmsg(fd, &msg, flags);
    } while (received < 0 && errno == EINTR);

    int length;
    if (received < 0) {
        int error = errno;
        DrainErrorQueue(fd);
        // A readiness without a datagram (one a nested loop already took) is no receive.
        if (error == EAGAIN || error == EWOULDBLOCK) return;
        FLastError = error;
        length = -1;
    } else if ((msg.msg_flags & MSG_TRUNC) != 0) {
        // Longer than the buffer: what was kept is not the datagram, so nothing is handed on.
        FLastError = EMSGSIZE;
        length = -1;
    } else {
        length = static_cast<int>(received);
    }
    FImpl->LastLength = length;
    if (OnDataReceived) {
        // A copy: the handler may reassign the event or destroy this endpoint.
        TOnReceive handler = OnDataReceived;
        handler(this, length, DottedAddress(from));
    }
}

int TNMUDP::LastLength() const {
    return FImpl->LastLength;
}

int TNMUDP::SocketHandle() const {
    return FImpl->Socket;
}

int TNMUDP::BoundPort() const {
    if (FImpl->Socket < 0) return 0;
    sockaddr_in local{};
    socklen_t size = sizeof local;
    if (::getsockname(FImpl->Socket, reinterpret_cast<sockaddr*>(&local), &size) != 0) return 0;
    return ntohs(local.sin_port);
}

void TNMUDP::ReadIntoStream(TStream* stream) {
    if (stream == nullptr) throw Exception("Invalid stream");
    if (FImpl->LastLength > 0) stream->WriteBuffer(FImpl->ReceiveBuffer.data(), FImpl->LastLength);
    stream->SetPosition(0);
}

void TNMUDP::SendFromStream(TStream* stream) {
    if (stream == nullptr) throw Exception("Invalid stream");
    std::shared_ptr<TLookupLife> life = FImpl->Life;
    bool firstPass = true;
    while (stream->Size() == 0) {
        if (!firstPass || !OnStreamInvalid) throw Exception("Invalid stream");
        bool handled = false;
        TStreamInvalid handler = OnStreamInvalid;
        handler(handled, stream);
        if (!handled || life->Destroyed) throw Exception("Invalid stream");
        firstPass = false;
    }
    // Refused here, before a lookup is started or anything leaves.
    std::int64_t size = stream->Size();
    if (size > static_cast<std::int64_t>(kBufferSize))
        throw UDPSockError("Stream too large for one datagram");
    if (!ValidPort(FRemotePort)) throw UDPSockError("Invalid Remote Port");

    life->Cancelled = false;
    std::uint32_t address = ResolveRemoteHost();
    if (address == 0) throw UDPSockError("Null Remote Address");
    ReportStatus(2, "Sending Data");

    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(static_cast<std::uint16_t>(FRemotePort));
    remote.sin_addr.s_addr = address;

    std::array<char, kBufferSize> buffer{};
    stream->SetPosition(0);
    std::size_t filled = 0;
    while (filled < static_cast<std::size_t>(size)) {
        auto got = stream->Read(buffer.data() + filled, size - static_cast<std::int64_t>(filled));
        if (got <= 0) break;
        filled += static_cast<std::size_t>(got);
    }
    [[maybe_unused]] auto sent =
        ::sendto(FImpl->Socket, buffer.data(), filled, 0,
                 reinterpret_cast<const sockaddr*>(&remote), sizeof remote);
    if (OnDataSend) {
        TNotifyEvent handler = OnDataSend;
        handler(this);
    }
}

std::uint32_t TNMUDP::ResolveRemoteHost() {
    if (FRemoteHost.size() > kMaxHostName) throw UDPSockError("Host name too long");
    // A name with a NUL in it would be read only up to the NUL; it goes to the lookup whole.
    bool hasNul = FRemoteHost.find('\0') != std::string::npos;
    if (!hasNul) {
        std::array<char, kMaxHostName + 1> name{};
        std::copy(FRemoteHost.begin(), FRemoteHost.end(), name.begin());
        in_addr_t address = ::inet_addr(name.data());
        if (address != INADDR_NONE) return address;
    }

    // Everything the wait needs is held locally: a handler run meanwhile may destroy `this`.
    std::shared_ptr<TLookupLife> life = FImpl->Life;
    IEventLoop& loop = FLoop;
    THostResolver resolver = FImpl->Resolver ? FImpl->Resolver : THostResolver(&SystemResolve);
    const std::string host = FRemoteHost;
    int failures = 0;
    for (;;) {
        auto request = std::make_shared<TLookupRequest>();
        try {
            std::thread([life, request, resolver, host] {
                THostLookupResult result;
                try {
                    result = resolver(host);
                } catch (...) {
                    result = THostLookupResult{};
                }
                std::lock_guard<std::mutex> lock(life->Mutex);
                if (life->Loop != nullptr)
                    life->Loop->Post([request, result] {
                        request->Result = result;
                        request->Done = true;
                    });
            }).detach();
        } catch (const std::system_error&) {
            throw UDPSockError("Host Lookup Canceled");
        }
        while (!request->Done && !life->Cancelled && !life->Destroyed) loop.ProcessEvents(true);
        if (life->Cancelled || life->Destroyed) throw UDPSockError("Host Lookup Canceled");

        if (request->Result.Succeeded) return request->Result.Address;
        if (failures >= 1) throw UDPSockError("Host Lookup Canceled");
        ++failures;
        bool handled = false;
        if (OnInvalidHost) {
            THandlerEvent handler = OnInvalidHost;
            handler(handled);
            if (life->Destroyed) throw UDPSockError("Host Lookup Canceled");
        }
        if (!handled) throw UDPSockError("Host Lookup Canceled");
    }
}

THostLookupResult TNMUDP::SystemResolve(const std::string& hostName) {
    // An empty name would make getaddrinfo answer with a local address rather than fail.
    if (hostName.empty() || hostName.size() > kMaxHostName ||
        hostName.find('\0') != std::string::npos)
        return {};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(hostName.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return {};
    THostLookupResult result;
    if (found->ai_family == AF_INET && found->ai_addr != nullptr &&
        found->ai_addrlen >= sizeof(sockaddr_in)) {
        result.Succeeded = true;
        result.Address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    }
    ::freeaddrinfo(found);
    return result;
}

void TNMUDP::SetResolver(THostResolver resolver) {
    FImpl->Resolver = std::move(resolver);
}

void TNMUDP::CancelLookup() {
    FImpl->Life->Cancelled = true;
}

void TNMUDP::CheckSocketError(int mask, std::string& message) {
    int error = errno; // before the status handler can disturb it
    ReportStatus(16, "Checking Error In Error Manager");
    FLastError = error;
    if ((mask & error) == mask) {
        message.clear();
        return;
    }
    LookUpErrorText(error, message);
    if (OnSocketError) {
        TOnSocketError handler = OnSocketError;
        handler(this, error, message);
    }
    throw UDPSockError(message);
}

void TNMUDP::LookUpErrorText(int number, std::string& message) {
    if (number != 0 && message.empty()) message = Format("Unknown Error No. %d", {number});
    ReportStatus(8, "Looking Up Error Message" + message);
}

void TNMUDP::ReportStatus(int level, const std::string& text) {
    if (level > FReportLevel) return;
    FStatus = text;
    if (OnStatus) {
        TOnStatus handler = OnStatus;
        handler(this, text);
    }
}

void TNMUDP::WriteProperties(TPropertyWriter& writer) const {
    if (!FRemoteHost.empty()) writer.WriteString("RemoteHost", FRemoteHost);
    writer.WriteInteger("RemotePort", FRemotePort);
    writer.WriteInteger("LocalPort", FLocalPort);
    writer.WriteInteger("ReportLevel", FReportLevel);
}

bool TNMUDP::ReadProperty(std::string_view name, const TPropertyValue& value) {
    auto integer = [&value] {
        if (value.Kind != TPropertyKind::Integer) throw EReadError("Invalid property value");
        return StrToInt(value.Text);
    };
    if (SameText(name, "RemoteHost")) {
        if (value.Kind != TPropertyKind::String) throw EReadError("Invalid property value");
        SetRemoteHost(value.Text);
    } else if (SameText(name, "RemotePort")) {
        SetRemotePort(integer());
    } else if (SameText(name, "LocalPort")) {
        SetLocalPort(integer());
    } else if (SameText(name, "ReportLevel")) {
        SetReportLevel(integer());
    } else {
        return false;
    }
    return true;
}

} // namespace velkor
