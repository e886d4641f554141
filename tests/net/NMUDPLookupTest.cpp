// Host-name lookups of the UDP endpoint: when one starts, the one retry that OnInvalidHost may
// ask for, events processed while waiting, and a wait ended by cancelling or destroying the
// endpoint. A scripted resolver stands in for the name service; "localhost" takes the real one.
#include "net/NMUDP.h"
#include "net/PollEventLoop.h"

#include "UdpPeer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace velkor {
namespace {

using namespace std::chrono_literals;
using test::UdpPeer;

const THostLookupResult kLoopback{true, htonl(INADDR_LOOPBACK)};
const THostLookupResult kFailed{false, 0};

// Answers lookups from a script (the last answer repeats), optionally holding each one until
// the gate opens. Shared with the worker threads, so it lives as long as any of them.
struct Script {
    std::vector<THostLookupResult> Answers;
    std::atomic<int> Calls{0};
    std::atomic<int> Finished{0};
    std::mutex Mutex;
    std::condition_variable Opened;
    bool Gated = false;
    std::vector<std::string> Names;

    void Open() {
        std::lock_guard<std::mutex> lock(Mutex);
        Gated = false;
        Opened.notify_all();
    }

    static THostResolver Resolver(const std::shared_ptr<Script>& script) {
        return [script](const std::string& name) {
            int call = script->Calls++;
            std::unique_lock<std::mutex> lock(script->Mutex);
            script->Names.push_back(name);
            script->Opened.wait(lock, [&] { return !script->Gated; });
            auto index =
                std::min<std::size_t>(static_cast<std::size_t>(call), script->Answers.size() - 1);
            THostLookupResult answer = script->Answers[index];
            ++script->Finished;
            return answer;
        };
    }
};

std::shared_ptr<Script> Answering(std::vector<THostLookupResult> answers, bool gated = false) {
    auto s = std::make_shared<Script>();
    s->Answers = std::move(answers);
    s->Gated = gated;
    return s;
}

// Waits for a worker thread's progress, which no loop event announces.
bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 2000 && !done(); ++i) std::this_thread::sleep_for(1ms);
    return done();
}

std::string SendFault(TNMUDP& endpoint, const Bytes& data) {
    TMemoryStream stream(data);
    try {
        endpoint.SendFromStream(&stream);
    } catch (const UDPSockError& e) {
        return e.Message();
    }
    return "";
}

TEST(NMUDPLookup, DottedHostStartsNoLookupAndProcessesNoEvents) {
    PollEventLoop loop;
    UdpPeer peer;
    TNMUDP endpoint(nullptr, loop);
    auto script = Answering({kLoopback});
    endpoint.SetResolver(Script::Resolver(script));
    endpoint.SetRemotePort(peer.Port());

    bool posted = false;
    loop.Post([&] { posted = true; });
    endpoint.SetRemoteHost("127.0.0.1");
    EXPECT_EQ(SendFault(endpoint, "dotted"), "");
    EXPECT_FALSE(posted);
    EXPECT_EQ(script->Calls, 0);
    ASSERT_TRUE(peer.Receive());

    // A name is looked up, and the wait runs what is pending.
    endpoint.SetRemoteHost("shop.test");
    EXPECT_EQ(SendFault(endpoint, "named"), "");
    EXPECT_TRUE(posted);
    EXPECT_EQ(script->Calls, 1);
    EXPECT_EQ(script->Names, std::vector<std::string>{"shop.test"});
    auto got = peer.Receive();
    ASSERT_TRUE(got);
    EXPECT_EQ(got->Data, "named");
}

TEST(NMUDPLookup, NameOfTheLongestAllowedLengthIsLookedUpWhole) {
    PollEventLoop loop;
    UdpPeer peer;
    TNMUDP endpoint(nullptr, loop);
    auto script = Answering({kLoopback});
    endpoint.SetResolver(Script::Resolver(script));
    const std::string name(TNMUDP::kMaxHostName, 'n');
    endpoint.SetRemoteHost(name);
    endpoint.SetRemotePort(peer.Port());
    EXPECT_EQ(SendFault(endpoint, "long name"), "");
    EXPECT_EQ(script->Names, std::vector<std::string>{name});
    ASSERT_TRUE(peer.Receive());
}

TEST(NMUDPLookup, LocalhostResolvesThroughTheSystem) {
    PollEventLoop loop;
    UdpPeer peer;
    TNMUDP endpoint(nullptr, loop);
    endpoint.SetRemoteHost("localhost");
    endpoint.SetRemotePort(peer.Port());
    EXPECT_EQ(SendFault(endpoint, "via /etc/hosts"), "");
    auto got = peer.Receive();
    ASSERT_TRUE(got);
    EXPECT_EQ(got->Data, "via /etc/hosts");
    EXPECT_TRUE(TNMUDP::SystemResolve("localhost").Succeeded);
    EXPECT_FALSE(TNMUDP::SystemResolve("").Succeeded);
}

struct InvalidHostCase {
    const char* Name;
    std::vector<THostLookupResult> Answers;
    bool HandlerAssigned;
    bool Handles;
    int Lookups, HandlerCalls;
    bool Sent;
};

class NMUDPInvalidHost : public testing::TestWithParam<InvalidHostCase> {};

