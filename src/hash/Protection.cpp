// Chaining and the run drivers of the protection base.
#include "hash/Protection.h"

#include "base/Secret.h"
#include "base/Text.h"
#include "hash/StringFormat.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace velkor {
namespace {

TProgressHook& Hook() {
    static TProgressHook hook;
    return hook;
}

void Progress(TProtection* sender, std::int64_t current, std::int64_t maximal) {
    if (Hook()) Hook()(sender, current, maximal);
}

// Another name of the same file ("./a" for "a", a link): creating the destination would
// empty the source before it is read, so such a pair is processed in place as well.
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

} // namespace

void SetProgressHook(TProgressHook hook) {
    Hook() = std::move(hook);
}
const TProgressHook& ProgressHook() {
    return Hook();
}

TProtection::TProtection(TProtectionRef protection) {
    SetProtection(std::move(protection));
}

void TProtection::SetProtection(TProtectionRef protection) {
    if (protection == FProtection) return;
    for (TProtection* p = protection.get(); p != nullptr; p = p->FProtection.get())
        if (p == this)
            throw EProtection("Circular Protection detected, Protection Object is invalid.");
    FProtection = std::move(protection);
}

void TProtection::StartRun(TProcessAction action) {
    if (FProtection) FProtection->StartRun(action);
}

void TProtection::FinishRun(TProcessAction action) {
    if (FProtection) FProtection->FinishRun(action);
}

void TProtection::ProcessChunk(void* buffer, std::size_t length, TProcessAction action) {
    if (FProtection) FProtection->ProcessChunk(buffer, length, action);
}

std::size_t TProtection::ProcessBuffer(void* buffer, std::size_t length, TProcessAction action) {
    StartRun(action);
    try {
        ProcessChunk(buffer, length, action);
    } catch (...) {
        FinishRun(action);
        throw;
    }
    FinishRun(action);
    return length;
}

void TProtection::ProcessStream(TStream* source, TStream* dest, std::int64_t size,
                                TProcessAction action) {
    if (source == nullptr) return;
    if (dest == nullptr) dest = source;
    if (size < 0) {
        size = source->Size();
        source->SetPosition(0);
    }
    StartRun(action);
    // The chunks are plain text on one side of the run, so the buffer is wiped when the run
    // ends, whichever way it ends (its storage goes back to the heap on return).
    SecretBytes buffer;
    auto finish = [&] {
        Progress(this, 0, 0);
        buffer.Wipe();
        FinishRun(action);
    };
    try {
        Progress(this, 0, size);
        buffer.Resize(kChunkSize);
        std::int64_t remaining = size, done = 0;
        if (action == TProcessAction::Measure) {
            while (remaining > 0) {
                std::int64_t n =
                    source->Read(buffer.Data(), std::min<std::int64_t>(remaining, kChunkSize));
                if (n <= 0) break;
                ProcessChunk(buffer.Data(), static_cast<std::size_t>(n), action);
                remaining -= n;
                done += n;
                Progress(this, done, size);
            }
        } else {
            // Read and write positions are kept apart: with one stream as source and
            // destination each chunk is written back over the bytes it came from.
            std::int64_t readAt = source->Position();
            std::int64_t writeAt = dest->Position();
            while (remaining > 0) {
                source->SetPosition(readAt);
                std::int64_t n =
                    source->Read(buffer.Data(), std::min<std::int64_t>(remaining, kChunkSize));
                readAt = source->Position();
                if (n <= 0) break;
                ProcessChunk(buffer.Data(), static_cast<std::size_t>(n), action);
                dest->SetPosition(writeAt);
                dest->WriteBuffer(buffer.Data(), n);
                writeAt = dest->Position();
                remaining -= n;
                done += n;
                Progress(this, done, size);
            }
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TProtection::ProcessFile(const std::string& source, const std::string& dest,
                              TProcessAction action) {
    bool separate = !SameText(source, dest) && !SameFile(source, dest) &&
                    (!Trim(dest).empty() || action == TProcessAction::Measure);
    std::unique_ptr<TFileStream> in, out;
    if (separate) {
        in = std::make_unique<TFileStream>(source, TFileMode::fmOpenRead);
        if (action != TProcessAction::Measure)
            out = std::make_unique<TFileStream>(dest, TFileMode::fmCreate);
    } else {
        in = std::make_unique<TFileStream>(source, TFileMode::fmOpenReadWrite);
    }
    TStream* target = out ? out.get() : in.get();
    auto close = [&] {
        if (out) out->SetSize(out->Position());
        out.reset();
        in.reset();
    };
    try {
        ProcessStream(in.get(), target, in->Size(), action);
    } catch (...) {
        close();
        throw;
    }
    close();
}

Bytes TProtection::ProcessText(const Bytes& text, TProcessAction action, std::int32_t formatId) {
    if (text.empty()) return {};
    TMemoryStream stream(action == TProcessAction::Decipher ? FromFormat(text, formatId) : text);
    ProcessStream(&stream, &stream, stream.Size(), action);
    if (action == TProcessAction::Decipher) return std::move(stream.Data());
    return ToFormat(stream.Data(), formatId);
}

} // namespace velkor
