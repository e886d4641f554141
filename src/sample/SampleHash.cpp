// The demonstration hash. It is this library's own construction, not a published one, so it
// has no known answers: its tests are the properties every hash must have (the same digest
// however the input is split, about half the digest changed by one flipped input bit).
//
// Each 8-byte little-endian word w of the message does state = Mix(state xor w); the message
// is padded with 0x80 and zeros to whole words, then its byte count is absorbed as one more
// word, and the digest is the state, little-endian.
#include "sample/SampleHash.h"

#include "base/Wipe.h"

#include <cstring>

namespace velkor {
namespace {

// The starting state: the first 64 bits of the fractional part of the golden ratio.
constexpr std::uint64_t kStart = 0x9E3779B97F4A7C15ULL;

// The finaliser of a well-studied 64-bit mixer: two multiplications by odd constants between
// xor-shifts, so that every input bit reaches every output bit.
std::uint64_t Mix(std::uint64_t x) {
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBULL;
    x ^= x >> 31;
    return x;
}

std::uint64_t LoadLE64(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

// The class's digest of SelfTestInput.
const std::uint8_t kSelfTest[8] = {0x9B, 0x74, 0x9D, 0x9D, 0x14, 0xBA, 0x1D, 0x4F};

} // namespace

VELKOR_DEFINE_HASH_CLASS(THash_Sample, THash::Class())

THash_Sample::~THash_Sample() {
    SecureWipe(&FState, sizeof FState);
    SecureWipe(FBuffer, sizeof FBuffer);
    SecureWipe(FDigest, sizeof FDigest);
}

const std::uint8_t* THash_Sample::SelfTestVectorData() {
    return kSelfTest;
}

void THash_Sample::Absorb(std::uint64_t word) {
    FState = Mix(FState ^ word);
}

void THash_Sample::Start() {
    FState = kStart;
    FCount = 0;
    std::memset(FBuffer, 0, sizeof FBuffer);
    THash::Start();
}

void THash_Sample::Feed(const void* buffer, std::size_t length) {
    if (buffer == nullptr) return;
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    for (std::size_t i = 0; i < length; ++i) {
        FBuffer[FCount % 8] = in[i];
        if (++FCount % 8 == 0) Absorb(LoadLE64(FBuffer));
    }
}

void THash_Sample::Finish() {
    const std::uint64_t count = FCount;
    std::size_t at = count % 8;
    FBuffer[at] = 0x80;
    std::memset(FBuffer + at + 1, 0, 7 - at);
    Absorb(LoadLE64(FBuffer));
    Absorb(count);
    for (int i = 0; i < 8; ++i) FDigest[i] = static_cast<std::uint8_t>(FState >> (8 * i));
    FCount = count;
    THash::Finish();
}

} // namespace velkor
