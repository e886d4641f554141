// The command line of velkor-orders as a function over streams, so that tests can run it
// without a process: parse the arguments, open the book read-only, print.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace velkor::orders {

// Exit statuses: done, a fault while running (the book, an unknown exchange), a bad command
// line.
constexpr int kExitOk = 0;
constexpr int kExitFault = 1;
constexpr int kExitUsage = 2;

// Runs the command line `args` (without the program's name). `defaultDb` is the book used
// without --db.
int RunOrdersCommand(const std::vector<std::string>& args, const std::string& defaultDb,
                     std::ostream& out, std::ostream& err);

} // namespace velkor::orders
