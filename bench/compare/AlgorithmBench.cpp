// One throughput row per registered algorithm, found at run time in the hash and cipher
// registries, so that a class added to either gets its row without touching this file: a hash
// over 64 KiB (Start, Feed, Finish), a cipher over 64 KiB in cmCBC after Init with a key of
// KeySize bytes.
#include "Rows.h"

#include "cipher/CipherRegistry.h"
#include "hash/HashRegistry.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace velkor::bench {
namespace {

// The display name: the registry text up to its "=".
std::string DisplayName(const std::string& text) {
    return text.substr(0, text.find('='));
}

void HashRow(benchmark::State& state, THashClass hashClass) {
    const Bytes data(kBulkBytes, 'h');
    THashRef hash = hashClass->Create();
    for (auto _ : state) {
        hash->Start();
        hash->Feed(data.data(), data.size());
        hash->Finish();
        benchmark::DoNotOptimize(hash->DigestData());
    }
}

void CipherRow(benchmark::State& state, TCipherClass cipherClass) {
    TCipherRef cipher = cipherClass->Create();
    Bytes key(static_cast<std::size_t>(cipherClass->KeySize()), '\0');
    for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<char>(i * 37 + 1);
    cipher->SetMode(TCipherMode::cmCBC);
    cipher->Init(key.data(), static_cast<int>(key.size()), nullptr);
    Bytes data(kBulkBytes, 'c');
    for (auto _ : state) {
        cipher->EncipherBuffer(data.data(), data.data(), data.size());
        benchmark::DoNotOptimize(data.data());
    }
}

} // namespace

std::vector<std::string> RegisterAlgorithms(const TRunLength& length) {
    std::vector<std::string> names;
    for (const THashRegistryEntry& entry : HashRegistry()) {
        const THashClass c = entry.Class;
        names.push_back("hash/" + DisplayName(entry.Text));
        benchmark::RegisterBenchmark(names.back().c_str(),
                                     [c](benchmark::State& s) { HashRow(s, c); })
            ->MinTime(length.MinTime)
            ->Repetitions(length.Repetitions);
    }
    for (const TCipherRegistryEntry& entry : CipherRegistry()) {
        const TCipherClass c = entry.Class;
        names.push_back("cipher/" + DisplayName(entry.Text));
        benchmark::RegisterBenchmark(names.back().c_str(),
                                     [c](benchmark::State& s) { CipherRow(s, c); })
            ->MinTime(length.MinTime)
            ->Repetitions(length.Repetitions);
    }
    return names;
}

} // namespace velkor::bench
