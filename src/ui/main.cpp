// Start-up of the merchant program: the Qt platform, the title, the window, the message loop.
// SIGINT and SIGTERM close the window as the menu's "Konec" does; SIGPIPE is ignored.
#include "sample/Sample.h"
#include "ui/CommandLine.h"
#include "ui/QuietStart.h"
#include "ui/Unit1.h"

#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <unistd.h>

namespace {

int gSignalPipe[2] = {-1, -1};

extern "C" void OnSignal(int) {
    char c = 1;
    [[maybe_unused]] auto n = ::write(gSignalPipe[1], &c, 1);
}

} // namespace

int main(int argc, char** argv) {
    if (auto status = velkor::AnswerCommandLine(argc, argv)) return *status;

    // A standard descriptor that was closed at start would be taken by the next file, socket or
    // event descriptor opened, and the log copy would be written into it. /dev/null keeps
    // each number taken, so that copy goes nowhere instead.
    for (int fd = 0; fd <= 2; ++fd)
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF) ::open("/dev/null", O_RDWR);

    // A server or a CI machine has no display; the window then lives on the offscreen platform
    // and the log still reaches standard output.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    // The log's copy on standard output may lose its reader at any time (a pipe into head, a
    // closed terminal); the failed write then ends the copy, not the program.
    ::signal(SIGPIPE, SIG_IGN);

    velkor::InstallQuietStart();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Program Velkor"));
    // The installed desktop entry and icon: the desktop shows the window under them.
    QGuiApplication::setDesktopFileName(QStringLiteral("velkor-merchant"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("velkor-merchant")));

    // The demonstration module adds its classes after the built-in ones, as a loaded module
    // does.
    velkor::RegisterSampleModule();

    velkor::TForm1* window = nullptr;
    try {
        window = new velkor::TForm1();
    } catch (const std::exception& e) {
        // Without a key pair the merchant cannot take part in any exchange.
        std::fprintf(stderr, "velkor-merchant: %s\n", e.what());
        return 1;
    }
    window->setAttribute(Qt::WA_DeleteOnClose);

    if (::pipe(gSignalPipe) == 0) {
        struct sigaction sa = {};
        sa.sa_handler = OnSignal;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGINT, &sa, nullptr);
        sigaction(SIGTERM, &sa, nullptr);
        auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
            char c;
            [[maybe_unused]] auto n = ::read(gSignalPipe[0], &c, 1);
            if (velkor::Form1) velkor::Form1->Konec1Click();
        });
    }

    window->show();
    return app.exec();
}
