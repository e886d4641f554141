// TEA and XTEA ("TEA extended"): their designers published no test values, so both are checked
// on random keys and blocks against Crypto++'s TEA and XTEA, and XTEA also against Botan's.
// All three read the words big-endian, as this library does.
#include "cipher/TEA.h"
#include "cipher/XTEA.h"

#include "BlockReference.h"

#include <botan/block_cipher.h>
#include <cryptopp/tea.h>
#include <gtest/gtest.h>

using namespace velkor;
using velkor::test::ExpectSameAsReference;
using velkor::test::U8;

namespace {

template <class E> Bytes CryptoPPEncipher(const Bytes& key, const Bytes& block) {
    E e(U8(key), key.size());
    Bytes out(8, '\0');
    e.ProcessBlock(U8(block), U8(out));
    return out;
}

} // namespace

TEST(CryptoPPTea, RandomKeysAndBlocks) {
    ExpectSameAsReference(TCipher_TEA::Class(), {16}, 1000,
                          CryptoPPEncipher<CryptoPP::TEA::Encryption>, 1994);
}

TEST(CryptoPPTea, ExtendedRandomKeysAndBlocks) {
    ExpectSameAsReference(TCipher_TEAN::Class(), {16}, 1000,
                          CryptoPPEncipher<CryptoPP::XTEA::Encryption>, 1997);
}

TEST(BotanTea, ExtendedRandomKeysAndBlocks) {
    auto xtea = Botan::BlockCipher::create_or_throw("XTEA");
    ExpectSameAsReference(
        TCipher_TEAN::Class(), {16}, 1000,
        [&](const Bytes& key, const Bytes& block) {
            xtea->set_key(U8(key), key.size());
            Bytes out(8, '\0');
            xtea->encrypt_n(U8(block), U8(out), 1);
            return out;
        },
        97);
}
