// Fuzzes the cipher classes and modes with arbitrary keys and data: in every mode a freshly
// keyed object must decipher what another enciphered, the MAC modes must not write, cmECB must
// refuse partial blocks without writing, and a manager must turn any text it cannot read into a
// clean format error.
#include "cipher/CipherManager.h"
#include "cipher/CipherRegistry.h"
#include "hash/StringFormat.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace velkor;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

bool IsMac(TCipherMode m) {
    return m == TCipherMode::cmCTSMAC || m == TCipherMode::cmCBCMAC || m == TCipherMode::cmCFBMAC;
}

} // namespace

// Input: class index, mode, key length, the key, then the data.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const auto& registry = CipherRegistry();
    TCipherClass cls = registry[data[0] % registry.size()].Class;
    auto mode = static_cast<TCipherMode>(data[1] % 8);
    std::size_t keyLength = std::min<std::size_t>(data[2], size - 3);
    Bytes key = BytesOf(data + 3, keyLength);
    Bytes plain = BytesOf(data + 3 + keyLength, size - 3 - keyLength);

    TCipherRef c = cls->Create(nullptr);
    c->SetMode(mode);
    c->Init(key.data(), static_cast<int>(key.size()), nullptr);
    const auto block = static_cast<std::size_t>(c->BlockSize());
    Bytes out(plain.size(), '\x5A');
    if (mode == TCipherMode::cmECB && plain.size() % block != 0) {
        bool refused = false;
        try {
            c->EncipherBuffer(plain.data(), out.data(), plain.size());
        } catch (const ECipherException& e) {
            refused = e.ErrorCode() == errBufferSize;
        }
        Check(refused && out == Bytes(plain.size(), '\x5A'));
    } else {
        c->EncipherBuffer(plain.data(), out.data(), plain.size());
        if (IsMac(mode)) {
            Check(out == Bytes(plain.size(), '\x5A'));
        } else {
            // A freshly keyed object deciphers: the stream ciphers' generators run on and are
            // never rewound, so the enciphering object itself could not.
            TCipherRef d = cls->Create(nullptr);
            d->SetMode(mode);
            d->Init(key.data(), static_cast<int>(key.size()), nullptr);
            d->DecipherBuffer(out.data(), out.data(), out.size());
            Check(out == plain);
        }
    }

    TCipherManager manager;
    manager.SetAlgorithm("DES Triple 24byte");
    manager.SetKeyText(key);
    try {
        Bytes back = manager.DecipherText(plain);
        Check(back.size() <= plain.size());
    } catch (const EStringFormat&) {}
    return 0;
}
