// Byte streams in the run-time library's shape: a position, a size, Read/Write/Seek, and the
// memory and file streams that the protection runs and the UDP endpoint use.
#pragma once

#include "base/Bytes.h"

#include <cstdint>
#include <string>

namespace velkor {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    // Read and Write move as many bytes as they can and return the count (0 at the end).
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    virtual void SetSize(std::int64_t size) = 0;

    std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
    std::int64_t Size();

    // All-or-fault variants: EReadError "Stream read error", EWriteError "Stream write error".
    void ReadBuffer(void* buffer, std::int64_t count);
    void WriteBuffer(const void* buffer, std::int64_t count);
};

class TMemoryStream final : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(Bytes initial) : FData(std::move(initial)) {}

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t size) override;

    const Bytes& Data() const { return FData; }
    Bytes& Data() { return FData; }

private:
    Bytes FData;
    std::int64_t FPosition = 0;
};

// Open modes of TFileStream. fmCreate creates or truncates the file for reading and writing.
enum class TFileMode { fmCreate, fmOpenRead, fmOpenReadWrite };

class TFileStream final : public TStream {
public:
    // EFCreateError "Cannot create file \"<name>\"" or EFOpenError "Cannot open file \"<name>\"".
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    // Cuts or extends the file; the position stays where it was.
    void SetSize(std::int64_t size) override;

    const std::string& FileName() const { return FFileName; }

private:
    std::string FFileName;
    int FHandle = -1;
};

} // namespace velkor
