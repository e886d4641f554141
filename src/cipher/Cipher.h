// The block-cipher base. A cipher class supplies its sizes, its key expansion (Init) and the two
// block primitives; TCipher supplies the owned areas, keying from raw bytes and from a key
// string through a hash, the eight chaining modes, the chain reset between runs and the wipe.
#pragma once

#include "base/Bytes.h"
#include "base/Clock.h"
#include "base/Exception.h"
#include "hash/Hash.h"
#include "hash/Protection.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velkor {

enum class TCipherMode : std::uint8_t {
    cmCTS = 0,
    cmCBC = 1,
    cmCFB = 2,
    cmOFB = 3,
    cmECB = 4,
    cmCTSMAC = 5,
    cmCBCMAC = 6,
    cmCFBMAC = 7,
};

// The names as form descriptions write them ("cmCTS", ...); unknown names give nothing.
std::string CipherModeName(TCipherMode mode);
std::optional<TCipherMode> CipherModeFromName(std::string_view name);

class ECipherException : public Exception {
public:
    ECipherException(int errorCode, std::string message)
        : Exception(std::move(message)), FErrorCode(errorCode) {}
    int ErrorCode() const noexcept { return FErrorCode; }

private:
    int FErrorCode;
};

// ErrorCode values.
constexpr int errKeySize = 2;        // over-long key, only with StrictKeySize
constexpr int errNotInitialized = 3; // buffer operation or run before Init/InitKey
constexpr int errBufferSize = 4;     // cmECB over a range that is not whole blocks

// The process-wide switch that makes an over-long key an error instead of cutting it to the
// class's key size. Off by default.
bool StrictKeySize();
void SetStrictKeySize(bool strict);

class TCipher;
using TCipherRef = std::shared_ptr<TCipher>;

// The class object of a cipher class: its name, its parent, its sizes, its self-test vector
// and a factory.
class TCipherClassRef : public TClassObject<TCipherClassRef, TCipher> {
public:
    int BlockSize() const { return FBlockSize; }
    int KeySize() const { return FKeySize; }
    int KeyScheduleSize() const { return FKeyScheduleSize; }
    void ClassSizes(int& blockSize, int& keySize, int& keyScheduleSize) const {
        blockSize = FBlockSize;
        keySize = FKeySize;
        keyScheduleSize = FKeyScheduleSize;
    }
    const std::uint8_t* SelfTestVector() const { return FSelfTest; }

    // The class object of T: T supplies kBlockSize, kKeySize and kKeyScheduleSize, a static
    // SelfTestVectorData() and a public constructor taking the chained protection. An
    // abstract class passes no factory.
    template <class T>
    static TCipherClassRef Of(const char* name, const TCipherClassRef* parent,
                              TFactory factory = &Make<T>) {
        return TCipherClassRef(name, parent, factory, T::kBlockSize, T::kKeySize,
                               T::kKeyScheduleSize, T::SelfTestVectorData());
    }

private:
    TCipherClassRef(const char* name, const TCipherClassRef* parent, TFactory factory,
                    int blockSize, int keySize, int keyScheduleSize, const std::uint8_t* selfTest)
        : TClassObject(name, parent, factory), FBlockSize(blockSize), FKeySize(keySize),
          FKeyScheduleSize(keyScheduleSize), FSelfTest(selfTest) {}

    int FBlockSize;
    int FKeySize;
    int FKeyScheduleSize;
    const std::uint8_t* FSelfTest;
};
using TCipherClass = const TCipherClassRef*;

// Declares the class object of a cipher class inside its body.
#define VELKOR_CIPHER_CLASS(T) VELKOR_CLASS_OBJECT(TCipherClass)

