// The merchant window on Qt's offscreen platform: the start-up banner and its fresh key pair,
// the defaults of the settings fields, the menu, the arrival lines of a datagram, clearing, the
// pane's cap, and the copy on standard output with its masked key lines.
#include "base/Cp1250.h"
#include "hash/StringFormat.h"
#include "net/NMUDP.h"
#include "protocol/Komunikace.h"
#include "rsa/BuiltInKeyPair.h"
#include "rsa/KeyText.h"
#include "rsa/RSA.h"
#include "ui/Unit1.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velkor {

// The folder of this program's order books, set by main.
std::string gBookFolder;

namespace {

class StampClock final : public IClock {
public:
    TDateTimeParts Now() override { return {2026, 12, 6, 14, 5, 9, 0}; }
    TDateTimeParts UtcNow() override { return {2026, 12, 6, 13, 5, 9, 0}; }
    std::uint64_t PerformanceCounter() override { return 0; }
    void Sleep(int) override {}
};

QStringList Lines(const TForm1& form) {
    QString text = form.Memo1->toPlainText();
    return text.isEmpty() ? QStringList() : text.split('\n');
}

// The pair of the source tree, for tests that compare key texts.
TKeyPair BuiltInPair() {
    return {std::string(kBuiltInPublicKey), std::string(kBuiltInPrivateKey)};
}

// Sets or clears VELKOR_LOG_KEYS for one scope.
class LogKeysVariable {
public:
    explicit LogKeysVariable(const char* value) {
        if (const char* old = std::getenv("VELKOR_LOG_KEYS")) FOld = old;
        if (value)
            ::setenv("VELKOR_LOG_KEYS", value, 1);
        else
            ::unsetenv("VELKOR_LOG_KEYS");
    }
    ~LogKeysVariable() {
        if (FOld)
            ::setenv("VELKOR_LOG_KEYS", FOld->c_str(), 1);
        else
            ::unsetenv("VELKOR_LOG_KEYS");
    }

private:
    std::optional<std::string> FOld;
};

void SendTo(int port, const std::string& data) {
    int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::sendto(fd, data.data(), data.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    ::close(fd);
}

bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// A book of its own for the next window: a book has one writer at a time, and some tests keep
// two windows open.
void OwnBook() {
    static int count = 0;
    const std::string path = gBookFolder + "/orders-" + std::to_string(++count) + ".sqlite";
    setenv("VELKOR_ORDERS_DB", path.c_str(), 1);
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::internal::CaptureStdout();
        OwnBook();
        form = std::make_unique<TForm1>(clock, BuiltInPair);
        banner = testing::internal::GetCapturedStdout();
        // Listen on a port of the test's own, whatever holds 2004 on this machine.
        form->NMUDP1->SetLocalPort(0);
        port = form->NMUDP1->BoundPort();
    }
    LogKeysVariable logKeys{nullptr};
    StampClock clock;
    std::unique_ptr<TForm1> form;
    std::string banner;
    int port = 0;
};

TEST_F(WindowTest, BannerInOrder) {
    QStringList lines = Lines(*form);
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "06.12.2026 14:05:09");
    EXPECT_EQ(lines[2], QString::fromUtf8("Generuji veřejný a privátní klíč ..."));
    EXPECT_EQ(lines[3], QString::fromUtf8("   Privátní klíč:"));
    EXPECT_EQ(lines[4].size(), 3 + 346);
    EXPECT_EQ(lines[5], QString::fromUtf8("   Veřejný klíč:"));
    EXPECT_EQ(lines[6].size(), 3 + 186);
    EXPECT_EQ(lines[7], QString::fromUtf8("   Hotovo , doba generování: 0:00:00"));
    EXPECT_EQ(lines[4].toStdString(), "   " + ToFormat(Bytes(kBuiltInPrivateKey), fmtHEX));
    EXPECT_EQ(lines[6].toStdString(), "   " + ToFormat(Bytes(kBuiltInPublicKey), fmtHEX));
    EXPECT_EQ(form->Merchant->MerchantPublicKey, kBuiltInPublicKey);
    EXPECT_EQ(form->Merchant->MerchantPrivateKey.Get(), kBuiltInPrivateKey);
    // The same lines reach standard output, in UTF-8, one per line, the private key masked.
    lines[4] = QString::fromUtf8("   (klíč skryt: 173 bajtů)");
    EXPECT_EQ(QString::fromUtf8(banner.c_str()), lines.join('\n') + "\n");
}

