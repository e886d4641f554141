// The registry's table of built-in hash classes. Adding an algorithm is its file plus one line
// here, at its place in the table.
#include "hash/HashList.h"

#include "hash/Hashes.h"

namespace velkor {

// "Snefru-256" has no class yet: its sixteen S-boxes were published only as its designer's
// program files, which could not be taken here, and a guessed table would be another hash
// under its name. Its name selects the default class.
void RegisterBuiltInHashClasses(const TRegisterHashClass& add) {
    add(THash_MD4::Class(), "Message Digest 4", "Hash");
    add(THash_MD5::Class(), "Message Digest 5", "Hash");
    add(THash_SHA::Class(), "Secure Hash Algorithm", "Hash");
    add(THash_SHA1::Class(), "Secure Hash Algorithm 1", "Hash");
    add(THash_RipeMD128::Class(), "Ripe Message Digest 128", "Hash");
    add(THash_RipeMD160::Class(), "Ripe Message Digest 160", "Hash");
    add(THash_RipeMD256::Class(), "Ripe Message Digest 256", "Hash");
    add(THash_RipeMD320::Class(), "Ripe Message Digest 320", "Hash");
    add(THash_Haval128::Class(), "Haval-128", "Hash");
    add(THash_Haval160::Class(), "Haval-160", "Hash");
    add(THash_Haval192::Class(), "Haval-192", "Hash");
    add(THash_Haval224::Class(), "Haval-224", "Hash");
    add(THash_Haval256::Class(), "Haval-256", "Hash");
    add(THash_Sapphire128::Class(), "Sapphire II-128", "Hash");
    add(THash_Sapphire160::Class(), "Sapphire II-160", "Hash");
    add(THash_Sapphire192::Class(), "Sapphire II-192", "Hash");
    add(THash_Sapphire224::Class(), "Sapphire II-224", "Hash");
    add(THash_Sapphire256::Class(), "Sapphire II-256", "Hash");
    add(THash_Sapphire288::Class(), "Sapphire II-288", "Hash");
    add(THash_Sapphire320::Class(), "Sapphire II-320", "Hash");
    add(THash_Square::Class(), "Square", "Hash");
    add(THash_Tiger::Class(), "Tiger", "Hash");
    add(THash_XOR16::Class(), "XOR-16", "Checksum");
    add(THash_XOR32::Class(), "XOR-32", "Checksum");
    add(THash_CRC16_CCITT::Class(), "CRC-16 CCITT", "Checksum");
    add(Thash_CRC16_Standard::Class(), "CRC-16 Standard", "Checksum");
    add(THash_CRC32::Class(), "CRC-32", "Checksum");
}

} // namespace velkor
