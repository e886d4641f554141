// Fuzz harness for the merchant's datagram handling: whatever a datagram holds, HandleMessage
// ends in its cases or in a velkor::Exception, never in a crash or another exception. The
// state is filled as after a key exchange, so that the envelope and order paths are reached.
#include "base/Exception.h"
#include "hash/HashManager.h"
#include "protocol/Komunikace.h"
#include "protocol/Merchant.h"
#include "rsa/BuiltInKeyPair.h"
#include "support/FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace velkor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::QuietLog log;
    static fuzz::FixedSettings settings;
    static fuzz::NoWaitClock clock;
    static fuzz::CountingTransport transport;
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
    const Bytes frame = fuzz::Input(data, size);
    try {
        merchant.HandleMessage(frame, "127.0.0.1");
    } catch (const Exception&) {
        // An orderly refusal, shown in the log by the caller.
    }
    return 0;
}
