// TEA and XTEA ("TEA extended"): their designers published no test values, so both are checked
// on random keys and blocks against Crypto++'s TEA and XTEA, and XTEA also against Botan's.
// All three read the words big-endian, as this library does.
#include "cipher/TEA.h"
#include "cipher/XTEA.h"

#include "TestVectors.h"

#include <botan/block_cipher.h>
#include <cryptopp/tea.h>
#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace velkor;
using velkor::test::Hex;

namespace {

Bytes RandomBytes(std::mt19937& rng, std::size_t n) {
    Bytes b(n, '\0');
    for (auto& ch : b) ch = static_cast<char>(rng() & 0xFF);
    return b;
}

const std::uint8_t* U8(const Bytes& b) {
    return reinterpret_cast<const std::uint8_t*>(b.data());
}

using Reference = std::function<Bytes(const Bytes& key, const Bytes& block)>;

template <class C> void CompareOnRandomInputs(const Reference& reference, unsigned seed) {
    std::mt19937 rng(seed);
    for (int i = 0; i < 1000; ++i) {
        const Bytes key = RandomBytes(rng, 16), block = RandomBytes(rng, 8);
        C c;
        c.Init(key.data(), static_cast<int>(key.size()), nullptr);
        Bytes got = block;
        c.EncipherBlock(got.data());
        ASSERT_EQ(Hex(got), Hex(reference(key, block)))
            << "key " << Hex(key) << " block " << Hex(block);
        c.DecipherBlock(got.data());
        ASSERT_EQ(Hex(got), Hex(block)) << "key " << Hex(key);
    }
}

template <class E> Bytes CryptoPPEncipher(const Bytes& key, const Bytes& block) {
    E e(U8(key), key.size());
    Bytes out(8, '\0');
    e.ProcessBlock(U8(block), reinterpret_cast<std::uint8_t*>(out.data()));
    return out;
}

} // namespace

TEST(CryptoPPTea, RandomKeysAndBlocks) {
    CompareOnRandomInputs<TCipher_TEA>(CryptoPPEncipher<CryptoPP::TEA::Encryption>, 1994);
}

TEST(CryptoPPTea, ExtendedRandomKeysAndBlocks) {
    CompareOnRandomInputs<TCipher_TEAN>(CryptoPPEncipher<CryptoPP::XTEA::Encryption>, 1997);
}

TEST(BotanTea, ExtendedRandomKeysAndBlocks) {
    auto xtea = Botan::BlockCipher::create_or_throw("XTEA");
    CompareOnRandomInputs<TCipher_TEAN>(
        [&](const Bytes& key, const Bytes& block) {
            xtea->set_key(U8(key), key.size());
            Bytes out(8, '\0');
            xtea->encrypt_n(U8(block), reinterpret_cast<std::uint8_t*>(out.data()), 1);
            return out;
        },
        97);
}
