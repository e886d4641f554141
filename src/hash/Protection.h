// The protection base shared by hashes and ciphers: a counted object that may be chained to a
// next protection and that runs over buffers, streams, files and texts with one of five
// actions. Subclasses override StartRun, FinishRun and ProcessChunk; the drivers bracket every
// run with StartRun and FinishRun, FinishRun also when processing fails.
#pragma once

#include "base/Bytes.h"
#include "base/Exception.h"
#include "base/Stream.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

namespace velkor {

enum class TProcessAction : std::uint8_t {
    Encipher = 0,
    Decipher = 1,
    Obscure = 2,
    Measure = 3,
    Erase = 4
};

// A set over the action values 0-7.
class TProcessActions {
public:
    constexpr TProcessActions() = default;
    constexpr TProcessActions(std::initializer_list<TProcessAction> actions) {
        for (TProcessAction a : actions) Include(a);
    }
    constexpr bool Contains(TProcessAction a) const {
        return (FBits >> static_cast<unsigned>(a)) & 1U;
    }
    constexpr void Include(TProcessAction a) { FBits = static_cast<std::uint8_t>(FBits | Bit(a)); }
    constexpr void Exclude(TProcessAction a) { FBits = static_cast<std::uint8_t>(FBits & ~Bit(a)); }
    constexpr bool operator==(const TProcessActions&) const = default;

private:
    static constexpr unsigned Bit(TProcessAction a) { return 1U << static_cast<unsigned>(a); }
    std::uint8_t FBits = 0;
};

class EProtection : public Exception {
public:
    using Exception::Exception;
};

class TProtection;
using TProtectionRef = std::shared_ptr<TProtection>;

// The process-wide progress callback: the object that runs, bytes done, total. ProcessStream
// (and so ProcessFile and ProcessText) calls it with (0, total) before the first chunk, with
// the running count after every chunk and with (0, 0) when the run ends, also after a fault.
// Nothing is installed by default. Install one with SetProgressHook (an empty function
// removes it), or for a limited time with a TProgressHookScope:
//   TProgressHookScope progress([&](TProtection*, std::int64_t done, std::int64_t total) {...});
// The hook is shared by every thread; install it before runs start, not during them.
using TProgressHook =
    std::function<void(TProtection* sender, std::int64_t current, std::int64_t maximal)>;
void SetProgressHook(TProgressHook hook);
const TProgressHook& ProgressHook();

// Installs a hook for its own lifetime and puts the previous one back afterwards.
class TProgressHookScope {
public:
    explicit TProgressHookScope(TProgressHook hook) : FPrevious(ProgressHook()) {
        SetProgressHook(std::move(hook));
    }
    ~TProgressHookScope() { SetProgressHook(std::move(FPrevious)); }
    TProgressHookScope(const TProgressHookScope&) = delete;
    TProgressHookScope& operator=(const TProgressHookScope&) = delete;

private:
    TProgressHook FPrevious;
};

class TProtection {
public:
    // The protection, if any, is chained first; then AllowedActions is set.
    explicit TProtection(TProtectionRef protection = nullptr);
    virtual ~TProtection() = default;
    TProtection(const TProtection&) = delete;
    TProtection& operator=(const TProtection&) = delete;

    const TProtectionRef& Protection() const { return FProtection; }
    // EProtection "Circular Protection detected, Protection Object is invalid." when the chain
    // that starts at `protection` leads back to this object; the chain is then unchanged.
    void SetProtection(TProtectionRef protection);

    TProcessActions AllowedActions{TProcessAction::Encipher, TProcessAction::Decipher,
                                   TProcessAction::Obscure, TProcessAction::Measure,
                                   TProcessAction::Erase};

    virtual void StartRun(TProcessAction action);
    virtual void FinishRun(TProcessAction action);
    virtual void ProcessChunk(void* buffer, std::size_t length, TProcessAction action);
    // A negative size processes the whole source from position 0; otherwise `size` bytes from
    // the current positions. A null destination means the source itself. 4096-byte chunks.
    virtual void ProcessStream(TStream* source, TStream* dest, std::int64_t size,
                               TProcessAction action);
    // The same name (in any letter case), or a blank destination for any action but Measure,
    // processes the source file in place. Measure never creates the destination.
    virtual void ProcessFile(const std::string& source, const std::string& dest,
                             TProcessAction action);
    // Decipher reads the text in the format and returns bytes; every other action takes the
    // text's bytes and writes the result in the format.
    virtual Bytes ProcessText(const Bytes& text, TProcessAction action, std::int32_t formatId);
    virtual std::size_t ProcessBuffer(void* buffer, std::size_t length, TProcessAction action);

    static constexpr std::size_t kChunkSize = 4096;

private:
    TProtectionRef FProtection;
};

} // namespace velkor
