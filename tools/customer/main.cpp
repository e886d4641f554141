// velkor-customer: the customer of one exchange with the merchant, on the console. Exit
// status 0 when the merchant reported no error, 1 when it sent one (0x16), 2 when the
// exchange could not be run (options, key files, port, no answer from the merchant).
#include "base/Cp1250.h"
#include "common/KeyFile.h"
#include "common/Options.h"
#include "common/OrderText.h"
#include "common/PeerEndpoint.h"
#include "customer/Customer.h"

#include <cstdio>
#include <optional>

using namespace velkor;
using namespace velkor::peer;

namespace {

const char* const kSummary =
    "Sends the merchant the customer's public key (0x63), then, on the merchant's key (0x60),\n"
    "a fresh symmetric key (0x59) and the order (0x4F) with a payment block that only the\n"
    "gateway can open, and waits for an error from the merchant (0x16).";

TOptions MakeOptions() {
    std::vector<TOptionDef> definitions = {
        {"merchant", "HOST", "the merchant's address (default 127.0.0.1)"},
        {"merchant-port", "PORT", "the merchant's UDP port (default 2004)"},
        {"port", "PORT", "the UDP port to listen on (default 2000; the merchant answers on 2000)"},
        {"bind", "ADDRESS", "the local IPv4 address to listen on and send from (default: all)"},
        {"gateway-key", "FILE", "the gateway's public key (first line of FILE); required"},
        {"line", "TEXT", "an order line name;count;price (default A;2;300 and B;10;50)", true},
        {"order", "FILE", "the order lines from FILE, one per line"},
        {"payment", "TEXT", "the payment text for the gateway"},
        {"tamper", "", "seal the order with a digest of other bytes (the merchant refuses it)"},
        {"timeout", "SECONDS", "how long to wait for each answer of the merchant (default 10)"},
    };
    for (TOptionDef& d : KeyOptions("velkor-gateway")) definitions.push_back(std::move(d));
    return TOptions(std::move(definitions));
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "velkor-customer: %s\n", message.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    TOptions options = MakeOptions();
    TConsole console;
    auto say = [&console](const std::string& text) { console.Line(text); };
    std::optional<TKeyPair> keys;
    TCustomerSettings settings;
    std::chrono::milliseconds timeout{};
    int port = 0;
    std::string bind;
    try {
        options.Parse(argc, argv);
        if (options.AnswerHelpOrVersion("velkor-customer", kSummary)) return 0;
        settings.MerchantHost = options.Value("merchant", "127.0.0.1");
        settings.MerchantPort = options.Port("merchant-port", kMerchantPort);
        port = options.Port("port", kCustomerPort);
        bind = options.Value("bind");
        timeout = options.Seconds("timeout", std::chrono::seconds(10));
        settings.Tamper = options.Has("tamper");
        if (!options.Has("gateway-key"))
            throw Exception("--gateway-key FILE is needed: the payment block is sealed for the "
                            "gateway's public key (velkor-gateway --write-public FILE writes it)");
        settings.GatewayPublicKey = ReadPublicKeyFile(options.Value("gateway-key"));
        if (options.Has("order") && options.Has("line"))
            throw Exception("give the order either as --order FILE or as --line TEXT, not both");
        if (options.Has("order"))
            settings.Order = OrderFromFile(options.Value("order"));
        else if (options.Has("line"))
            settings.Order = OrderFromLines(options.Values("line"));
        else
            settings.Order = OrderFromLines({"A;2;300", "B;10;50"});
        settings.PaymentText =
            ToCp1250(options.Value("payment", "Účet zákazníka 19-123456789/0800"), "--payment");

        keys = KeysFromOptions(options, say);
    } catch (const Exception& e) {
        return Fail(e.Message());
    }

    std::unique_ptr<TCustomer> customer;
    std::unique_ptr<TPeerEndpoint> endpoint;
    try {
        endpoint = std::make_unique<TPeerEndpoint>(
            port,
            [&](const Bytes& frame, const std::string& from) { customer->Receive(frame, from); },
            [&](const std::string& text) { say("*** " + text); }, bind);
        customer = std::make_unique<TCustomer>(std::move(*keys), settings, *endpoint, say);
        say("customer listening on UDP port " + std::to_string(port) +
            (bind.empty() ? "" : " of " + bind) + "; the merchant is " + settings.MerchantHost +
            ":" + std::to_string(settings.MerchantPort));
        for (const std::string& line : OrderLines(settings.Order)) say("order line: " + line);
        customer->Start();
    } catch (const Exception& e) {
        say("*** " + Cp1250ToUtf8(e.Message()));
        return 2;
    }

    using TStage = TCustomer::TStage;
    std::string waited = std::to_string(timeout.count() / 1000.0);
    waited.erase(waited.find_last_not_of('0') + 1);
    if (waited.back() == '.') waited.pop_back();

    auto end = endpoint->Run([&] { return customer->Stage() != TStage::KeySent; }, timeout);
    if (customer->Stage() == TStage::Failed) return 2;
    if (end == TPeerEndpoint::TEnd::Stopped) {
        say("stopped before the merchant answered");
        return 2;
    }
    if (end == TPeerEndpoint::TEnd::TimedOut) {
        say("*** no answer (0x60) from the merchant within " + waited + " s");
        return 2;
    }

    end = endpoint->Run([&] { return customer->Stage() == TStage::Answered; }, timeout);
    if (customer->Stage() == TStage::Answered) return 1;
    if (end == TPeerEndpoint::TEnd::Stopped) {
        say("stopped; no error from the merchant so far");
        return 0;
    }
    say("no error from the merchant within " + waited +
        " s: the exchange is over for the customer");
    return 0;
}
