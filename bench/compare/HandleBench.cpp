// The merchant's whole handling of one datagram of each type, from the frame to the replies
// handed to the transport, with the fuzz harnesses' stand-ins: a clock whose one-second waits
// return at once, a transport that only counts, a silent log and fixed keys. Each handling
// leaves the merchant in a state where the same frame can be handled again.
#include "Rows.h"

#include "base/Convert.h"
#include "base/Cp1250.h"
#include "base/Exception.h"
#include "hash/HashManager.h"
#include "hash/StringFormat.h"
#include "protocol/Komunikace.h"
#include "protocol/Merchant.h"
#include "rsa/RSA.h"
#include "support/FuzzSupport.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace velkor::bench {
namespace {

const std::string kCustomer = "127.0.0.1";

// Ten order lines, as a customer writes them.
Bytes TenLineOrder() {
    Bytes order;
    for (int i = 1; i <= 10; ++i) {
        if (!order.empty()) order += "\r\n";
        order += Cz("Položka číslo ") + IntToStr(i) + ";" + IntToStr(i) + ";" + IntToStr(10 * i);
    }
    return order;
}

Bytes OrderFrame() {
    const Bytes& block = fuzz::FixedPaymentBlock();
    return IntToHex(mtOrder, 2) + IntToHex(static_cast<std::uint32_t>(block.size()), 4) + block +
           BuildEnvelope(TenLineOrder(), fuzz::FixedCustomerSymmetricKey(), fuzz::FixedPublicKey());
}

Bytes RsaFrame(int type, const Bytes& content) {
    TRSA rsa;
    rsa.SetKeyBits(TKeyBits::kb0512);
    rsa.SetPublicKey(fuzz::FixedPublicKey());
    return MakeFrame(type, ToFormat(rsa.PublicEncipher(content), fmtHEX));
}

Bytes KeyFrame(int type) {
    return MakeFrame(type, ToFormat(fuzz::FixedPublicKey(), fmtHEX));
}

Bytes CreditFrame() {
    return MakeFrame(mtCredit, ToFormat(SealEnvelope("1208", fuzz::FixedGatewaySymmetricKey(),
                                                     fuzz::FixedPublicKey()),
                                        fmtHEX));
}

// How far into an exchange the merchant is before the measured frame arrives.
enum class TStage { Fresh, CustomerKeyed, OrderAccepted, GatewayKeyed };

struct TSetup {
    fuzz::QuietLog Log;
    fuzz::FixedSettings Settings;
    fuzz::NoWaitClock Clock;
    fuzz::CountingTransport Transport;
    TKomunikace Komunikace{Clock, Transport};
    THashManager HashManager1;
    TMerchant Merchant{Log, Settings, Komunikace, HashManager1};

    explicit TSetup(TStage stage) {
        Merchant.MerchantPrivateKey.Assign(fuzz::FixedPrivateKey());
        Merchant.MerchantPublicKey = fuzz::FixedPublicKey();
        if (stage == TStage::Fresh) return;
        TCustomerState& customer = Merchant.UseCustomer(kCustomer);
        customer.CustomerAddress = kCustomer;
        customer.CustomerPublicKey = fuzz::FixedPublicKey();
        customer.CustomerSymmetricKey.Assign(fuzz::FixedCustomerSymmetricKey());
        if (stage == TStage::CustomerKeyed) return;
        Merchant.HandleMessage(OrderFrame(), kCustomer);
        if (stage == TStage::OrderAccepted) return;
        Merchant.HandleMessage(KeyFrame(mtGatewayKey), kCustomer);
        Merchant.GatewaySymmetricKey.Assign(fuzz::FixedGatewaySymmetricKey());
    }
};

// A first handling, untimed, tells how many replies every later one must send.
void Handle(benchmark::State& state, TStage stage, const Bytes& frame) {
    TSetup setup(stage);
    setup.Transport.Sent = 0;
    setup.Merchant.HandleMessage(frame, kCustomer);
    const std::size_t replies = setup.Transport.Sent;
    for (auto _ : state) {
        setup.Transport.Sent = 0;
        setup.Merchant.HandleMessage(frame, kCustomer);
        if (setup.Transport.Sent != replies) {
            const std::string message = "a later handling sent " +
                                        std::to_string(setup.Transport.Sent) +
                                        " replies, the first " + std::to_string(replies);
            state.SkipWithError(message.c_str());
            break;
        }
    }
}

void Add(const char* name, const TRunLength& length, TStage stage, Bytes (*frame)()) {
    benchmark::RegisterBenchmark(name,
                                 [=](benchmark::State& state) {
                                     const Bytes f = frame();
                                     Handle(state, stage, f);
                                 })
        ->MinTime(length.MinTime)
        ->Repetitions(length.Repetitions)
        ->Unit(benchmark::kMicrosecond);
}

} // namespace

void RegisterHandlings(const TRunLength& length) {
    Add("handle/handle-0x63", length, TStage::Fresh, [] { return KeyFrame(mtCustomerKey); });
    Add("handle/handle-0x59", length, TStage::CustomerKeyed,
        [] { return RsaFrame(mtCustomerSymmetricKey, fuzz::FixedCustomerSymmetricKey()); });
    Add("handle/handle-0x4F-10-lines", length, TStage::CustomerKeyed, OrderFrame);
    Add("handle/handle-0x5F", length, TStage::OrderAccepted, [] { return KeyFrame(mtGatewayKey); });
    Add("handle/handle-0x09", length, TStage::GatewayKeyed, CreditFrame);
}

} // namespace velkor::bench
