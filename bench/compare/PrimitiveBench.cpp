// Our primitives beside OpenSSL's libcrypto on the same inputs: the hashes over 64 KiB, the
// envelope cipher against DES-EDE3-CBC, one single-DES block, the MIME Base 64 and hex coders,
// and the 512-bit exponentiations against BN_mod_exp_mont (no CRT on either side).
#define OPENSSL_SUPPRESS_DEPRECATED // the DES block function is the legacy interface
#include "Rows.h"

#include "cipher/DES.h"
#include "hash/Hashes.h"
#include "hash/StringFormat.h"
#include "rsa/Bignum.h"
#include "rsa/BuiltInKeyPair.h"
#include "rsa/KeyText.h"

#include <benchmark/benchmark.h>
#include <openssl/bn.h>
#include <openssl/crypto.h>
#include <openssl/des.h>
#include <openssl/evp.h>

#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

namespace velkor::bench {
namespace {

Bytes Input(std::size_t size) {
    Bytes s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>(i * 131 + 7);
    return s;
}

benchmark::internal::Benchmark* Add(const std::string& name, const TRunLength& length,
                                    std::function<void(benchmark::State&)> body) {
    auto* b = benchmark::RegisterBenchmark(name.c_str(),
                                           [body](benchmark::State& state) { body(state); });
    b->MinTime(length.MinTime);
    return b;
}

// --- hashes --------------------------------------------------------------------------------

template <class T> void OurHash(benchmark::State& state) {
    const Bytes data = Input(kBulkBytes);
    T hash;
    for (auto _ : state) {
        hash.Start();
        hash.Feed(data.data(), data.size());
        hash.Finish();
        benchmark::DoNotOptimize(hash.DigestData());
    }
}

// T is our class of the same algorithm: both digests must agree before anything is measured.
template <class T> void OpenSslHash(benchmark::State& state, const char* name) {
    const Bytes data = Input(kBulkBytes);
    EVP_MD* md = EVP_MD_fetch(nullptr, name, nullptr);
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_Digest(data.data(), data.size(), digest, &size, md, nullptr);
    T ours;
    ours.Start();
    ours.Feed(data.data(), data.size());
    ours.Finish();
    if (size != T::kDigestSize || std::memcmp(digest, ours.DigestData(), size) != 0)
        state.SkipWithError("the two digests differ");
    for (auto _ : state) {
        EVP_DigestInit_ex(ctx, md, nullptr);
        EVP_DigestUpdate(ctx, data.data(), data.size());
        EVP_DigestFinal_ex(ctx, digest, &size);
        benchmark::DoNotOptimize(digest);
    }
    EVP_MD_CTX_free(ctx);
    EVP_MD_free(md);
}

// --- ciphers -------------------------------------------------------------------------------

const std::uint8_t kKey[24] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                               0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10,
                               0x0F, 0x1E, 0x2D, 0x3C, 0x4B, 0x5A, 0x69, 0x78};

void OurDes24Cts(benchmark::State& state) {
    TCipher_3TDES c;
    c.Init(kKey, sizeof kKey, nullptr);
    c.SetMode(TCipherMode::cmCTS);
    Bytes data = Input(kBulkBytes);
    for (auto _ : state) {
        c.EncipherBuffer(data.data(), data.data(), data.size());
        benchmark::DoNotOptimize(data.data());
    }
}

void OpenSslDesEde3Cbc(benchmark::State& state) {
    EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, "DES-EDE3-CBC", nullptr);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    const unsigned char iv[8] = {};
    EVP_EncryptInit_ex(ctx, cipher, nullptr, kKey, iv);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    Bytes data = Input(kBulkBytes);
    auto* p = reinterpret_cast<unsigned char*>(data.data());
    int written = 0;
    for (auto _ : state) {
        EVP_EncryptUpdate(ctx, p, &written, p, kBulkBytes);
        benchmark::DoNotOptimize(p);
    }
    EVP_CIPHER_CTX_free(ctx);
    EVP_CIPHER_free(cipher);
}

