// Memory and file streams.
#include "base/Stream.h"

#include "base/Exception.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velkor {

std::int64_t TStream::Size() {
    std::int64_t here = Seek(0, TSeekOrigin::soCurrent);
    std::int64_t end = Seek(0, TSeekOrigin::soEnd);
    Seek(here, TSeekOrigin::soBeginning);
    return end;
}

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
    auto size = static_cast<std::int64_t>(FData.size());
    if (count <= 0 || FPosition >= size) return 0;
    std::int64_t n = std::min(count, size - FPosition);
    std::memcpy(buffer, FData.data() + FPosition, static_cast<std::size_t>(n));
    FPosition += n;
    return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
    if (count <= 0) return 0;
    auto end = static_cast<std::size_t>(FPosition + count);
    if (end > FData.size()) FData.resize(end);
    std::memcpy(FData.data() + FPosition, buffer, static_cast<std::size_t>(count));
    FPosition += count;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = origin == TSeekOrigin::soBeginning ? 0
                        : origin == TSeekOrigin::soCurrent
                            ? FPosition
                            : static_cast<std::int64_t>(FData.size());
    FPosition = std::max<std::int64_t>(0, base + offset);
    return FPosition;
}

void TMemoryStream::SetSize(std::int64_t size) {
    FData.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, size)));
    FPosition = std::min(FPosition, static_cast<std::int64_t>(FData.size()));
}

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : FFileName(fileName) {
    if (mode == TFileMode::fmCreate) {
        FHandle = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (FHandle < 0) throw EFCreateError("Cannot create file \"" + fileName + "\"");
    } else {
        int flags = (mode == TFileMode::fmOpenRead ? O_RDONLY : O_RDWR) | O_CLOEXEC;
        FHandle = ::open(fileName.c_str(), flags);
        if (FHandle < 0) throw EFOpenError("Cannot open file \"" + fileName + "\"");
    }
}

TFileStream::~TFileStream() {
    if (FHandle >= 0) ::close(FHandle);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
    if (count <= 0) return 0;
    ssize_t n;
    do n = ::read(FHandle, buffer, static_cast<std::size_t>(count));
    while (n < 0 && errno == EINTR);
    return n < 0 ? 0 : n;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
    std::int64_t done = 0;
    auto* p = static_cast<const char*>(buffer);
    while (done < count) {
        ssize_t n = ::write(FHandle, p + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                 : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                    : SEEK_END;
    off_t r = ::lseek(FHandle, static_cast<off_t>(offset), whence);
    return r < 0 ? -1 : r;
}

void TFileStream::SetSize(std::int64_t size) {
    if (::ftruncate(FHandle, static_cast<off_t>(size)) != 0)
        throw EWriteError("Stream write error");
}

} // namespace velkor