// The window the program makes: a pair of its own, with the field lengths of the banner,
// exactly 512 bits of modulus, and keys that undo each other.
TEST_F(WindowTest, EveryStartMakesAFreshKeyPair) {
    auto start = [this] {
        testing::internal::CaptureStdout();
        OwnBook();
        auto made = std::make_unique<TForm1>(clock);
        testing::internal::GetCapturedStdout();
        return made;
    };
    std::unique_ptr<TForm1> first = start();
    std::unique_ptr<TForm1> second = start();
    Form1 = form.get();
    for (const TForm1* made : {first.get(), second.get()}) {
        const Bytes& pub = made->Merchant->MerchantPublicKey;
        const Bytes& priv = made->Merchant->MerchantPrivateKey.Get();
        ASSERT_EQ(pub.size(), 93u);
        ASSERT_EQ(priv.size(), 173u);
        EXPECT_EQ(pub.find(':'), 6u);
        EXPECT_EQ(priv.find(':'), 86u);
        EXPECT_EQ(pub.substr(7), priv.substr(0, 86)) << "one modulus";
        EXPECT_NE(pub, kBuiltInPublicKey);

        std::vector<Limb> exponent(KeyLimbs), modulus(KeyLimbs);
        ReadKeyText(pub, TKeyTextKind::Public, 64, exponent.data(), modulus.data());
        EXPECT_EQ(NumBitLength(modulus.data(), KeyLimbs), 512u);
        EXPECT_EQ(exponent[0], 65537u);

        TRSA encipher, decipher;
        encipher.SetKeyBits(TKeyBits::kb0512);
        encipher.SetPublicKey(pub);
        decipher.SetKeyBits(TKeyBits::kb0512);
        decipher.SetPrivateKey(priv);
        for (const Bytes& data : {Bytes("customer symmetric key!!"), Bytes(200, '\xFF'), Bytes()})
            EXPECT_EQ(decipher.PrivateDecipher(encipher.PublicEncipher(data)), data);

        // The banner shows the pair in use.
        QStringList lines = Lines(*made);
        ASSERT_EQ(lines.size(), 8);
        EXPECT_EQ(lines[4].toStdString(), "   " + ToFormat(priv, fmtHEX));
        EXPECT_EQ(lines[6].toStdString(), "   " + ToFormat(pub, fmtHEX));
    }
    EXPECT_NE(first->Merchant->MerchantPublicKey, second->Merchant->MerchantPublicKey);
    EXPECT_NE(first->Merchant->MerchantPrivateKey.Get().substr(87),
              second->Merchant->MerchantPrivateKey.Get().substr(87));
}

// The customer's symmetric key and the private key are shown in the pane, but on standard
// output only with VELKOR_LOG_KEYS=1; the number of lines is the same either way.
TEST_F(WindowTest, KeyLinesOnStandardOutput) {
    const Bytes symmetric = "customer symmetric key!!";
    TRSA rsa;
    rsa.SetKeyBits(TKeyBits::kb0512);
    rsa.SetPublicKey(std::string(kBuiltInPublicKey));
    const Bytes frame = MakeFrame(0x59, ToFormat(rsa.PublicEncipher(symmetric), fmtHEX));
    const std::string symmetricHex = ToFormat(symmetric, fmtHEX);
    const std::string privateHex = ToFormat(Bytes(kBuiltInPrivateKey), fmtHEX);

    for (const char* variable : {static_cast<const char*>(nullptr), "1"}) {
        LogKeysVariable set(variable);
        const bool reveal = variable != nullptr;
        testing::internal::CaptureStdout();
        OwnBook();
        TForm1 window(clock, BuiltInPair);
        window.Merchant->Receive(frame, "127.0.0.1");
        const std::string out = testing::internal::GetCapturedStdout();
        Form1 = form.get();

        QStringList pane = Lines(window);
        ASSERT_EQ(pane.size(), 10);
        EXPECT_EQ(pane[8], QString::fromUtf8("   Symetrický klíč zákazníka:"));
        EXPECT_EQ(pane[9].toStdString(), "   " + symmetricHex);
        EXPECT_EQ(pane[4].toStdString(), "   " + privateHex);
        if (!reveal) {
            pane[4] = QString::fromUtf8("   (klíč skryt: 173 bajtů)");
            pane[9] = QString::fromUtf8("   (klíč skryt: 24 bajtů)");
        }
        EXPECT_EQ(QString::fromUtf8(out.c_str()), pane.join('\n') + "\n") << reveal;
        EXPECT_EQ(out.find(symmetricHex) != std::string::npos, reveal);
        EXPECT_EQ(out.find(privateHex) != std::string::npos, reveal);
        EXPECT_NE(out.find(ToFormat(Bytes(kBuiltInPublicKey), fmtHEX)), std::string::npos);
    }
}