void OurDesBlock(benchmark::State& state) {
    TCipher_1DES c;
    c.Init(kKey, 8, nullptr);
    std::uint8_t block[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (auto _ : state) {
        c.EncipherBlock(block);
        benchmark::DoNotOptimize(block);
    }
}

void OpenSslDesBlock(benchmark::State& state) {
    DES_cblock key;
    std::memcpy(key, kKey, 8);
    DES_key_schedule schedule;
    DES_set_key_unchecked(&key, &schedule);
    DES_cblock block = {1, 2, 3, 4, 5, 6, 7, 8};
    TCipher_1DES ours;
    ours.Init(kKey, 8, nullptr);
    std::uint8_t expected[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ours.EncipherBlock(expected);
    DES_ecb_encrypt(&block, &block, &schedule, DES_ENCRYPT);
    if (std::memcmp(block, expected, 8) != 0) state.SkipWithError("the two DES differ");
    for (auto _ : state) {
        DES_ecb_encrypt(&block, &block, &schedule, DES_ENCRYPT);
        benchmark::DoNotOptimize(block);
    }
}

// --- string formats ------------------------------------------------------------------------

void OurEncode(benchmark::State& state, std::int32_t format) {
    const Bytes data = Input(kBulkBytes);
    for (auto _ : state) benchmark::DoNotOptimize(ToFormat(data, format));
}

void OurDecode(benchmark::State& state, std::int32_t format) {
    const Bytes text = ToFormat(Input(kBulkBytes), format);
    for (auto _ : state) benchmark::DoNotOptimize(FromFormat(text, format));
}

// OpenSSL writes into a buffer made once; ours returns a fresh string every time.
void OpenSslBase64Encode(benchmark::State& state) {
    const Bytes data = Input(kBulkBytes);
    Bytes out((kBulkBytes + 2) / 3 * 4 + 1, '\0');
    EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                    reinterpret_cast<const unsigned char*>(data.data()), kBulkBytes);
    if (out.substr(0, out.size() - 1) != ToFormat(data, fmtMIME64))
        state.SkipWithError("OpenSSL wrote other text");
    for (auto _ : state) {
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                        reinterpret_cast<const unsigned char*>(data.data()), kBulkBytes);
        benchmark::DoNotOptimize(out.data());
    }
}

void OpenSslBase64Decode(benchmark::State& state) {
    const Bytes text = ToFormat(Input(kBulkBytes), fmtMIME64);
    Bytes out(text.size(), '\0');
    // OpenSSL counts the bytes of the closing "=" too: the input is its prefix.
    EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                    reinterpret_cast<const unsigned char*>(text.data()),
                    static_cast<int>(text.size()));
    if (out.substr(0, kBulkBytes) != Input(kBulkBytes))
        state.SkipWithError("OpenSSL read other bytes");
    for (auto _ : state) {
        EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                        reinterpret_cast<const unsigned char*>(text.data()),
                        static_cast<int>(text.size()));
        benchmark::DoNotOptimize(out.data());
    }
}

void OpenSslHexEncode(benchmark::State& state) {
    const Bytes data = Input(kBulkBytes);
    Bytes out(2 * kBulkBytes + 1, '\0');
    std::size_t written = 0;
    OPENSSL_buf2hexstr_ex(out.data(), out.size(), &written,
                          reinterpret_cast<const unsigned char*>(data.data()), data.size(), '\0');
    if (out.substr(0, 2 * kBulkBytes) != ToFormat(data, fmtHEX))
        state.SkipWithError("OpenSSL wrote other text");
    for (auto _ : state) {
        OPENSSL_buf2hexstr_ex(out.data(), out.size(), &written,
                              reinterpret_cast<const unsigned char*>(data.data()), data.size(),
                              '\0');
        benchmark::DoNotOptimize(out.data());
    }
}

void OpenSslHexDecode(benchmark::State& state) {
    const Bytes text = ToFormat(Input(kBulkBytes), fmtHEX);
    Bytes out(kBulkBytes, '\0');
    std::size_t written = 0;
    OPENSSL_hexstr2buf_ex(reinterpret_cast<unsigned char*>(out.data()), out.size(), &written,
                          text.c_str(), '\0');
    if (written != kBulkBytes || out != Input(kBulkBytes))
        state.SkipWithError("OpenSSL read other bytes");
    for (auto _ : state) {
        OPENSSL_hexstr2buf_ex(reinterpret_cast<unsigned char*>(out.data()), out.size(), &written,
                              text.c_str(), '\0');
        benchmark::DoNotOptimize(out.data());
    }
}

// --- RSA-512 -------------------------------------------------------------------------------

// The built-in pair's numbers, held as the component holds them: 132-limb arrays.
struct TRsaNumbers {
    std::array<Limb, KeyLimbs> N{}, D{}, E{}, M{};
    TRsaNumbers() {
        ReadKeyText(std::string(kBuiltInPrivateKey), TKeyTextKind::Private, 64, N.data(), D.data());
        std::array<Limb, KeyLimbs> n2{};
        ReadKeyText(std::string(kBuiltInPublicKey), TKeyTextKind::Public, 64, E.data(), n2.data());
        for (int i = 0; i < 15; ++i) M[i] = 0x9E3779B9U * static_cast<Limb>(i + 1);
    }
};

BIGNUM* ToBn(const std::array<Limb, KeyLimbs>& x) {
    unsigned char bytes[KeyLimbs * 4];
    for (int i = 0; i < KeyLimbs; ++i)
        for (int j = 0; j < 4; ++j) bytes[4 * i + j] = static_cast<unsigned char>(x[i] >> (8 * j));
    return BN_lebin2bn(bytes, sizeof bytes, nullptr);
}

