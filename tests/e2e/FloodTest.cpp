// The real merchant program under a flood: 20,000 datagrams on its port, sent as fast as one
// sender can, of kinds that call for no reply. Every kind has lengths of its own, so the length
// in each arrival line of the merchant's log names the kind that arrived, and the lines after it,
// up to the next arrival, are what the merchant made of it. Afterwards the merchant must serve a
// whole honest exchange with the real peers, with its resident memory hardly grown.
#include "BookCheck.h"
#include "ChildProcess.h"
#include "TempDir.h"

#include "base/Cp1250.h"
#include "base/Exception.h"
#include "cipher/CipherManager.h"
#include "hash/HashManager.h"
#include "hash/StringFormat.h"
#include "protocol/Komunikace.h"
#include "rsa/KeyGen.h"
#include "rsa/RSA.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <iostream>
#include <memory>
#include <netinet/in.h>
#include <optional>
#include <random>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace velkor::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const char* const kMerchantBin = VELKOR_MERCHANT_BIN;
const char* const kCustomerBin = VELKOR_CUSTOMER_BIN;
const char* const kGatewayBin = VELKOR_GATEWAY_BIN;

constexpr int kDatagrams = 20000;
constexpr std::size_t kMaxUdpPayload = 65507; // 65535 less the IPv4 and UDP headers
constexpr long kMaxGrowthKb = 8 * 1024;
constexpr std::uint32_t kSeed = 20261210;

// AddressSanitizer keeps freed blocks in quarantine, so a sanitized merchant's resident memory
// says nothing about leaks (the sanitizer reports those itself at exit); it is only shown.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// The kinds sent. Frames that make the merchant send are left out: every send costs a second's
// wait. That rules out 0x63 (answered with 0x60), 0x5F (three sends, and a new gateway key
// that would change what the 0x09 below meets), a whole 0x4F (0x60 to the gateway, or 0x16 to
// the customer), and a 0x09 whose digest check fails (0x16 to the customer).
enum TKind : int {
    kTruncatedHeader,
    kMarker,
    kNonHexType,
    kUnknownType,
    kForeign59,
    kCutOrder,
    kLongLength,
    kGarbage,
    kClose14,
    kClose15,
    kClose19,
    kCredit09,
    kOversize,
    kKindCount
};

struct TKindInfo {
    const char* Name;
    std::size_t MinLength, MaxLength; // disjoint: an arrival's length names its kind
    int FaultLines;                   // "***" lines the merchant writes for each arrival
};

const std::array<TKindInfo, kKindCount> kKinds = {{
    {"truncated header, 0-5 bytes", 0, 5, 1},
    {"end marker (unknown type)", 8, 8, 0},
    {"header field not hex", 10, 99, 1},
    {"unknown type", 100, 177, 0},
    {"0x59 under a foreign key", 178, 178, 0},
    {"0x4F cut inside its first part", 179, 399, 1},
    {"0x4F length field past the end", 400, 599, 1},
    {"garbage", 600, 999, 1},
    {"0x14 sealed with a wrong key", 1000, 1249, 1},
    {"0x15 sealed with a wrong key", 1250, 1499, 1},
    {"0x19 sealed with a wrong key", 1500, 1749, 1},
    {"0x09 sealed with a wrong key", 1750, 2048, 1},
    {"oversize, 2049-65507 bytes", 2049, kMaxUdpPayload, 1},
}};

// One cycle of the flood: the mix of kinds, repeated until 20,000 are sent.
constexpr std::array<TKind, 20> kCycle = {
    kOversize,   kGarbage,   kUnknownType, kNonHexType,  kForeign59, kCutOrder,   kClose14,
    kLongLength, kGarbage,   kUnknownType, kCredit09,    kClose15,   kNonHexType, kTruncatedHeader,
    kGarbage,    kForeign59, kClose19,     kUnknownType, kCutOrder,  kLongLength};

const std::string kMarkerFrame = "010002AB"; // type 0x01, which the merchant leaves alone

