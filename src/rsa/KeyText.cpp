// Reading and writing RSA key texts, with the checks in the order the peers expect them.
#include "rsa/KeyText.h"

#include "base/Exception.h"
#include "base/Secret.h"
#include "base/Wipe.h"
#include "rsa/Radix64.h"
#include "rsa/RsaErrors.h"

namespace velkor {

namespace {

// Decodes one field, turning the decoder's fault into the key's own message.
Bytes DecodeField(std::string_view field, const char* invalidMessage) {
    try {
        return DecodeRadix64(field);
    } catch (const EConvertError&) {
        throw EConvertError(invalidMessage);
    }
}

} // namespace

void KeyFieldToNumber(BytesView field, Limb* number) {
    const auto* p = reinterpret_cast<const unsigned char*>(field.data());
    for (std::size_t i = 0; i < field.size(); i += 4) {
        Limb limb = 0;
        for (std::size_t j = i; j < i + 4 && j < field.size(); ++j) limb = (limb << 8) | p[j];
        number[i / 4] = limb;
    }
}

Bytes NumberToKeyField(const Limb* number, std::size_t size) {
    Bytes field(size, '\0');
    for (std::size_t i = 0; i < size; i += 4) {
        const std::size_t group = size - i < 4 ? size - i : 4;
        Limb limb = number[i / 4];
        for (std::size_t j = group; j-- > 0;) {
            field[i + j] = static_cast<char>(limb & 0xFFU);
            limb >>= 8;
        }
    }
    return field;
}

void ReadKeyText(std::string_view text, TKeyTextKind kind, std::size_t modulusBytes, Limb* first,
                 Limb* second) {
    const bool isPrivate = kind == TKeyTextKind::Private;
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) throw EInvalidKey("Public key not valid");

    Bytes field = DecodeField(text.substr(0, colon), "Public key not valid");
    if (field.size() > modulusBytes) {
        SecureWipe(field);
        throw EInvalidKey("Public key has incorrect length");
    }
    KeyFieldToNumber(field, first);
    SecureWipe(field);

    field = DecodeField(text.substr(colon + 1),
                        isPrivate ? "Private key not valid" : "Public key not valid");
    if (field.size() != modulusBytes) {
        SecureWipe(field);
        throw EInvalidKey(isPrivate ? "Private key has incorrect length"
                                    : "Public key has incorrect length");
    }
    KeyFieldToNumber(field, second);
    SecureWipe(field);
}

std::string MakeKeyText(BytesView first, BytesView second) {
    // The second field of a private key text is the private exponent: the text is put together
    // in one buffer of its final size and the fields' own texts are wiped, so that no copy of
    // it goes back to the heap.
    const SecretBytes firstText(EncodeRadix64(first));
    const SecretBytes secondText(EncodeRadix64(second));
    std::string text;
    text.reserve(firstText.size() + 1 + secondText.size());
    text.append(firstText.View()).append(1, ':').append(secondText.View());
    return text;
}

} // namespace velkor
