// RSA key texts: two radix-64 fields joined by the first colon, public = exponent:modulus and
// private = modulus:exponent. A field's bytes form limbs four at a time, big-endian within each
// limb, the first group being the least significant limb.
#pragma once

#include "base/Bytes.h"
#include "rsa/Bignum.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace velkor {

// The size of every number the RSA component keeps, whatever its key size.
inline constexpr int KeyLimbs = 132;

enum class TKeyTextKind { Public, Private };

// Sets the low ceil(size / 4) limbs of `number` from the field; the limbs above are not touched.
void KeyFieldToNumber(BytesView field, Limb* number);
// The inverse for a field of `size` bytes (a multiple of 4 in every key this system writes).
Bytes NumberToKeyField(const Limb* number, std::size_t size);

// Reads a key text for a modulus of `modulusBytes` bytes into two numbers of KeyLimbs limbs
// that the caller has cleared: the first field, once checked, into `first`, then the second
// into `second`. The first failing check raises, leaving what was set before it:
//   no colon                          EInvalidKey  "Public key not valid"
//   bad character in the first field  EConvertError "Public key not valid"
//   first field over N bytes          EInvalidKey  "Public key has incorrect length"
//   bad character in the second field EConvertError "Public key not valid" / "Private key not
//   valid" second field not N bytes          EInvalidKey  "Public key has incorrect length" /
//                                                  "Private key has incorrect length"
void ReadKeyText(std::string_view text, TKeyTextKind kind, std::size_t modulusBytes, Limb* first,
                 Limb* second);

// first ":" second, each field in radix-64.
std::string MakeKeyText(BytesView first, BytesView second);

} // namespace velkor
