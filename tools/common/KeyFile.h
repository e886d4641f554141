// Key files of the peers. A key file holds the public key text on its first line and the
// private key text on its second; a public key file holds only the first line, so a key file
// also serves where a public key file is asked for.
#pragma once

#include "base/Exception.h"
#include "common/Options.h"
#include "rsa/KeyGen.h"

#include <functional>
#include <string>
#include <vector>

namespace velkor::peer {

class EKeyFile : public Exception {
public:
    using Exception::Exception;
};

// Raises EKeyFile "<path>: <reason>" when the file cannot be read, lacks a line, holds a text
// that is not a 512-bit key text, or a private key that does not belong to the public key.
TKeyPair ReadKeyFile(const std::string& path);
std::string ReadPublicKeyFile(const std::string& path);

// Written whole or not at all (a temporary file renamed over the path), so the other peer
// never reads half a key. The key file is readable by its owner only.
void WriteKeyFile(const std::string& path, const TKeyPair& keys);
void WritePublicKeyFile(const std::string& path, const std::string& publicKey);

// The options of every peer for its key pair: --keys, --write-keys, --write-public.
std::vector<TOptionDef> KeyOptions(const std::string& publicKeyReader);

// The key pair those options ask for: read from --keys or made fresh, then written where
// --write-keys and --write-public say. Each step is reported through `say`.
TKeyPair KeysFromOptions(const TOptions& options,
                         const std::function<void(const std::string&)>& say);

// Raises velkor::Exception with the reason when the public key text is not usable.
void CheckPublicKey(const std::string& publicKey);

} // namespace velkor::peer
