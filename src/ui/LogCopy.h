// The copy of the merchant's log on standard output: one UTF-8 line per log line, for a
// terminal, a service manager or a log file. Secret key lines are masked there unless the user
// asks for them, and an output that goes away (a reader that quit, a closed terminal) ends the
// copy, never the program.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velkor {

class TLogCopy {
public:
    // Copies to descriptor `fd`; `revealKeys` writes secret lines verbatim.
    explicit TLogCopy(int fd = 1, bool revealKeys = false) : FFd(fd), FRevealKeys(revealKeys) {}

    // Writes `utf8` and a line end. The first failed write ends the copy for good, with one
    // note on standard error.
    void Line(std::string_view utf8);
    // A line holding the text of a secret key of `keyBytes` bytes: written as Mark(keyBytes)
    // unless keys are revealed.
    void SecretLine(std::string_view utf8, std::size_t keyBytes);

    // False once a write has failed.
    bool Active() const { return FActive; }
    bool RevealsKeys() const { return FRevealKeys; }

    // "   (klíč skryt: N bajtů)" in UTF-8: stands for a key line and tells nothing but its size.
    static std::string Mark(std::size_t keyBytes);

private:
    int FFd;
    bool FRevealKeys;
    bool FActive = true;
    std::string FBuffer;
};

// True when the environment variable VELKOR_LOG_KEYS is "1".
bool LogKeysRequested();

} // namespace velkor
