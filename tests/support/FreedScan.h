// Watches the blocks that go back to the heap for a byte pattern, so that a test can show key
// bytes were wiped before their memory was released: a freed block that still holds any
// 16-byte run of the pattern is a hit. Make the test's own copies before arming it.
// The program that uses it links FreedScan.cpp, which replaces the global operator new/delete.
#pragma once

#include <string_view>

namespace velkor::test {

class FreedScan {
public:
    // Arms the scan for `pattern` (16 to 256 bytes: shorter texts live inside a string object).
    explicit FreedScan(std::string_view pattern);
    ~FreedScan();
    FreedScan(const FreedScan&) = delete;
    FreedScan& operator=(const FreedScan&) = delete;

    // Freed blocks that held the pattern since the scan was armed.
    int Hits() const;
};

} // namespace velkor::test
