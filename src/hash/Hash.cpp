// The hash base class: the protection hook, the run overrides with their keystream and
// obscuring pieces, the Erase generator and DigestOf.
#include "hash/Hash.h"

#include "hash/MAC.h"
#include "hash/StringFormat.h"

#include <algorithm>

namespace velkor {

const std::uint8_t SelfTestInput[32] = {
    0x30, 0x44, 0xED, 0x6E, 0x45, 0xA4, 0x96, 0xF5, 0xF6, 0x35, 0xA2, 0xEB, 0x3D, 0x1A, 0x5D, 0xD6,
    0xCB, 0x1D, 0x09, 0x82, 0x2D, 0xBD, 0xF5, 0x60, 0xC2, 0xB8, 0x58, 0xA1, 0x91, 0xF9, 0x81, 0xB1};

VELKOR_DEFINE_HASH_CLASS(THash, nullptr)

void THash::Start() {
    ProtectionHook(false);
}

void THash::Feed(const void*, std::size_t) {}

void THash::Finish() {
    ProtectionHook(true);
}

// The base class's digest is zero bytes long, so the pointer is never written through.
std::uint8_t* THash::DigestData() {
    return const_cast<std::uint8_t*>(SelfTestInput);
}

void THash::ProtectionHook(bool finishing) {
    TProtection* next = Protection().get();
    if (next == nullptr) return;
    if (auto* mac = dynamic_cast<TMAC*>(next)) {
        if (finishing)
            mac->EndStep(*this);
        else
            mac->BeginStep(*this);
    } else if (finishing) {
        next->ProcessBuffer(DigestData(), DigestSize(), TProcessAction::Obscure);
    }
}

void OverwriteFromSeed(std::uint8_t* data, std::size_t length, std::uint32_t seed) {
    for (std::size_t i = 0; i < length; ++i) {
        seed ^= data[i];
        seed = seed * 134775813U + 1U;
        data[i] = static_cast<std::uint8_t>(seed >> 24);
    }
}

void THash::StartRun(TProcessAction action) {
    Start();
    if (action == TProcessAction::Erase)
        OverwriteFromSeed(DigestData(), DigestSize(), ClockSeed(*FClock));
    TProtection::StartRun(action);
}

void THash::FinishRun(TProcessAction action) {
    TProtection::FinishRun(action);
    if (action == TProcessAction::Measure)
        Finish();
    else
        Start();
}

void THash::ProcessChunk(void* buffer, std::size_t length, TProcessAction action) {
    if (action != TProcessAction::Decipher) TProtection::ProcessChunk(buffer, length, action);
    if (AllowedActions.Contains(action)) {
        if (buffer == nullptr) return;
        auto* data = static_cast<std::uint8_t*>(buffer);
        const std::size_t size = DigestSize();
        switch (action) {
        case TProcessAction::Measure:
            Feed(data, length);
            break;
        case TProcessAction::Obscure:
        case TProcessAction::Erase:
            // A class without a digest has nothing to put in the pieces.
            for (std::size_t at = 0; size != 0 && at < length; at += size) {
                std::size_t n = std::min(size, length - at);
                Feed(data + at, n);
                Finish();
                std::copy_n(DigestData(), n, data + at);
            }
            break;
        case TProcessAction::Encipher:
        case TProcessAction::Decipher:
            for (std::size_t at = 0; size != 0 && at < length; at += size) {
                std::size_t n = std::min(size, length - at);
                Feed(DigestData(), size);
                Finish();
                const std::uint8_t* key = DigestData();
                for (std::size_t i = 0; i < n; ++i) data[at + i] ^= key[i];
            }
            break;
        }
    }
    if (action == TProcessAction::Decipher) TProtection::ProcessChunk(buffer, length, action);
}

std::string DigestOf(THashClass hashClass, BytesView data, TProtectionRef protection,
                     std::int32_t formatId) {
    if (hashClass == nullptr) return {};
    THashRef hash = hashClass->Create(std::move(protection));
    hash->Start();
    hash->Feed(data.data(), data.size());
    hash->Finish();
    return ToFormat(hash->DigestData(), static_cast<int>(hash->DigestSize()), formatId);
}

} // namespace velkor
