// Writes the seed corpus of every fuzz target from valid inputs made with the project's own
// encoders and sealers under the fixed keys of FuzzSupport.h:
//   velkor_fuzz_seeds <folder>   writes <folder>/<target>/<seed name>
// The seeds are committed under fuzz/corpus; run this again when a format of the exchange
// changes.
#include "base/Convert.h"
#include "base/Cp1250.h"
#include "hash/StringFormat.h"
#include "protocol/EnvelopeCipher.h"
#include "protocol/Komunikace.h"
#include "protocol/Merchant.h"
#include "rsa/KeyGen.h"
#include "rsa/RSA.h"
#include "rsa/Radix64.h"
#include "support/FuzzSupport.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace velkor;
namespace fs = std::filesystem;

fs::path gRoot;

void Write(const std::string& target, const std::string& name, const Bytes& content) {
    const fs::path dir = gRoot / target;
    fs::create_directories(dir);
    std::ofstream out(dir / name, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

Bytes AllBytes() {
    Bytes b;
    for (int i = 0; i < 256; ++i) b += static_cast<char>(i);
    return b;
}

// Byte strings of the lengths that matter to the encoders: empty, one short of a group, whole
// groups, a 16-byte digest, a 24-byte key, one RSA block and one byte more.
std::vector<std::pair<std::string, Bytes>> Samples() {
    return {
        {"empty", ""},
        {"one", "A"},
        {"two", "AB"},
        {"three", "ABC"},
        {"digest", Bytes("\x00\x11\x22\x33\x44\x55\x66\x77\x88\x99\xaa\xbb\xcc\xdd\xee\xff", 16)},
        {"key", fuzz::FixedCustomerSymmetricKey()},
        {"block", Bytes(62, '\x3e')},
        {"block-plus-one", Bytes(63, 'c')},
        {"all-bytes", AllBytes()},
        {"text", Cz("Virtuální Kramtex a.s. 12345678 987654321")}};
}

Bytes Order() {
    return Cz("Rohlík;10;30\r\nChléb kmínový;1;32\r\nMáslo;2;78");
}

Bytes Sealed(int type, const Bytes& content, const Bytes& key) {
    return MakeFrame(type, ToFormat(SealEnvelope(content, key, fuzz::FixedPublicKey()), fmtHEX));
}

Bytes OrderFrame(const Bytes& order) {
    const Bytes& block = fuzz::FixedPaymentBlock();
    return IntToHex(mtOrder, 2) + IntToHex(static_cast<std::uint32_t>(block.size()), 4) + block +
           BuildEnvelope(order, fuzz::FixedCustomerSymmetricKey(), fuzz::FixedPublicKey());
}

Bytes RsaFrame(int type, const Bytes& content) {
    TRSA rsa;
    rsa.SetKeyBits(TKeyBits::kb0512);
    rsa.SetPublicKey(fuzz::FixedPublicKey());
    return MakeFrame(type, ToFormat(rsa.PublicEncipher(content), fmtHEX));
}

void Formats() {
    const std::vector<std::pair<std::int32_t, std::string>> formats = {
        {fmtHEX, "16"}, {fmtMIME64, "4196"}, {fmtUU, "21845"}, {fmtXX, "22616"}};
    for (const auto& [id, name] : formats)
        for (const auto& [sample, bytes] : Samples())
            Write("velkor_fromformat" + name + "_fuzz", sample, ToFormat(bytes, id));
    Write("velkor_fromformat16_fuzz", "prefixed", "$0A1b");
    Write("velkor_fromformat4196_fuzz", "wrapped", ToFormat(Bytes(120, 'w'), fmtMIME64));
}

void Rsa() {
    for (const auto& [sample, bytes] : Samples())
        Write("velkor_radix64_fuzz", sample, EncodeRadix64(bytes));
    Write("velkor_radix64_fuzz", "public-key", fuzz::FixedPublicKey());

    const std::vector<std::pair<TKeyBits, std::string>> sizes = {
        {TKeyBits::kb0512, "512"}, {TKeyBits::kb1024, "1024"}, {TKeyBits::kb2048, "2048"}};
    for (const auto& [bits, name] : sizes) {
        TKeyPair pair = bits == TKeyBits::kb0512
                            ? TKeyPair{fuzz::FixedPublicKey(), fuzz::FixedPrivateKey()}
                            : MakeKeyPair(bits);
        const Bytes size(1, static_cast<char>(bits));
        Write("velkor_publickey_fuzz", name, size + pair.PublicKey);
        Write("velkor_privatekey_fuzz", name, size + pair.PrivateKey);
    }
    Write("velkor_publickey_fuzz", "colon-only", std::string(1, '\0') + ":");
    Write("velkor_privatekey_fuzz", "colon-only", std::string(1, '\0') + ":");

    TRSA rsa;
    rsa.SetKeyBits(TKeyBits::kb0512);
    rsa.SetPublicKey(fuzz::FixedPublicKey());
    for (const auto& [sample, bytes] : Samples())
        Write("velkor_privatedecipher_fuzz", sample, rsa.PublicEncipher(bytes));
}

void Cipher() {
    TEnvelopeCipher envelope(fuzz::FixedCustomerSymmetricKey());
    for (const auto& [sample, bytes] : Samples())
        Write("velkor_deciphertext_fuzz", sample, envelope.Cipher.EncipherText(bytes));
}

void Protocol() {
    const Bytes& gatewayKey = fuzz::FixedGatewaySymmetricKey();
    const Bytes& customerKey = fuzz::FixedCustomerSymmetricKey();
    Write("velkor_openenvelope_fuzz", "credit", Sealed(mtCredit, "1208", gatewayKey));
    Write("velkor_openenvelope_fuzz", "empty", Sealed(mtCredit, "", gatewayKey));
    Write("velkor_openenvelope_fuzz", "closing",
          Sealed(mtGatewayClose, Cz("--- KONEC SPOJENÍ ---"), gatewayKey));
    Write("velkor_openenvelope_fuzz", "wrong-key", Sealed(mtCredit, "1208", customerKey));

    Write("velkor_opendualframe_fuzz", "order", OrderFrame(Order()));
    Write("velkor_opendualframe_fuzz", "one-line", OrderFrame("A;1;1"));

    Write("velkor_orderline_fuzz", "order", Order());
    Write("velkor_orderline_fuzz", "leading-break", "\r\n" + Order() + "\n");
    Write("velkor_orderline_fuzz", "no-semicolon", "Rohlik\r\nA;$1F;-5\rB;;");
    Write("velkor_orderline_fuzz", "near-limit", "A;2147483647;2147483647\nB;1;-2147483648");

    // State 1 knows the customer's keys: key exchange, order and its closing.
    const std::string s1 = "velkor_merchant_customer_fuzz";
    Write(s1, "customer-key", MakeFrame(mtCustomerKey, ToFormat(fuzz::FixedPublicKey(), fmtHEX)));
    Write(s1, "customer-symmetric-key", RsaFrame(mtCustomerSymmetricKey, customerKey));
    Write(s1, "order", OrderFrame(Order()));
    Write(s1, "order-wrapping", OrderFrame("A;2147483647;2147483647\r\nB;3;2147483647"));
    Write(s1, "order-bad-count", OrderFrame("A;x;1"));
    Write(s1, "order-sealed-wrong", OrderFrame(Order()).replace(40, 2, "00"));
    Write(s1, "customer-close", Sealed(mtCustomerClose, Cz("--- KONEC SPOJENÍ ---"), customerKey));

    // State 2 has taken an order: the gateway's key comes next.
    const std::string s2 = "velkor_merchant_order_fuzz";
    Write(s2, "gateway-key", MakeFrame(mtGatewayKey, ToFormat(fuzz::FixedPublicKey(), fmtHEX)));
    Write(s2, "order", OrderFrame(Order()));
    Write(s2, "credit-before-key", Sealed(mtCredit, "1208", gatewayKey));

    // State 3 shares a symmetric key with the gateway: verdicts and closings.
    const std::string s3 = "velkor_merchant_gateway_fuzz";
    Write(s3, "credit", Sealed(mtCredit, "1208", gatewayKey));
    Write(s3, "credit-error", Sealed(mtCredit, Cz("*** Chyba: platba zamítnuta"), gatewayKey));
    Write(s3, "credit-wrong-key", Sealed(mtCredit, "1208", customerKey));
    Write(s3, "gateway-close", Sealed(mtGatewayClose, Cz("--- KONEC SPOJENÍ ---"), gatewayKey));
    Write(s3, "gateway-close2", Sealed(mtGatewayClose2, Cz("--- KONEC SPOJENÍ ---"), gatewayKey));
    Write(s3, "customer-close", Sealed(mtCustomerClose, Cz("--- KONEC SPOJENÍ ---"), customerKey));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    gRoot = argv[1];
    Formats();
    Rsa();
    Cipher();
    Protocol();
    return 0;
}
