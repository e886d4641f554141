// Frames, envelopes and symmetric keys. Every sealing and opening makes its own hash manager,
// cipher manager and RSA component and lets them go on every path out, faults included.
#include "protocol/Komunikace.h"

#include "base/Convert.h"
#include "base/Cp1250.h"
#include "base/Exception.h"
#include "base/Secret.h"
#include "base/Wipe.h"
#include "cipher/CipherManager.h"
#include "hash/HashManager.h"
#include "hash/StringFormat.h"
#include "protocol/EnvelopeCipher.h"
#include "rsa/RSA.h"

#include <cerrno>
#include <sys/random.h>

namespace velkor {
namespace {

Bytes Hex4(std::size_t n) {
    return IntToHex(static_cast<std::uint32_t>(n), 4);
}

Bytes RsaEncipher(const Bytes& content, const Bytes& publicKey) {
    TRSA rsa(nullptr);
    rsa.SetKeyBits(TKeyBits::kb0512);
    rsa.SetPublicKey(publicKey);
    return rsa.PublicEncipher(content);
}

Bytes RsaDecipher(const Bytes& cipherText, const Bytes& publicKey, const Bytes& privateKey) {
    TRSA rsa(nullptr);
    rsa.SetKeyBits(TKeyBits::kb0512);
    rsa.SetPublicKey(publicKey);
    rsa.SetPrivateKey(privateKey);
    return rsa.PrivateDecipher(cipherText);
}

// Opens a sealed text given as its hex form: the body is deciphered, the digest deciphered with
// the own private key and compared with the MD5 of the content.
Bytes OpenSealedHex(const Bytes& hexText, const Bytes& symmetricKey, const Bytes& ownPublicKey,
                    const Bytes& ownPrivateKey) {
    TEnvelopeCipher envelope(symmetricKey);
    Bytes body = envelope.Cipher.DecipherText(FromFormat(hexText, fmtHEX));
    std::int32_t contentLength = HeaderNumber(body, 1, 4);
    Bytes content = Copy(body, 5, contentLength);
    std::int32_t digestLength = HeaderNumber(body, static_cast<long long>(contentLength) + 5, 4);
    Bytes digestText =
        FromFormat(Copy(body, static_cast<long long>(contentLength) + 9, digestLength), fmtHEX);
    Bytes digest = RsaDecipher(digestText, ownPublicKey, ownPrivateKey);

    envelope.Hash.HashText(content);
    if (!ConstantTimeEquals(digest, envelope.Hash.DigestBytes())) return DigestErrorText();
    return content;
}

} // namespace

Bytes Copy(const Bytes& s, long long index, long long count) {
    if (index < 1) index = 1;
    auto size = static_cast<long long>(s.size());
    if (index > size || count <= 0) return {};
    count = std::min(count, size - index + 1);
    return s.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count));
}

std::int32_t HeaderNumber(const Bytes& s, long long index, long long count) {
    // Appended rather than written "$" + Copy(...): GCC 12 at -O2 and above warns
    // (-Wrestrict) about an overlap that cannot happen in the string insert that form uses.
    Bytes hex = "$";
    hex += Copy(s, index, count);
    return StrToInt(hex);
}

Bytes MakeFrame(int type, const Bytes& payloadText) {
    return IntToHex(static_cast<std::uint32_t>(type), 2) + Hex4(payloadText.size()) + payloadText;
}

// --- sending --------------------------------------------------------------------------------

ESendFault::ESendFault(const std::string& message, const std::string& host, int port)
    : Exception(message + " (adresa \"" + host + "\", port " + IntToStr(port) + ")") {}

void TKomunikace::SendDatagram(const std::string& host, int port, const Bytes& data) {
    FClock.Sleep(1000);
    try {
        FTransport.Send(host, port, data);
    } catch (const Exception& e) {
        // The endpoint's message alone does not tell which destination failed; a gateway
        // address typed into the settings is the usual culprit.
        throw ESendFault(e.Message(), host, port);
    }
}

void TKomunikace::SendPlainFrame(const std::string& host, int port, const Bytes& payload,
                                 int type) {
    SendDatagram(host, port, MakeFrame(type, ToFormat(payload, fmtHEX)));
}

void TKomunikace::SendRsaFrame(const Bytes& content, const Bytes& publicKey,
                               const std::string& host, int port, int type) {
    SendDatagram(host, port, MakeFrame(type, ToFormat(RsaEncipher(content, publicKey), fmtHEX)));
}

