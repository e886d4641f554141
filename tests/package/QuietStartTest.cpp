// A quiet start: the headless merchant on a machine without a desktop session writes nothing
// on standard error from its start to its end by SIGTERM, whatever arguments it is given, while
// a real fault of Qt's (a runtime folder others may read, a platform that does not exist) still
// reaches standard error. The merchant binds the fixed port 2004.
#include "ChildProcess.h"
#include "TempDir.h"

#include "ui/QuietStart.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velkor::test {
namespace {

using namespace std::chrono_literals;

const std::string kBannerEnd = "   Hotovo , doba generování: ";

// --- the filter ---------------------------------------------------------------------------

struct TNotice {
    QtMsgType Type;
    const char* Category;
    const char* Message;
    bool Dropped;
};

TEST(QuietStart, OnlyTheTwoNoticesOfAHeadlessStartAreDropped) {
    const TNotice notices[] = {
        {QtWarningMsg, "default", "This plugin does not support propagateSizeHints()", true},
        {QtWarningMsg, "default",
         "QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '/tmp/runtime-root'", true},
        {QtWarningMsg, nullptr,
         "QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '/tmp/runtime-u'", true},
        // Faults of the runtime folder that Qt falls back to, or of the one that is set.
        {QtWarningMsg, "default",
         "QStandardPaths: wrong permissions on runtime directory /tmp/r, 0755 instead of 0700",
         false},
        {QtWarningMsg, "default",
         "QStandardPaths: runtime directory '/tmp/runtime-root' is not owned by UID 0, but a "
         "directory permissions 0700 owned by UID 1000 GID 1000",
         false},
        {QtWarningMsg, "default", "QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to ''",
         false},
        // The same texts at another level, in another category, or only in part.
        {QtCriticalMsg, "default", "This plugin does not support propagateSizeHints()", false},
        {QtFatalMsg, "default", "This plugin does not support propagateSizeHints()", false},
        {QtWarningMsg, "qt.qpa.plugin", "This plugin does not support propagateSizeHints()", false},
        {QtWarningMsg, "default", "This plugin does not support propagateSizeHints() twice", false},
        {QtWarningMsg, "default",
         "QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '/tmp/a'\nand more", false},
        {QtWarningMsg, "qt.qpa.plugin", "Could not find the Qt platform plugin \"x\" in \"\"",
         false},
        {QtFatalMsg, "default",
         "This application failed to start because no Qt platform plugin could be initialized.",
         false},
    };
    for (const TNotice& n : notices)
        EXPECT_EQ(IsHarmlessStartNotice(n.Type, n.Category, QString::fromUtf8(n.Message)),
                  n.Dropped)
            << n.Message;
}

// --- the real merchant --------------------------------------------------------------------

// The merchant with nothing of a desktop session: `env -i` with a home of its own, PATH and
// `settings` ("NAME=value"), so that no variable of the test's own session takes part.
std::unique_ptr<ChildProcess> StartFresh(const TempDir& home,
                                         const std::vector<std::string>& settings,
                                         const std::vector<std::string>& args = {}) {
    std::vector<std::string> argv = {"/usr/bin/env", "-i", "HOME=" + home.File(""),
                                     "PATH=/usr/bin:/bin"};
    argv.insert(argv.end(), settings.begin(), settings.end());
    argv.push_back(VELKOR_MERCHANT_BIN);
    argv.insert(argv.end(), args.begin(), args.end());
    return std::make_unique<ChildProcess>("velkor-merchant", argv);
}

bool BannerEnd(const std::string& line) {
    return line.rfind(kBannerEnd, 0) == 0;
}

// Once the banner is out, one datagram of 12 bytes and its arrival line show that the merchant
// runs its event loop, where SIGTERM closes it as "Konec" does.
bool AnswersADatagram(ChildProcess& merchant) {
    int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to = LoopbackAddress(2004);
    const std::string data = "010006414243";
    bool sent =
        fd >= 0 && ::sendto(fd, data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                            sizeof to) == static_cast<ssize_t>(data.size());
    if (fd >= 0) ::close(fd);
    return sent && merchant.WaitForLine("Přijata data od 127.0.0.1, Délka: 12 bajtů", 10s);
}

class QuietStartOfTheMerchant : public ::testing::Test {
protected:
    void SetUp() override {
        std::string taken = FixedPortsTaken();
        if (!taken.empty()) GTEST_FAIL() << taken;
    }
};

TEST_F(QuietStartOfTheMerchant, NothingOnStandardErrorFromStartToSigterm) {
    struct TStart {
        const char* Name;
        std::vector<std::string> Args;
        bool RuntimeDir; // a desktop session's XDG_RUNTIME_DIR (0700)
    };
    const TStart starts[] = {
        {"no session at all", {}, false},
        {"arguments, which it does not read", {"stray", "--no-such-option", "-x"}, false},
        {"a session's runtime folder", {}, true},
    };
    for (const TStart& start : starts) {
        TempDir home;
        std::vector<std::string> settings;
        if (start.RuntimeDir) {
            std::string runtime = home.File("runtime");
            ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
            settings.push_back("XDG_RUNTIME_DIR=" + runtime);
        }
        auto merchant = StartFresh(home, settings, start.Args);
        ASSERT_TRUE(merchant->WaitForLine(BannerEnd, 20s)) << start.Name << merchant->Transcript();
        ASSERT_TRUE(AnswersADatagram(*merchant)) << start.Name << merchant->Transcript();
        EXPECT_EQ(merchant->Terminate(), 0) << start.Name << merchant->Transcript();
        EXPECT_EQ(merchant->ErrorOutput(), "") << start.Name;
    }
}

TEST_F(QuietStartOfTheMerchant, RuntimeFolderThatOthersMayReadIsStillReported) {
    TempDir home;
    std::string runtime = home.File("runtime");
    ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(runtime.c_str(), 0755), 0);
    auto merchant = StartFresh(home, {"XDG_RUNTIME_DIR=" + runtime});
    ASSERT_TRUE(merchant->WaitForLine(BannerEnd, 20s)) << merchant->Transcript();
    ASSERT_TRUE(AnswersADatagram(*merchant)) << merchant->Transcript();
    EXPECT_EQ(merchant->Terminate(), 0) << merchant->Transcript();
    EXPECT_NE(merchant->ErrorOutput().find("wrong permissions on runtime directory " + runtime),
              std::string::npos)
        << merchant->Transcript();
}

TEST_F(QuietStartOfTheMerchant, PlatformThatDoesNotExistIsReportedAndStopsTheStart) {
    TempDir home;
    auto merchant = StartFresh(home, {"QT_QPA_PLATFORM=no-such-platform"});
    std::optional<int> status = merchant->WaitExit(20s);
    ASSERT_TRUE(status) << merchant->Transcript();
    EXPECT_NE(*status, 0);
    EXPECT_FALSE(merchant->WaitForLine(BannerEnd, 0ms)) << merchant->Transcript();
    EXPECT_NE(merchant->ErrorOutput().find("\"no-such-platform\""), std::string::npos)
        << merchant->Transcript();
}

} // namespace
} // namespace velkor::test
