// RIPEMD-128 and RIPEMD-320 against Crypto++ on random inputs. The designers' values are in
// tests/data/hashes/ripemd128.vec and ripemd320.vec.
#include "hash/RipeMD.h"

#include "ReferenceDigest.h"

#include <cryptopp/ripemd.h>

namespace velkor {
namespace {

template <class Reference> Bytes CryptoPP(const Bytes& data) {
    Reference h;
    Bytes out(Reference::DIGESTSIZE, '\0');
    h.CalculateDigest(reinterpret_cast<CryptoPP::byte*>(out.data()),
                      reinterpret_cast<const CryptoPP::byte*>(data.data()), data.size());
    return out;
}

TEST(RipeMDDifferential, RipeMD128AgainstCryptoPP) {
    test::CompareOnRandomInputs(THash_RipeMD128::Class(), CryptoPP<CryptoPP::RIPEMD128>, 128);
}

TEST(RipeMDDifferential, RipeMD320AgainstCryptoPP) {
    test::CompareOnRandomInputs(THash_RipeMD320::Class(), CryptoPP<CryptoPP::RIPEMD320>, 320);
}

} // namespace
} // namespace velkor