std::optional<TKind> KindOfLength(std::size_t length) {
    for (int k = 0; k < kKindCount; ++k)
        if (length >= kKinds[k].MinLength && length <= kKinds[k].MaxLength)
            return static_cast<TKind>(k);
    return std::nullopt;
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::string Hex4(std::size_t n) {
    char text[8];
    std::snprintf(text, sizeof text, "%04zX", n);
    return text;
}

struct TDatagram {
    TKind Kind;
    const char* Data;
    std::size_t Length;
};

// Makes the flood's datagrams, reproducibly from one seed. The sealed kinds and the 0x59 come
// from small pools (sealing thousands would take longer than the flood); the rest are fresh.
class TFloodMaker {
public:
    TFloodMaker() : FRandom(kSeed), FForeign(MakeKeyPair(TKeyBits::kb0512)) {}

    std::vector<TDatagram> Make() {
        for (int i = 0; i < 8; ++i) FPools[kForeign59].push_back(&Keep(Foreign59()));
        const std::array<std::pair<TKind, int>, 4> sealed = {
            {{kClose14, 0x14}, {kClose15, 0x15}, {kClose19, 0x19}, {kCredit09, 0x09}}};
        for (auto [kind, type] : sealed)
            for (int i = 0; i < 12; ++i) FPools[kind].push_back(&Keep(Sealed(kind, type)));
        // A 0x63 frame: were its first 2048 bytes handled, a 0x60 would answer them.
        FOversize = "63FFFF" + HexDigits(kMaxUdpPayload - 6);

        std::vector<TDatagram> flood;
        flood.reserve(kDatagrams);
        std::array<std::size_t, kKindCount> made{};
        for (int i = 0; i < kDatagrams; ++i) {
            TKind kind = kCycle[static_cast<std::size_t>(i) % kCycle.size()];
            std::size_t n = made[kind]++;
            if (kind == kOversize) {
                // The two edges first, then lengths in between.
                std::size_t length = n == 0   ? 2049
                                     : n == 1 ? kMaxUdpPayload
                                              : Uniform(2050, kMaxUdpPayload - 1);
                flood.push_back({kind, FOversize.data(), length});
                continue;
            }
            const std::string* text;
            if (!FPools[kind].empty())
                text = FPools[kind][n % FPools[kind].size()];
            else
                text = &Keep(Fresh(kind));
            flood.push_back({kind, text->data(), text->size()});
        }
        return flood;
    }

private:
    std::size_t Uniform(std::size_t lo, std::size_t hi) {
        return std::uniform_int_distribution<std::size_t>(lo, hi)(FRandom);
    }
    char HexDigit() { return "0123456789ABCDEF"[Uniform(0, 15)]; }
    std::string HexDigits(std::size_t n) {
        std::string s(n, '0');
        for (char& c : s) c = HexDigit();
        return s;
    }
    char AnyByte() { return static_cast<char>(Uniform(0, 255)); }
    const std::string& Keep(std::string s) { return FStore.emplace_back(std::move(s)); }

    std::string Fresh(TKind kind) {
        const TKindInfo& info = kKinds[kind];
        std::size_t length = Uniform(info.MinLength, info.MaxLength);
        switch (kind) {
        case kTruncatedHeader: {
            // Each stops at a header field that is cut short: the empty type of the empty
            // datagram, the length field of 0x09 and 0x14, the body of 0x15, 0x19, 0x09.
            static const std::array<const char*, 6> cuts = {"", "9", "14", "150", "1900", "09000"};
            return cuts[Uniform(0, cuts.size() - 1)];
        }
        case kNonHexType: {
            // A type field with a character that is no hex digit, or one of the closings'
            // types with such a length field; control characters among them, line breaks too,
            // must not split the fault line that quotes the field.
            static const std::string notHex =
                "GHIJKLMNOPQRSTUVWXYZghijklmnopqrstuvwxyz !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~" +
                std::string("\r\n\t\x1B\x7F\x90\xFF\0", 8);
            std::string header = {HexDigit(), HexDigit(), HexDigit(),
                                  HexDigit(), HexDigit(), HexDigit()};
            if (Uniform(0, 1)) {
                header[Uniform(0, 1)] = notHex[Uniform(0, notHex.size() - 1)];
            } else {
                static const std::array<const char*, 4> types = {"14", "15", "19", "09"};
                header.replace(0, 2, types[Uniform(0, types.size() - 1)]);
                if (Uniform(0, 3) == 0)
                    header.replace(2, 4, "\n***");
                else
                    header[Uniform(2, 5)] = notHex[Uniform(0, notHex.size() - 1)];
            }
            return header + HexDigits(length - 6);
        }
        case kUnknownType: {
            static const std::array<int, 8> handled = {0x63, 0x59, 0x4F, 0x5F,
                                                       0x09, 0x14, 0x15, 0x19};
            int type;
            do {
                type = static_cast<int>(Uniform(0, 255));
            } while (std::find(handled.begin(), handled.end(), type) != handled.end());
            char text[3];
            std::snprintf(text, sizeof text, Uniform(0, 1) ? "%02X" : "%02x", type);
            // Half with a truthful length field, half with one that runs past the end.
            std::size_t declared = Uniform(0, 1) ? length - 6 : Uniform(length, 0xFFFF);
            return text + Hex4(declared) + HexDigits(length - 6);
        }
        case kCutOrder: {
            // A dual frame whose first part would be longer than what is left of it.
            std::size_t first = 2 * Uniform(length / 2, 1000);
            return "4F" + Hex4(first) + HexDigits(length - 6);
        }
        case kLongLength: {
            // A whole dual frame, first part, second length field and second part, but its
            // first length field reaches past the end of the datagram.
            std::size_t rest = length - 6;
            std::size_t first = rest / 2;
            std::size_t second = rest - first - 4;
            return "4F" + Hex4(Uniform(length, 0xFFFF)) + HexDigits(first) + Hex4(second) +
                   HexDigits(second);
        }
        case kGarbage: {
            std::string s(length, '\0');
            for (char& c : s) c = AnyByte();
            while (IsHexDigit(s[0])) s[0] = AnyByte(); // a hex type could be one that replies
            return s;
        }
        default:
            ADD_FAILURE() << "no fresh datagrams of kind " << kind;
            return {};
        }
    }

    // A 0x59 enciphered under another public key than the merchant's: no fault of its own, the
    // merchant just takes a meaningless symmetric key.
    std::string Foreign59() {
        TRSA rsa(nullptr);
        rsa.SetKeyBits(TKeyBits::kb0512);
        rsa.SetPublicKey(FForeign.PublicKey);
        std::string key(24, '\0');
        for (char& c : key) c = static_cast<char>(Uniform(0, 254));
        return MakeFrame(0x59, ToFormat(rsa.PublicEncipher(key), fmtHEX));
    }

    // A framed envelope of `type`, sealed with a random key the merchant does not hold. Its
    // content length is chosen so that the frame falls in the kind's lengths: the body of
    // 180 + L bytes becomes 4 * ceil((180 + L) / 3) MIME Base 64 characters, twice that in hex.
    std::string Sealed(TKind kind, int type) {
        const TKindInfo& info = kKinds[kind];
        std::size_t groups = Uniform((info.MinLength - 6 + 7) / 8, (info.MaxLength - 6) / 8);
        std::size_t contentLength = 3 * groups - 180;
        const std::string filler = Cz("Platba zamítnuta bankou; spojení končí. ");
        std::string content;
        while (content.size() < contentLength) content += filler;
        content.resize(contentLength);
        for (;;) {
            std::string key(24, '\0');
            for (char& c : key) c = static_cast<char>(Uniform(1, 254));
            std::string sealed = SealEnvelope(content, key, FForeign.PublicKey);
            std::string frame = MakeFrame(type, ToFormat(sealed, fmtHEX));
            EXPECT_TRUE(KindOfLength(frame.size()) == kind) << frame.size();
            // The merchant opens a 0x09 with the gateway key of the last 0x5F, and none comes
            // before the flood's end, so that key is empty. Where the body deciphered under it
            // begins with four hex digits, the opening would go on to the digest check, whose
            // failure is relayed to the customer: such a frame is drawn again.
            if (kind != kCredit09 || !OpensPastFirstField(sealed)) return frame;
        }
    }

    static bool OpensPastFirstField(const std::string& sealed) {
        try {
            THashManager hash(nullptr);
            hash.SetAlgorithm("Message Digest 5");
            TCipherManager cipher(nullptr);
            cipher.SetHashManager(&hash);
            cipher.SetAlgorithm("DES Triple 24byte");
            cipher.SetKeyText("", nullptr);
            Bytes body = cipher.DecipherText(sealed);
            return body.size() >= 4 && std::all_of(body.begin(), body.begin() + 4, IsHexDigit);
        } catch (const Exception&) {
            return false; // refused even before the first field
        }
    }

    std::mt19937_64 FRandom;
    TKeyPair FForeign;
    std::deque<std::string> FStore; // stable addresses for the datagrams' bytes
    std::array<std::vector<const std::string*>, kKindCount> FPools;
    std::string FOversize;
};

// A socket bound to a port where the merchant's replies would go, to show that none is sent.
class TListener {
public:
    explicit TListener(int port) {
        FSocket = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a = LoopbackAddress(port);
        a.sin_addr.s_addr = htonl(INADDR_ANY);
        FBound =
            FSocket >= 0 && ::bind(FSocket, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    }
    ~TListener() { Close(); }
    TListener(const TListener&) = delete;
    TListener& operator=(const TListener&) = delete;

    bool Bound() const { return FBound; }
    // The datagrams waiting, without waiting for more.
    int Pending() {
        int count = 0;
        char buffer[2048];
        while (::recv(FSocket, buffer, sizeof buffer, MSG_DONTWAIT) >= 0) ++count;
        return count;
    }
    void Close() {
        if (FSocket >= 0) ::close(FSocket);
        FSocket = -1;
    }

private:
    int FSocket = -1;
    bool FBound = false;
};

long VmRssKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

const std::string kArrivalPrefix = "Přijata data od 127.0.0.1, Délka: ";
const std::string kArrivalSuffix = " bajtů";
const std::string kFailedReceive = "*** Příjem dat od 127.0.0.1 selhal";

// The length in an arrival line from the flood's sender.
std::optional<std::size_t> ArrivalLength(const std::string& line) {
    if (line.rfind(kArrivalPrefix, 0) != 0 || line.size() < kArrivalPrefix.size() + 1 ||
        line.compare(line.size() - kArrivalSuffix.size(), kArrivalSuffix.size(), kArrivalSuffix) !=
            0)
        return std::nullopt;
    std::string digits = line.substr(kArrivalPrefix.size(),
                                     line.size() - kArrivalPrefix.size() - kArrivalSuffix.size());
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return std::stoul(digits);
}

bool IsFaultLine(const std::string& line) {
    return line.rfind("***", 0) == 0;
}

struct TTally {
    int Sent = 0;
    int Arrived = 0;
    int FaultLines = 0;
    int WrongBlocks = 0;    // arrivals followed by another number of fault lines than expected
    std::string FirstWrong; // the lines of the first of them
};

struct TLogTally {
    std::array<TTally, kKindCount> Kinds;
    int FaultLines = 0;
    int EndLines = 0;               // "--- KONEC SPOJENÍ ---"
    std::vector<std::string> Stray; // arrivals of no kind, fault lines before any arrival
};

// Reads the merchant's lines [from, to): each arrival line opens the handling of one datagram,
// which runs to the next arrival or failed receive. A failed receive is a datagram too long
// for the merchant's buffer; its line is its one fault line.
TLogTally TallyLog(const std::vector<std::string>& lines, std::size_t from, std::size_t to) {
    TLogTally tally;
    std::optional<TKind> kind;
    int faults = 0;
    std::string block;
    auto close = [&] {
        if (!kind) return;
        TTally& t = tally.Kinds[*kind];
        t.FaultLines += faults;
        if (faults != kKinds[*kind].FaultLines && t.WrongBlocks++ == 0) t.FirstWrong = block;
        kind.reset();
    };
    for (std::size_t i = from; i < to; ++i) {
        const std::string& line = lines[i];
        if (IsFaultLine(line)) ++tally.FaultLines;
        if (line == "--- KONEC SPOJENÍ ---") ++tally.EndLines;
        if (auto length = ArrivalLength(line)) {
            close();
            kind = KindOfLength(*length);
            if (!kind) {
                tally.Stray.push_back(line);
                continue;
            }
            ++tally.Kinds[*kind].Arrived;
            faults = 0;
            block = line + "\n";
        } else if (line == kFailedReceive) {
            close();
            ++tally.Kinds[kOversize].Arrived;
            ++tally.Kinds[kOversize].FaultLines;
        } else if (kind) {
            faults += IsFaultLine(line) ? 1 : 0;
            block += line + "\n";
        } else if (IsFaultLine(line)) {
            tally.Stray.push_back(line);
        }
    }
    close();
    return tally;
}

std::string Tail(const std::vector<std::string>& lines, std::size_t count) {
    std::string text;
    for (std::size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i)
        text += lines[i] + "\n";
    return text;
}

class Flood : public ::testing::Test {
protected:
    void SetUp() override {
        std::string taken = FixedPortsTaken();
        if (!taken.empty()) GTEST_FAIL() << taken;
    }

    void TearDown() override {
        if (std::getenv("VELKOR_E2E_SHOW")) {
            if (FMerchant) std::cout << FMerchant->Transcript();
            for (const auto& p : FPeers) std::cout << p->Transcript();
        } else if (HasFailure()) {
            // The merchant's output runs to thousands of lines: its end, and the peers whole.
            if (FMerchant)
                std::cout << "--- merchant (last lines of standard output) ---\n"
                          << Tail(FMerchant->Lines(), 80) << "--- merchant (standard error) ---\n"
                          << FMerchant->ErrorOutput();
            for (const auto& p : FPeers) std::cout << p->Transcript();
        }
        FPeers.clear();
        FMerchant.reset();
    }

    ChildProcess& Start(const std::string& name, std::vector<std::string> argv) {
        // Without a display the merchant chooses the offscreen platform itself.
        auto process = std::make_unique<ChildProcess>(
            name, std::move(argv),
            std::vector<std::string>{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"});
        if (name == "merchant") return *(FMerchant = std::move(process));
        FPeers.push_back(std::move(process));
        return *FPeers.back();
    }

    TempDir dir;

private:
    std::unique_ptr<ChildProcess> FMerchant;
    std::vector<std::unique_ptr<ChildProcess>> FPeers;
};

TEST_F(Flood, MerchantSurvivesTwentyThousandDatagramsAndServesTheNextExchange) {
    TFloodMaker maker;
    const std::vector<TDatagram> flood = maker.Make();
    ASSERT_FALSE(HasFailure());
    ASSERT_EQ(flood.size(), static_cast<std::size_t>(kDatagrams));

    ChildProcess& merchant = Start("merchant", {kMerchantBin});
    ASSERT_TRUE(merchant.WaitForLine(
        [](const std::string& l) { return l.rfind("   Hotovo , doba generování: ", 0) == 0; }, 15s))
        << "the merchant wrote no start-up banner";
    const auto& lines = merchant.Lines();

    // Any reply to the flood would land on one of these.
    TListener customerPort(2000), gatewayPort(2003);
    ASSERT_TRUE(customerPort.Bound() && gatewayPort.Bound());

    int sender = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(sender, 0);
    const sockaddr_in to = LoopbackAddress(2004);
    auto send = [&](const char* data, std::size_t length) {
        return ::sendto(sender, data, length, 0, reinterpret_cast<const sockaddr*>(&to),
                        sizeof to) == static_cast<ssize_t>(length);
    };
    auto isMarker = [](const std::string& l) { return ArrivalLength(l) == kMarkerFrame.size(); };

    // A first marker shows the window's event loop running; memory is read after it.
    ASSERT_TRUE(send(kMarkerFrame.data(), kMarkerFrame.size()));
    auto ready = merchant.WaitForLine(isMarker, 5s, lines.size());
    ASSERT_TRUE(ready) << "the merchant did not log a datagram after start-up";
    const long rssBefore = VmRssKb(merchant.Pid());
    const std::size_t floodFrom = *ready + 1;

    // One sender, no pauses; the merchant's output is read meanwhile, so that a full pipe
    // never holds it up.
    std::array<int, kKindCount> sent{};
    int sendFailures = 0;
    std::atomic<bool> sending{true};
    const Clock::time_point floodStart = Clock::now();
    Clock::time_point floodSent;
    std::thread flooder([&] {
        for (const TDatagram& d : flood) {
            if (send(d.Data, d.Length))
                ++sent[d.Kind];
            else
                ++sendFailures;
        }
        floodSent = Clock::now();
        send(kMarkerFrame.data(), kMarkerFrame.size());
        sending = false;
    });
    while (sending) merchant.WaitForLine([](const std::string&) { return false; }, 50ms);
    flooder.join();

    // The marker sent after the flood closes it: datagrams from one socket queue in order, so
    // once it is logged every earlier one that the kernel kept has been handled. The kernel
    // may drop the marker too; another goes out once the merchant has been quiet for a while.
    const Clock::time_point deadline = Clock::now() + 30s;
    std::optional<std::size_t> end;
    std::size_t seen = lines.size();
    Clock::time_point quietSince = Clock::now();
    while (!(end = merchant.WaitForLine(isMarker, 200ms, floodFrom)) && Clock::now() < deadline) {
        if (lines.size() != seen) {
            seen = lines.size();
            quietSince = Clock::now();
        } else if (Clock::now() - quietSince > 250ms) {
            send(kMarkerFrame.data(), kMarkerFrame.size());
            quietSince = Clock::now();
        }
    }
    ::close(sender);
    ASSERT_TRUE(end) << "the merchant did not get through the flood within 30 s";
    const Clock::time_point floodHandled = Clock::now();
    const long rssAfter = VmRssKb(merchant.Pid());
    const int repliesToCustomer = customerPort.Pending();
    const int repliesToGateway = gatewayPort.Pending();
    customerPort.Close();
    gatewayPort.Close();

    TLogTally tally = TallyLog(lines, floodFrom, *end + 1);
    for (int k = 0; k < kKindCount; ++k) tally.Kinds[k].Sent = sent[k];
    tally.Kinds[kMarker].Sent = 0;
    int arrived = 0, faulty = 0;
    for (int k = 0; k < kKindCount; ++k) {
        if (k == kMarker) continue;
        arrived += tally.Kinds[k].Arrived;
        faulty += tally.Kinds[k].Arrived * kKinds[k].FaultLines;
    }

    // The figures, for whoever reads the test's output.
    auto ms = [](Clock::duration d) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    };
    std::printf("flood: %d datagrams sent in %lld ms (%d failed), all handled %lld ms after the "
                "first was sent\n",
                kDatagrams - sendFailures, static_cast<long long>(ms(floodSent - floodStart)),
                sendFailures, static_cast<long long>(ms(floodHandled - floodStart)));
    std::printf("flood: %d arrived (%d oversize among them), %d faulty; %d fault lines\n", arrived,
                tally.Kinds[kOversize].Arrived, faulty, tally.FaultLines);
    std::printf("flood: merchant VmRSS %ld kB before, %ld kB after (%+ld kB)\n", rssBefore,
                rssAfter, rssAfter - rssBefore);
    std::printf("  %-34s %6s %8s %12s\n", "kind", "sent", "arrived", "fault lines");
    for (int k = 0; k < kKindCount; ++k) {
        if (k == kMarker) continue;
        std::printf("  %-34s %6d %8d %12d\n", kKinds[k].Name, tally.Kinds[k].Sent,
                    tally.Kinds[k].Arrived, tally.Kinds[k].FaultLines);
    }
    std::fflush(stdout);

    // Each kind: some arrived, and each arrival was followed by exactly its fault lines.
    for (int k = 0; k < kKindCount; ++k) {
        const TTally& t = tally.Kinds[k];
        SCOPED_TRACE(kKinds[k].Name);
        if (k != kMarker) {
            EXPECT_GE(t.Arrived, 1) << "none of this kind reached the merchant";
            EXPECT_LE(t.Arrived, t.Sent);
        }
        EXPECT_EQ(t.WrongBlocks, 0) << t.WrongBlocks << " arrivals with other than "
                                    << kKinds[k].FaultLines << " fault line(s); the first:\n"
                                    << t.FirstWrong;
    }
    EXPECT_TRUE(tally.Stray.empty())
        << tally.Stray.size() << " lines of no datagram, the first: " << tally.Stray.front();
    EXPECT_EQ(tally.FaultLines, faulty) << "one fault line for each faulty datagram that arrived";
    EXPECT_EQ(tally.EndLines, 0);
    EXPECT_EQ(repliesToCustomer, 0) << "the merchant answered the flood on port 2000";
    EXPECT_EQ(repliesToGateway, 0) << "the merchant answered the flood on port 2003";
    ASSERT_GT(rssBefore, 0);
    ASSERT_GT(rssAfter, 0);
    if (!kAddressSanitizer) {
        EXPECT_LE(rssAfter - rssBefore, kMaxGrowthKb) << "resident memory grew by more than 8 MB";
    }

    // Then a whole honest exchange with the real peers.
    const std::size_t exchangeFrom = lines.size();
    const std::string gatewayKey = dir.File("gateway.pub");
    ChildProcess& gateway = Start("gateway", {kGatewayBin, "--once", "--write-public", gatewayKey});
    ASSERT_TRUE(gateway.WaitForLine(
        [](const std::string& l) {
            return l.find("gateway listening on UDP port 2003") != std::string::npos;
        },
        15s));
    ChildProcess& customer =
        Start("customer", {kCustomerBin, "--gateway-key", gatewayKey, "--timeout", "6"});
    ASSERT_TRUE(merchant.WaitForLine("   Na účet obchodníka byla připsána částka 558 Kč", 25s,
                                     exchangeFrom));
    EXPECT_EQ(gateway.WaitExit(5s), 0);
    EXPECT_EQ(customer.WaitExit(15s), 0);
    EXPECT_TRUE(HasLineContaining(lines, "   Cena celkem  :       558 Kč", exchangeFrom));
    for (std::size_t i = *end + 1; i < lines.size(); ++i)
        EXPECT_FALSE(IsFaultLine(lines[i])) << lines[i];
    std::printf("flood: the honest exchange after it was credited 558 Kč; merchant VmRSS then "
                "%ld kB\n",
                VmRssKb(merchant.Pid()));
    std::fflush(stdout);

    EXPECT_EQ(merchant.Terminate(), 0);
    // The order book it kept through the flood: whole, and the honest exchange credited.
    EXPECT_EQ(IntegrityCheck(TestOrdersBook()), "ok");
    TSqliteOrderBook book(TestOrdersBook(), TBookAccess::Read);
    std::vector<TExchange> exchanges = book.Exchanges();
    ASSERT_FALSE(exchanges.empty());
    EXPECT_EQ(exchanges.front().Status, TExchangeStatus::Credited);
    EXPECT_EQ(exchanges.front().Credited, 558);
}

} // namespace
} // namespace velkor::test
