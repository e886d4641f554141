// TNMUDP: a component that owns one IPv4 datagram socket. It binds to LocalPort, reports each
// arriving datagram through OnDataReceived on the owner's thread, hands the bytes over as a
// stream, and sends a whole stream as one datagram to RemoteHost:RemotePort, looking a host
// name up asynchronously (processing pending events meanwhile) when it is not dotted.
#pragma once

#include "base/Bytes.h"
#include "base/Component.h"
#include "base/Exception.h"
#include "base/Stream.h"
#include "net/EventLoop.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace velkor {

class UDPSockError : public Exception {
public:
    using Exception::Exception;
};

// The outcome of one host-name lookup. Address is the IPv4 address in network byte order.
struct THostLookupResult {
    bool Succeeded = false;
    std::uint32_t Address = 0;
};

// Looks a host name up; runs on a worker thread, so it must not touch the endpoint or the
// loop. Replaceable so that a failing or slow lookup can be had without a name service.
using THostResolver = std::function<THostLookupResult(const std::string& hostName)>;

class TNMUDP : public TComponent {
public:
    using TOnReceive =
        std::function<void(TComponent* sender, int numberBytes, const std::string& fromIP)>;
    using TNotifyEvent = std::function<void(TComponent* sender)>;
    using TOnStatus = std::function<void(TComponent* sender, const std::string& status)>;
    using THandlerEvent = std::function<void(bool& handled)>;
    using TStreamInvalid = std::function<void(bool& handled, TStream* stream)>;
    using TBuffInvalid = std::function<void(bool& handled, char*& buff, int& length)>;
    using TOnSocketError =
        std::function<void(TComponent* sender, int errorNo, const std::string& message)>;

    static constexpr std::size_t kBufferSize = 2048;
    static constexpr std::size_t kMaxHostName = 127;

    TNMUDP(TComponent* owner, IEventLoop& loop);
    ~TNMUDP() override;
    std::string ClassName() const override { return "TNMUDP"; }

    const std::string& RemoteHost() const { return FRemoteHost; }
    void SetRemoteHost(std::string host) { FRemoteHost = std::move(host); }
    int RemotePort() const { return FRemotePort; }
    void SetRemotePort(int port) { FRemotePort = port; }
    int LocalPort() const { return FLocalPort; }
    // Rebuilds the socket and binds it to the port; a failing bind is not reported, and a
    // port outside 0..65535 is not bound at all. A socket that cannot be made raises
    // UDPSockError and leaves the endpoint without one (and LocalPort unchanged).
    void SetLocalPort(int port);
    // The local IPv4 address the next SetLocalPort binds to, in network byte order; 0 (the
    // default) binds every local address. Datagrams then leave from this address.
    std::uint32_t LocalAddress() const { return FLocalAddress; }
    void SetLocalAddress(std::uint32_t address) { FLocalAddress = address; }
    int ReportLevel() const { return FReportLevel; }
    void SetReportLevel(int level) { FReportLevel = level; }

    // A failed receive (a socket error, or a datagram longer than kBufferSize) arrives with a
    // negative NumberBytes; FromIP is "0.0.0.0" when the failure names no sender.
    TOnReceive OnDataReceived;
    TNotifyEvent OnDataSend;
    TOnStatus OnStatus;
    THandlerEvent OnInvalidHost;
    TStreamInvalid OnStreamInvalid;
    TBuffInvalid OnBufferInvalid;
    TOnSocketError OnSocketError;

    // Writes the last datagram at the stream's position (nothing after a failed receive) and
    // rewinds the stream.
    void ReadIntoStream(TStream* stream);
    // Sends the whole stream as one datagram. Faults: "Invalid stream" (Exception), and as
    // UDPSockError "Stream too large for one datagram", "Invalid Remote Port", "Host name too
    // long", "Host Lookup Canceled", "Null Remote Address"; all before anything is sent.
    void SendFromStream(TStream* stream);

    const std::string& LastStatus() const { return FStatus; }
    int LastErrorNo() const { return FLastError; }
    // The length of the last receive: the byte count, or negative when it failed.
    int LastLength() const;

    // The socket descriptor (-1 when there is none) and the port it is bound to (0 if none).
    int SocketHandle() const;
    int BoundPort() const;

    // The lookup used for names that are not dotted addresses; an empty one restores
    // SystemResolve (getaddrinfo for AF_INET).
    void SetResolver(THostResolver resolver);
    static THostLookupResult SystemResolve(const std::string& hostName);
    // Ends a send that is waiting for its lookup with "Host Lookup Canceled". Destroying the
    // endpoint during the wait does the same.
    void CancelLookup();

    // Reads errno as the last socket error. An error that has every bit of `mask` is ignored
    // (the message comes back empty); any other is told to OnSocketError and raised as
    // UDPSockError with the message.
    void CheckSocketError(int mask, std::string& message);
    // An empty message for a non-zero error becomes "Unknown Error No. <number>".
    void LookUpErrorText(int number, std::string& message);

    // Binds LocalPort and arms the read notification.
    void Loaded() override;
    void WriteProperties(TPropertyWriter& writer) const override;
    bool ReadProperty(std::string_view name, const TPropertyValue& value) override;

private:
    struct Impl;
    void ReportStatus(int level, const std::string& text);
    int CreateSocket();
    void CloseSocket();
    void Receive();
    std::uint32_t ResolveRemoteHost();

    std::unique_ptr<Impl> FImpl;
    IEventLoop& FLoop;
    std::string FRemoteHost;
    int FRemotePort = 0;
    int FLocalPort = 0;
    std::uint32_t FLocalAddress = 0;
    int FReportLevel = 1;
    std::string FStatus;
    int FLastError = 0;
};

} // namespace velkor
