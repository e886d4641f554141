// The byte string every layer passes around: keys, digests, frames, cipher texts and all
// protocol texts. It may hold any byte value, including 0, and is never read as a C string.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velkor {

using Bytes = std::string;
using BytesView = std::string_view;

// Bytes from a raw area; a convenience for code that works on uint8_t buffers.
inline Bytes BytesOf(const void* data, std::size_t size) {
    return Bytes(static_cast<const char*>(data), size);
}

inline const std::uint8_t* BytePtr(const Bytes& b) {
    return reinterpret_cast<const std::uint8_t*>(b.data());
}
inline std::uint8_t* BytePtr(Bytes& b) {
    return reinterpret_cast<std::uint8_t*>(b.data());
}

} // namespace velkor