// Defines it in the class's source file.
#define VELKOR_DEFINE_CIPHER_CLASS(T, Parent)                                                      \
    TCipherClass T::Class() {                                                                      \
        static const TCipherClassRef instance = TCipherClassRef::Of<T>(#T, Parent);                \
        return &instance;                                                                          \
    }

// An object of the class, keyed from `keyString` through the class's default key hash when the
// string is not empty.
TCipherRef CreateCipher(TCipherClass cipherClass, BytesView keyString = {},
                        TProtectionRef protection = nullptr);

class TCipher : public TProtection {
public:
    // The key material is wiped before the areas go.
    ~TCipher() override;

    static constexpr int kBlockSize = 0;
    static constexpr int kKeySize = 0;
    static constexpr int kKeyScheduleSize = 0;
    static const std::uint8_t* SelfTestVectorData() { return SelfTestInput; }
    static TCipherClass Class();
    virtual TCipherClass ClassType() const { return Class(); }
    std::string ClassName() const { return ClassType()->ClassName(); }

    int BlockSize() const { return FBlockSize; }
    int KeySize() const { return FKeySize; }
    int KeyScheduleSize() const { return FKeyScheduleSize; }

    TCipherMode Mode() const { return FMode; }
    // Takes effect at the next buffer operation; the feedback register is left as it is.
    void SetMode(TCipherMode mode) { FMode = mode; }

    // The hash that InitKey turns key strings into key bytes with; made on first use.
    const THashRef& KeyHash() const { return FKeyHash; }
    THashClass KeyHashClass() const { return FKeyHashClass; }
    // Another class drops the current key hash; null stands for the library default.
    void SetKeyHashClass(THashClass hashClass);

    static constexpr unsigned kFlagKeyed = 0;       // keyed from a key string
    static constexpr unsigned kFlagInitialized = 1; // Init or InitKey has run
    std::uint32_t Flags() const { return FFlags; }
    bool FlagBit(unsigned bit) const { return (FFlags >> bit) & 1U; }
    virtual void SetFlagBit(unsigned bit, bool value);

    // Copies one block from `iv`, or, with none, enciphers the IV area in place (after a fresh
    // key it holds FF bytes); the feedback register then starts from the IV.
    virtual void SetVector(const void* iv);
    // In place on exactly BlockSize bytes.
    virtual void EncipherBlock(void* block);
    virtual void DecipherBlock(void* block);
    // Keys from `size` raw bytes (cut to KeySize, or refused with StrictKeySize; a negative
    // size counts as 0); the rest of the key is zero. `iv` is one block or null.
    virtual void Init(const void* key, int size, const void* iv);
    // Keys from the leading bytes of the key hash's digest of `keyString`.
    void InitKey(BytesView keyString, const void* iv);
    // Saves the feedback register into Scratch and restarts it from the IV, unless it is
    // already there.
    virtual void ResetChain();
    // Back to the unkeyed state: every area overwritten, IV and Feedback FF, the rest zero.
    virtual void Wipe();

    // `size` bytes from `source` to `dest` in the current mode; the two may be the same area.
    // The chaining state carries over from call to call until ResetChain.
    void EncipherBuffer(const void* source, void* dest, std::size_t size);
    void DecipherBuffer(const void* source, void* dest, std::size_t size);

    const std::uint8_t* IV() const { return FIV; }
    const std::uint8_t* Feedback() const { return FFeedback; }
    const std::uint8_t* Scratch() const { return FScratch; }
    const std::uint8_t* KeySchedule() const { return FKeySchedule; }

    void StartRun(TProcessAction action) override;
    void FinishRun(TProcessAction action) override;
    void ProcessChunk(void* buffer, std::size_t length, TProcessAction action) override;

    // The clock that seeds an Erase run's overwrite of the feedback register; the system clock
    // unless a test hands another.
    void SetClock(IClock& clock) { FClock = &clock; }

protected:
    TCipher(TCipherClass cipherClass, TProtectionRef protection);

    // The first step of every class's Init: wipes, and answers the key length to use.
    void PrepareKey(int& size);
    std::uint8_t* KeyScheduleData() { return FKeySchedule; }
    // The key schedule as 32-bit words; the area is word-aligned.
    std::uint32_t* KeyScheduleWords() { return FWords.get(); }

private:
    void CheckInitialized() const;
    void Process(const void* source, void* dest, std::size_t size, bool encipher,
                 bool partialEcbTail);
    void Chain(TProcessAction action);

    TCipherMode FMode = TCipherMode::cmCTS;
    THashRef FKeyHash;
    THashClass FKeyHashClass = nullptr;
    int FBlockSize = 0;
    int FKeySize = 0;
    int FKeyScheduleSize = 0;
    // One allocation holds the key schedule, then IV, Feedback and Scratch.
    std::unique_ptr<std::uint32_t[]> FWords;
    std::size_t FAreaSize = 0;
    std::uint8_t* FKeySchedule = nullptr;
    std::uint8_t* FIV = nullptr;
    std::uint8_t* FFeedback = nullptr;
    std::uint8_t* FScratch = nullptr;
    std::uint32_t FFlags = 0;
    IClock* FClock = &SystemClock();
};

// out := a XOR b over n bytes, four bytes at a time where it can; out may be a or b.
void XorBuffers(void* out, const void* a, const void* b, std::size_t n);

} // namespace velkor
