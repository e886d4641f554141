// The UDP endpoint over loopback: receiving (lengths, sender, every byte value, datagrams that
// do not fit, pending socket errors), sending and its refusals, shared ports, socket errors,
// and building the endpoint from a form description. A socket that cannot be made, and the
// status texts that reports, are in NMUDPDescriptorTest.cpp.
#include "net/NMUDP.h"
#include "net/PollEventLoop.h"

#include "UdpPeer.h"
#include "base/Format.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <netinet/in.h>
#include <vector>

namespace velkor {
namespace {

using namespace std::chrono_literals;
using test::UdpPeer;

struct Arrival {
    int NumberBytes = 0;
    std::string FromIP;
    Bytes Data;
    bool operator==(const Arrival&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Arrival& a) {
    return os << "{" << a.NumberBytes << ", " << a.FromIP << ", " << a.Data.size() << " bytes}";
}

// An endpoint on an ephemeral port that keeps every arrival, read out as the window does.
struct Listener {
    TNMUDP Endpoint;
    std::vector<Arrival> Arrivals;

    explicit Listener(IEventLoop& loop) : Endpoint(nullptr, loop) {
        Endpoint.SetLocalPort(0);
        Endpoint.OnDataReceived = [this](TComponent* sender, int numberBytes,
                                         const std::string& fromIP) {
            EXPECT_EQ(sender, &Endpoint);
            TMemoryStream stream;
            Endpoint.ReadIntoStream(&stream);
            Arrivals.push_back({numberBytes, fromIP, stream.Data()});
        };
    }
    int Port() const { return Endpoint.BoundPort(); }
};

void Send(TNMUDP& endpoint, const Bytes& data) {
    TMemoryStream stream(data);
    endpoint.SendFromStream(&stream);
}

class TForm : public TComponent {
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TForm1"; }
};

// --- Receiving -------------------------------------------------------------------------------

TEST(NMUDPReceive, DatagramArrivesWithLengthSenderAndEveryByteValue) {
    PollEventLoop loop;
    Listener listener(loop);
    UdpPeer peer;
    const Bytes payload = test::AllByteValues();
    peer.SendTo(listener.Port(), payload);
    ASSERT_TRUE(loop.RunUntil([&] { return !listener.Arrivals.empty(); }, 2s));
    EXPECT_EQ(listener.Arrivals[0], (Arrival{256, "127.0.0.1", payload}));
    EXPECT_EQ(listener.Endpoint.LastLength(), 256);

    // ReadIntoStream writes at the stream's position and rewinds it.
    TMemoryStream stream(Bytes("AB"));
    stream.SetPosition(2);
    listener.Endpoint.ReadIntoStream(&stream);
    EXPECT_EQ(stream.Data(), "AB" + payload);
    EXPECT_EQ(stream.Position(), 0);
    EXPECT_THROW(listener.Endpoint.ReadIntoStream(nullptr), Exception);
}

TEST(NMUDPReceive, EndpointToEndpointAtExactlyTheBufferSize) {
    PollEventLoop loop;
    Listener listener(loop);
    TNMUDP sender(nullptr, loop);
    EXPECT_EQ(sender.BoundPort(), 0); // creation makes the socket but binds nothing
    TComponent* sentBy = nullptr;
    sender.OnDataSend = [&](TComponent* s) { sentBy = s; };
    sender.SetRemoteHost("127.0.0.1");
    sender.SetRemotePort(listener.Port());

    Bytes payload;
    for (std::size_t i = 0; i < TNMUDP::kBufferSize; ++i) payload += static_cast<char>(i * 7);
    Send(sender, payload);
    EXPECT_EQ(sentBy, &sender);
    ASSERT_TRUE(loop.RunUntil([&] { return !listener.Arrivals.empty(); }, 2s));
    EXPECT_EQ(listener.Arrivals[0], (Arrival{2048, "127.0.0.1", payload}));
}

TEST(NMUDPReceive, OversizeDatagramIsAFailedReceiveAndTheNextArrivesWhole) {
    PollEventLoop loop;
    Listener listener(loop);
    UdpPeer peer;
    peer.SendTo(listener.Port(), Bytes(3000, 'x'));
    peer.SendTo(listener.Port(), Bytes("next\0!", 6));
    ASSERT_TRUE(loop.RunUntil([&] { return listener.Arrivals.size() == 2; }, 2s));
    EXPECT_LT(listener.Arrivals[0].NumberBytes, 0);
    EXPECT_EQ(listener.Arrivals[0].FromIP, "127.0.0.1");
    EXPECT_EQ(listener.Arrivals[0].Data, ""); // nothing of the cut datagram is handed on
    EXPECT_EQ(listener.Arrivals[1], (Arrival{6, "127.0.0.1", Bytes("next\0!", 6)}));
}

TEST(NMUDPReceive, UnassignedHandlerStillDrainsTheDatagram) {
    PollEventLoop loop;
    Listener listener(loop);
    auto handler = std::move(listener.Endpoint.OnDataReceived);
    listener.Endpoint.OnDataReceived = nullptr;
    UdpPeer peer;
    peer.SendTo(listener.Port(), "first");
    ASSERT_TRUE(loop.RunUntil([&] { return listener.Endpoint.LastLength() == 5; }, 2s));

    listener.Endpoint.OnDataReceived = handler;
    peer.SendTo(listener.Port(), "second");
    ASSERT_TRUE(loop.RunUntil([&] { return !listener.Arrivals.empty(); }, 2s));
    EXPECT_FALSE(loop.ProcessEventsFor(30ms));
    ASSERT_EQ(listener.Arrivals.size(), 1u);
    EXPECT_EQ(listener.Arrivals[0].Data, "second");
}

// A send to a port nobody listens on comes back as ICMP port unreachable. Linux hands that to
// a connected socket, and to any socket with IP_RECVERR, as a pending error on the next receive.
struct PendingErrorCase {
    const char* Name;
    bool Connect;
};

class NMUDPPendingError : public testing::TestWithParam<PendingErrorCase> {};

TEST_P(NMUDPPendingError, IsReportedOnceAndReceivingGoesOn) {
    PollEventLoop loop;
    Listener listener(loop);
    // Disconnecting gives up a port the system chose, so this one is chosen here.
    listener.Endpoint.SetLocalPort(UdpPeer::ClosedPort());
    const int fd = listener.Endpoint.SocketHandle();
    const int closedPort = UdpPeer::ClosedPort();
    if (GetParam().Connect) {
        sockaddr_in to = UdpPeer::Loopback(closedPort);
        ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to), 0);
    } else {
        int on = 1;
        ASSERT_EQ(::setsockopt(fd, IPPROTO_IP, IP_RECVERR, &on, sizeof on), 0);
    }
    listener.Endpoint.SetRemoteHost("127.0.0.1");
    listener.Endpoint.SetRemotePort(closedPort);
    Send(listener.Endpoint, "to nobody");
    ASSERT_TRUE(loop.RunUntil([&] { return !listener.Arrivals.empty(); }, 2s));
    EXPECT_LT(listener.Arrivals[0].NumberBytes, 0);
    EXPECT_EQ(listener.Arrivals[0].Data, "");
    EXPECT_EQ(listener.Endpoint.LastErrorNo(), ECONNREFUSED);
    // Once: the error does not keep the loop awake.
    EXPECT_FALSE(loop.ProcessEventsFor(50ms));
    EXPECT_EQ(listener.Arrivals.size(), 1u);

