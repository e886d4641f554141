// The merchant window on Qt's offscreen platform: the start-up banner, the defaults of the
// settings fields, the menu, the arrival lines of a datagram, clearing, and standard output.
#include "base/Cp1250.h"
#include "net/NMUDP.h"
#include "rsa/BuiltInKeyPair.h"
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

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velkor {
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

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::internal::CaptureStdout();
        form = std::make_unique<TForm1>(clock);
        banner = testing::internal::GetCapturedStdout();
        // Listen on a port of the test's own, whatever holds 2004 on this machine.
        form->NMUDP1->SetLocalPort(0);
        port = form->NMUDP1->BoundPort();
    }
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
    EXPECT_EQ(form->Merchant->MerchantPublicKey, kBuiltInPublicKey);
    EXPECT_EQ(form->Merchant->MerchantPrivateKey.Get(), kBuiltInPrivateKey);
    // The same lines reach standard output, in UTF-8, one per line.
    EXPECT_EQ(QString::fromUtf8(banner.c_str()), lines.join('\n') + "\n");
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
    ASSERT_EQ(top.size(), 2);
    EXPECT_EQ(top[0]->text(), "Soubor");
    ASSERT_NE(top[0]->menu(), nullptr);
    ASSERT_EQ(top[0]->menu()->actions().size(), 1);
    EXPECT_EQ(top[0]->menu()->actions()[0]->text(), "Konec");
    EXPECT_EQ(top[1]->text(), QString::fromUtf8("Vyčistit okno"));
    EXPECT_EQ(top[1]->menu(), nullptr);
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
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
