// The root of every fault the components raise, and the run-time library's general faults.
// A fault carries only its message text (English for components, as the peers and the log
// expect); subclasses exist so that callers and tests can tell the kinds apart.
#pragma once

#include <exception>
#include <string>

namespace velkor {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const std::string& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

// A text that does not convert to a number, or any other conversion refusal.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Stream faults of the run-time library (reading past the end, files that do not open).
class EStreamError : public Exception {
public:
    using Exception::Exception;
};
class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

} // namespace velkor
