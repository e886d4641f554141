// SecretBytes: its bytes are wiped on destruction, reassignment, growth and move, and never
// left behind in a freed block; ConstantTimeEquals.
#include "base/Secret.h"

#include "FreedScan.h"

#include <gtest/gtest.h>

#include <utility>

namespace velkor {
namespace {

using test::FreedScan;

// 24 and 173 bytes: a symmetric key and a private key text, both longer than a string's
// inline buffer, so they live on the heap.
const std::string kKey("K3y-bytes\x01\x02\x03\xFF\x00 of a symmetric key", 32);
const std::string kLong(173, 'P');

TEST(SecretBytes, HoldsAnyByteAndMovesLeavingTheSourceEmpty) {
    SecretBytes a{BytesView(kKey)};
    EXPECT_EQ(a.Get(), kKey);
    EXPECT_EQ(a.size(), kKey.size());
    SecretBytes b(std::move(a));
    EXPECT_EQ(b.Get(), kKey);
    EXPECT_TRUE(a.empty()); // NOLINT(bugprone-use-after-move): the source is left empty
    SecretBytes c;
    c = std::move(b);
    EXPECT_EQ(c.View(), kKey);
    EXPECT_EQ(c.Clone().Get(), kKey);
}

TEST(SecretBytes, DestructionLeavesNoCopyInFreedMemory) {
    FreedScan scan(kKey);
    { SecretBytes key{BytesView(kKey)}; }
    { SecretBytes text{BytesView(kLong)}; }
    EXPECT_EQ(scan.Hits(), 0);
}

TEST(SecretBytes, ReplacedKeyIsGoneWhateverTheNewSize) {
    FreedScan scan(kKey);
    SecretBytes key{BytesView(kKey)};
    key.Assign(kLong); // grows: the old buffer is released
    EXPECT_EQ(key.Get(), kLong);
    SecretBytes other{BytesView(kKey)};
    other.Assign("short"); // shrinks in place: the old bytes must not linger past the end
    EXPECT_EQ(other.Get(), "short");
    SecretBytes grown{BytesView(kKey)};
    grown.Resize(500);
    EXPECT_EQ(grown.View().substr(0, kKey.size()), kKey);
    grown.Wipe();
    other.Wipe();
    EXPECT_TRUE(grown.empty());
    EXPECT_EQ(scan.Hits(), 0);
}

TEST(SecretBytes, ShrunkOrWipedBufferHoldsNoOldByte) {
    SecretBytes key{BytesView(kLong)};
    const char* buffer = key.Get().data();
    std::size_t capacity = key.Get().capacity();
    key.Resize(10);
    EXPECT_EQ(key.size(), 10U);
    for (std::size_t i = 11; i < kLong.size(); ++i) EXPECT_NE(buffer[i], 'P') << i;
    key.Wipe();
    EXPECT_EQ(key.Get().capacity(), capacity); // the same buffer, wiped in place
    for (std::size_t i = 0; i < capacity; ++i) EXPECT_EQ(buffer[i], 0) << i;
}

TEST(SecretBytes, TakingOverAStringWipesTheStringsBytes) {
    const std::string tail = kKey.substr(3); // made before the scan: a test's own copy
    FreedScan scan(kKey);
    std::string source = kKey;
    SecretBytes key(std::move(source));
    EXPECT_EQ(key.Get(), kKey);
    source.resize(source.capacity());
    EXPECT_EQ(source.find(kKey.substr(0, 8)), std::string::npos);
    key.Assign(key.View().substr(3)); // a view of its own bytes
    EXPECT_EQ(key.Get(), tail);
    key.Wipe();
    EXPECT_EQ(scan.Hits(), 0);
}

TEST(SecretBytes, ScanSeesAPlainStringThatWasNotWiped) {
    // The detector itself: an ordinary string copy leaves the bytes in the freed block.
    FreedScan scan(kKey);
    { std::string copy = kKey; }
    EXPECT_EQ(scan.Hits(), 1);
}

TEST(ConstantTimeEquals, ComparesSizeAndEveryByte) {
    struct Case {
        std::string a, b;
        bool equal;
    } cases[] = {
        {"", "", true},
        {"abc", "abc", true},
        {std::string("a\0b", 3), std::string("a\0b", 3), true},
        {std::string("a\0b", 3), std::string("a\0c", 3), false},
        {"abc", "abd", false},
        {"xbc", "abc", false},
        {"abc", "ab", false},
        {"", "a", false},
        {std::string(40, '\xFF'), std::string(40, '\xFF'), true},
    };
    for (const auto& c : cases) EXPECT_EQ(ConstantTimeEquals(c.a, c.b), c.equal) << c.a;
}

} // namespace
} // namespace velkor
