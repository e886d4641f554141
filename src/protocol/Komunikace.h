// Unit Komunikace: frames, sealed envelopes and symmetric keys.
//   frame            type (2 hex digits) + payload length (4 hex digits) + payload as hex
//   RSA frame        a frame whose payload is the radix-64 text of the RSA encipherment
//   envelope body    len(content) + content + len(digest) + hex(RSA(MD5(content)))
//   sealed text      MIME Base 64 of "DES Triple 24byte" in cmCTS, keyed from the symmetric
//                    key through MD5, written as hex for the wire
//   framed envelope  type + len + hex(sealed); bare envelope: len + hex(sealed)
//   dual frame       type + len(A) + A + len(B) + B; A is forwarded unread, B a bare envelope
#pragma once

#include "base/Bytes.h"
#include "base/Clock.h"
#include "base/Exception.h"
#include "protocol/Seams.h"

#include <cstdint>
#include <string>

namespace velkor {

// A send that failed: the endpoint's message, then the destination it was meant for, as in
// "Host Lookup Canceled (adresa "gw.example", port 2003)".
class ESendFault : public Exception {
public:
    ESendFault(const std::string& message, const std::string& host, int port);
};

// Every outgoing datagram of the merchant leaves through SendDatagram: one second after the
// decision to send it, so that replies decided in one step leave at least a second apart.
class TKomunikace {
public:
    TKomunikace(IClock& clock, ITransport& transport) : FClock(clock), FTransport(transport) {}

    // The clock whose second passes before every send.
    IClock& Clock() const { return FClock; }

    // Faults of the transport pass on as ESendFault, which names host and port.
    void SendDatagram(const std::string& host, int port, const Bytes& data);
    void SendPlainFrame(const std::string& host, int port, const Bytes& payload, int type);
    void SendRsaFrame(const Bytes& content, const Bytes& publicKey, const std::string& host,
                      int port, int type);
    void SendJoinedFrame(const Bytes& first, const Bytes& second, const std::string& host, int type,
                         int port);
    void SendEnvelopeFrame(const std::string& host, int port, const Bytes& content, int type,
                           const Bytes& publicKey, const Bytes& symmetricKey);

private:
    IClock& FClock;
    ITransport& FTransport;
};

// The characters of `s` from 1-based position `index`, at most `count` of them; a range that
// runs past the end gives a shorter (possibly empty) text, never a read beyond it.
Bytes Copy(const Bytes& s, long long index, long long count);

// The hex number in the `count` characters of `s` from position `index`, read as "$" + field:
// EConvertError "'$<field>' is not a valid integer value" unless the field is hex digits.
std::int32_t HeaderNumber(const Bytes& s, long long index, long long count);

// type (2 digits) + length of the payload's hex text (4 digits) + that text.
Bytes MakeFrame(int type, const Bytes& payloadText);

Bytes ParsePlainFrame(const Bytes& frame);
Bytes ParseRsaFrame(const Bytes& frame, const Bytes& publicKey, const Bytes& privateKey);

// The bare envelope of `content`, sealed with `symmetricKey` for the owner of `publicKey`.
Bytes BuildEnvelope(const Bytes& content, const Bytes& symmetricKey, const Bytes& publicKey);
// The sealed text (before its hex form): what BuildEnvelope and SendEnvelopeFrame carry.
Bytes SealEnvelope(const Bytes& content, const Bytes& symmetricKey, const Bytes& publicKey);
// The two steps of SealEnvelope, for a peer that builds a body of its own. DigestField is the
// digest half of a body: 4 hex digits of length + hex(RSA(MD5(content))) under `publicKey`.
// EncipherBody enciphers a whole body as every envelope is, giving the MIME Base 64 text.
Bytes DigestField(const Bytes& content, const Bytes& publicKey);
Bytes EncipherBody(const Bytes& body, const Bytes& symmetricKey);

// The content of a framed envelope, or DigestErrorText() when its digest does not match.
Bytes OpenEnvelopeFrame(const Bytes& frame, const Bytes& symmetricKey, const Bytes& ownPublicKey,
                        const Bytes& ownPrivateKey);
// The content of a bare envelope (4 hex digits of length + the sealed text's hex), or
// DigestErrorText() when its digest does not match.
Bytes OpenBareEnvelope(const Bytes& envelope, const Bytes& symmetricKey, const Bytes& ownPublicKey,
                       const Bytes& ownPrivateKey);
// The forward part (its length field and text) goes to `forwardPart` before the second part is
// opened, so the caller has it even when opening fails. Returns the second part's content or
// DigestErrorText().
Bytes OpenDualFrame(const Bytes& frame, const Bytes& ownPublicKey, const Bytes& ownPrivateKey,
                    const Bytes& symmetricKey, Bytes& forwardPart);

// "*** Chyba: Message digest vypočtený a message digest ze zprávy není shodný !!!" (CP1250).
const Bytes& DigestErrorText();

// n characters with values 0 to 254, each equally likely, from the system's random source.
Bytes MakeSymmetricKey(int n);

} // namespace velkor
