// The real merchant program and its standard output: it goes on serving when the reader of its
// output goes away or its folders cannot be written, it makes a key pair of its own at every
// start, and its output masks the secret key lines unless VELKOR_LOG_KEYS=1. The merchant's
// port 2004 and the customer's port 2000 are fixed, so they must be free.
#include "ChildProcess.h"
#include "Keys.h"

#include "hash/StringFormat.h"
#include "protocol/Komunikace.h"
#include "rsa/BuiltInKeyPair.h"
#include "rsa/RSA.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <regex>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace velkor::test {
namespace {

using namespace std::chrono_literals;

const char* const kMerchantBin = VELKOR_MERCHANT_BIN;
const std::string kBannerEnd = "   Hotovo , doba generování: ";

// A customer's socket on UDP port 2000 of the loopback address: sends to the merchant and
// receives its replies.
class CustomerSocket {
public:
    CustomerSocket() {
        FFd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a = LoopbackAddress(2000);
        FBound = FFd >= 0 && ::bind(FFd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    }
    ~CustomerSocket() {
        if (FFd >= 0) ::close(FFd);
    }
    CustomerSocket(const CustomerSocket&) = delete;
    CustomerSocket& operator=(const CustomerSocket&) = delete;

    bool Bound() const { return FBound; }
    bool SendToMerchant(const std::string& data) const {
        sockaddr_in a = LoopbackAddress(2004);
        return ::sendto(FFd, data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&a),
                        sizeof a) == static_cast<ssize_t>(data.size());
    }
    // The next datagram within `timeout`.
    std::optional<std::string> Receive(std::chrono::milliseconds timeout) const {
        pollfd p{FFd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0) return std::nullopt;
        char buffer[4096];
        ssize_t n = ::recv(FFd, buffer, sizeof buffer, 0);
        if (n < 0) return std::nullopt;
        return std::string(buffer, static_cast<std::size_t>(n));
    }
    // Sends a 0x63 with the test customer's key; the merchant's public key from its 0x60.
    std::optional<Bytes> ExchangeKeys() const {
        if (!SendToMerchant(MakeFrame(0x63, ToFormat(CustomerKeys().PublicKey, fmtHEX))))
            return std::nullopt;
        // The merchant waits a second before it sends.
        std::optional<std::string> reply = Receive(5s);
        if (!reply || reply->substr(0, 2) != "60") return std::nullopt;
        return ParsePlainFrame(*reply);
    }

private:
    int FFd = -1;
    bool FBound = false;
};

// True once some socket listens on UDP `port` (read from /proc/net/udp, so that the test never
// holds the port itself), waiting at most `timeout`.
bool WaitForUdpPort(int port, std::chrono::milliseconds timeout) {
    char local[16];
    std::snprintf(local, sizeof local, ":%04X ", port);
    auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        std::ifstream table("/proc/net/udp");
        std::string line;
        while (std::getline(table, line))
            if (line.find(local) != std::string::npos && line.find(local) < 20) return true;
        std::this_thread::sleep_for(50ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

class MerchantOutput : public ::testing::Test {
protected:
    void TearDown() override {
        if (HasFailure() || std::getenv("VELKOR_E2E_SHOW"))
            for (const auto& p : FProcesses) std::cout << p->Transcript();
        FProcesses.clear();
    }

    // The merchant through env(1), which sets the variables in `settings` ("NAME=value", or
    // "-C" and a folder to start in) and leaves the process to the merchant.
    ChildProcess& Start(const std::string& name, const std::vector<std::string>& settings) {
        std::vector<std::string> argv = {"/usr/bin/env"};
        argv.insert(argv.end(), settings.begin(), settings.end());
        argv.push_back(kMerchantBin);
        return StartCommand(name, std::move(argv));
    }
    ChildProcess& StartCommand(const std::string& name, std::vector<std::string> argv) {
        FProcesses.push_back(std::make_unique<ChildProcess>(
            name, std::move(argv),
            std::vector<std::string>{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                                     "VELKOR_LOG_KEYS", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                                     "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}));
        return *FProcesses.back();
    }

    CustomerSocket customer;

private:
    std::vector<std::unique_ptr<ChildProcess>> FProcesses;
};

// Where the output goes or where the program starts must not stop it from serving. The
// reader of the output quits after three lines, as `velkor-merchant | head -3` does; standard
// output is closed from the start; or the working folder and HOME cannot be written.
TEST_F(MerchantOutput, ServesWhateverHappensToItsOutputAndFolders) {
    ASSERT_TRUE(customer.Bound()) << "UDP port 2000 is taken; end what uses it and run again";
    enum class Output { Read, ReaderQuits, Closed };
    struct Case {
        const char* Name;
        std::vector<std::string> Argv;
        Output Out;
    };
    // /proc takes no new files, whoever asks.
    const Case cases[] = {
        {"reader quits after three lines", {kMerchantBin}, Output::ReaderQuits},
        {"standard output closed",
         {"/bin/sh", "-c", "exec \"$0\" >&-", kMerchantBin},
         Output::Closed},
        {"unwritable folders",
         {"/usr/bin/env", "-C", "/proc", "HOME=/proc", kMerchantBin},
         Output::Read},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ChildProcess& merchant = StartCommand(c.Name, c.Argv);
        if (c.Out == Output::Closed)
            ASSERT_TRUE(WaitForUdpPort(2004, 15s));
        else
            ASSERT_TRUE(merchant.WaitForLine([](const std::string&) { return true; }, 15s, 2));
        if (c.Out == Output::ReaderQuits) merchant.CloseOutput();
        // Each 0x63 writes log lines, which fail once the reader has gone; the replies come.
        for (int round = 0; round < 2; ++round) {
            std::optional<Bytes> key = customer.ExchangeKeys();
            ASSERT_TRUE(key) << "no 0x60 in round " << round;
            EXPECT_EQ(key->size(), 93u);
        }
        const std::string failed = "velkor-merchant: standard output failed";
        if (c.Out == Output::ReaderQuits) {
            EXPECT_NE(merchant.ErrorOutput().find(failed + " (Broken pipe); the log is no longer "
                                                           "copied there"),
                      std::string::npos)
                << merchant.ErrorOutput();
        } else if (c.Out == Output::Closed) {
            // Its lines went nowhere, not into a descriptor that took the number 1.
            EXPECT_EQ(merchant.ErrorOutput().find(failed), std::string::npos)
                << merchant.ErrorOutput();
        } else {
            EXPECT_TRUE(merchant.WaitForLine("   Veřejný klíč zákazníka:", 5s));
        }
        EXPECT_EQ(merchant.Terminate(), 0);
    }
}

// Without VELKOR_LOG_KEYS the output holds no private or symmetric key; with it, the lines are
// as the window shows them. Each start makes a pair of its own.
TEST_F(MerchantOutput, SecretKeysOnlyWhenAsked) {
    ASSERT_TRUE(customer.Bound()) << "UDP port 2000 is taken; end what uses it and run again";
    const Bytes symmetric = "\x01\xFE secret symmetric key\x7F";
    const std::string symmetricHex = ToFormat(symmetric, fmtHEX);
    static const std::regex longHex(R"(   [0-9A-F]{40,})");
    std::vector<Bytes> publicKeys;
    for (bool reveal : {false, true}) {
        SCOPED_TRACE(reveal ? "VELKOR_LOG_KEYS=1" : "VELKOR_LOG_KEYS unset");
        ChildProcess& merchant = Start(reveal ? "merchant showing keys" : "merchant",
                                       reveal ? std::vector<std::string>{"VELKOR_LOG_KEYS=1"}
                                              : std::vector<std::string>{});
        ASSERT_TRUE(merchant.WaitForLine(
            [](const std::string& l) { return l.rfind(kBannerEnd, 0) == 0; }, 15s));
        std::optional<Bytes> merchantKey = customer.ExchangeKeys();
        ASSERT_TRUE(merchantKey);
        publicKeys.push_back(*merchantKey);

        TRSA rsa;
        rsa.SetKeyBits(TKeyBits::kb0512);
        rsa.SetPublicKey(*merchantKey);
        ASSERT_TRUE(customer.SendToMerchant(
            MakeFrame(0x59, ToFormat(rsa.PublicEncipher(symmetric), fmtHEX))));
        auto heading = merchant.WaitForLine("   Symetrický klíč zákazníka:", 5s);
        ASSERT_TRUE(heading);
        ASSERT_TRUE(
            merchant.WaitForLine([](const std::string&) { return true; }, 5s, *heading + 1));
        EXPECT_EQ(merchant.Terminate(), 0);

        const auto& lines = merchant.Lines();
        ASSERT_GT(lines.size(), *heading + 1);
        EXPECT_EQ(lines[3], "   Privátní klíč:");
        EXPECT_EQ(lines[6], "   " + ToFormat(*merchantKey, fmtHEX)) << "the key it uses";
        const std::string& symmetricLine = lines[*heading + 1];
        if (!reveal) {
            EXPECT_EQ(lines[4], "   (klíč skryt: 173 bajtů)");
            EXPECT_EQ(symmetricLine, "   (klíč skryt: 24 bajtů)");
            EXPECT_FALSE(HasLineContaining(lines, symmetricHex));
            // The only key texts left are the two public keys.
            const std::string customerHex = "   " + ToFormat(CustomerKeys().PublicKey, fmtHEX);
            for (const std::string& line : lines) {
                if (std::regex_match(line, longHex)) {
                    EXPECT_TRUE(line == lines[6] || line == customerHex) << line;
                }
            }
        } else {
            EXPECT_EQ(symmetricLine, "   " + symmetricHex);
            // The banner's private key deciphers what its public key enciphers.
            ASSERT_EQ(lines[4].size(), 3u + 346u);
            const Bytes privateKey = FromFormat(lines[4].substr(3), fmtHEX);
            TRSA decipher;
            decipher.SetKeyBits(TKeyBits::kb0512);
            decipher.SetPrivateKey(privateKey);
            EXPECT_EQ(decipher.PrivateDecipher(rsa.PublicEncipher(symmetric)), symmetric);
        }
    }
    ASSERT_EQ(publicKeys.size(), 2u);
    EXPECT_NE(publicKeys[0], publicKeys[1]);
    for (const Bytes& key : publicKeys) EXPECT_NE(key, kBuiltInPublicKey);
}

} // namespace
} // namespace velkor::test
