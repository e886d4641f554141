// The UDP endpoint when the process has no file descriptor left: the socket that cannot be made
// is reported, leaves nothing behind, and the endpoint recovers once descriptors are free; the
// status texts of that report at each report level.
//
// This is a program of its own. Under the sanitizers, the check of a call's dynamic type needs
// descriptors of its own, and without them it takes a sound object for one with an invalid
// vptr; the sanitizer build therefore compiles this program, and the libraries it runs, without
// that one check (tests/net/CMakeLists.txt).
#include "net/NMUDP.h"
#include "net/PollEventLoop.h"

#include "UdpPeer.h"
#include "base/Format.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/resource.h>
#include <utility>
#include <vector>

namespace velkor {
namespace {

using namespace std::chrono_literals;
using test::UdpPeer;

void Send(TNMUDP& endpoint, const Bytes& data) {
    TMemoryStream stream(data);
    endpoint.SendFromStream(&stream);
}

// Lowers the open-file limit so that the next socket cannot be made, and restores it when it
// goes out of scope.
class NoMoreDescriptors {
public:
    NoMoreDescriptors() {
        ::getrlimit(RLIMIT_NOFILE, &FSaved);
        rlimit low = FSaved;
        low.rlim_cur = 3;
        ::setrlimit(RLIMIT_NOFILE, &low);
    }
    ~NoMoreDescriptors() { ::setrlimit(RLIMIT_NOFILE, &FSaved); }

private:
    rlimit FSaved{};
};

class TForm : public TComponent {
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TForm1"; }
};

const std::string kNoDescriptor = Format("Unknown Error No. %d", {EMFILE});

TEST(NMUDPSocketError, SocketThatCannotBeMadeIsReportedAndTheEndpointRecovers) {
    PollEventLoop loop;
    TNMUDP endpoint(nullptr, loop);
    endpoint.SetLocalPort(0);
    const int oldPort = endpoint.LocalPort();
    std::vector<std::pair<int, std::string>> errors;
    endpoint.OnSocketError = [&](TComponent* sender, int number, const std::string& message) {
        EXPECT_EQ(sender, &endpoint);
        errors.emplace_back(number, message);
    };
    std::string message;
    try {
        NoMoreDescriptors limit;
        endpoint.SetLocalPort(1);
        ADD_FAILURE() << "no fault";
    } catch (const UDPSockError& e) {
        message = e.Message();
    }
    EXPECT_EQ(message, kNoDescriptor);
    EXPECT_EQ(errors, (std::vector<std::pair<int, std::string>>{{EMFILE, kNoDescriptor}}));
    EXPECT_EQ(endpoint.LastErrorNo(), EMFILE);
    EXPECT_EQ(endpoint.SocketHandle(), -1);
    EXPECT_EQ(endpoint.LocalPort(), oldPort);
    EXPECT_EQ(loop.WatchCount(), 0u);

    endpoint.SetLocalPort(0);
    ASSERT_GE(endpoint.SocketHandle(), 0);
    UdpPeer peer;
    peer.SendTo(endpoint.BoundPort(), "back");
    int length = 0;
    endpoint.OnDataReceived = [&](TComponent*, int n, const std::string&) { length = n; };
    EXPECT_TRUE(loop.RunUntil([&] { return length == 4; }, 2s));
}

TEST(NMUDPSocketError, CreationFailureLeavesNothingBehind) {
    PollEventLoop loop;
    TForm owner(nullptr);
    std::string message;
    try {
        NoMoreDescriptors limit;
        new TNMUDP(&owner, loop);
        ADD_FAILURE() << "no fault";
    } catch (const UDPSockError& e) {
        message = e.Message();
    }
    EXPECT_EQ(message, kNoDescriptor);
    EXPECT_EQ(owner.ComponentCount(), 0);
}

struct ReportLevelCase {
    int Level;
    std::vector<std::string> Statuses;
};

class NMUDPReportLevel : public testing::TestWithParam<ReportLevelCase> {};

TEST_P(NMUDPReportLevel, OnlyStatusesAtOrBelowTheLevelAreReported) {
    PollEventLoop loop;
    UdpPeer peer;
    TNMUDP endpoint(nullptr, loop);
    EXPECT_EQ(endpoint.ReportLevel(), 1);
    endpoint.SetReportLevel(GetParam().Level);
    std::vector<std::string> statuses;
    endpoint.OnStatus = [&](TComponent* sender, const std::string& status) {
        EXPECT_EQ(sender, &endpoint);
        statuses.push_back(status);
    };
    {
        NoMoreDescriptors limit;
        EXPECT_THROW(endpoint.SetLocalPort(0), UDPSockError);
    }
    endpoint.SetLocalPort(0);
    endpoint.SetRemoteHost("127.0.0.1");
    endpoint.SetRemotePort(peer.Port());
    Send(endpoint, "x");
    EXPECT_EQ(statuses, GetParam().Statuses);
    EXPECT_EQ(endpoint.LastStatus(), statuses.empty() ? "" : statuses.back());
}

INSTANTIATE_TEST_SUITE_P(
    Levels, NMUDPReportLevel,
    testing::Values(ReportLevelCase{1, {}}, ReportLevelCase{2, {"Sending Data"}},
                    ReportLevelCase{8,
                                    {"Looking Up Error Message" + kNoDescriptor, "Sending Data"}},
                    ReportLevelCase{16,
                                    {"Checking Error In Error Manager",
                                     "Looking Up Error Message" + kNoDescriptor, "Sending Data"}}),
    [](const auto& p) { return "Level" + std::to_string(p.param.Level); });

} // namespace
} // namespace velkor
