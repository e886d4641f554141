// Key files: what is written is read back, a key file serves as a public key file, and every
// broken file is refused with its path and the reason, before any key is used.
#include "Keys.h"
#include "TempDir.h"

#include "common/KeyFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace velkor::peer {
namespace {

using test::CustomerKeys;
using test::GatewayKeys;

TEST(KeyFiles, WrittenPairReadsBack) {
    test::TempDir dir;
    WriteKeyFile(dir.File("keys"), CustomerKeys());
    TKeyPair read = ReadKeyFile(dir.File("keys"));
    EXPECT_EQ(read.PublicKey, CustomerKeys().PublicKey);
    EXPECT_EQ(read.PrivateKey, CustomerKeys().PrivateKey);
    EXPECT_EQ(test::TempDir::Read(dir.File("keys")),
              CustomerKeys().PublicKey + "\n" + CustomerKeys().PrivateKey + "\n");
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("keys").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u); // the private key is its owner's only
}

TEST(KeyFiles, PublicKeyFromEitherFile) {
    test::TempDir dir;
    WritePublicKeyFile(dir.File("pub"), GatewayKeys().PublicKey);
    WriteKeyFile(dir.File("keys"), GatewayKeys());
    EXPECT_EQ(test::TempDir::Read(dir.File("pub")), GatewayKeys().PublicKey + "\n");
    EXPECT_EQ(ReadPublicKeyFile(dir.File("pub")), GatewayKeys().PublicKey);
    EXPECT_EQ(ReadPublicKeyFile(dir.File("keys")), GatewayKeys().PublicKey);
}

TEST(KeyFiles, CrLfAndTrailingBlanksAreTolerated) {
    test::TempDir dir;
    std::string path = dir.Write("keys", CustomerKeys().PublicKey + " \r\n" +
                                             CustomerKeys().PrivateKey + "\t\r\n");
    EXPECT_EQ(ReadKeyFile(path).PrivateKey, CustomerKeys().PrivateKey);
}

TEST(KeyFiles, OverwritingLeavesNoTemporaryBehind) {
    test::TempDir dir;
    WritePublicKeyFile(dir.File("pub"), CustomerKeys().PublicKey);
    WritePublicKeyFile(dir.File("pub"), GatewayKeys().PublicKey);
    EXPECT_EQ(ReadPublicKeyFile(dir.File("pub")), GatewayKeys().PublicKey);
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.File(""))) ++entries;
    EXPECT_EQ(entries, 1);
}

struct BrokenFile {
    const char* Name;
    std::string Content; // "<none>": the file does not exist
    std::string Reason;
};

class BrokenKeyFiles : public ::testing::TestWithParam<BrokenFile> {};

TEST_P(BrokenKeyFiles, RefusedWithPathAndReason) {
    test::TempDir dir;
    std::string path = dir.File("keys");
    if (GetParam().Content != "<none>") dir.Write("keys", GetParam().Content);
    try {
        ReadKeyFile(path);
        FAIL() << "accepted";
    } catch (const EKeyFile& e) {
        EXPECT_EQ(e.Message(), path + ": " + GetParam().Reason);
    }
}

const std::string kTwoLines =
    "a key file holds the public key on its first line and the private key on its second";

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenKeyFiles,
    ::testing::Values(BrokenFile{"Missing", "<none>", "cannot be read (No such file or directory)"},
                      BrokenFile{"Empty", "", kTwoLines},
                      BrokenFile{"PublicOnly", CustomerKeys().PublicKey + "\n", kTwoLines},
                      BrokenFile{"EmptySecondLine", CustomerKeys().PublicKey + "\n\n", kTwoLines},
                      BrokenFile{"GarbagePublic", "not a key\n" + CustomerKeys().PrivateKey + "\n",
                                 "Public key not valid"},
                      BrokenFile{"Swapped",
                                 CustomerKeys().PrivateKey + "\n" + CustomerKeys().PublicKey + "\n",
                                 "the private key does not belong to the public key"},
                      BrokenFile{"OtherPrivateKey",
                                 CustomerKeys().PublicKey + "\n" + GatewayKeys().PrivateKey + "\n",
                                 "the private key does not belong to the public key"}),
    [](const auto& p) { return std::string(p.param.Name); });

TEST(KeyFiles, BrokenPublicKeyFilesAreRefused) {
    test::TempDir dir;
    struct Case {
        std::string Path;
        std::string Message;
    };
    for (const Case& c :
         {Case{dir.File("none"), dir.File("none") + ": cannot be read (No such file or directory)"},
          Case{dir.Write("empty", ""),
               dir.File("empty") + ": the first line should hold a public key text"},
          Case{dir.Write("bad", "++2++E:short\n"),
               dir.File("bad") + ": Public key has incorrect length"}}) {
        try {
            ReadPublicKeyFile(c.Path);
            ADD_FAILURE() << c.Path;
        } catch (const EKeyFile& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
    }
}

TEST(KeyFiles, UnwritablePathIsAFault) {
    test::TempDir dir;
    std::string path = dir.File("no/such/keys");
    try {
        WriteKeyFile(path, CustomerKeys());
        FAIL() << "written";
    } catch (const EKeyFile& e) {
        EXPECT_EQ(e.Message(), path + ": cannot be written (No such file or directory)");
    }
}

} // namespace
} // namespace velkor::peer