TEST_P(NMUDPInvalidHost, AHandledFailureIsLookedUpOnceMore) {
    const InvalidHostCase& c = GetParam();
    PollEventLoop loop;
    UdpPeer peer;
    TNMUDP endpoint(nullptr, loop);
    auto script = Answering(c.Answers);
    endpoint.SetResolver(Script::Resolver(script));
    endpoint.SetRemoteHost("gate.test");
    endpoint.SetRemotePort(peer.Port());
    int handlerCalls = 0;
    if (c.HandlerAssigned)
        endpoint.OnInvalidHost = [&](bool& handled) {
            EXPECT_FALSE(handled);
            ++handlerCalls;
            handled = c.Handles;
        };
    std::string fault = SendFault(endpoint, "payload");
    EXPECT_EQ(fault, c.Sent ? "" : "Host Lookup Canceled");
    EXPECT_EQ(script->Calls, c.Lookups);
    EXPECT_EQ(handlerCalls, c.HandlerCalls);
    EXPECT_EQ(script->Names,
              std::vector<std::string>(static_cast<std::size_t>(c.Lookups), "gate.test"));
    auto got = peer.Receive(c.Sent ? 2000ms : 30ms);
    EXPECT_EQ(got.has_value(), c.Sent);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NMUDPInvalidHost,
    testing::Values(InvalidHostCase{"NoHandler", {kFailed}, false, false, 1, 0, false},
                    InvalidHostCase{"HandlerDeclines", {kFailed}, true, false, 1, 1, false},
                    InvalidHostCase{"FailsTwice", {kFailed}, true, true, 2, 1, false},
                    InvalidHostCase{"SecondSucceeds", {kFailed, kLoopback}, true, true, 2, 1, true},
                    InvalidHostCase{"FirstSucceeds", {kLoopback}, true, true, 1, 0, true}),
    [](const auto& p) { return std::string(p.param.Name); });

TEST(NMUDPLookup, NameResolvingToZeroIsANullRemoteAddress) {
    PollEventLoop loop;
    TNMUDP endpoint(nullptr, loop);
    endpoint.SetResolver(Script::Resolver(Answering({{true, 0}})));
    endpoint.SetRemoteHost("nowhere.test");
    int sends = 0;
    endpoint.OnDataSend = [&](TComponent*) { ++sends; };
    EXPECT_EQ(SendFault(endpoint, "x"), "Null Remote Address");
    EXPECT_EQ(sends, 0);
}

TEST(NMUDPLookup, OtherEndpointsReceiveWhileASendWaits) {
    PollEventLoop loop;
    UdpPeer peer;
    TNMUDP listener(nullptr, loop);
    listener.SetLocalPort(0);
    auto script = Answering({kLoopback}, true);
    std::vector<std::string> events;
    listener.OnDataReceived = [&](TComponent*, int, const std::string&) {
        events.push_back("received");
        script->Open(); // the lookup can only end after this handler ran
    };
    peer.SendTo(listener.BoundPort(), "meanwhile");

    TNMUDP sender(nullptr, loop);
    sender.SetResolver(Script::Resolver(script));
    sender.SetRemoteHost("slow.test");
    sender.SetRemotePort(peer.Port());
    sender.OnDataSend = [&](TComponent*) { events.push_back("sent"); };
    EXPECT_EQ(SendFault(sender, "late"), "");
    EXPECT_EQ(events, (std::vector<std::string>{"received", "sent"}));
    auto got = peer.Receive();
    ASSERT_TRUE(got);
    EXPECT_EQ(got->Data, "late");
}

TEST(NMUDPLookup, CancelLookupEndsTheWait) {
    PollEventLoop loop;
    UdpPeer peer;
    TNMUDP endpoint(nullptr, loop);
    auto script = Answering({kLoopback}, true);
    endpoint.SetResolver(Script::Resolver(script));
    endpoint.SetRemoteHost("slow.test");
    endpoint.SetRemotePort(peer.Port());
    loop.Post([&] { endpoint.CancelLookup(); });
    EXPECT_EQ(SendFault(endpoint, "x"), "Host Lookup Canceled");
    EXPECT_FALSE(peer.Receive(30ms));

    // The late answer is harmless, and the next send is not cancelled by the old request.
    script->Open();
    ASSERT_TRUE(WaitFor([&] { return script->Finished == 1; }));
    loop.ProcessEventsFor(20ms);
    EXPECT_EQ(SendFault(endpoint, "again"), "");
    auto got = peer.Receive();
    ASSERT_TRUE(got);
    EXPECT_EQ(got->Data, "again");
}

TEST(NMUDPLookup, DestroyingTheEndpointDuringTheWaitCancelsTheSend) {
    PollEventLoop loop;
    UdpPeer peer;
    auto* endpoint = new TNMUDP(nullptr, loop);
    auto script = Answering({kLoopback}, true);
    endpoint->SetResolver(Script::Resolver(script));
    endpoint->SetRemoteHost("slow.test");
    endpoint->SetRemotePort(peer.Port());
    loop.Post([&] {
        delete endpoint;
        script->Open();
    });
    EXPECT_EQ(SendFault(*endpoint, "x"), "Host Lookup Canceled");
    EXPECT_FALSE(peer.Receive(30ms));

    // The lookup ends after its endpoint; it posts nothing to the loop.
    ASSERT_TRUE(WaitFor([&] { return script->Finished == 1; }));
    EXPECT_FALSE(loop.ProcessEventsFor(50ms));
}

} // namespace
} // namespace velkor
