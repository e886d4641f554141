// HandleMessage and the merchant's cases: the key exchange with the customer (0x63, 0x59), the
// sealed order (0x4F), the gateway's key and the replies to it (0x5F), its verdict (0x09) and
// the closing messages (0x14, 0x15, 0x19).
#include "protocol/Merchant.h"

#include "base/Convert.h"
#include "base/Cp1250.h"
#include "base/Exception.h"
#include "base/Format.h"
#include "hash/HashManager.h"
#include "hash/StringFormat.h"

#include <string_view>

namespace velkor {
namespace {

bool IsErrorText(const Bytes& text) {
    return text.compare(0, 3, "***") == 0;
}

// A fault message may quote bytes of the datagram (a header field that is not hex). Control
// characters among them are written as \xHH: a line break would split the fault line, forging
// a second "***" line, and an escape sequence would reach the terminal of the log's copy. The
// five bytes that CP1250 leaves undefined stand for C1 control characters and go the same way.
Bytes FaultLine(std::string_view message) {
    Bytes line = "*** ";
    for (char c : message) {
        auto b = static_cast<unsigned char>(c);
        bool control =
            b < 0x20 || b == 0x7F || b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98;
        if (control)
            line += "\\x" + IntToHex(b, 2);
        else
            line += c;
    }
    return line;
}

} // namespace

const Bytes& EndLine() {
    static const Bytes line = Cz("--- KONEC SPOJENÍ ---");
    return line;
}

void TMerchant::Receive(const Bytes& frame, const std::string& fromIP) {
    try {
        HandleMessage(frame, fromIP);
    } catch (const Exception& e) {
        FLog.Append(FaultLine(e.Message()));
    } catch (const std::exception& e) {
        FLog.Append(FaultLine(e.what()));
    }
}

void TMerchant::HandleMessage(const Bytes& frame, const std::string& fromIP) {
    switch (HeaderNumber(frame, 1, 2)) {
    case mtCustomerKey:
        CustomerKey(frame, fromIP);
        break;
    case mtCustomerSymmetricKey:
        CustomerSymmetric(frame);
        break;
    case mtOrder:
        Order(frame, fromIP);
        break;
    case mtGatewayKey:
        GatewayKey(frame);
        break;
    case mtCredit:
        Credit(frame);
        break;
    case mtGatewayClose:
    case mtGatewayClose2:
        Closing(frame, GatewaySymmetricKey.Get());
        break;
    case mtCustomerClose:
        Closing(frame, CustomerSymmetricKey.Get());
        break;
    default:
        break;
    }
}

void TMerchant::CustomerKey(const Bytes& frame, const std::string& fromIP) {
    CustomerPublicKey = ParsePlainFrame(frame);
    FLog.Append(Cz("   Veřejný klíč zákazníka:"));
    FLog.Append("   " + ToFormat(CustomerPublicKey, fmtHEX));
    CustomerAddress = fromIP;
    FKomunikace.SendPlainFrame(fromIP, kCustomerPort, MerchantPublicKey, mtKeyReply);
}

void TMerchant::CustomerSymmetric(const Bytes& frame) {
    // Wiped first: a 0x59 that fails leaves no key of an earlier exchange behind.
    CustomerSymmetricKey.Wipe();
    CustomerSymmetricKey =
        SecretBytes(ParseRsaFrame(frame, MerchantPublicKey, MerchantPrivateKey.Get()));
    FLog.Append(Cz("   Symetrický klíč zákazníka:"));
    FLog.AppendSecret("   " + ToFormat(CustomerSymmetricKey, fmtHEX), CustomerSymmetricKey.size());
}

void TMerchant::RelayError(const Bytes& text, const std::string& customerHost) {
    FLog.Append(text);
    FLog.Append(EndLine());
    FKomunikace.SendEnvelopeFrame(customerHost, kCustomerPort, text, mtError, CustomerPublicKey,
                                  CustomerSymmetricKey.Get());
}

void TMerchant::Order(const Bytes& frame, const std::string& fromIP) {
    Bytes order = OpenDualFrame(frame, MerchantPublicKey, MerchantPrivateKey.Get(),
                                CustomerSymmetricKey.Get(), ForwardPart);
    if (IsErrorText(order)) {
        RelayError(order, fromIP);
        return;
    }
    FLog.Append(Cz("   Objednávka zákazníka:"));
    FLog.Append(Format("   %-30s %5s %10s", {Cz("Název"), Cz("Počet"), "Cena"}));
    // Prices are added in 32-bit signed arithmetic, wrapping as the peers' totals do.
    std::uint32_t goods = 0;
    Bytes name;
    std::int32_t count = 0, price = 0;
    int lines = ParseOrderLine(0, order, name, count, price);
    for (int i = 1; i <= lines; ++i) {
        ParseOrderLine(i, order, name, count, price);
        goods += static_cast<std::uint32_t>(price);
        FLog.Append(Format(Cz("   %-30s %4d %10d Kč"), {name, count, price}));
    }
    std::int32_t postage = StrToInt(FSettings.Text(TSetting::Postage));
    std::int32_t packing = StrToInt(FSettings.Text(TSetting::Packing));
    auto signedGoods = static_cast<std::int32_t>(goods);
    FLog.Append("");
    FLog.Append(Format(Cz("   Cena za zboží: %9d Kč"), {signedGoods}));
    FLog.Append(Format(Cz("   Poštovné     : %9d Kč"), {postage}));
    FLog.Append(Format(Cz("   Balné        : %9d Kč"), {packing}));
    FLog.Append("   ---------------------------");
    TotalPrice = static_cast<std::int32_t>(static_cast<std::uint32_t>(packing) +
                                           static_cast<std::uint32_t>(postage) + goods);
    FLog.Append(Format(Cz("   Cena celkem  : %9d Kč"), {TotalPrice}));
    GatewayAddress = FSettings.Text(TSetting::GatewayAddress);
    FKomunikace.SendPlainFrame(GatewayAddress, kGatewayPort, MerchantPublicKey, mtKeyReply);
}

void TMerchant::GatewayKey(const Bytes& frame) {
    // The gateway address comes with an accepted order; without one the three replies would
    // go nowhere, carrying an empty forward part and a total of 0.
    if (GatewayAddress.empty())
        throw EMessageRefused(
            Cz("Chyba: klíč platební brány přišel bez přijaté objednávky, nic se neodesílá"));
    GatewayPublicKey = ParsePlainFrame(frame);
    FLog.Append(Cz("   Veřejný klíč platební brány:"));
    FLog.Append("   " + ToFormat(GatewayPublicKey, fmtHEX));
    GatewaySymmetricKey = SecretBytes(MakeSymmetricKey(24));
    FKomunikace.SendRsaFrame(GatewaySymmetricKey.Get(), GatewayPublicKey, GatewayAddress,
                             kGatewayPort, mtGatewaySymmetricKey);

    // The merchant's identity, digested with SHA-0 over its CP1250 bytes.
    FHashManager1.SetAlgorithm("Secure Hash Algorithm");
    FHashManager1.HashText(FSettings.Text(TSetting::CompanyName) + " " +
                           FSettings.Text(TSetting::CompanyId) + " " +
                           FSettings.Text(TSetting::TaxId));
    Bytes identity = BuildEnvelope(FHashManager1.DigestText(fmtHEX), GatewaySymmetricKey.Get(),
                                   GatewayPublicKey);
    FKomunikace.SendJoinedFrame(ForwardPart, identity, GatewayAddress, mtOrder, kGatewayPort);
    FKomunikace.SendEnvelopeFrame(GatewayAddress, kGatewayPort, IntToStr(TotalPrice), mtTotal,
                                  GatewayPublicKey, GatewaySymmetricKey.Get());
}

void TMerchant::Credit(const Bytes& frame) {
    // Before the gateway's key there is no symmetric key to open the verdict with: an
    // envelope sealed under the empty key would open, and anyone could post a credit.
    if (GatewaySymmetricKey.empty())
        throw EMessageRefused(
            Cz("Chyba: výsledek platby přišel bez klíče platební brány, nic se neodesílá"));
    Bytes verdict = OpenEnvelopeFrame(frame, GatewaySymmetricKey.Get(), MerchantPublicKey,
                                      MerchantPrivateKey.Get());
    if (IsErrorText(verdict)) {
        RelayError(verdict, CustomerAddress);
        return;
    }
    FLog.Append(Cz("   Na účet obchodníka byla připsána částka ") + verdict + Cz(" Kč"));
}

void TMerchant::Closing(const Bytes& frame, const Bytes& symmetricKey) {
    FLog.Append(
        OpenEnvelopeFrame(frame, symmetricKey, MerchantPublicKey, MerchantPrivateKey.Get()));
    FLog.Append(EndLine());
}

} // namespace velkor
