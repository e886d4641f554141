// The merchant's protocol over the real UDP transport, with gateway addresses that the endpoint
// refuses: the fault line names the address, and the order still stands. The transport binds
// local port 2000, so this runs with the other tests that need the fixed ports.
#include "Fakes.h"
#include "Keys.h"

#include "base/Secret.h"
#include "hash/HashManager.h"
#include "net/PollEventLoop.h"
#include "protocol/Komunikace.h"
#include "protocol/Merchant.h"
#include "protocol/UdpTransport.h"

#include <gtest/gtest.h>

namespace velkor::test {
namespace {

struct AddressCase {
    const char* Name;
    std::string Address;
    std::string Fault;
};

class RealTransportAddresses : public ::testing::TestWithParam<AddressCase> {};

TEST_P(RealTransportAddresses, AreNamedInTheFaultLine) {
    const AddressCase& c = GetParam();
    FakeLog log;
    FakeSettings settings;
    settings.Fields[TSetting::GatewayAddress] = c.Address;
    FakeClock clock; // the one-second wait is not what this shows
    PollEventLoop loop;
    TUdpTransport transport(loop);
    TKomunikace komunikace(clock, transport);
    THashManager hashManager1(nullptr);
    TMerchant merchant(log, settings, komunikace, hashManager1);
    merchant.MerchantPublicKey = MerchantKeys().PublicKey;
    merchant.MerchantPrivateKey = SecretBytes(MerchantKeys().PrivateKey);
    const Bytes key = "customer symmetric key!!";
    merchant.UseCustomer("127.0.0.1").CustomerSymmetricKey = SecretBytes(key);

    merchant.Receive("4F0000" + BuildEnvelope("A;1;100", key, MerchantKeys().PublicKey),
                     "127.0.0.1");

    ASSERT_FALSE(log.Lines.empty());
    EXPECT_EQ(log.Lines.back(), "*** " + c.Fault + " (adresa \"" + c.Address + "\", port 2003)");
    EXPECT_EQ(merchant.Customer("127.0.0.1")->TotalPrice, 100 + 123 + 85);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, RealTransportAddresses,
    ::testing::Values(
        AddressCase{"Empty", "", "Host Lookup Canceled"},
        AddressCase{"ThreeHundredCharacters", std::string(300, 'g'), "Host name too long"},
        // The .invalid domain is reserved: no resolver answers for it.
        AddressCase{"DoesNotResolve", "gateway.example.invalid", "Host Lookup Canceled"}),
    [](const ::testing::TestParamInfo<AddressCase>& p) { return std::string(p.param.Name); });

} // namespace
} // namespace velkor::test
