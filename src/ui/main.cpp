// Start-up of the merchant program: the Qt platform, the title, the window, the message loop.
// SIGINT and SIGTERM close the window as the menu's "Konec" does.
#include "ui/Unit1.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace {

int gSignalPipe[2] = {-1, -1};

extern "C" void OnSignal(int) {
    char c = 1;
    [[maybe_unused]] auto n = ::write(gSignalPipe[1], &c, 1);
}

} // namespace

int main(int argc, char** argv) {
    // A server or a CI machine has no display; the window then lives on the offscreen platform
    // and the log still reaches standard output.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Program Velkor"));

    auto* window = new velkor::TForm1();
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
