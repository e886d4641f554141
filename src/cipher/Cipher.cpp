// The cipher base: owned areas, keying, the run overrides and the wipe. The eight chaining
// modes are in Modes.cpp.
#include "cipher/Cipher.h"

#include "base/Format.h"
#include "base/Wipe.h"
#include "cipher/Modes.h"
#include "hash/HashRegistry.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace velkor {
namespace {

bool& StrictKeySizeSwitch() {
    static bool strict = false;
    return strict;
}

constexpr std::array<const char*, 8> kModeNames = {"cmCTS", "cmCBC",    "cmCFB",    "cmOFB",
                                                   "cmECB", "cmCTSMAC", "cmCBCMAC", "cmCFBMAC"};

// The base class has no sizes and no primitives; its class object only names the root of the
// tree and makes no instances.
std::shared_ptr<TCipher> NoInstance(TProtectionRef) {
    throw ECipherException(0, "TCipher is an abstract class and has no instances.");
}

std::uint32_t Load32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void Store32(std::uint8_t* p, std::uint32_t v) {
    std::memcpy(p, &v, 4);
}

} // namespace

std::string CipherModeName(TCipherMode mode) {
    auto i = static_cast<std::size_t>(mode);
    return i < kModeNames.size() ? kModeNames[i] : std::string();
}

std::optional<TCipherMode> CipherModeFromName(std::string_view name) {
    for (std::size_t i = 0; i < kModeNames.size(); ++i)
        if (name == kModeNames[i]) return static_cast<TCipherMode>(i);
    return std::nullopt;
}

bool StrictKeySize() {
    return StrictKeySizeSwitch();
}
void SetStrictKeySize(bool strict) {
    StrictKeySizeSwitch() = strict;
}

TCipherRef CreateCipher(TCipherClass cipherClass, BytesView keyString, TProtectionRef protection) {
    TCipherRef cipher = cipherClass->Create(std::move(protection));
    if (!keyString.empty()) cipher->InitKey(keyString, nullptr);
    return cipher;
}

void XorBuffers(void* out, const void* a, const void* b, std::size_t n) {
    auto* o = static_cast<std::uint8_t*>(out);
    auto* x = static_cast<const std::uint8_t*>(a);
    auto* y = static_cast<const std::uint8_t*>(b);
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) Store32(o + i, Load32(x + i) ^ Load32(y + i));
    for (; i < n; ++i) o[i] = static_cast<std::uint8_t>(x[i] ^ y[i]);
}

TCipherClass TCipher::Class() {
    static const TCipherClassRef instance =
        TCipherClassRef::Of<TCipher>("TCipher", nullptr, &NoInstance);
    return &instance;
}

TCipher::TCipher(TCipherClass cipherClass, TProtectionRef protection)
    : TProtection(std::move(protection)), FKeyHashClass(DefaultHashClass()) {
    cipherClass->ClassSizes(FBlockSize, FKeySize, FKeyScheduleSize);
    // The schedule comes first so that the classes can read it as words.
    FAreaSize =
        static_cast<std::size_t>(FKeyScheduleSize) + 3 * static_cast<std::size_t>(FBlockSize);
    FWords = std::make_unique<std::uint32_t[]>((FAreaSize + 3) / 4);
    FKeySchedule = reinterpret_cast<std::uint8_t*>(FWords.get());
    FIV = FKeySchedule + FKeyScheduleSize;
    FFeedback = FIV + FBlockSize;
    FScratch = FFeedback + FBlockSize;
    TCipher::Wipe();
}

TCipher::~TCipher() {
    TCipher::Wipe();
}

void TCipher::SetKeyHashClass(THashClass hashClass) {
    if (hashClass == FKeyHashClass) return;
    FKeyHash.reset();
    FKeyHashClass = hashClass ? hashClass : DefaultHashClass();
}

void TCipher::SetFlagBit(unsigned bit, bool value) {
    if (value)
        FFlags |= 1u << bit;
    else
        FFlags &= ~(1u << bit);
}

void TCipher::Wipe() {
    SetFlagBit(kFlagKeyed, false);
    SetFlagBit(kFlagInitialized, false);
    auto block = static_cast<std::size_t>(FBlockSize);
    SecureWipe(FKeySchedule, FAreaSize, 0xAA);
    SecureWipe(FKeySchedule, FAreaSize, 0x55);
    SecureWipe(FKeySchedule, static_cast<std::size_t>(FKeyScheduleSize), 0);
    SecureWipe(FIV, block, 0xFF);
    SecureWipe(FFeedback, block, 0xFF);
    SecureWipe(FScratch, block, 0);
}

