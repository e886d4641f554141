// The RSA component: key assignment with its status reporting, block padding, and the block
// mapping of cipher texts (plain little-endian over the whole block, unlike the key fields).
#include "rsa/RSA.h"

#include "base/Exception.h"
#include "base/Secret.h"
#include "base/Wipe.h"
#include "rsa/Radix64.h"

#include <algorithm>
#include <new>

namespace velkor {

namespace {

void BlockToNumber(const char* block, std::size_t size, Limb* number) {
    for (std::size_t i = 0; i < size; ++i)
        number[i / 4] |= Limb{static_cast<unsigned char>(block[i])} << (8 * (i % 4));
}

void NumberToBlock(const Limb* number, char* block, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        block[i] = static_cast<char>((number[i / 4] >> (8 * (i % 4))) & 0xFFU);
}

void WipeNumber(Limb* number) {
    SecureWipe(number, sizeof(Limb) * KeyLimbs);
}

// Raises each block of `inSize` bytes (little-endian) to `exponent` modulo `modulus` and writes
// the `outSize` least significant bytes of each result, block after block.
void TransformBlocks(const char* in, std::size_t inSize, std::size_t blocks, char* out,
                     std::size_t outSize, const Limb* exponent, const Limb* modulus) {
    // The message and result numbers hold plain blocks (symmetric keys, digests), so they live
    // in key-material storage and are wiped with it, also when something below raises. The
    // storage is a heap block, aligned for any fundamental type; the limbs are made in it.
    SecretBytes scratch;
    scratch.Resize(2 * KeyLimbs * sizeof(Limb));
    Limb* m = new (scratch.Data()) Limb[2 * KeyLimbs]{};
    Limb* c = m + KeyLimbs;
    for (std::size_t k = 0; k < blocks; ++k) {
        NumAssignZero(m, KeyLimbs);
        NumAssignZero(c, KeyLimbs);
        BlockToNumber(in + k * inSize, inSize, m);
        NumModExp(c, m, exponent, KeyLimbs, modulus, KeyLimbs);
        NumberToBlock(c, out + k * outSize, outSize);
    }
}

struct TKeyBitsName {
    TKeyBits Value;
    const char* Name;
};
constexpr TKeyBitsName kKeyBitsNames[] = {
    {TKeyBits::kb0512, "kb0512"}, {TKeyBits::kb1024, "kb1024"}, {TKeyBits::kb2048, "kb2048"}};
constexpr const char* kSymKeyLengthNames[] = {"sk64", "sk128", "sk192", "sk256"};

} // namespace

TRSA::TRSA(TComponent* owner) : TComponent(owner) {}

TRSA::~TRSA() {
    WipeNumber(FPublicExponent);
    WipeNumber(FModulus);
    WipeNumber(FPrivateExponent);
    WipeNumber(FSignatureValue);
}

template <class E> void TRSA::Fail(const char* status, const char* message) {
    FStatus = status;
    NotifyStatus();
    throw E(message);
}

void TRSA::NotifyStatus() {
    if (OnStatusUpdate) OnStatusUpdate(this);
}

void TRSA::SetKeyBits(TKeyBits value) {
    switch (value) {
    case TKeyBits::kb0512:
        FKeyBits = value;
        FModulusLimbs = 16;
        FStatus = "TRSA using 512 bit key";
        break;
    case TKeyBits::kb1024:
        FKeyBits = value;
        FModulusLimbs = 32;
        FStatus = "TRSA using 1024 bit key";
        break;
    case TKeyBits::kb2048:
        FKeyBits = value;
        FModulusLimbs = 64;
        FStatus = "TRSA using 2048 bit key";
        break;
    }
    NotifyStatus();
}

void TRSA::ReadKey(const std::string& text, TKeyTextKind kind, Limb* first, Limb* second) {
    try {
        ReadKeyText(text, kind, ModulusBytes(), first, second);
    } catch (const Exception& fault) {
        FStatus = fault.Message();
        NotifyStatus();
        throw;
    }
}

void TRSA::SetPublicKey(const std::string& text) {
    NumAssignZero(FPublicExponent, KeyLimbs);
    NumAssignZero(FModulus, KeyLimbs);
    FPublicLoaded = false;
    ReadKey(text, TKeyTextKind::Public, FPublicExponent, FModulus);
    FPublicLoaded = true;
    FPublicKey = text;
    FStatus = "Public key loaded OK";
    NotifyStatus();
}

void TRSA::SetPrivateKey(const std::string& text) {
    NumAssignZero(FModulus, KeyLimbs);
    NumAssignZero(FPrivateExponent, KeyLimbs);
    FPrivateLoaded = false;
    ReadKey(text, TKeyTextKind::Private, FModulus, FPrivateExponent);
    FPrivateLoaded = true;
    // `text` may be this very key text; Assign copies it before the old bytes are wiped.
    FPrivateKey.Assign(text);
    FStatus = "Private key loaded OK";
    NotifyStatus();
}

void TRSA::SetSignature(const std::string& text) {
    Bytes value;
    try {
        value = DecodeRadix64(text);
    } catch (const EConvertError&) {
        Fail<EConvertError>("Signature not valid", "Signature not valid");
    }
    if (value.size() != ModulusBytes())
        Fail<EConvertError>("Signature has incorrect length", "Signature has incorrect length");
    NumAssignZero(FSignatureValue, KeyLimbs);
    BlockToNumber(value.data(), value.size(), FSignatureValue);
    FSignature = text;
    FSignatureLoaded = true;
}

std::string TRSA::PublicEncipher(BytesView data) {
    if (!FPublicLoaded) Fail<ENoKeyLoaded>("Public key not loaded", "Public key not loaded");
    // Only an empty key text is accepted before KeyBits is set, and there is no block size to
    // work with: the key is as unusable as one of the wrong length.
    if (FModulusLimbs == 0)
        Fail<EInvalidKey>("Public key has incorrect length", "Public key has incorrect length");

    const std::size_t n = ModulusBytes();
    const std::size_t b = n - 1;
    const std::size_t pad = b - data.size() % b;
    SecretBytes padded;
    padded.Resize(data.size() + pad);
    std::copy(data.begin(), data.end(), padded.Data());
    std::fill_n(padded.Data() + data.size(), pad, static_cast<std::uint8_t>(pad));
    const std::size_t blocks = padded.size() / b;

    Bytes cipher(n * blocks, '\0');
    TransformBlocks(padded.Get().data(), b, blocks, cipher.data(), n, FPublicExponent, FModulus);
    return EncodeRadix64(cipher);
}

Bytes TRSA::PrivateDecipher(std::string_view data) {
    if (!FPrivateLoaded) Fail<ENoKeyLoaded>("Private key not loaded", "Private key not loaded");
    if (FModulusLimbs == 0)
        Fail<EInvalidKey>("Private key has incorrect length", "Private key has incorrect length");

    Bytes cipher;
    try {
        cipher = DecodeRadix64(data);
    } catch (const EConvertError&) {
        Fail<EConvertError>("String not valid", "String not valid");
    }
    const std::size_t n = ModulusBytes();
    // Bytes after the last whole block would mean nothing, so such a text is damaged.
    if (cipher.size() < n || cipher.size() % n != 0)
        Fail<EConvertError>("String not valid", "String has incorrect length");

    const std::size_t blocks = cipher.size() / n;
    const std::size_t b = n - 1;
    Bytes result(b * blocks, '\0');
    TransformBlocks(cipher.data(), n, blocks, result.data(), b, FPrivateExponent, FModulus);

    const std::size_t pad = static_cast<unsigned char>(result.back());
    const std::size_t keep = pad >= result.size() ? 0 : result.size() - pad;
    SecureWipe(result.data() + keep, result.size() - keep);
    result.resize(keep);
    return result;
}

void TRSA::WriteProperties(TPropertyWriter& writer) const {
    TComponent::WriteProperties(writer);
    for (const auto& entry : kKeyBitsNames)
        if (entry.Value == FKeyBits) writer.WriteIdent("KeyBits", entry.Name);
    if (!FPublicKey.empty()) writer.WriteString("PublicKey", FPublicKey);
    if (!FPrivateKey.empty()) writer.WriteString("PrivateKey", FPrivateKey.Get());
    if (!FSignature.empty()) writer.WriteString("Signature", FSignature);
    if (!FStatus.empty()) writer.WriteString("Status", FStatus);
    if (FSymKeyLength != TSymKeyLength::sk64)
        writer.WriteIdent("SymKeyLength", kSymKeyLengthNames[static_cast<int>(FSymKeyLength)]);
}

bool TRSA::ReadProperty(std::string_view name, const TPropertyValue& value) {
    const bool isIdent = value.Kind == TPropertyKind::Identifier;
    const bool isString = value.Kind == TPropertyKind::String;
    if (name == "KeyBits" && isIdent) {
        for (const auto& entry : kKeyBitsNames) {
            if (value.Text == entry.Name) {
                SetKeyBits(entry.Value);
                return true;
            }
        }
        return false;
    }
    if (name == "SymKeyLength" && isIdent) {
        for (int i = 0; i < 4; ++i) {
            if (value.Text == kSymKeyLengthNames[i]) {
                SetSymKeyLength(static_cast<TSymKeyLength>(i));
                return true;
            }
        }
        return false;
    }
    if (name == "PublicKey" && isString)
        SetPublicKey(value.Text);
    else if (name == "PrivateKey" && isString)
        SetPrivateKey(value.Text);
    else if (name == "Signature" && isString)
        SetSignature(value.Text);
    else if (name == "Status" && isString)
        SetStatus(value.Text);
    else
        return TComponent::ReadProperty(name, value);
    return true;
}

} // namespace velkor
