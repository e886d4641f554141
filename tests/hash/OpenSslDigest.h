// Test-only reference digests from OpenSSL's libcrypto, for differential tests. MD4 lives in
// OpenSSL 3's legacy provider, which is loaded on first use; a digest that cannot be fetched
// gives std::nullopt so the caller can skip with a message.
#pragma once

#include <openssl/evp.h>
#include <openssl/provider.h>

#include <optional>
#include <string>

namespace velkor::test {

inline std::optional<std::string> OpenSslDigest(const char* name, const std::string& data) {
    // Loaded once and unloaded at exit, so that leak checkers stay quiet.
    struct Providers {
        OSSL_PROVIDER* Default = OSSL_PROVIDER_load(nullptr, "default");
        OSSL_PROVIDER* Legacy = OSSL_PROVIDER_load(nullptr, "legacy");
        ~Providers() {
            if (Legacy) OSSL_PROVIDER_unload(Legacy);
            if (Default) OSSL_PROVIDER_unload(Default);
        }
    };
    static Providers providers;
    EVP_MD* md = EVP_MD_fetch(nullptr, name, nullptr);
    if (md == nullptr) return std::nullopt;
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    bool ok = EVP_Digest(data.data(), data.size(), out, &size, md, nullptr) == 1;
    EVP_MD_free(md);
    if (!ok) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(out), size);
}

} // namespace velkor::test