// A standard output that fails is given up; the pane goes on as before.
TEST_F(WindowTest, FailedStandardOutputLeavesThePaneAlone) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[0]);
    form->StdoutCopy = TLogCopy(fds[1], false);
    form->ClearMeno1Click();
    testing::internal::CaptureStderr();
    form->AppendLine("one");
    form->AppendLine("two");
    form->NMUDP1DataReceived(form->NMUDP1, -1, "127.0.0.1");
    testing::internal::GetCapturedStderr();
    ::close(fds[1]);
    EXPECT_FALSE(form->StdoutCopy.Active());
    QStringList lines = Lines(*form);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "one");
    EXPECT_EQ(lines[1], "two");
    EXPECT_TRUE(lines[2].startsWith("***"));
}

TEST_F(WindowTest, PaneKeepsTheNewestLinesUpToItsCap) {
    EXPECT_EQ(form->Memo1->maximumBlockCount(), 100000);
    form->SetLogCap(4);
    form->ClearMeno1Click();
    testing::internal::CaptureStdout();
    // An empty first line is a line of its own until it is pushed out.
    form->AppendLine("");
    form->AppendLine("a");
    EXPECT_EQ(Lines(*form), QStringList({"", "a"}));
    for (const char* line : {"b", "c", "d", "e", "f"}) form->AppendLine(line);
    EXPECT_EQ(Lines(*form), QStringList({"c", "d", "e", "f"}));
    // One append with a line break is two lines of the pane.
    form->AppendLine("g\nh");
    EXPECT_EQ(Lines(*form), QStringList({"e", "f", "g", "h"}));
    // Standard output keeps everything.
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\na\nb\nc\nd\ne\nf\ng\nh\n");
    // After clearing, the pane fills from an empty first line again.
    form->ClearMeno1Click();
    testing::internal::CaptureStdout();
    form->LogStamp();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(Lines(*form), QStringList({"", "06.12.2026 14:05:09"}));
}

TEST_F(WindowTest, CaptionSizeAndFields) {
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("Program Velkor - Diplomová práce"));
    EXPECT_EQ(form->size(), QSize(544, 375));
    EXPECT_EQ(form->GroupBox1->title(), QString::fromUtf8(" Nastavení "));
    EXPECT_EQ(form->GroupBox1->height(), 97);
    EXPECT_EQ(form->GroupBox2->title(), QString::fromUtf8(" Akce "));
    EXPECT_EQ(form->Edit4->text(), QString::fromUtf8("Virtuální Kramtex a.s."));
    EXPECT_EQ(form->Edit5->text(), "12345678");
    EXPECT_EQ(form->Edit6->text(), "987654321");
    EXPECT_EQ(form->Edit2->text(), "123");
    EXPECT_EQ(form->Edit3->text(), "85");
    EXPECT_EQ(form->Edit1->text(), "127.0.0.1");
    EXPECT_EQ(form->Label1->text(), "URL Banky");
    EXPECT_EQ(TForm1::FieldText(form->Edit4), Cz("Virtuální Kramtex a.s."));
    EXPECT_EQ(form->Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
}

TEST_F(WindowTest, ComponentsFromTheDescription) {
    EXPECT_EQ(form->NMUDP1->Name(), "NMUDP1");
    EXPECT_EQ(form->NMUDP1->ReportLevel(), 1);
    EXPECT_EQ(form->NMUDP1->RemotePort(), 0);
    EXPECT_EQ(form->NMUDP1->Owner(), form.get());
}

