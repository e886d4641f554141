// Reading .vec files and hex fixtures.
#include "TestVectors.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

namespace velkor::test {

const std::string& VecRecord::operator[](const std::string& key) const {
    auto it = Fields.find(key);
    if (it == Fields.end()) throw std::out_of_range("vector record has no field " + key);
    return it->second;
}

std::string DataPath(const std::string& name) { return std::string(VELKOR_TEST_DATA_DIR) + "/" + name; }

std::vector<VecRecord> ReadVectors(const std::string& name) {
    std::vector<VecRecord> out;
    std::ifstream in(DataPath(name));
    if (!in) {
        ADD_FAILURE() << "cannot read " << DataPath(name);
        return out;
    }
    std::string group, line;
    VecRecord current;
    int number = 0;
    auto flush = [&] {
        if (!current.Fields.empty()) out.push_back(current);
        current = VecRecord{};
    };
    auto trim = [](std::string s) {
        std::size_t a = s.find_first_not_of(" \t\r");
        std::size_t b = s.find_last_not_of(" \t\r");
        return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
    };
    while (std::getline(in, line)) {
        ++number;
        std::string t = trim(line);
        if (!t.empty() && t[0] == '#') continue;
        if (t.empty()) {
            flush();
            continue;
        }
        if (t.front() == '[' && t.back() == ']') {
            flush();
            group = t.substr(1, t.size() - 2);
            continue;
        }
        std::size_t eq = t.find('=');
        if (eq == std::string::npos) {
            ADD_FAILURE() << name << ":" << number << ": not a field line";
            continue;
        }
        std::string key = trim(t.substr(0, eq)), value = trim(t.substr(eq + 1));
        if (current.Fields.count(key)) flush();
        if (current.Fields.empty()) {
            current.Group = group;
            current.Line = number;
        }
        current.Fields[key] = value;
    }
    flush();
    return out;
}

std::vector<VecRecord> ReadVectors(const std::string& name, const std::string& group) {
    std::vector<VecRecord> out;
    for (auto& r : ReadVectors(name))
        if (r.Group == group) out.push_back(r);
    if (out.empty()) ADD_FAILURE() << name << " has no group [" << group << "]";
    return out;
}

std::string Unhex(std::string_view hex) {
    std::string out;
    int nibble = -1;
    for (char c : hex) {
        int v;
        if (c >= '0' && c <= '9') v = c - '0';
        else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
        else if (c == ' ' || c == '\t') continue;
        else throw std::invalid_argument("not hex: " + std::string(hex));
        if (nibble < 0) nibble = v;
        else {
            out += static_cast<char>(nibble * 16 + v);
            nibble = -1;
        }
    }
    if (nibble >= 0) throw std::invalid_argument("odd hex: " + std::string(hex));
    return out;
}

std::string Hex(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

} // namespace velkor::test
