// Test helpers: known-answer vector files (.vec) and hex conversions for fixtures.
//   [Group]      opens a group
//   Key = value  a field of the current record; a field that the record already has, a blank
//                line or a new group starts the next record
//   # ...        a comment
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace velkor::test {

struct VecRecord {
    std::string Group;
    std::map<std::string, std::string> Fields;
    int Line = 0; // where the record starts, for failure messages
    const std::string& operator[](const std::string& key) const;
    bool Has(const std::string& key) const { return Fields.count(key) != 0; }
};

// Reads tests/data/<name>; fails the calling test (and returns nothing) when it cannot.
std::vector<VecRecord> ReadVectors(const std::string& name);
std::vector<VecRecord> ReadVectors(const std::string& name, const std::string& group);

// Hex digits (either case, blanks ignored) to bytes, and bytes to upper-case hex.
std::string Unhex(std::string_view hex);
std::string Hex(std::string_view bytes);

std::string DataPath(const std::string& name);

} // namespace velkor::test