TEST_F(WindowTest, Menu) {
    QList<QAction*> top = form->menuBar()->actions();
    ASSERT_EQ(top.size(), 3);
    EXPECT_EQ(top[0]->text(), "Soubor");
    ASSERT_NE(top[0]->menu(), nullptr);
    ASSERT_EQ(top[0]->menu()->actions().size(), 1);
    EXPECT_EQ(top[0]->menu()->actions()[0]->text(), "Konec");
    EXPECT_EQ(top[1]->text(), QString::fromUtf8("Vyčistit okno"));
    EXPECT_EQ(top[1]->menu(), nullptr);
    EXPECT_EQ(top[2]->text(), QString::fromUtf8("Objednávky"));
    EXPECT_EQ(top[2]->menu(), nullptr);
}

TEST_F(WindowTest, ArrivalLinesOfADatagram) {
    SendTo(port, "0123456789AB");
    ASSERT_TRUE(WaitFor([&] { return Lines(*form).size() >= 11; }));
    QStringList lines = Lines(*form);
    EXPECT_EQ(lines[8], "");
    EXPECT_EQ(lines[9], "06.12.2026 14:05:09");
    EXPECT_EQ(lines[10], QString::fromUtf8("Přijata data od 127.0.0.1, Délka: 12 bajtů"));
}

TEST_F(WindowTest, ClearingThenTheNextDatagramStartsWithAStamp) {
    form->ClearMeno1->trigger();
    EXPECT_TRUE(Lines(*form).isEmpty());
    form->ClearMeno1->trigger(); // on an empty pane: nothing
    EXPECT_TRUE(Lines(*form).isEmpty());
    SendTo(port, "");
    ASSERT_TRUE(WaitFor([&] { return Lines(*form).size() >= 3; }));
    QStringList lines = Lines(*form);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "06.12.2026 14:05:09");
    EXPECT_EQ(lines[2], QString::fromUtf8("Přijata data od 127.0.0.1, Délka: 0 bajtů"));
}

TEST_F(WindowTest, FramesReachTheMerchantAndFaultsAreShown) {
    form->ClearMeno1Click();
    SendTo(port, "01000000"); // a type the merchant does not handle: only the arrival lines
    ASSERT_TRUE(WaitFor([&] { return Lines(*form).size() >= 3; }));
    SendTo(port, "Z1");
    ASSERT_TRUE(WaitFor([&] { return Lines(*form).size() >= 7; }));
    QStringList lines = Lines(*form);
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[5], QString::fromUtf8("Přijata data od 127.0.0.1, Délka: 2 bajtů"));
    EXPECT_EQ(lines[6], "*** '$Z1' is not a valid integer value");
}

TEST_F(WindowTest, SettingsAreReadAsCp1250) {
    form->Edit4->setText(QString::fromUtf8("Žluťoučký kůň"));
    EXPECT_EQ(form->Text(TSetting::CompanyName), Cz("Žluťoučký kůň"));
    EXPECT_EQ(form->Text(TSetting::GatewayAddress), "127.0.0.1");
    EXPECT_EQ(form->Text(TSetting::Postage), "123");
    EXPECT_EQ(form->Text(TSetting::Packing), "85");
    EXPECT_EQ(form->Text(TSetting::CompanyId), "12345678");
    EXPECT_EQ(form->Text(TSetting::TaxId), "987654321");
}

TEST_F(WindowTest, FailedReceiveIsOneLineAndNoFrame) {
    form->ClearMeno1Click();
    form->NMUDP1DataReceived(form->NMUDP1, -1, "127.0.0.1");
    QStringList lines = Lines(*form);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith("***")) << lines[0].toStdString();
}

TEST_F(WindowTest, KonecClosesTheWindow) {
    form->show();
    EXPECT_TRUE(form->isVisible());
    form->Konec1->trigger();
    EXPECT_FALSE(form->isVisible());
}

} // namespace
} // namespace velkor

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Every window opens its order book: in a private folder, never in the user's home.
    char folder[] = "/tmp/velkor-ui-orders-XXXXXX";
    if (::mkdtemp(folder) == nullptr) return 1;
    velkor::gBookFolder = folder;
    setenv("VELKOR_ORDERS_DB", (velkor::gBookFolder + "/orders.sqlite").c_str(), 1);
    struct RemoveFolder {
        std::string Path;
        ~RemoveFolder() { std::filesystem::remove_all(Path); }
    } removeFolder{folder};
    // As in the program: a write to a pipe without a reader fails rather than kills.
    ::signal(SIGPIPE, SIG_IGN);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
