// HandleMessage from a merchant state that holds real keys, chosen at build time by
// VELKOR_FUZZ_STATE:
//   1  after 0x63 and 0x59: the customer's public key and symmetric key are known;
//   2  after an accepted 0x4F: the forward part, the total and the gateway address are set too;
//   3  after a 0x5F: the gateway's public key and the merchant's symmetric key for it as well.
// The keys are fixed, so that sealed seeds made under them reach the digest check, the order
// table and the verdict. Whatever a frame holds, HandleMessage ends in its cases or in a
// velkor::Exception, and a reply is only ever sent where a case sends one.
#include "base/Convert.h"
#include "base/Exception.h"
#include "hash/HashManager.h"
#include "protocol/Komunikace.h"
#include "protocol/Merchant.h"
#include "support/FuzzSupport.h"

#include <cstdint>
#include <string>

#ifndef VELKOR_FUZZ_STATE
#error "VELKOR_FUZZ_STATE is 1, 2 or 3"
#endif

namespace {

using namespace velkor;

// The one place that writes the merchant's key fields.
void SetKey(Bytes& field, const Bytes& value) {
    field = value;
}

void EnterState(TMerchant& merchant, int state) {
    SetKey(merchant.MerchantPrivateKey, fuzz::FixedPrivateKey());
    merchant.MerchantPublicKey = fuzz::FixedPublicKey();
    merchant.CustomerPublicKey = fuzz::FixedPublicKey();
    merchant.CustomerAddress = "127.0.0.1";
    SetKey(merchant.CustomerSymmetricKey, fuzz::FixedCustomerSymmetricKey());
    if (state >= 2) {
        const Bytes& block = fuzz::FixedPaymentBlock();
        merchant.ForwardPart = IntToHex(static_cast<std::uint32_t>(block.size()), 4) + block;
        merchant.TotalPrice = 1208;
        merchant.GatewayAddress = "127.0.0.1";
    }
    if (state >= 3) {
        merchant.GatewayPublicKey = fuzz::FixedPublicKey();
        SetKey(merchant.GatewaySymmetricKey, fuzz::FixedGatewaySymmetricKey());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::QuietLog log;
    static fuzz::FixedSettings settings;
    static fuzz::NoWaitClock clock;
    static fuzz::CountingTransport transport;
    static TKomunikace komunikace(clock, transport);
    static THashManager hashManager1;
    TMerchant merchant(log, settings, komunikace, hashManager1);
    EnterState(merchant, VELKOR_FUZZ_STATE);
    const Bytes frame = fuzz::Input(data, size);
    transport.Sent = 0;
    try {
        merchant.HandleMessage(frame, "127.0.0.1");
    } catch (const Exception&) {
        // An orderly refusal, shown in the log by the caller.
    }
    // 0x5F sends three datagrams; every other case at most one.
    fuzz::Check(transport.Sent <= 3, "replies");
    return 0;
}
