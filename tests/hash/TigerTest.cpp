// Tiger against Crypto++, mhash and librhash on random inputs. The designers' values are in
// tests/data/hashes/tiger.vec.
#include "hash/Tiger.h"

#include "ReferenceDigest.h"

#include <algorithm>

#include <cryptopp/tiger.h>
#include <mhash.h>
#include <rhash.h>

namespace velkor {
namespace {

Bytes CryptoPPTiger(const Bytes& data) {
    CryptoPP::Tiger h;
    Bytes out(CryptoPP::Tiger::DIGESTSIZE, '\0');
    h.CalculateDigest(reinterpret_cast<CryptoPP::byte*>(out.data()),
                      reinterpret_cast<const CryptoPP::byte*>(data.data()), data.size());
    return out;
}

// mhash gives the words a, b, c as the designers print them, most significant byte first;
// the digest here has each word least significant byte first.
Bytes MhashTiger(const Bytes& data) {
    MHASH td = mhash_init(MHASH_TIGER192);
    EXPECT_NE(td, MHASH_FAILED);
    mhash(td, data.data(), static_cast<mutils_word32>(data.size()));
    Bytes out(mhash_get_block_size(MHASH_TIGER192), '\0');
    mhash_deinit(td, out.data());
    for (std::size_t word = 0; word < out.size(); word += 8)
        std::reverse(out.begin() + static_cast<std::ptrdiff_t>(word),
                     out.begin() + static_cast<std::ptrdiff_t>(word + 8));
    return out;
}

Bytes RhashTiger(const Bytes& data) {
    Bytes out(24, '\0');
    EXPECT_EQ(rhash_msg(RHASH_TIGER, data.data(), data.size(),
                        reinterpret_cast<unsigned char*>(out.data())),
              0);
    return out;
}

TEST(TigerDifferential, AgainstCryptoPP) {
    test::CompareOnRandomInputs(THash_Tiger::Class(), CryptoPPTiger, 192);
}

TEST(TigerDifferential, AgainstMhash) {
    test::CompareOnRandomInputs(THash_Tiger::Class(), MhashTiger, 193);
}

TEST(TigerDifferential, AgainstRhash) {
    rhash_library_init();
    test::CompareOnRandomInputs(THash_Tiger::Class(), RhashTiger, 194);
}

} // namespace
} // namespace velkor