void TKomunikace::SendJoinedFrame(const Bytes& first, const Bytes& second, const std::string& host,
                                  int type, int port) {
    SendDatagram(host, port, IntToHex(static_cast<std::uint32_t>(type), 2) + first + second);
}

void TKomunikace::SendEnvelopeFrame(const std::string& host, int port, const Bytes& content,
                                    int type, const Bytes& publicKey, const Bytes& symmetricKey) {
    SendDatagram(host, port,
                 MakeFrame(type, ToFormat(SealEnvelope(content, symmetricKey, publicKey), fmtHEX)));
}

// --- parsing and sealing --------------------------------------------------------------------

Bytes ParsePlainFrame(const Bytes& frame) {
    // A frame shorter than its declared length decodes only what it holds.
    return FromFormat(Copy(frame, 7, HeaderNumber(frame, 3, 4)), fmtHEX);
}

Bytes ParseRsaFrame(const Bytes& frame, const Bytes& publicKey, const Bytes& privateKey) {
    Bytes cipherText = FromFormat(Copy(frame, 7, HeaderNumber(frame, 3, 4)), fmtHEX);
    return RsaDecipher(cipherText, publicKey, privateKey);
}

Bytes DigestField(const Bytes& content, const Bytes& publicKey) {
    THashManager hash(nullptr);
    hash.SetAlgorithm(kEnvelopeHash);
    hash.HashText(content);
    Bytes digest = ToFormat(RsaEncipher(hash.DigestBytes(), publicKey), fmtHEX);
    return Hex4(digest.size()) + digest;
}

Bytes EncipherBody(const Bytes& body, const Bytes& symmetricKey) {
    return TEnvelopeCipher(symmetricKey).Cipher.EncipherText(body);
}

Bytes SealEnvelope(const Bytes& content, const Bytes& symmetricKey, const Bytes& publicKey) {
    return EncipherBody(Hex4(content.size()) + content + DigestField(content, publicKey),
                        symmetricKey);
}

Bytes BuildEnvelope(const Bytes& content, const Bytes& symmetricKey, const Bytes& publicKey) {
    Bytes hex = ToFormat(SealEnvelope(content, symmetricKey, publicKey), fmtHEX);
    return Hex4(hex.size()) + hex;
}

Bytes OpenEnvelopeFrame(const Bytes& frame, const Bytes& symmetricKey, const Bytes& ownPublicKey,
                        const Bytes& ownPrivateKey) {
    return OpenSealedHex(Copy(frame, 7, HeaderNumber(frame, 3, 4)), symmetricKey, ownPublicKey,
                         ownPrivateKey);
}

Bytes OpenBareEnvelope(const Bytes& envelope, const Bytes& symmetricKey, const Bytes& ownPublicKey,
                       const Bytes& ownPrivateKey) {
    return OpenSealedHex(Copy(envelope, 5, HeaderNumber(envelope, 1, 4)), symmetricKey,
                         ownPublicKey, ownPrivateKey);
}

Bytes OpenDualFrame(const Bytes& frame, const Bytes& ownPublicKey, const Bytes& ownPrivateKey,
                    const Bytes& symmetricKey, Bytes& forwardPart) {
    long long a = HeaderNumber(frame, 3, 4);
    forwardPart = Copy(frame, 3, a + 4);
    long long b = HeaderNumber(frame, a + 7, 4);
    return OpenBareEnvelope(Copy(frame, a + 7, b + 4), symmetricKey, ownPublicKey, ownPrivateKey);
}

const Bytes& DigestErrorText() {
    static const Bytes text =
        Cz("*** Chyba: Message digest vypočtený a message digest ze zprávy není shodný !!!");
    return text;
}

Bytes MakeSymmetricKey(int n) {
    Bytes key;
    key.reserve(static_cast<std::size_t>(std::max(n, 0)));
    unsigned char pool[64];
    while (static_cast<int>(key.size()) < n) {
        ssize_t got = getrandom(pool, sizeof pool, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw Exception("The system's random source failed");
        }
        // 255 is never a key character; dropping it leaves 0..254 equally likely.
        for (ssize_t i = 0; i < got && static_cast<int>(key.size()) < n; ++i)
            if (pool[i] != 255) key += static_cast<char>(pool[i]);
    }
    SecureWipe(pool, sizeof pool);
    return key;
}

} // namespace velkor
