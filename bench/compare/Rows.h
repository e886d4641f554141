// The side-by-side benchmark program: what its parts register, and how a benchmark's name
// says which table cell it fills ("<side>/<key>", e.g. "ours/md5-64k", "openssl/md5-64k").
#pragma once

#include <string>
#include <vector>

namespace velkor::bench {

// How long each benchmark runs: one short round for --quick, otherwise several rounds, in
// each of which every row of ours and of OpenSSL runs once, so that the two sides alternate
// and a change in the load of the shared machine falls on both; the fastest round counts
// (other work only ever slows a run).
struct TRunLength {
    double MinTime = 0.3;
    int Repetitions = 5;
};

// Our primitives and their OpenSSL counterparts on the same inputs ("ours/...", "openssl/...").
void RegisterPrimitives(const TRunLength& length);
// OpenSSL's SHA-1 ("openssl-scalar/sha1-64k") beside our SHA-1 and SHA-0 again; the process
// that runs them has OpenSSL's vector and SHA-extension paths masked in its environment.
void RegisterScalarRows(const TRunLength& length);
// The merchant's whole handling of each message type ("handle/...").
void RegisterHandlings(const TRunLength& length);
// One row per class of the hash and cipher registries ("hash/<name>", "cipher/<name>"); the
// names in registry order, hashes first.
std::vector<std::string> RegisterAlgorithms(const TRunLength& length);

// The input size of every throughput row.
constexpr int kBulkBytes = 64 * 1024;

} // namespace velkor::bench
