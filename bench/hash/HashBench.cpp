// Throughput of the hashes the merchant uses (MD5, SHA-0, SHA-1) over short and long inputs,
// and of the MIME Base 64 coders that carry every cipher text.
#include "hash/Hashes.h"
#include "hash/StringFormat.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace velkor;

std::string Input(std::size_t size) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>(i * 131 + 7);
    return s;
}

template <class T> void BM_Hash(benchmark::State& state) {
    const std::string data = Input(static_cast<std::size_t>(state.range(0)));
    T hash;
    for (auto _ : state) {
        hash.Start();
        hash.Feed(data.data(), data.size());
        hash.Finish();
        benchmark::DoNotOptimize(hash.DigestData());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

BENCHMARK_TEMPLATE(BM_Hash, THash_MD5)->Arg(64)->Arg(64 << 10);
BENCHMARK_TEMPLATE(BM_Hash, THash_SHA)->Arg(64)->Arg(64 << 10);
BENCHMARK_TEMPLATE(BM_Hash, THash_SHA1)->Arg(64)->Arg(64 << 10);

void BM_Mime64Write(benchmark::State& state) {
    const std::string data = Input(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(ToFormat(data, fmtMIME64));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Mime64Write)->Arg(64 << 10);

void BM_Mime64Read(benchmark::State& state) {
    const std::string text = ToFormat(Input(static_cast<std::size_t>(state.range(0))), fmtMIME64);
    for (auto _ : state) benchmark::DoNotOptimize(FromFormat(text, fmtMIME64));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_Mime64Read)->Arg(64 << 10);

} // namespace
