// One datagram, one endpoint.
#include "protocol/UdpTransport.h"

#include "base/Stream.h"
#include "net/NMUDP.h"

#include <memory>

namespace velkor {

void TUdpTransport::Send(const std::string& host, int port, const Bytes& data) {
    auto endpoint = std::make_unique<TNMUDP>(nullptr, FLoop);
    endpoint->SetRemoteHost(host);
    endpoint->SetLocalPort(kLocalPort);
    if (port > 0) endpoint->SetRemotePort(port);
    TMemoryStream stream;
    stream.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
    endpoint->SendFromStream(&stream);
}

} // namespace velkor
