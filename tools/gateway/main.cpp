// velkor-gateway: the payment gateway on the console. It serves one exchange after another
// until SIGINT or SIGTERM (exit status 0), or only one with --once; 2 when it cannot start.
#include "base/Cp1250.h"
#include "common/KeyFile.h"
#include "common/Options.h"
#include "common/OrderText.h"
#include "common/PeerEndpoint.h"
#include "gateway/Gateway.h"

#include <cstdio>
#include <optional>

using namespace velkor;
using namespace velkor::peer;

namespace {

const char* const kSummary =
    "Answers the merchant's public key (0x60) with its own (0x5F), takes the merchant's\n"
    "symmetric key (0x58), checks the merchant's identity digest and opens the customer's\n"
    "payment block (0x4F), and answers the total (0x03) with the amount credited or an error\n"
    "(0x09).";

TOptions MakeOptions() {
    std::vector<TOptionDef> definitions = {
        {"port", "PORT", "the UDP port to listen on (default 2003; the merchant sends to 2003)"},
        {"bind", "ADDRESS", "the local IPv4 address to listen on and send from (default: all)"},
        {"merchant-port", "PORT", "the merchant's UDP port for the answers (default 2004)"},
        {"name", "TEXT", "the merchant's company name (default \"Virtuální Kramtex a.s.\")"},
        {"id", "TEXT", "the merchant's company ID (default 12345678)"},
        {"tax-id", "TEXT", "the merchant's tax ID (default 987654321)"},
        {"once", "", "end after one exchange"},
    };
    for (TOptionDef& d : KeyOptions("velkor-customer")) definitions.push_back(std::move(d));
    return TOptions(std::move(definitions));
}

} // namespace

int main(int argc, char** argv) {
    TOptions options = MakeOptions();
    TConsole console;
    auto say = [&console](const std::string& text) { console.Line(text); };
    std::optional<TKeyPair> keys;
    TGatewaySettings settings;
    int port = 0;
    std::string bind;
    try {
        options.Parse(argc, argv);
        if (options.AnswerHelpOrVersion("velkor-gateway", kSummary)) return 0;
        port = options.Port("port", kGatewayPort);
        bind = options.Value("bind");
        settings.MerchantPort = options.Port("merchant-port", kMerchantPort);
        settings.Identity = ToCp1250(options.Value("name", "Virtuální Kramtex a.s."), "--name") +
                            " " + ToCp1250(options.Value("id", "12345678"), "--id") + " " +
                            ToCp1250(options.Value("tax-id", "987654321"), "--tax-id");
        keys = KeysFromOptions(options, say);
    } catch (const Exception& e) {
        std::fprintf(stderr, "velkor-gateway: %s\n", e.Message().c_str());
        return 2;
    }

    std::unique_ptr<TGateway> gateway;
    std::unique_ptr<TPeerEndpoint> endpoint;
    try {
        endpoint = std::make_unique<TPeerEndpoint>(
            port,
            [&](const Bytes& frame, const std::string& from) { gateway->Receive(frame, from); },
            [&](const std::string& text) { say("*** " + text); }, bind);
        gateway = std::make_unique<TGateway>(std::move(*keys), settings, *endpoint, say);
    } catch (const Exception& e) {
        say("*** " + Cp1250ToUtf8(e.Message()));
        return 2;
    }
    say("expected identity \"" + Cp1250ToUtf8(settings.Identity) + "\", SHA-0 " +
        gateway->ExpectedDigest());
    say("gateway listening on UDP port " + std::to_string(port) +
        (bind.empty() ? "" : " of " + bind) + "; answers go to the sender's port " +
        std::to_string(settings.MerchantPort));

    bool once = options.Has("once");
    auto end = endpoint->Run([&] { return once && gateway->Answers() > 0; },
                             std::chrono::milliseconds(-1));
    if (end == TPeerEndpoint::TEnd::Stopped) say("stopped");
    return 0;
}
