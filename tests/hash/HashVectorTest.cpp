// Known answers of every hash class, read from tests/data: each vector fed whole, byte by
// byte and split at every offset; and each class's digest of SelfTestInput. The files of
// tests/data/hashes/ name each group by the class's registered name, optionally followed by
// ": what the group holds".
#include "hash/HashRegistry.h"
#include "hash/Hashes.h"

#include "CaseNames.h"
#include "TestVectors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace velkor {
namespace {

using test::Hex;
using test::Unhex;

struct HashKind {
    std::string File;
    std::string Group; // empty: every group of the file, each naming its registered class
    THashClass Class;
};

std::ostream& operator<<(std::ostream& os, const HashKind& k) {
    return os << k.File << " " << k.Group;
}

std::string Digest(THash& h) {
    return BytesOf(h.DigestData(), h.DigestSize());
}

std::string InputOf(const test::VecRecord& r) {
    std::string in = r["In"];
    if (r.Has("Repeat")) {
        std::string whole;
        for (int i = std::stoi(r["Repeat"]); i > 0; --i) whole += in;
        in = whole;
    }
    return in;
}

class HashVectors : public ::testing::TestWithParam<HashKind> {};

TEST_P(HashVectors, WholeBytewiseAndSplit) {
    const HashKind& kind = GetParam();
    auto records = kind.Group.empty() ? test::ReadVectors(kind.File)
                                      : test::ReadVectors(kind.File, kind.Group);
    ASSERT_FALSE(records.empty());
    for (const auto& r : records) {
        SCOPED_TRACE(kind.File + ":" + std::to_string(r.Line) + " [" + r.Group + "]");
        THashClass cls = kind.Class;
        if (cls == nullptr) {
            const std::string name = r.Group.substr(0, r.Group.find(':'));
            cls = FindHashClass(name);
            ASSERT_NE(cls, nullptr) << "no hash class is registered as \"" << name << "\"";
        }
        THashRef h = cls->Create();
        const std::string in = InputOf(r);
        const std::string expected = Unhex(r["Out"]);
        ASSERT_EQ(expected.size(), h->DigestSize());

        h->Start();
        h->Feed(in.data(), in.size());
        h->Finish();
        EXPECT_EQ(Hex(Digest(*h)), Hex(expected)) << "whole";

        if (in.size() > 4096) {
            // Long inputs in uneven pieces, so that no piece is block-aligned.
            h->Start();
            for (std::size_t at = 0; at < in.size(); at += 1000)
                h->Feed(in.data() + at, std::min<std::size_t>(1000, in.size() - at));
            h->Finish();
            EXPECT_EQ(Hex(Digest(*h)), Hex(expected)) << "pieces of 1000";
            continue;
        }
        h->Start();
        for (char c : in) h->Feed(&c, 1);
        h->Finish();
        EXPECT_EQ(Hex(Digest(*h)), Hex(expected)) << "byte by byte";

        for (std::size_t split = 0; split <= in.size(); ++split) {
            h->Start();
            h->Feed(in.data(), split);
            h->Feed(in.data() + split, in.size() - split);
            h->Finish();
            EXPECT_EQ(Hex(Digest(*h)), Hex(expected)) << "split at " << split;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, HashVectors,
                         ::testing::Values(HashKind{"md4.vec", "MD4", THash_MD4::Class()},
                                           HashKind{"md5.vec", "MD5", THash_MD5::Class()},
                                           HashKind{"sha0.vec", "SHA-0", THash_SHA::Class()},
                                           HashKind{"sha1.vec", "SHA-1", THash_SHA1::Class()}),
                         [](const ::testing::TestParamInfo<HashKind>& p) {
                             std::string name = p.param.Group;
                             name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                             return name;
                         });

std::vector<HashKind> HashVectorFiles() {
    std::vector<HashKind> files;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(VELKOR_TEST_DATA_DIR) + "/hashes"))
        if (entry.path().extension() == ".vec")
            files.push_back({"hashes/" + entry.path().filename().string(), "", nullptr});
    std::sort(files.begin(), files.end(),
              [](const HashKind& a, const HashKind& b) { return a.File < b.File; });
    return files;
}

INSTANTIATE_TEST_SUITE_P(Files, HashVectors, ::testing::ValuesIn(HashVectorFiles()),
                         [](const ::testing::TestParamInfo<HashKind>& p) {
                             return test::FileCaseName(p.param.File);
                         });

TEST(HashSelfTest, EveryRegisteredClassReproducesItsVector) {
    for (const auto& entry : HashRegistry()) {
        SCOPED_TRACE(entry.Class->ClassName());
        THashRef h = entry.Class->Create();
        h->Start();
        h->Feed(SelfTestInput, sizeof SelfTestInput);
        h->Finish();
        EXPECT_EQ(Hex(Digest(*h)), Hex(BytesOf(entry.Class->SelfTestVector(), h->DigestSize())));
        EXPECT_EQ(h->SelfTestVector(), entry.Class->SelfTestVector());
    }
}

} // namespace
} // namespace velkor
