// The cipher of every sealed envelope: "DES Triple 24byte" in cmCTS, keyed from a symmetric key
// through its own MD5 hash manager, which also digests the envelope's content.
#pragma once

#include "base/Bytes.h"
#include "cipher/CipherManager.h"
#include "hash/HashManager.h"

namespace velkor {

inline constexpr const char* kEnvelopeHash = "Message Digest 5";
inline constexpr const char* kEnvelopeCipher = "DES Triple 24byte";

// Both managers live for one sealing or opening.
struct TEnvelopeCipher {
    explicit TEnvelopeCipher(const Bytes& symmetricKey) {
        Hash.SetAlgorithm(kEnvelopeHash);
        Cipher.SetHashManager(&Hash);
        Cipher.SetAlgorithm(kEnvelopeCipher);
        Cipher.SetKeyText(symmetricKey, nullptr);
    }
    TEnvelopeCipher(const TEnvelopeCipher&) = delete;
    TEnvelopeCipher& operator=(const TEnvelopeCipher&) = delete;

    THashManager Hash;
    TCipherManager Cipher;
};

} // namespace velkor
