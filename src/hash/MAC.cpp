// The keyed-hash protection: the password's digest keys the hash's starting state.
#include "hash/MAC.h"

#include "base/Wipe.h"
#include "hash/Hash.h"
#include "hash/StringFormat.h"

#include <algorithm>

namespace velkor {

void WipeThreeTimes(Bytes& secret) {
    SecureWipe(secret, 0xAA);
    SecureWipe(secret, 0x55);
    SecureWipe(secret, 0x00);
}

TMAC::TMAC(BytesView password, TProtectionRef protection)
    : TProtection(std::move(protection)), FPassword(password) {}

TMAC::~TMAC() {
    WipeThreeTimes(FPassword);
}

void TMAC::SetPassword(BytesView password) {
    WipeThreeTimes(FPassword);
    FPassword.assign(password.data(), password.size());
}

void TMAC::BeginStep(THash& hash) {
    if (FPassword.empty()) return;
    Bytes key = DigestOf(hash.ClassType(), FPassword, Protection(), fmtCopy);
    std::uint8_t* digest = hash.DigestData();
    std::size_t n = std::min(key.size(), hash.DigestSize());
    for (std::size_t i = 0; i < n; ++i) digest[i] ^= static_cast<std::uint8_t>(key[i]);
    WipeThreeTimes(key);
}

void TMAC::EndStep(THash& hash) {
    if (Protection())
        Protection()->ProcessBuffer(hash.DigestData(), hash.DigestSize(), TProcessAction::Obscure);
}

} // namespace velkor
