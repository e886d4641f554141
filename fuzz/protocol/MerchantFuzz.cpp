// Fuzz harness for the merchant's datagram handling: whatever a datagram holds, HandleMessage
// ends in its cases or in a velkor::Exception, never in a crash or another exception. The
// state is filled as after a key exchange, so that the envelope and order paths are reached.
#include "base/Exception.h"
#include "hash/HashManager.h"
#include "protocol/Komunikace.h"
#include "protocol/Merchant.h"
#include "rsa/BuiltInKeyPair.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

using namespace velkor;

class QuietLog final : public ILog {
public:
    void Append(const Bytes&) override {}
};

class DefaultSettings final : public ISettings {
public:
    Bytes Text(TSetting field) override {
        switch (field) {
        case TSetting::Postage:
            return "123";
        case TSetting::Packing:
            return "85";
        default:
            return "127.0.0.1";
        }
    }
};

class NoWaitClock final : public IClock {
public:
    TDateTimeParts Now() override { return {}; }
    TDateTimeParts UtcNow() override { return {}; }
    std::uint64_t PerformanceCounter() override { return 0; }
    void Sleep(int) override {}
};

class NullTransport final : public ITransport {
public:
    void Send(const std::string&, int, const Bytes&) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QuietLog log;
    static DefaultSettings settings;
    static NoWaitClock clock;
    static NullTransport transport;
    static TKomunikace komunikace(clock, transport);
    static THashManager hashManager1;
    TMerchant merchant(log, settings, komunikace, hashManager1);
    merchant.MerchantPublicKey = std::string(kBuiltInPublicKey);
    merchant.MerchantPrivateKey = SecretBytes(kBuiltInPrivateKey);
    TCustomerState& customer = merchant.UseCustomer("127.0.0.1");
    customer.CustomerPublicKey = merchant.MerchantPublicKey;
    merchant.GatewayPublicKey = merchant.MerchantPublicKey;
    merchant.GatewayAddress = "127.0.0.1";
    customer.CustomerSymmetricKey = SecretBytes(BytesView("fuzz customer key"));
    merchant.GatewaySymmetricKey = SecretBytes(BytesView("fuzz gateway key"));
    const Bytes frame(reinterpret_cast<const char*>(data), size);
    try {
        merchant.HandleMessage(frame, "127.0.0.1");
    } catch (const Exception&) {
        // An orderly refusal, shown in the log by the caller.
    }
    return 0;
}
