// Key material: symmetric keys, private key texts, opened envelope keys, key schedules. One
// move-only byte string that wipes every byte it ever held, and a comparison whose time does
// not depend on where two digests first differ.
#pragma once

#include "base/Bytes.h"

#include <cstddef>
#include <cstdint>

namespace velkor {

class SecretBytes {
public:
    SecretBytes() = default;
    // Takes over the buffer of `bytes` (no copy is left behind in the caller's string).
    explicit SecretBytes(Bytes&& bytes) noexcept;
    explicit SecretBytes(BytesView bytes);
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
    // The source is left empty, its former bytes wiped (a short string moves by copying).
    SecretBytes(SecretBytes&& other) noexcept;
    SecretBytes& operator=(SecretBytes&& other) noexcept;
    ~SecretBytes() { Wipe(); }

    // Replaces the content; the old bytes are wiped first, also when the buffer grows.
    void Assign(BytesView bytes);
    // Wipes the whole buffer, its spare capacity included, and leaves the content empty.
    void Wipe() noexcept;
    // A copy that is itself wiped when it goes.
    SecretBytes Clone() const { return SecretBytes(View()); }

    const Bytes& Get() const noexcept { return FBytes; }
    BytesView View() const noexcept { return FBytes; }
    std::size_t size() const noexcept { return FBytes.size(); }
    bool empty() const noexcept { return FBytes.empty(); }
    std::uint8_t* Data() noexcept { return BytePtr(FBytes); }
    const std::uint8_t* Data() const noexcept { return BytePtr(FBytes); }
    // Changes the size; new bytes are 0. A buffer that must grow is copied and the old one
    // wiped before it is released.
    void Resize(std::size_t size);

private:
    Bytes FBytes;
};

// Equal sizes and equal bytes; the time taken depends on the sizes only.
bool ConstantTimeEquals(BytesView a, BytesView b) noexcept;

} // namespace velkor
