// GoogleTest case names for tests parameterised by a text (a registered class name, a vector
// file): GoogleTest takes only letters, digits and '_', so every other character becomes '_'
// ("DES Triple 24byte" gives "DES_Triple_24byte").
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>

namespace velkor::test {

inline std::string CaseName(std::string text) {
    for (char& ch : text)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return text;
}

// For INSTANTIATE_TEST_SUITE_P over plain texts.
inline std::string TextCaseName(const ::testing::TestParamInfo<std::string>& p) {
    return CaseName(p.param);
}

// A vector file's case name: its file name without the folder and the extension.
inline std::string FileCaseName(const std::string& path) {
    return CaseName(std::filesystem::path(path).stem().string());
}

} // namespace velkor::test
