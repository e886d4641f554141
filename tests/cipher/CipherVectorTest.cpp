// Known answers of every cipher class, read from tests/data/ciphers/*.vec. A group is named by
// the class's registered name, optionally followed by ": what the group holds". Each record is
// Key (raw bytes for Init), In and Out; In may span several blocks, which are enciphered one
// after another on the same keyed object (a stream cipher's keystream runs on), and Out is
// deciphered back the same way on a freshly keyed object.
#include "cipher/CipherRegistry.h"

#include "CaseNames.h"
#include "TestVectors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace velkor {
namespace {

using test::Hex;
using test::Unhex;

struct VectorFile {
    std::string Name; // relative to the data folder
};

std::ostream& operator<<(std::ostream& os, const VectorFile& f) {
    return os << f.Name;
}

std::vector<VectorFile> CipherVectorFiles() {
    std::vector<VectorFile> files;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(VELKOR_TEST_DATA_DIR) + "/ciphers"))
        if (entry.path().extension() == ".vec")
            files.push_back({"ciphers/" + entry.path().filename().string()});
    std::sort(files.begin(), files.end(),
              [](const VectorFile& a, const VectorFile& b) { return a.Name < b.Name; });
    return files;
}

std::string ClassNameOfGroup(const std::string& group) {
    return group.substr(0, group.find(':'));
}

Bytes Blockwise(TCipher& c, Bytes data, bool encipher) {
    const auto b = static_cast<std::size_t>(c.BlockSize());
    for (std::size_t at = 0; at + b <= data.size(); at += b) {
        if (encipher)
            c.EncipherBlock(data.data() + at);
        else
            c.DecipherBlock(data.data() + at);
    }
    return data;
}

class CipherVectors : public ::testing::TestWithParam<VectorFile> {};

TEST_P(CipherVectors, EncipherAndDecipherEveryRecord) {
    const auto records = test::ReadVectors(GetParam().Name);
    ASSERT_FALSE(records.empty());
    for (const auto& r : records) {
        SCOPED_TRACE(GetParam().Name + ":" + std::to_string(r.Line) + " [" + r.Group + "]");
        const std::string name = ClassNameOfGroup(r.Group);
        TCipherClass cls = FindCipherClass(name);
        ASSERT_NE(cls, nullptr) << "no cipher class is registered as \"" << name << "\"";
        const Bytes key = Unhex(r["Key"]);
        const Bytes in = Unhex(r["In"]);
        const Bytes out = Unhex(r["Out"]);
        ASSERT_EQ(in.size(), out.size());
        ASSERT_EQ(in.size() % static_cast<std::size_t>(cls->BlockSize()), 0U)
            << "In must be whole blocks of " << cls->BlockSize();

        TCipherRef c = cls->Create(nullptr);
        c->Init(key.data(), static_cast<int>(key.size()), nullptr);
        EXPECT_EQ(Hex(Blockwise(*c, in, true)), Hex(out)) << "enciphering";
        c->Init(key.data(), static_cast<int>(key.size()), nullptr);
        EXPECT_EQ(Hex(Blockwise(*c, out, false)), Hex(in)) << "deciphering";
    }
}

INSTANTIATE_TEST_SUITE_P(Files, CipherVectors, ::testing::ValuesIn(CipherVectorFiles()),
                         [](const ::testing::TestParamInfo<VectorFile>& p) {
                             return test::FileCaseName(p.param.Name);
                         });

} // namespace
} // namespace velkor
