// Cipher speed: "DES Triple 24byte" in cmCTS over 1 KiB and 64 KiB ranges (the envelopes'
// cipher and mode), single DES and Blowfish block primitives, and a byte-wise mode for scale.
#include "cipher/Blowfish.h"
#include "cipher/DES.h"

#include <benchmark/benchmark.h>

using namespace velkor;

namespace {

template <class C> void Key(C& c) {
    Bytes key = "0123456789abcdefghijklmnopqrstuvwxyz!#$%&()*+,-./:;<=>?@[]";
    c.Init(key.data(), static_cast<int>(key.size()), nullptr);
}

void BM_Des24Cts(benchmark::State& state) {
    TCipher_3TDES c;
    Key(c);
    Bytes data(static_cast<std::size_t>(state.range(0)), 'x');
    for (auto _ : state) {
        c.EncipherBuffer(data.data(), data.data(), data.size());
        benchmark::DoNotOptimize(data.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Des24Cts)->Arg(1024)->Arg(64 * 1024);

void BM_Des24CfbBytewise(benchmark::State& state) {
    TCipher_3TDES c;
    Key(c);
    c.SetMode(TCipherMode::cmCFB);
    Bytes data(1024, 'x');
    for (auto _ : state) {
        c.EncipherBuffer(data.data(), data.data(), data.size());
        benchmark::DoNotOptimize(data.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 1024);
}
BENCHMARK(BM_Des24CfbBytewise);

template <class C> void BM_Block(benchmark::State& state) {
    C c;
    Key(c);
    std::uint8_t block[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (auto _ : state) {
        c.EncipherBlock(block);
        benchmark::DoNotOptimize(block);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 8);
}
BENCHMARK(BM_Block<TCipher_1DES>)->Name("BM_SingleDesBlock");
BENCHMARK(BM_Block<TCipher_Blowfish>)->Name("BM_BlowfishBlock");

void BM_Des24KeySetup(benchmark::State& state) {
    TCipher_3TDES c;
    for (auto _ : state) Key(c);
}
BENCHMARK(BM_Des24KeySetup);

} // namespace