std::array<Limb, KeyLimbs> FromBn(const BIGNUM* b) {
    unsigned char bytes[KeyLimbs * 4];
    BN_bn2lebinpad(b, bytes, sizeof bytes);
    std::array<Limb, KeyLimbs> x{};
    for (int i = 0; i < KeyLimbs * 4; ++i) x[i / 4] |= Limb{bytes[i]} << (8 * (i % 4));
    return x;
}

void OurModExp(benchmark::State& state, bool privateExponent) {
    const TRsaNumbers k;
    const auto& exponent = privateExponent ? k.D : k.E;
    std::array<Limb, KeyLimbs> c{};
    for (auto _ : state) {
        NumModExp(c.data(), k.M.data(), exponent.data(), KeyLimbs, k.N.data(), KeyLimbs);
        benchmark::DoNotOptimize(c.data());
    }
}

void OpenSslModExp(benchmark::State& state, bool privateExponent) {
    const TRsaNumbers k;
    BN_CTX* ctx = BN_CTX_new();
    BIGNUM* n = ToBn(k.N);
    BIGNUM* p = ToBn(privateExponent ? k.D : k.E);
    BIGNUM* m = ToBn(k.M);
    BIGNUM* r = BN_new();
    BN_MONT_CTX* mont = BN_MONT_CTX_new();
    BN_MONT_CTX_set(mont, n, ctx);
    // Both sides must compute the same number, or the comparison means nothing.
    std::array<Limb, KeyLimbs> ours{};
    NumModExp(ours.data(), k.M.data(), (privateExponent ? k.D : k.E).data(), KeyLimbs, k.N.data(),
              KeyLimbs);
    BN_mod_exp_mont(r, m, p, n, ctx, mont);
    if (FromBn(r) != ours) state.SkipWithError("the two exponentiations differ");
    for (auto _ : state) {
        BN_mod_exp_mont(r, m, p, n, ctx, mont);
        benchmark::DoNotOptimize(r);
    }
    BN_MONT_CTX_free(mont);
    for (BIGNUM* b : {n, p, m, r}) BN_free(b);
    BN_CTX_free(ctx);
}

// Every pair once, ours first.
void RegisterPrimitiveRound(const TRunLength& length) {
    Add("ours/md5-64k", length, OurHash<THash_MD5>);
    Add("openssl/md5-64k", length, [](benchmark::State& s) { OpenSslHash<THash_MD5>(s, "MD5"); });
    Add("ours/sha1-64k", length, OurHash<THash_SHA1>);
    Add("openssl/sha1-64k", length,
        [](benchmark::State& s) { OpenSslHash<THash_SHA1>(s, "SHA1"); });
    Add("ours/sha0-64k", length, OurHash<THash_SHA>);
    Add("ours/des24-cts-64k", length, OurDes24Cts);
    Add("openssl/des24-cts-64k", length, OpenSslDesEde3Cbc);
    Add("ours/des-block", length, OurDesBlock);
    Add("openssl/des-block", length, OpenSslDesBlock);
    Add("ours/base64-encode-64k", length, [](benchmark::State& s) { OurEncode(s, fmtMIME64); });
    Add("openssl/base64-encode-64k", length, OpenSslBase64Encode);
    Add("ours/base64-decode-64k", length, [](benchmark::State& s) { OurDecode(s, fmtMIME64); });
    Add("openssl/base64-decode-64k", length, OpenSslBase64Decode);
    Add("ours/hex-encode-64k", length, [](benchmark::State& s) { OurEncode(s, fmtHEX); });
    Add("openssl/hex-encode-64k", length, OpenSslHexEncode);
    Add("ours/hex-decode-64k", length, [](benchmark::State& s) { OurDecode(s, fmtHEX); });
    Add("openssl/hex-decode-64k", length, OpenSslHexDecode);
    Add("ours/rsa512-private", length, [](benchmark::State& s) { OurModExp(s, true); });
    Add("openssl/rsa512-private", length, [](benchmark::State& s) { OpenSslModExp(s, true); });
    Add("ours/rsa512-public", length, [](benchmark::State& s) { OurModExp(s, false); });
    Add("openssl/rsa512-public", length, [](benchmark::State& s) { OpenSslModExp(s, false); });
}

} // namespace

void RegisterPrimitives(const TRunLength& length) {
    for (int round = 0; round < length.Repetitions; ++round) RegisterPrimitiveRound(length);
}

void RegisterScalarRows(const TRunLength& length) {
    for (int round = 0; round < length.Repetitions; ++round) {
        Add("ours/sha1-64k", length, OurHash<THash_SHA1>);
        Add("openssl-scalar/sha1-64k", length,
            [](benchmark::State& s) { OpenSslHash<THash_SHA1>(s, "SHA1"); });
        Add("ours/sha0-64k", length, OurHash<THash_SHA>);
    }
}

} // namespace velkor::bench
