// The merchant's command line: it answers --help and --version like any console program and
// otherwise reads no arguments (Qt still takes its own, such as -platform).
#pragma once

#include <optional>

namespace velkor {

// Prints the help (--help wins) or the version line on standard output and gives the exit
// status 0 when either is asked for; nothing when the program is to start.
std::optional<int> AnswerCommandLine(int argc, const char* const* argv);

} // namespace velkor
