// What the fuzz harnesses share: a check that aborts (so that the fuzzer reports a broken
// property as a crash), the fixed keys every sealed seed is made under, and stand-ins for the
// protocol's seams that neither wait nor touch a socket.
#pragma once

#include "base/Bytes.h"
#include "base/Clock.h"
#include "protocol/Seams.h"
#include "rsa/BuiltInKeyPair.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace velkor::fuzz {

// Aborts with the property's name when it does not hold.
inline void Check(bool ok, const char* property) {
    if (!ok) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}

inline Bytes Input(const std::uint8_t* data, std::size_t size) {
    return size == 0 ? Bytes() : BytesOf(data, size);
}

// The merchant's pair stands in for every party's pair: the fuzzed paths do not depend on whose
// key it is, and one fixed pair keeps the seeds valid from run to run.
inline const Bytes& FixedPublicKey() {
    static const Bytes key(kBuiltInPublicKey);
    return key;
}
inline const Bytes& FixedPrivateKey() {
    static const Bytes key(kBuiltInPrivateKey);
    return key;
}

// Symmetric keys of 24 characters with values 0 to 254, as the peers make them.
inline const Bytes& FixedCustomerSymmetricKey() {
    static const Bytes key("C\x01\x7f\xfe\x00\x80 customer key \x10\x20\x30\x40\x50", 24);
    return key;
}
inline const Bytes& FixedGatewaySymmetricKey() {
    static const Bytes key("G\x02\x7e\xfd\x00\x81 gateway key  \x11\x21\x31\x41\x51", 24);
    return key;
}

// The payment block the customer seals for the gateway: the merchant forwards it unread.
inline const Bytes& FixedPaymentBlock() {
    static const Bytes block("5041594D454E54424C4F434B");
    return block;
}

// Silent, unless VELKOR_FUZZ_LOG is set: then a replay shows how far each input got.
class QuietLog final : public ILog {
public:
    void Append(const Bytes& line) override {
        ++Lines;
        if (FShow) std::fprintf(stderr, "log: %s\n", line.c_str());
    }
    std::size_t Lines = 0;

private:
    bool FShow = std::getenv("VELKOR_FUZZ_LOG") != nullptr;
};

class FixedSettings final : public ISettings {
public:
    Bytes Text(TSetting field) override {
        switch (field) {
        case TSetting::Postage:
            return "123";
        case TSetting::Packing:
            return "85";
        case TSetting::CompanyName:
            return "Kramtex a.s.";
        case TSetting::CompanyId:
            return "12345678";
        case TSetting::TaxId:
            return "987654321";
        default:
            return "127.0.0.1";
        }
    }
};

class NoWaitClock final : public IClock {
public:
    TDateTimeParts Now() override { return {2026, 12, 6, 14, 5, 9, 0}; }
    TDateTimeParts UtcNow() override { return {2026, 12, 6, 13, 5, 9, 0}; }
    std::uint64_t PerformanceCounter() override { return 0; }
    void Sleep(int) override {}
};

// Counts what would have been sent.
class CountingTransport final : public ITransport {
public:
    void Send(const std::string&, int, const Bytes&) override { ++Sent; }
    std::size_t Sent = 0;
};

} // namespace velkor::fuzz
