// What one datagram costs through the endpoint and the poll() loop over loopback: a send from
// a fresh-socket endpoint to a listening one, and the hand-over of a posted task between threads.
#include "net/NMUDP.h"
#include "net/PollEventLoop.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

namespace velkor {
namespace {

using namespace std::chrono_literals;

void BM_DatagramRoundTrip(benchmark::State& state) {
    PollEventLoop loop;
    TNMUDP listener(nullptr, loop);
    listener.SetLocalPort(0);
    int received = 0;
    listener.OnDataReceived = [&](TComponent*, int, const std::string&) {
        TMemoryStream stream;
        listener.ReadIntoStream(&stream);
        ++received;
    };
    TNMUDP sender(nullptr, loop);
    sender.SetRemoteHost("127.0.0.1");
    sender.SetRemotePort(listener.BoundPort());
    const Bytes payload(static_cast<std::size_t>(state.range(0)), 'A');
    for (auto _ : state) {
        TMemoryStream stream(payload);
        sender.SendFromStream(&stream);
        int expected = received + 1;
        if (!loop.RunUntil([&] { return received == expected; }, 1s)) {
            state.SkipWithError("datagram lost");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DatagramRoundTrip)->Arg(64)->Arg(2048);

// The merchant's way: every send gets an endpoint of its own, bound to a port.
void BM_FreshEndpointSend(benchmark::State& state) {
    PollEventLoop loop;
    TNMUDP listener(nullptr, loop);
    listener.SetLocalPort(0);
    int received = 0;
    listener.OnDataReceived = [&](TComponent*, int, const std::string&) { ++received; };
    for (auto _ : state) {
        {
            TNMUDP sender(nullptr, loop);
            sender.SetRemoteHost("127.0.0.1");
            sender.SetLocalPort(0);
            sender.SetRemotePort(listener.BoundPort());
            TMemoryStream stream(Bytes(200, 'F'));
            sender.SendFromStream(&stream);
        }
        int expected = received + 1;
        if (!loop.RunUntil([&] { return received == expected; }, 1s)) {
            state.SkipWithError("datagram lost");
            break;
        }
    }
}
BENCHMARK(BM_FreshEndpointSend);

void BM_PostFromAnotherThread(benchmark::State& state) {
    PollEventLoop loop;
    std::atomic<bool> stop{false};
    std::atomic<long> posted{0};
    std::atomic<long> ran{0};
    std::thread producer([&] {
        while (!stop) {
            if (posted - ran < 1000) {
                loop.Post([&] { ++ran; });
                ++posted;
            } else {
                std::this_thread::yield();
            }
        }
    });
    for (auto _ : state) loop.ProcessEvents(true);
    stop = true;
    producer.join();
    state.counters["tasks"] =
        benchmark::Counter(static_cast<double>(ran.load()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PostFromAnotherThread);

} // namespace
} // namespace velkor
