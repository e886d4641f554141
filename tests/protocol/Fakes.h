// Stand-ins for the protocol's seams: a log that keeps its lines, settings with the window's
// defaults, a clock that only counts its sleeps, and a transport that records every datagram.
#pragma once

#include "base/Clock.h"
#include "base/Cp1250.h"
#include "base/Exception.h"
#include "protocol/Seams.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace velkor::test {

class FakeLog final : public ILog {
public:
    void Append(const Bytes& line) override { Lines.push_back(line); }
    void AppendSecret(const Bytes& line, std::size_t keyBytes) override {
        Secrets.emplace_back(line, keyBytes);
        Append(line);
    }
    std::vector<Bytes> Lines;
    // Every secret line with its key size, kept across datagrams.
    std::vector<std::pair<Bytes, std::size_t>> Secrets;
};

class FakeSettings final : public ISettings {
public:
    FakeSettings() {
        Fields[TSetting::GatewayAddress] = "127.0.0.1";
        Fields[TSetting::Postage] = "123";
        Fields[TSetting::Packing] = "85";
        Fields[TSetting::CompanyName] = Cz("Virtuální Kramtex a.s.");
        Fields[TSetting::CompanyId] = "12345678";
        Fields[TSetting::TaxId] = "987654321";
    }
    Bytes Text(TSetting field) override { return Fields[field]; }
    std::map<TSetting, Bytes> Fields;
};

// Its monotonic time moves only when a test steps it or something sleeps.
class FakeClock final : public IClock {
public:
    TDateTimeParts Now() override { return {2026, 12, 6, 14, 5, 9, 0}; }
    TDateTimeParts UtcNow() override { return {2026, 12, 6, 13, 5, 9, 0}; }
    std::uint64_t PerformanceCounter() override { return 0; }
    void Sleep(int milliseconds) override {
        Slept.push_back(milliseconds);
        Monotonic += milliseconds;
    }
    std::int64_t MonotonicMilliseconds() override { return Monotonic; }
    std::vector<int> Slept;
    std::int64_t Monotonic = 1000000;
};

struct Datagram {
    std::string Host;
    int Port = 0;
    Bytes Data;
    std::size_t SleepsBefore = 0; // the clock's sleeps before this datagram left
};

class FakeTransport final : public ITransport {
public:
    explicit FakeTransport(FakeClock& clock) : FClock(clock) {}
    void Send(const std::string& host, int port, const Bytes& data) override {
        if (FailFor.count(host)) throw Exception(FailFor[host]);
        Sent.push_back({host, port, data, FClock.Slept.size()});
    }
    std::vector<Datagram> Sent;
    std::map<std::string, std::string> FailFor; // host -> fault message

private:
    FakeClock& FClock;
};

} // namespace velkor::test
