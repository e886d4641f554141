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

class TNMUDP : public TComponent {
public:
    using TOnReceive = std::function<void(TComponent* sender, int numberBytes, const std::string& fromIP)>;
    using TNotifyEvent = std::function<void(TComponent* sender)>;
    using TOnStatus = std::function<void(TComponent* sender, const std::string& status)>;
    using THandlerEvent = std::function<void(bool& handled)>;
    using TStreamInvalid = std::function<void(bool& handled, TStream* stream)>;
    using TBuffInvalid = std::function<void(bool& handled, char*& buff, int& length)>;
    using TOnSocketError = std::function<void(TComponent* sender, int errorNo, const std::string& message)>;

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
    // Rebuilds the socket and binds it to the port; a failing bind is not reported.
    void SetLocalPort(int port);
    int ReportLevel() const { return FReportLevel; }
    void SetReportLevel(int level) { FReportLevel = level; }

    TOnReceive OnDataReceived;
    TNotifyEvent OnDataSend;
    TOnStatus OnStatus;
    THandlerEvent OnInvalidHost;
    TStreamInvalid OnStreamInvalid;
    TBuffInvalid OnBufferInvalid;
    TOnSocketError OnSocketError;

    void ReadIntoStream(TStream* stream);
    void SendFromStream(TStream* stream);

    const std::string& LastStatus() const { return FStatus; }
    int LastErrorNo() const { return FLastError; }

    // Binds LocalPort and arms the read notification.
    void Loaded() override;
    void WriteProperties(TPropertyWriter& writer) const override;
    bool ReadProperty(std::string_view name, const TPropertyValue& value) override;

private:
    struct Impl;
    std::unique_ptr<Impl> FImpl;
    IEventLoop& FLoop;
    std::string FRemoteHost;
    int FRemotePort = 0;
    int FLocalPort = 0;
    int FReportLevel = 1;
    std::string FStatus;
    int FLastError = 0;
};

} // namespace velkor