    if (GetParam().Connect) {
        sockaddr_in none{};
        none.sin_family = AF_UNSPEC;
        ::connect(fd, reinterpret_cast<const sockaddr*>(&none), sizeof none);
    }
    UdpPeer peer;
    peer.SendTo(listener.Port(), "after");
    ASSERT_TRUE(loop.RunUntil([&] { return listener.Arrivals.size() == 2; }, 2s));
    EXPECT_EQ(listener.Arrivals[1], (Arrival{5, "127.0.0.1", "after"}));
}

INSTANTIATE_TEST_SUITE_P(Sockets, NMUDPPendingError,
                         testing::Values(PendingErrorCase{"Connected", true},
                                         PendingErrorCase{"RecvErr", false}),
                         [](const auto& p) { return std::string(p.param.Name); });

TEST(NMUDPReceive, TwoEndpointsOnOnePortOnlyTheFirstReceivesTheSecondStillSends) {
    PollEventLoop loop;
    Listener first(loop);
    const int port = first.Port();
    Listener second(loop);
    second.Endpoint.SetLocalPort(port); // the bind fails, silently
    EXPECT_EQ(second.Endpoint.LocalPort(), port);
    EXPECT_EQ(second.Endpoint.BoundPort(), 0);

    UdpPeer peer;
    peer.SendTo(port, "to the port");
    ASSERT_TRUE(loop.RunUntil([&] { return !first.Arrivals.empty(); }, 2s));
    EXPECT_FALSE(loop.ProcessEventsFor(30ms));
    EXPECT_EQ(first.Arrivals.size(), 1u);
    EXPECT_TRUE(second.Arrivals.empty());

    second.Endpoint.SetRemoteHost("127.0.0.1");
    second.Endpoint.SetRemotePort(peer.Port());
    Send(second.Endpoint, "from the second");
    auto got = peer.Receive();
    ASSERT_TRUE(got);
    EXPECT_EQ(got->Data, "from the second");
    EXPECT_NE(got->FromPort, port); // left from a port the system chose
    EXPECT_NE(got->FromPort, 0);
}

TEST(NMUDPReceive, HandlerMayDestroyItsEndpoint) {
    PollEventLoop loop;
    auto* endpoint = new TNMUDP(nullptr, loop);
    endpoint->SetLocalPort(0);
    int calls = 0;
    endpoint->OnDataReceived = [&](TComponent* sender, int, const std::string&) {
        ++calls;
        delete sender;
    };
    UdpPeer peer;
    peer.SendTo(endpoint->BoundPort(), "one");
    peer.SendTo(endpoint->BoundPort(), "two");
    ASSERT_TRUE(loop.RunUntil([&] { return calls == 1; }, 2s));
    EXPECT_FALSE(loop.ProcessEventsFor(30ms));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(loop.WatchCount(), 0u);
}

// --- Sending ---------------------------------------------------------------------------------

struct SendFaultCase {
    const char* Name;
    Bytes Content;
    std::function<void(TNMUDP&, int& handlerCalls)> Setup;
    bool General; // a plain Exception rather than UDPSockError
    const char* Message;
    int HandlerCalls = 0; // of the handler or resolver that Setup installs
};

const Bytes kHello = "hello";

const SendFaultCase kSendFaults[] = {
    {"EmptyStreamNoHandler", "", nullptr, true, "Invalid stream"},
    {"EmptyStreamHandlerDeclines", "",
     [](TNMUDP& e, int& calls) { e.OnStreamInvalid = [&calls](bool&, TStream*) { ++calls; }; },
     true, "Invalid stream", 1},
    {"EmptyStreamHandledButLeftEmpty", "",
     [](TNMUDP& e, int& calls) {
         e.OnStreamInvalid = [&calls](bool& handled, TStream*) {
             ++calls;
             handled = true;
         };
     },
     true, "Invalid stream", 1},
    {"NullAddress", kHello, [](TNMUDP& e, int&) { e.SetRemoteHost("0.0.0.0"); }, false,
     "Null Remote Address"},
    {"HostNameTooLong", kHello,
     [](TNMUDP& e, int& calls) {
         e.SetRemoteHost(std::string(128, 'a'));
         e.SetResolver([&calls](const std::string&) {
             ++calls;
             return THostLookupResult{true, htonl(INADDR_LOOPBACK)};
         });
     },
     false, "Host name too long"},
    {"StreamTooLarge", Bytes(TNMUDP::kBufferSize + 1, 'z'), nullptr, false,
     "Stream too large for one datagram"},
    {"RemotePortTooLarge", kHello, [](TNMUDP& e, int&) { e.SetRemotePort(65536); }, false,
     "Invalid Remote Port"},
    {"RemotePortNegative", kHello, [](TNMUDP& e, int&) { e.SetRemotePort(-1); }, false,
     "Invalid Remote Port"},
    // A protocol reply to an address that was never set: the lookup of "" fails.
    {"EmptyRemoteHost", kHello, [](TNMUDP& e, int&) { e.SetRemoteHost(""); }, false,
     "Host Lookup Canceled"},
    // Not the dotted address before the NUL: the whole name is what must be found.
    {"NulInsideHost", kHello, [](TNMUDP& e, int&) { e.SetRemoteHost(Bytes("127.0.0.1\0x", 11)); },
     false, "Host Lookup Canceled"},
};

class NMUDPSendFault : public testing::TestWithParam<SendFaultCase> {};

TEST_P(NMUDPSendFault, RaisesBeforeAnythingLeavesAndTheEndpointStaysUsable) {
    const SendFaultCase& c = GetParam();
    PollEventLoop loop;
    UdpPeer peer;
    TNMUDP endpoint(nullptr, loop);
    endpoint.SetRemoteHost("127.0.0.1");
    endpoint.SetRemotePort(peer.Port());
    int sends = 0, handlerCalls = 0;
    endpoint.OnDataSend = [&](TComponent*) { ++sends; };
    if (c.Setup) c.Setup(endpoint, handlerCalls);

    TMemoryStream stream(c.Content);
    bool general = false;
    std::string message;
    try {
        endpoint.SendFromStream(&stream);
        ADD_FAILURE() << "no fault";
    } catch (const UDPSockError& e) {
        message = e.Message();
    } catch (const Exception& e) {
        general = true;
        message = e.Message();
    }
    EXPECT_EQ(message, c.Message);
    EXPECT_EQ(general, c.General);
    EXPECT_EQ(sends, 0);
    EXPECT_FALSE(peer.Receive(30ms));
    EXPECT_EQ(stream.Data(), c.Content);
    EXPECT_EQ(handlerCalls, c.HandlerCalls);

    endpoint.SetRemoteHost("127.0.0.1");
    endpoint.SetRemotePort(peer.Port());
    Send(endpoint, "after");
    auto got = peer.Receive();
    ASSERT_TRUE(got);
    EXPECT_EQ(got->Data, "after");
}

INSTANTIATE_TEST_SUITE_P(Faults, NMUDPSendFault, testing::ValuesIn(kSendFaults),
                         [](const auto& p) { return std::string(p.param.Name); });

TEST(NMUDPSend, NullStreamIsAnInvalidStream) {
    PollEventLoop loop;
    TNMUDP endpoint(nullptr, loop);
    endpoint.SetRemoteHost("127.0.0.1");
    try {
        endpoint.SendFromStream(nullptr);
        ADD_FAILURE() << "no fault";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Invalid stream");
    }
}

TEST(NMUDPSend, StreamInvalidHandlerFillsTheStream) {
    PollEventLoop loop;
    UdpPeer peer;
    TNMUDP endpoint(nullptr, loop);
    endpoint.SetRemoteHost("127.0.0.1");
    endpoint.SetRemotePort(peer.Port());
    TStream* offered = nullptr;
    endpoint.OnStreamInvalid = [&](bool& handled, TStream* stream) {
        offered = stream;
        stream->WriteBuffer("filled\0in", 9); // leaves the position at the end
        handled = true;
    };
    TMemoryStream stream;
    endpoint.SendFromStream(&stream);
    EXPECT_EQ(offered, &stream);
    auto got = peer.Receive();
    ASSERT_TRUE(got);
    EXPECT_EQ(got->Data, Bytes("filled\0in", 9));
}

TEST(NMUDPSend, RemotePortNeverSetSendsToPortZeroWithoutFault) {
    PollEventLoop loop;
    TNMUDP endpoint(nullptr, loop);
    endpoint.SetRemoteHost("127.0.0.1");
    EXPECT_EQ(endpoint.RemotePort(), 0);
    int sends = 0;
    endpoint.OnDataSend = [&](TComponent*) { ++sends; };
    EXPECT_NO_THROW(Send(endpoint, "to port zero"));
    EXPECT_EQ(sends, 1);
}

// --- Socket errors ----------------------------------------------------------

TEST(NMUDPSocketError, ErrorsCarryingTheWholeMaskAreIgnored) {
    PollEventLoop loop;
    TNMUDP endpoint(nullptr, loop);
    int reported = 0;
    endpoint.OnSocketError = [&](TComponent*, int, const std::string&) { ++reported; };
    struct Case {
        int Error;
        bool Raised;
    };
    for (Case c : {Case{10035, false}, Case{10035 | 0x10000, false}, Case{EMFILE, true},
                   Case{10035 & ~1, true}}) {
        SCOPED_TRACE(c.Error);
        std::string message = c.Raised ? "" : "stale";
        errno = c.Error;
        if (c.Raised) {
            EXPECT_THROW(endpoint.CheckSocketError(10035, message), UDPSockError);
            EXPECT_EQ(message, Format("Unknown Error No. %d", {c.Error}));
        } else {
            EXPECT_NO_THROW(endpoint.CheckSocketError(10035, message));
            EXPECT_EQ(message, "");
        }
        EXPECT_EQ(endpoint.LastErrorNo(), c.Error);
    }
    EXPECT_EQ(reported, 2);
}

TEST(NMUDPSocketError, LookUpErrorTextFillsOnlyAnEmptyMessageForAnError) {
    PollEventLoop loop;
    TNMUDP endpoint(nullptr, loop);
    endpoint.SetReportLevel(8);
    struct Case {
        int Number;
        std::string Given, Expected;
    };
    for (const Case& c : {Case{42, "", "Unknown Error No. 42"}, Case{42, "kept", "kept"},
                          Case{0, "", ""}, Case{-3, "", "Unknown Error No. -3"}}) {
        std::string message = c.Given;
        endpoint.LookUpErrorText(c.Number, message);
        EXPECT_EQ(message, c.Expected);
        EXPECT_EQ(endpoint.LastStatus(), "Looking Up Error Message" + c.Expected);
    }
}

// --- Form description ------------------------------------------------------------------------

TEST(NMUDPStreaming, FormDescriptionBindsAndArmsTheEndpoint) {
    PollEventLoop loop;
    TForm form(nullptr);
    form.SetName("Form1");
    auto* udp = new TNMUDP(&form, loop);
    udp->SetName("NMUDP1");
    const int port = UdpPeer::ClosedPort();
    ReadComponentText(form, "object Form1: TForm1\n"
                            "  object NMUDP1: TNMUDP\n"
                            "    RemoteHost = 'gate.example'\n"
                            "    LocalPort = " +
                                std::to_string(port) +
                                "\n"
                                "    RemotePort = 0\n"
                                "    ReportLevel = 1\n"
                                "  end\n"
                                "end\n");
    EXPECT_EQ(udp->LocalPort(), port);
    EXPECT_EQ(udp->BoundPort(), port);
    EXPECT_EQ(udp->RemoteHost(), "gate.example");
    EXPECT_EQ(loop.WatchCount(), 1u); // armed once, although Loaded ran twice

    std::vector<int> lengths;
    udp->OnDataReceived = [&](TComponent*, int n, const std::string&) { lengths.push_back(n); };
    UdpPeer peer;
    peer.SendTo(port, "0100");
    ASSERT_TRUE(loop.RunUntil([&] { return !lengths.empty(); }, 2s));
    EXPECT_FALSE(loop.ProcessEventsFor(30ms));
    EXPECT_EQ(lengths, std::vector<int>{4});

    EXPECT_EQ(WriteComponentText(form), "object Form1: TForm1\n"
                                        "  object NMUDP1: TNMUDP\n"
                                        "    RemoteHost = 'gate.example'\n"
                                        "    RemotePort = 0\n"
                                        "    LocalPort = " +
                                            std::to_string(port) +
                                            "\n"
                                            "    ReportLevel = 1\n"
                                            "  end\n"
                                            "end\n");
}

TEST(NMUDPStreaming, BadValuesAreRefusedAndChangeNothing) {
    PollEventLoop loop;
    TForm form(nullptr);
    form.SetName("Form1");
    auto* udp = new TNMUDP(&form, loop);
    udp->SetName("NMUDP1");
    udp->SetRemotePort(7);
    for (const char* line : {"RemotePort = 'seven'", "RemoteHost = 12", "ReportLevel = Big",
                             "RemotePort = 99999999999", "Colour = 3"}) {
        SCOPED_TRACE(line);
        EXPECT_THROW(ReadComponentText(form, std::string("object Form1: TForm1\n"
                                                         "  object NMUDP1: TNMUDP\n    ") +
                                                 line + "\n  end\nend\n"),
                     Exception);
        EXPECT_EQ(udp->RemotePort(), 7);
        EXPECT_EQ(udp->RemoteHost(), "");
        EXPECT_EQ(udp->ReportLevel(), 1);
    }
}

} // namespace
} // namespace velkor
