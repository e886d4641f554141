// Writing the log copy with plain write(2): no stdio buffer keeps a failed line to retry at exit,
// and the error of each line is seen where it happens.
#include "ui/LogCopy.h"

#include "base/Wipe.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace velkor {

namespace {

// Writes all of `data`, or returns the errno of the write that failed.
int WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

} // namespace

void TLogCopy::Line(std::string_view utf8) {
    if (!FActive) return;
    FBuffer.assign(utf8);
    FBuffer += '\n';
    const int error = WriteAll(FFd, FBuffer.data(), FBuffer.size());
    // The buffer may have held a key line that is revealed on purpose; it still goes now.
    SecureWipe(FBuffer);
    FBuffer.clear();
    if (error == 0) return;
    FActive = false;
    // Standard error may be gone as well; nothing more can be done about that.
    const std::string note = "velkor-merchant: standard output failed (" +
                             std::string(std::strerror(error)) +
                             "); the log is no longer copied there\n";
    [[maybe_unused]] const ssize_t ignored = ::write(2, note.data(), note.size());
}

void TLogCopy::SecretLine(std::string_view utf8, std::size_t keyBytes) {
    if (FRevealKeys)
        Line(utf8);
    else
        Line(Mark(keyBytes));
}

std::string TLogCopy::Mark(std::size_t keyBytes) {
    return "   (klíč skryt: " + std::to_string(keyBytes) + " bajtů)";
}

bool LogKeysRequested() {
    const char* value = std::getenv("VELKOR_LOG_KEYS");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

} // namespace velkor
