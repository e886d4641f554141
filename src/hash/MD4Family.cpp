// The family's Start, Feed and Finish: buffering, padding and the bit count, shared by every
// class derived from THash_MD4.
#include "hash/MD4Family.h"

#include "base/ByteOrder.h"
#include "base/Wipe.h"
#include "hash/BlockFeed.h"

#include <bit>
#include <cstring>

namespace velkor {

using ::velkor::LoadLE32;
using ::velkor::StoreLE32;

THash_MD4::~THash_MD4() {
    SecureWipe(FState, sizeof FState);
    SecureWipe(FBuffer, sizeof FBuffer);
    SecureWipe(&FCount, sizeof FCount);
}

// On a little-endian host a word is read and written whole: a word written byte by byte and
// read back whole by the next block's compression would wait for the four stores to drain.
std::uint32_t THash_MD4::Word(int index) const {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t value;
        std::memcpy(&value, FState + 4 * index, 4);
        return value;
    }
    return LoadLE32(FState + 4 * index);
}

void THash_MD4::SetWord(int index, std::uint32_t value) {
    if constexpr (std::endian::native == std::endian::little)
        std::memcpy(FState + 4 * index, &value, 4);
    else
        StoreLE32(FState + 4 * index, value);
}

void THash_MD4::ResetState() {
    static constexpr std::uint32_t kStart[10] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476,
                                                 0xC3D2E1F0, 0x76543210, 0xFEDCBA98, 0x89ABCDEF,
                                                 0x01234567, 0x3C2D1E0F};
    for (int i = 0; i < 10; ++i) SetWord(i, kStart[i]);
}

void THash_MD4::Start() {
    std::memset(FBuffer, 0, sizeof FBuffer);
    ResetState();
    FCount = 0;
    ProtectionHook(false);
}

void THash_MD4::Feed(const void* buffer, std::size_t length) {
    FeedBlocks<kBlockSize>(FBuffer, FCount, buffer, length,
                           [this](const std::uint8_t* block) { CompressBlock(block); });
}

void THash_MD4::PadAndCompress(bool bigEndianLength, std::uint8_t marker) {
    std::size_t at = static_cast<std::size_t>(FCount % kBlockSize);
    FBuffer[at] = marker;
    std::memset(FBuffer + at + 1, 0, kBlockSize - at - 1);
    if (at >= 56) {
        CompressBlock(FBuffer);
        std::memset(FBuffer, 0, kBlockSize);
    }
    std::uint64_t bits = FCount * 8;
    for (int i = 0; i < 8; ++i) {
        int shift = bigEndianLength ? 8 * (7 - i) : 8 * i;
        FBuffer[56 + i] = static_cast<std::uint8_t>(bits >> shift);
    }
    CompressBlock(FBuffer);
    std::memset(FBuffer, 0, kBlockSize);
}

void THash_MD4::Finish() {
    PadAndCompress(false);
    ProtectionHook(true);
}

} // namespace velkor
