// Reading and writing key files. Each key text is checked by loading it into an RSA component,
// and a key pair by enciphering a probe with one half and deciphering it with the other.
#include "common/KeyFile.h"

#include "base/Wipe.h"
#include "rsa/RSA.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velkor::peer {
namespace {

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EKeyFile(path + ": cannot be read (" + std::strerror(errno) + ")");
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void WriteWhole(const std::string& path, const std::string& text, mode_t mode) {
    std::string temporary = path + ".tmp" + std::to_string(::getpid());
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) throw EKeyFile(path + ": cannot be written (" + std::strerror(errno) + ")");
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            std::string reason = std::strerror(errno);
            ::close(fd);
            ::unlink(temporary.c_str());
            throw EKeyFile(path + ": cannot be written (" + reason + ")");
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0 || ::rename(temporary.c_str(), path.c_str()) != 0) {
        std::string reason = std::strerror(errno);
        ::unlink(temporary.c_str());
        throw EKeyFile(path + ": cannot be written (" + reason + ")");
    }
}

// Enciphered by a component that knows only the public key, so that the modulus is the public
// key's: a component given both texts keeps the modulus of the one read last.
void CheckPair(const TKeyPair& keys) {
    const Bytes probe = "key file probe";
    TRSA sender(nullptr);
    sender.SetKeyBits(TKeyBits::kb0512);
    sender.SetPublicKey(keys.PublicKey);
    std::string cipherText = sender.PublicEncipher(probe);
    TRSA owner(nullptr);
    owner.SetKeyBits(TKeyBits::kb0512);
    owner.SetPublicKey(keys.PublicKey);
    owner.SetPrivateKey(keys.PrivateKey);
    if (owner.PrivateDecipher(cipherText) != probe)
        throw Exception("the private key does not belong to the public key");
}

} // namespace

void CheckPublicKey(const std::string& publicKey) {
    TRSA rsa(nullptr);
    rsa.SetKeyBits(TKeyBits::kb0512);
    rsa.SetPublicKey(publicKey);
}

TKeyPair ReadKeyFile(const std::string& path) {
    std::vector<std::string> lines = ReadLines(path);
    if (lines.size() < 2 || lines[0].empty() || lines[1].empty()) {
        for (std::string& line : lines) SecureWipe(line);
        throw EKeyFile(path + ": a key file holds the public key on its first line and the "
                              "private key on its second");
    }
    TKeyPair keys{lines[0], lines[1]};
    for (std::string& line : lines) SecureWipe(line);
    try {
        CheckPair(keys);
    } catch (const Exception& e) {
        SecureWipe(keys.PrivateKey);
        throw EKeyFile(path + ": " + e.Message());
    }
    return keys;
}

std::string ReadPublicKeyFile(const std::string& path) {
    std::vector<std::string> lines = ReadLines(path);
    for (std::size_t i = 1; i < lines.size(); ++i) SecureWipe(lines[i]);
    if (lines.empty() || lines[0].empty())
        throw EKeyFile(path + ": the first line should hold a public key text");
    try {
        CheckPublicKey(lines[0]);
    } catch (const Exception& e) {
        throw EKeyFile(path + ": " + e.Message());
    }
    return lines[0];
}

void WriteKeyFile(const std::string& path, const TKeyPair& keys) {
    std::string text = keys.PublicKey + "\n" + keys.PrivateKey + "\n";
    try {
        WriteWhole(path, text, S_IRUSR | S_IWUSR);
    } catch (...) {
        SecureWipe(text);
        throw;
    }
    SecureWipe(text);
}

void WritePublicKeyFile(const std::string& path, const std::string& publicKey) {
    WriteWhole(path, publicKey + "\n", S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH);
}

std::vector<TOptionDef> KeyOptions(const std::string& publicKeyReader) {
    return {
        {"keys", "FILE", "read the key pair from FILE instead of generating one"},
        {"write-keys", "FILE", "write the key pair to FILE"},
        {"write-public", "FILE", "write the public key to FILE (for " + publicKeyReader + ")"},
    };
}

TKeyPair KeysFromOptions(const TOptions& options,
                         const std::function<void(const std::string&)>& say) {
    TKeyPair keys;
    if (options.Has("keys")) {
        keys = ReadKeyFile(options.Value("keys"));
        say("key pair read from " + options.Value("keys"));
    } else {
        keys = MakeKeyPair(TKeyBits::kb0512);
        say("key pair generated (512 bits)");
    }
    if (options.Has("write-keys")) {
        WriteKeyFile(options.Value("write-keys"), keys);
        say("key pair written to " + options.Value("write-keys"));
    }
    if (options.Has("write-public")) {
        WritePublicKeyFile(options.Value("write-public"), keys.PublicKey);
        say("public key written to " + options.Value("write-public"));
    }
    return keys;
}

} // namespace velkor::peer
