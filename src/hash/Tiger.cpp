// The Tiger compression function and its S-boxes. The four 256-entry S-boxes are not copied
// in as data: they are made once, at first use, by the designers' own published generation
// procedure (below); the designers' test values in tests/data/hashes/tiger.vec check them.
// Making them at compile time instead would take the compiler past its evaluation limits.
#include "hash/Tiger.h"

#include <array>

namespace velkor {

namespace {

// The starting state a, b, c.
constexpr std::uint64_t kStart[3] = {0x0123456789ABCDEF, 0xFEDCBA9876543210, 0xF096A5B4C3B2E187};

// The 64-byte message that drives the S-box generation.
constexpr char kGenerationText[] =
    "Tiger - A Fast New Hash Function, by Ross Anderson and Eli Biham";
static_assert(sizeof kGenerationText == 65);

// Tiger of SelfTestInput.
constexpr std::uint8_t kSelfTest[24] = {0x58, 0x78, 0x75, 0x23, 0xE0, 0x9A, 0x90, 0x84,
                                        0xD8, 0xE3, 0x62, 0x96, 0x68, 0x95, 0xE0, 0xEF,
                                        0x9E, 0x62, 0x1B, 0x4F, 0xBC, 0x4A, 0x44, 0xCA};

// t1..t4, 256 words each.
using SBoxes = std::array<std::array<std::uint64_t, 256>, 4>;

std::uint64_t LoadLE64(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

void StoreLE64(std::uint8_t* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline std::uint8_t ByteOf(std::uint64_t v, int i) {
    return static_cast<std::uint8_t>(v >> (8 * i));
}

inline void Round(const SBoxes& t, std::uint64_t& a, std::uint64_t& b, std::uint64_t& c,
                  std::uint64_t x, std::uint64_t mul) {
    c ^= x;
    a -= t[0][ByteOf(c, 0)] ^ t[1][ByteOf(c, 2)] ^ t[2][ByteOf(c, 4)] ^ t[3][ByteOf(c, 6)];
    b += t[3][ByteOf(c, 1)] ^ t[2][ByteOf(c, 3)] ^ t[1][ByteOf(c, 5)] ^ t[0][ByteOf(c, 7)];
    b *= mul;
}

inline void Pass(const SBoxes& t, std::uint64_t& a, std::uint64_t& b, std::uint64_t& c,
                 const std::uint64_t* x, std::uint64_t mul) {
    Round(t, a, b, c, x[0], mul);
    Round(t, b, c, a, x[1], mul);
    Round(t, c, a, b, x[2], mul);
    Round(t, a, b, c, x[3], mul);
    Round(t, b, c, a, x[4], mul);
    Round(t, c, a, b, x[5], mul);
    Round(t, a, b, c, x[6], mul);
    Round(t, b, c, a, x[7], mul);
}

// The invertible mixing of the eight message words between passes.
inline void KeySchedule(std::uint64_t* x) {
    x[0] -= x[7] ^ 0xA5A5A5A5A5A5A5A5;
    x[1] ^= x[0];
    x[2] += x[1];
    x[3] -= x[2] ^ ((~x[1]) << 19);
    x[4] ^= x[3];
    x[5] += x[4];
    x[6] -= x[5] ^ ((~x[4]) >> 23);
    x[7] ^= x[6];
    x[0] += x[7];
    x[1] -= x[0] ^ ((~x[7]) << 19);
    x[2] ^= x[1];
    x[3] += x[2];
    x[4] -= x[3] ^ ((~x[2]) >> 23);
    x[5] ^= x[4];
    x[6] += x[5];
    x[7] -= x[6] ^ 0x0123456789ABCDEF;
}

// Updates the state from eight message words (taken by value: the schedule changes them).
void Compress(const SBoxes& t, std::uint64_t* state, std::array<std::uint64_t, 8> x) {
    std::uint64_t a = state[0], b = state[1], c = state[2];
    Pass(t, a, b, c, x.data(), 5);
    KeySchedule(x.data());
    Pass(t, c, a, b, x.data(), 7);
    KeySchedule(x.data());
    Pass(t, b, c, a, x.data(), 9);
    state[0] = a ^ state[0];
    state[1] = b - state[1];
    state[2] = c + state[2];
}

// The designers' generation: every byte of entry i of the 1024 entries starts as i mod 256;
// then, in five sweeps over i = 0..255 and each box in turn, byte column k of entry i is
// swapped with byte column k of the entry indexed by byte k of the next state word. The state
// starts at Tiger's starting words and, every third step, is compressed with the generation
// text using the boxes as they stand at that moment.
SBoxes Generate() {
    SBoxes t{};
    auto byteAt = [&t](int entry, int column) -> std::uint8_t {
        return ByteOf(t[static_cast<std::size_t>(entry >> 8)][entry & 0xFF], column);
    };
    auto setByte = [&t](int entry, int column, std::uint8_t value) {
        std::uint64_t& w = t[static_cast<std::size_t>(entry >> 8)][entry & 0xFF];
        w = (w & ~(std::uint64_t{0xFF} << (8 * column))) | (std::uint64_t{value} << (8 * column));
    };
    for (int entry = 0; entry < 1024; ++entry)
        for (int column = 0; column < 8; ++column)
            setByte(entry, column, static_cast<std::uint8_t>(entry & 0xFF));

    std::array<std::uint64_t, 8> text{};
    for (std::size_t i = 0; i < 8; ++i)
        text[i] = LoadLE64(reinterpret_cast<const std::uint8_t*>(kGenerationText) + 8 * i);
    std::uint64_t state[3] = {kStart[0], kStart[1], kStart[2]};
    int word = 2;
    for (int sweep = 0; sweep < 5; ++sweep)
        for (int i = 0; i < 256; ++i)
            for (int box = 0; box < 1024; box += 256) {
                if (++word == 3) {
                    word = 0;
                    Compress(t, state, text);
                }
                for (int column = 0; column < 8; ++column) {
                    int other = box + ByteOf(state[word], column);
                    std::uint8_t held = byteAt(box + i, column);
                    setByte(box + i, column, byteAt(other, column));
                    setByte(other, column, held);
                }
            }
    return t;
}

const SBoxes& TigerSBoxes() {
    static const SBoxes boxes = Generate();
    return boxes;
}

} // namespace

VELKOR_DEFINE_HASH_CLASS(THash_Tiger, THash_MD4::Class())

const std::uint8_t* THash_Tiger::SelfTestVectorData() {
    return kSelfTest;
}

void THash_Tiger::ResetState() {
    for (int i = 0; i < 3; ++i) StoreLE64(FState + 8 * i, kStart[i]);
}

void THash_Tiger::CompressBlock(const std::uint8_t* block) {
    std::array<std::uint64_t, 8> x;
    for (std::size_t i = 0; i < 8; ++i) x[i] = LoadLE64(block + 8 * i);
    std::uint64_t state[3];
    for (int i = 0; i < 3; ++i) state[i] = LoadLE64(FState + 8 * i);
    Compress(TigerSBoxes(), state, x);
    for (int i = 0; i < 3; ++i) StoreLE64(FState + 8 * i, state[i]);
}

void THash_Tiger::Finish() {
    PadAndCompress(false, 0x01);
    ProtectionHook(true);
}

} // namespace velkor
