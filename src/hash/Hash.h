// The hash base class. A hash is a protection: it can be driven directly (Start, Feed,
// Finish, then DigestSize bytes at DigestData) or run over buffers, streams, files and texts.
// Every hash class has one class object (THashClass) that the registry, the hash manager and
// the ciphers' key hashing use to name the class, ask its digest size and make instances.
#pragma once

#include "base/Bytes.h"
#include "base/Clock.h"
#include "hash/ClassObject.h"
#include "hash/Protection.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace velkor {

class THash;
using THashRef = std::shared_ptr<THash>;

// The fixed 32-byte input of every class's self-test vector.
extern const std::uint8_t SelfTestInput[32];

// The class object of a hash class: its name, its parent, its digest size, its self-test
// vector and a factory.
class THashClassRef : public TClassObject<THashClassRef, THash> {
public:
    std::size_t DigestSize() const { return FDigestSize; }
    // The class's own digest of SelfTestInput (DigestSize bytes).
    const std::uint8_t* SelfTestVector() const { return FSelfTest; }

    // The class object of T: T supplies `static constexpr std::size_t kDigestSize` (inherited
    // from its nearest ancestor when it has none of its own), `static const std::uint8_t*
    // SelfTestVectorData()` and a constructor taking the chained protection.
    template <class T> static THashClassRef Of(const char* name, const THashClassRef* parent) {
        return THashClassRef(name, parent, &Make<T>, T::kDigestSize, T::SelfTestVectorData());
    }

private:
    THashClassRef(const char* name, const THashClassRef* parent, TFactory factory,
                  std::size_t digestSize, const std::uint8_t* selfTest)
        : TClassObject(name, parent, factory), FDigestSize(digestSize), FSelfTest(selfTest) {}

    std::size_t FDigestSize;
    const std::uint8_t* FSelfTest;
};
using THashClass = const THashClassRef*;

// Declares the class object of a hash class inside its body.
#define VELKOR_HASH_CLASS(T) VELKOR_CLASS_OBJECT(THashClass)

// Defines it in the class's source file.
#define VELKOR_DEFINE_HASH_CLASS(T, Parent)                                                        \
    THashClass T::Class() {                                                                        \
        static const THashClassRef instance = THashClassRef::Of<T>(#T, Parent);                    \
        return &instance;                                                                          \
    }

class THash : public TProtection {
public:
    explicit THash(TProtectionRef protection = nullptr) : TProtection(std::move(protection)) {}
    // Each class with state of its own wipes it in its destructor, digest included: by the
    // time this one runs, the derived parts are gone.
    ~THash() override = default;

    static constexpr std::size_t kDigestSize = 0;
    static const std::uint8_t* SelfTestVectorData() { return SelfTestInput; }
    static THashClass Class();
    virtual THashClass ClassType() const { return Class(); }

    std::size_t DigestSize() const { return ClassType()->DigestSize(); }
    const std::uint8_t* SelfTestVector() const { return ClassType()->SelfTestVector(); }

    // The base class hashes nothing: Start and Finish only run the protection hook.
    virtual void Start();
    virtual void Feed(const void* buffer, std::size_t length);
    virtual void Finish();
    // DigestSize bytes, writable: the ciphers' key derivation overwrites them in place.
    virtual std::uint8_t* DigestData();

    // Runs: Start at the start (then, for Erase, a clock-seeded overwrite of the digest);
    // Finish at the end of a Measure run, Start at the end of any other.
    void StartRun(TProcessAction action) override;
    void FinishRun(TProcessAction action) override;
    // Measure feeds the chunk. Obscure and Erase replace each DigestSize piece by the digest
    // after feeding it; Encipher and Decipher XOR each piece with the digest after feeding
    // the digest back in (a keystream). The chained protection acts first, for Decipher last.
    void ProcessChunk(void* buffer, std::size_t length, TProcessAction action) override;

    // The clock that seeds the Erase overwrite; the system clock unless a test hands another.
    void SetClock(IClock& clock) { FClock = &clock; }

protected:
    // The last step of every Start and Finish: keys a chained MAC, or obscures the digest
    // through another chained protection at Finish.
    void ProtectionHook(bool finishing);

private:
    IClock* FClock = &SystemClock();
};

// The Erase generator shared by hashes and ciphers: each byte is folded into the seed's low
// byte, the seed steps as seed * 134775813 + 1 (mod 2^32), and the byte becomes the seed's
// top 8 bits.
void OverwriteFromSeed(std::uint8_t* data, std::size_t length, std::uint32_t seed);

// Creates an object of the class with the protection chained, hashes `data` and returns the
// digest in the string format (format 1: the raw digest bytes). A null class gives "".
std::string DigestOf(THashClass hashClass, BytesView data, TProtectionRef protection,
                     std::int32_t formatId);

} // namespace velkor
