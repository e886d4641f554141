// HandleMessage from a merchant state that holds real keys, chosen at build time by
// VELKOR_FUZZ_STATE:
//   1  after 0x63 and 0x59: the customer's public key and symmetric key are known;
//   2  after an accepted 0x4F: the forward part, the total and the gateway address are set too;
//   3  after a 0x5F: the gateway's public key and the merchant's symmetric key for it as well.
// The keys are fixed, so that sealed seeds made under them reach the digest check, the order
// table and the verdict. Whatever a frame holds, HandleMessage ends in its cases or in a
// velkor::Exception, and a reply is only ever sent where a case sends one.
#include "base/Convert.h"
#include "base/Cp1250.h"
#include "base/Exception.h"
#include "hash/HashManager.h"
#include "hash/StringFormat.h"
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

// The customer's order that states 2 and 3 have accepted: the fixed payment block and three
// lines sealed under the fixed keys.
Bytes AcceptedOrderFrame() {
    const Bytes& block = fuzz::FixedPaymentBlock();
    return IntToHex(mtOrder, 2) + IntToHex(static_cast<std::uint32_t>(block.size()), 4) + block +
           BuildEnvelope(Cz("Rohlík;10;30\r\nChléb kmínový;1;32\r\nMáslo;2;78"),
                         fuzz::FixedCustomerSymmetricKey(), fuzz::FixedPublicKey());
}

// The states are reached through the merchant's own cases where they need more than keys (the
// gateway phase of the accepted order); only the keys are written directly.
void EnterState(TMerchant& merchant, int state) {
    merchant.MerchantPrivateKey.Assign(fuzz::FixedPrivateKey());
    merchant.MerchantPublicKey = fuzz::FixedPublicKey();
    TCustomerState& customer = merchant.UseCustomer("127.0.0.1");
    customer.CustomerAddress = "127.0.0.1";
    customer.CustomerPublicKey = fuzz::FixedPublicKey();
    customer.CustomerSymmetricKey.Assign(fuzz::FixedCustomerSymmetricKey());
    if (state >= 2) merchant.HandleMessage(AcceptedOrderFrame(), "127.0.0.1");
    if (state >= 3) {
        merchant.HandleMessage(MakeFrame(mtGatewayKey, ToFormat(fuzz::FixedPublicKey(), fmtHEX)),
                               "127.0.0.1");
        merchant.GatewaySymmetricKey.Assign(fuzz::FixedGatewaySymmetricKey());
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
