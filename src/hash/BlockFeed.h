// The buffering that every block hash shares: input is taken in whole blocks, straight from the
// caller's data where it can be, and the remainder waits in the hash's block buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace velkor {

// Feeds `length` bytes at `in` to a hash whose `buffer` holds the bytes of an unfinished block
// and whose `count` is the number of bytes fed so far (updated here): the buffer is topped up
// and compressed first, then every whole block is compressed where it lies, and the rest is
// kept. A null `in` is no input.
template <std::size_t BlockSize, class Compress>
void FeedBlocks(std::uint8_t* buffer, std::uint64_t& count, const void* in, std::size_t length,
                Compress compress) {
    if (in == nullptr || length == 0) return;
    auto* p = static_cast<const std::uint8_t*>(in);
    const auto held = static_cast<std::size_t>(count % BlockSize);
    count += length;
    if (held != 0) {
        const std::size_t room = BlockSize - held;
        if (length < room) {
            std::memcpy(buffer + held, p, length);
            return;
        }
        std::memcpy(buffer + held, p, room);
        compress(buffer);
        p += room;
        length -= room;
    }
    for (; length >= BlockSize; p += BlockSize, length -= BlockSize) compress(p);
    if (length != 0) std::memcpy(buffer, p, length);
}

} // namespace velkor
