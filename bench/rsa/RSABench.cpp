// Cost of the RSA layer: one 512-bit private-key exponentiation held in 16-limb and in
// 132-limb arrays (the component's size), the component's two operations on a 24-byte
// symmetric key, and key-pair generation.
#include "rsa/BuiltInKeyPair.h"
#include "rsa/KeyGen.h"
#include "rsa/KeyText.h"
#include "rsa/RSA.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string>

namespace velkor {
namespace {

void BM_ModExp512Private(benchmark::State& state) {
    const int limbs = static_cast<int>(state.range(0));
    std::array<Limb, KeyLimbs> n{}, d{}, m{}, c{};
    ReadKeyText(std::string(kBuiltInPrivateKey), TKeyTextKind::Private, 64, n.data(), d.data());
    for (int i = 0; i < 15; ++i) m[i] = 0x9E3779B9U * static_cast<Limb>(i + 1);
    for (auto _ : state) {
        NumModExp(c.data(), m.data(), d.data(), limbs, n.data(), limbs);
        benchmark::DoNotOptimize(c.data());
    }
}
BENCHMARK(BM_ModExp512Private)->Arg(16)->Arg(132)->Unit(benchmark::kMicrosecond);

void BM_PublicEncipher24(benchmark::State& state) {
    TRSA rsa;
    rsa.SetKeyBits(TKeyBits::kb0512);
    rsa.SetPublicKey(std::string(kBuiltInPublicKey));
    const Bytes key(24, 'K');
    for (auto _ : state) benchmark::DoNotOptimize(rsa.PublicEncipher(key));
}
BENCHMARK(BM_PublicEncipher24)->Unit(benchmark::kMicrosecond);

void BM_PrivateDecipher24(benchmark::State& state) {
    TRSA rsa;
    rsa.SetKeyBits(TKeyBits::kb0512);
    rsa.SetPublicKey(std::string(kBuiltInPublicKey));
    rsa.SetPrivateKey(std::string(kBuiltInPrivateKey));
    const std::string text = rsa.PublicEncipher(Bytes(24, 'K'));
    for (auto _ : state) benchmark::DoNotOptimize(rsa.PrivateDecipher(text));
}
BENCHMARK(BM_PrivateDecipher24)->Unit(benchmark::kMicrosecond);

void BM_MakeKeyPair(benchmark::State& state) {
    const auto bits = static_cast<TKeyBits>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(MakeKeyPair(bits));
}
BENCHMARK(BM_MakeKeyPair)
    ->Arg(static_cast<int>(TKeyBits::kb0512))
    ->Arg(static_cast<int>(TKeyBits::kb1024))
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velkor
