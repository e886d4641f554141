// SecretBytes and the constant-time comparison.
#include "base/Secret.h"

#include "base/Wipe.h"

#include <functional>
#include <utility>

namespace velkor {
namespace {

// Overwrites every byte the string's buffer holds, up to its capacity, and empties it.
void WipeString(Bytes& s) noexcept {
    s.resize(s.capacity()); // never reallocates; exposes the spare bytes for the wipe
    SecureWipe(s);
    s.clear();
}

} // namespace

SecretBytes::SecretBytes(Bytes&& bytes) noexcept : FBytes(std::move(bytes)) {
    WipeString(bytes);
}

SecretBytes::SecretBytes(BytesView bytes) : FBytes(bytes) {}

SecretBytes::SecretBytes(SecretBytes&& other) noexcept : FBytes(std::move(other.FBytes)) {
    WipeString(other.FBytes);
}

SecretBytes& SecretBytes::operator=(SecretBytes&& other) noexcept {
    if (this != &other) {
        Wipe();
        FBytes = std::move(other.FBytes);
        WipeString(other.FBytes);
    }
    return *this;
}

void SecretBytes::Assign(BytesView bytes) {
    if (bytes.size() > FBytes.capacity()) {
        SecretBytes fresh(bytes);
        *this = std::move(fresh);
        return;
    }
    // `bytes` may be a view of this very content: copy it before the old bytes go.
    std::less<const char*> before;
    const char* begin = FBytes.data();
    if (!before(bytes.data(), begin) && before(bytes.data(), begin + FBytes.capacity())) {
        SecretBytes copy(bytes);
        *this = std::move(copy);
        return;
    }
    Wipe();
    FBytes.assign(bytes.data(), bytes.size());
}

void SecretBytes::Wipe() noexcept {
    WipeString(FBytes);
}

void SecretBytes::Resize(std::size_t size) {
    if (size <= FBytes.capacity()) {
        if (size < FBytes.size()) SecureWipe(FBytes.data() + size, FBytes.size() - size);
        FBytes.resize(size);
        return;
    }
    SecretBytes grown;
    grown.FBytes.reserve(size);
    grown.FBytes.assign(FBytes);
    grown.FBytes.resize(size);
    *this = std::move(grown);
}

bool ConstantTimeEquals(BytesView a, BytesView b) noexcept {
    if (a.size() != b.size()) return false;
    unsigned diff = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i]) ^ static_cast<unsigned char>(b[i]);
    // Read through a volatile so that the optimiser cannot turn the loop into an early exit.
    volatile unsigned result = diff;
    return result == 0;
}

} // namespace velkor
