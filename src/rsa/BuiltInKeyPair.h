// A fixed 512-bit RSA key pair, made once with tools/make_keypair.py, for tests, benchmarks and
// fuzz harnesses that need a known key. It is public, so the merchant never uses it: the program
// makes a fresh pair at every start.
#pragma once

#include <string_view>

namespace velkor {

// Exponent 65537 in a 4-byte field, then the 64-byte modulus field.
inline constexpr std::string_view kBuiltInPublicKey =
    "++2++E:NdSWmkj4dS3UG4Zs2l4IQyqTAOz47EZQ+hZc9NJI3serFF9qYrD6tMM-Zz8QHYywGuZDqlJkYIrEgLizmjAIpE";

// The same modulus field, then the 64-byte private exponent field.
inline constexpr std::string_view kBuiltInPrivateKey =
    "NdSWmkj4dS3UG4Zs2l4IQyqTAOz47EZQ+hZc9NJI3serFF9qYrD6tMM-Zz8QHYywGuZDqlJkYIrEgLizmjAIpE:"
    "liuSeJ9pMh-Ylz3a84vgiPoY6fNaZ4DDgkQ8HNKd7CvgmvDEqwKVU8fJe6xvGSbkxxxVx3TtFE3BJ4R6lP8Df+";

} // namespace velkor
