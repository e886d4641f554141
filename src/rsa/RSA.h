// TRSA: a non-visual component that enciphers byte strings with an RSA public key and deciphers
// them with the private key. Keys and cipher texts are radix-64 texts; every refusal stores a
// Status text, fires OnStatusUpdate, and then raises.
#pragma once

#include "base/Bytes.h"
#include "base/Component.h"
#include "base/Secret.h"
#include "rsa/Bignum.h"
#include "rsa/KeyText.h"
#include "rsa/RsaErrors.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace velkor {

enum class TKeyBits : std::uint8_t { kb0512 = 0, kb1024 = 1, kb2048 = 2 };
enum class TSymKeyLength : std::uint8_t { sk64 = 0, sk128 = 1, sk192 = 2, sk256 = 3 };

class TRSA : public TComponent {
public:
    using TNotifyEvent = std::function<void(TComponent* sender)>;

    explicit TRSA(TComponent* owner = nullptr);
    // Wipes the key numbers and the private key text.
    ~TRSA() override;
    std::string ClassName() const override { return "TRSA"; }

    TKeyBits KeyBits() const { return FKeyBits; }
    // Sets the modulus size (and Status) for the three sizes; any value fires OnStatusUpdate.
    void SetKeyBits(TKeyBits value);
    TSymKeyLength SymKeyLength() const { return FSymKeyLength; }
    void SetSymKeyLength(TSymKeyLength value) { FSymKeyLength = value; }
    const std::string& PublicKey() const { return FPublicKey; }
    void SetPublicKey(const std::string& text);
    const std::string& PrivateKey() const { return FPrivateKey.Get(); }
    void SetPrivateKey(const std::string& text);
    const std::string& Signature() const { return FSignature; }
    void SetSignature(const std::string& text);
    const std::string& Status() const { return FStatus; }
    // Only stores the text; fires no event.
    void SetStatus(std::string text) { FStatus = std::move(text); }

    // 16, 32 or 64 once KeyBits has been assigned, 0 before.
    int ModulusLimbs() const { return FModulusLimbs; }

    TNotifyEvent OnStatusUpdate;

    // Pads the data to whole blocks of N - 1 bytes and returns the radix-64 text of the
    // N-byte cipher blocks.
    std::string PublicEncipher(BytesView data);
    // The inverse of PublicEncipher. A private key that does not match gives meaningless bytes
    // and raises nothing; callers check the content themselves.
    Bytes PrivateDecipher(std::string_view data);

    void NotifyStatus();

    void WriteProperties(TPropertyWriter& writer) const override;
    bool ReadProperty(std::string_view name, const TPropertyValue& value) override;

private:
    std::size_t ModulusBytes() const { return 4U * static_cast<std::size_t>(FModulusLimbs); }
    // Stores the status, fires the event, then raises E with the message.
    template <class E> [[noreturn]] void Fail(const char* status, const char* message);
    void ReadKey(const std::string& text, TKeyTextKind kind, Limb* first, Limb* second);

    TKeyBits FKeyBits = TKeyBits::kb0512;
    TSymKeyLength FSymKeyLength = TSymKeyLength::sk64;
    int FModulusLimbs = 0;
    std::string FPublicKey;
    SecretBytes FPrivateKey;
    std::string FStatus;
    std::string FSignature;
    Limb FPublicExponent[KeyLimbs] = {};
    Limb FModulus[KeyLimbs] = {}; // shared: whichever key text was read last set it
    Limb FPrivateExponent[KeyLimbs] = {};
    Limb FSignatureValue[KeyLimbs] = {};
    bool FPublicLoaded = false;
    bool FPrivateLoaded = false;
    bool FSignatureLoaded = false;
};

} // namespace velkor
