// --help and --version of velkor-merchant. Any other argument leaves the start as it always
// was: the merchant's only inputs are datagrams and the window's fields.
#include "ui/CommandLine.h"

#include "VelkorVersion.h"

#include <cstdio>
#include <string_view>

namespace velkor {
namespace {

// The help text, on standard output for --help.
const char* const kHelp =
    "Usage: velkor-merchant [--help | --version]\n"
    "The merchant of Velkor's three-party payment exchange: a window with the merchant's\n"
    "settings and a log of every step. It listens on UDP port 2004 and answers the customer on\n"
    "port 2000 and the payment gateway on port 2003. Every log line is also written to standard\n"
    "output, with the lines that hold a secret key masked.\n"
    "\n"
    "Without a display (no DISPLAY or WAYLAND_DISPLAY) it runs headless on Qt's offscreen\n"
    "platform. SIGINT or SIGTERM closes it as the menu's \"Konec\" does.\n"
    "\n"
    "Options:\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n"
    "Other arguments are ignored, apart from Qt's own (such as -platform NAME).\n"
    "\n"
    "Environment:\n"
    "  VELKOR_LOG_KEYS=1   copy the secret key lines to standard output verbatim\n"
    "  VELKOR_ORDERS_DB    the order book's file (default\n"
    "                      $XDG_DATA_HOME/velkor/orders.sqlite, ~/.local/share/velkor/...)\n"
    "  QT_QPA_PLATFORM     Qt's platform (offscreen when there is no display)\n"
    "\n"
    "See velkor-merchant(1).\n";

} // namespace

std::optional<int> AnswerCommandLine(int argc, const char* const* argv) {
    bool help = false;
    bool version = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        help = help || arg == "--help";
        version = version || arg == "--version";
    }
    if (help) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (version) {
        std::printf("velkor-merchant (Velkor) %s\n", kVersion);
        return 0;
    }
    return std::nullopt;
}

} // namespace velkor
