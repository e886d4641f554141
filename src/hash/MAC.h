// TMAC: a protection that turns a hash into a keyed hash. Chained to a hash, it XORs the
// digest of its password into the hash's starting state at every Start, and passes the
// finished digest through its own chained protection, if any, at every Finish.
#pragma once

#include "base/Bytes.h"
#include "hash/Protection.h"

namespace velkor {

class THash;

class TMAC : public TProtection {
public:
    explicit TMAC(BytesView password = {}, TProtectionRef protection = nullptr);
    // The password is overwritten with AA, 55 and 00 before it goes.
    ~TMAC() override;

    const Bytes& Password() const { return FPassword; }
    // The old password is overwritten the same way before the new one is stored.
    void SetPassword(BytesView password);

    // Called by the hash's protection hook.
    void BeginStep(THash& hash);
    void EndStep(THash& hash);

private:
    Bytes FPassword;
};

// Overwrites the bytes with AA, then 55, then 00.
void WipeThreeTimes(Bytes& secret);

} // namespace velkor
