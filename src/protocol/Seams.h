// What the protocol needs from the world around it: a log to append lines to, the settings
// fields to read, and a way to put one datagram on the wire. The window and the real UDP
// endpoint implement them; unit tests hand the protocol their own.
#pragma once

#include "base/Bytes.h"

#include <cstddef>
#include <string>

namespace velkor {

class ILog {
public:
    virtual ~ILog() = default;
    // One CP1250 line.
    virtual void Append(const Bytes& line) = 0;
    // One CP1250 line that holds the text of a secret key of `keyBytes` bytes (a private key,
    // a symmetric key). The log shows it like any other line; copies that leave the program
    // may hide it.
    virtual void AppendSecret(const Bytes& line, std::size_t /*keyBytes*/) { Append(line); }
};

// The settings fields of the window, read as CP1250 text at the moment they are needed.
enum class TSetting {
    GatewayAddress, // Edit1
    Postage,        // Edit2
    Packing,        // Edit3
    CompanyName,    // Edit4
    CompanyId,      // Edit5
    TaxId,          // Edit6
};

class ISettings {
public:
    virtual ~ISettings() = default;
    virtual Bytes Text(TSetting field) = 0;
};

// Sends `data` as one datagram to host:port. The real transport makes a fresh endpoint bound
// to local port 2000 for every datagram; faults of the endpoint pass on to the caller.
class ITransport {
public:
    virtual ~ITransport() = default;
    virtual void Send(const std::string& host, int port, const Bytes& data) = 0;
};

} // namespace velkor