void TCipher::PrepareKey(int& size) {
    SetFlagBit(kFlagInitialized, false);
    Wipe();
    if (size < 0) size = 0;
    if (size > FKeySize) {
        if (StrictKeySize())
            throw ECipherException(
                errKeySize, Format("Length from Encryptionkey is invalid.\r\nKeysize for %s must "
                                   "be to %d-%d bytes",
                                   {ClassName(), 0, FKeySize}));
        size = FKeySize;
    }
}

void TCipher::SetVector(const void* iv) {
    if (iv != nullptr)
        std::memmove(FIV, iv, static_cast<std::size_t>(FBlockSize));
    else
        EncipherBlock(FIV);
    std::memcpy(FFeedback, FIV, static_cast<std::size_t>(FBlockSize));
    SetFlagBit(kFlagInitialized, true);
}

void TCipher::EncipherBlock(void*) {}
void TCipher::DecipherBlock(void*) {}
void TCipher::Init(const void*, int, const void*) {}

void TCipher::InitKey(BytesView keyString, const void* iv) {
    if (!FKeyHash) {
        if (FKeyHashClass == nullptr) FKeyHashClass = DefaultHashClass();
        FKeyHash = FKeyHashClass->Create(nullptr);
    }
    FKeyHash->Start();
    FKeyHash->Feed(keyString.data(), keyString.size());
    FKeyHash->Finish();
    auto digestSize = FKeyHash->DigestSize();
    int n = static_cast<int>(std::min<std::size_t>(digestSize, static_cast<std::size_t>(FKeySize)));
    Init(FKeyHash->DigestData(), n, iv);
    CheckInitialized();
    // The digest is the key: it is not left readable in the hash object. A digest that is not
    // whole blocks goes through cmECB too, with the tail rule at its end.
    Process(FKeyHash->DigestData(), FKeyHash->DigestData(), digestSize, true, true);
    ResetChain();
    SetFlagBit(kFlagKeyed, true);
}

void TCipher::ResetChain() {
    auto block = static_cast<std::size_t>(FBlockSize);
    if (std::memcmp(FIV, FFeedback, block) != 0) {
        std::memcpy(FScratch, FFeedback, block);
        std::memcpy(FFeedback, FIV, block);
    }
}

void TCipher::CheckInitialized() const {
    if (!FlagBit(kFlagInitialized))
        throw ECipherException(
            errNotInitialized,
            Format("%s is not initialized call Init() or InitKey() before.", {ClassName()}));
}

void TCipher::EncipherBuffer(const void* source, void* dest, std::size_t size) {
    CheckInitialized();
    Process(source, dest, size, true, false);
}

void TCipher::DecipherBuffer(const void* source, void* dest, std::size_t size) {
    CheckInitialized();
    Process(source, dest, size, false, false);
}

void TCipher::Process(const void* source, void* dest, std::size_t size, bool encipher,
                      bool partialEcbTail) {
    const auto B = static_cast<std::size_t>(FBlockSize);
    if (B == 0 || size == 0) return;
    // A partial block has no reversible treatment in cmECB; refuse it before writing anything.
    if (FMode == TCipherMode::cmECB && size % B != 0 && !partialEcbTail)
        throw ECipherException(
            errBufferSize,
            Format("%s can not process %d bytes in cmECB, the size must be a multiple of %d "
                   "bytes.",
                   {ClassName(), static_cast<long long>(size), FBlockSize}));
    const auto mode = static_cast<std::size_t>(FMode);
    if (mode >= std::size(kModeFunctions))
        throw ECipherException(
            0, Format("%s has no chaining mode %d.", {ClassName(), static_cast<long long>(mode)}));
    const TChain chain{*this, FFeedback, FScratch, B};
    kModeFunctions[mode](chain, static_cast<const std::uint8_t*>(source),
                         static_cast<std::uint8_t*>(dest), size, encipher);
}

void TCipher::Chain(TProcessAction action) {
    switch (action) {
    case TProcessAction::Erase:
        OverwriteFromSeed(FFeedback, static_cast<std::size_t>(FBlockSize), ClockSeed(*FClock));
        break;
    case TProcessAction::Measure:
        break;
    default:
        ResetChain();
        break;
    }
}

void TCipher::StartRun(TProcessAction action) {
    CheckInitialized();
    Chain(action);
    TProtection::StartRun(action);
}

void TCipher::FinishRun(TProcessAction action) {
    TProtection::FinishRun(action);
    Chain(action);
}

void TCipher::ProcessChunk(void* buffer, std::size_t length, TProcessAction action) {
    if (action == TProcessAction::Decipher) {
        if (AllowedActions.Contains(action)) DecipherBuffer(buffer, buffer, length);
        TProtection::ProcessChunk(buffer, length, action);
    } else {
        TProtection::ProcessChunk(buffer, length, action);
        if (AllowedActions.Contains(action)) EncipherBuffer(buffer, buffer, length);
    }
}

} // namespace velkor
