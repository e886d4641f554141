// The checksums: CRC-32 against Crypto++, mhash and librhash; the two CRC-16s against a
// bit-at-a-time CRC written from the catalogue's parameters; and feeding after Finish, which
// continues the same sum because a checksum has no padding. The catalogue's check values and
// the XOR sums' worked values are in tests/data/hashes/checksums.vec.
#include "hash/Checksum.h"

#include "ReferenceDigest.h"

#include <cryptopp/crc.h>
#include <mhash.h>
#include <rhash.h>

namespace velkor {
namespace {

using test::Hex;

// The CRC catalogue's model: width bits, polynomial, initial register, input and output
// reflection, final XOR; one bit at a time, most significant bit of the register first.
struct CrcModel {
    int Width;
    std::uint32_t Poly, Init;
    bool RefIn, RefOut;
    std::uint32_t XorOut;
};

std::uint32_t Reflect(std::uint32_t v, int bits) {
    std::uint32_t r = 0;
    for (int i = 0; i < bits; ++i) r |= ((v >> i) & 1U) << (bits - 1 - i);
    return r;
}

Bytes BitwiseCrc(const CrcModel& m, const Bytes& data) {
    const std::uint32_t top = 1U << (m.Width - 1);
    const std::uint32_t mask = m.Width == 32 ? 0xFFFFFFFFU : (1U << m.Width) - 1;
    std::uint32_t reg = m.Init;
    for (char ch : data) {
        std::uint32_t byte = static_cast<std::uint8_t>(ch);
        if (m.RefIn) byte = Reflect(byte, 8);
        for (int bit = 7; bit >= 0; --bit) {
            bool feedback = ((reg & top) != 0) != (((byte >> bit) & 1U) != 0);
            reg = (reg << 1) & mask;
            if (feedback) reg ^= m.Poly;
        }
    }
    if (m.RefOut) reg = Reflect(reg, m.Width);
    reg ^= m.XorOut;
    Bytes out;
    for (int shift = m.Width - 8; shift >= 0; shift -= 8)
        out += static_cast<char>((reg >> shift) & 0xFF);
    return out;
}

TEST(ChecksumDifferential, Crc16sAgainstTheBitwiseModel) {
    const CrcModel ccitt{16, 0x1021, 0xFFFF, false, false, 0};
    const CrcModel arc{16, 0x8005, 0, true, true, 0};
    test::CompareOnRandomInputs(
        THash_CRC16_CCITT::Class(), [&](const Bytes& d) { return BitwiseCrc(ccitt, d); }, 16);
    test::CompareOnRandomInputs(
        Thash_CRC16_Standard::Class(), [&](const Bytes& d) { return BitwiseCrc(arc, d); }, 17);
}

TEST(ChecksumDifferential, Crc32AgainstTheBitwiseModel) {
    const CrcModel hdlc{32, 0x04C11DB7, 0xFFFFFFFF, true, true, 0xFFFFFFFF};
    test::CompareOnRandomInputs(
        THash_CRC32::Class(), [&](const Bytes& d) { return BitwiseCrc(hdlc, d); }, 32);
}

// Crypto++ writes the CRC least significant byte first; the digest here is high byte first.
TEST(ChecksumDifferential, Crc32AgainstCryptoPP) {
    test::CompareOnRandomInputs(
        THash_CRC32::Class(),
        [](const Bytes& data) {
            CryptoPP::CRC32 crc;
            Bytes out(4, '\0');
            crc.CalculateDigest(reinterpret_cast<CryptoPP::byte*>(out.data()),
                                reinterpret_cast<const CryptoPP::byte*>(data.data()), data.size());
            return Bytes(out.rbegin(), out.rend());
        },
        33);
}

// mhash's MHASH_CRC32B is the ISO-HDLC CRC (its MHASH_CRC32 is another one); like Crypto++
// it writes the least significant byte first.
TEST(ChecksumDifferential, Crc32AgainstMhash) {
    test::CompareOnRandomInputs(
        THash_CRC32::Class(),
        [](const Bytes& data) {
            MHASH td = mhash_init(MHASH_CRC32B);
            EXPECT_NE(td, MHASH_FAILED);
            mhash(td, data.data(), static_cast<mutils_word32>(data.size()));
            Bytes out(mhash_get_block_size(MHASH_CRC32B), '\0');
            mhash_deinit(td, out.data());
            return Bytes(out.rbegin(), out.rend());
        },
        34);
}

TEST(ChecksumDifferential, Crc32AgainstRhash) {
    rhash_library_init();
    test::CompareOnRandomInputs(
        THash_CRC32::Class(),
        [](const Bytes& data) {
            Bytes out(4, '\0');
            EXPECT_EQ(rhash_msg(RHASH_CRC32, data.data(), data.size(),
                                reinterpret_cast<unsigned char*>(out.data())),
                      0);
            return out;
        },
        35);
}

// Finish only shows the sum: feeding after it goes on with the same message, and a second
// Finish shows the same value.
TEST(ChecksumFinish, FeedingAfterFinishContinuesTheSameSum) {
    for (THashClass cls : {THash_XOR16::Class(), THash_XOR32::Class(), THash_CRC16_CCITT::Class(),
                           Thash_CRC16_Standard::Class(), THash_CRC32::Class()}) {
        SCOPED_TRACE(cls->ClassName());
        THashRef h = cls->Create();
        h->Start();
        h->Feed("12345", 5);
        h->Finish();
        h->Finish();
        h->Feed("6789", 4);
        h->Finish();
        EXPECT_EQ(Hex(BytesOf(h->DigestData(), h->DigestSize())),
                  Hex(test::OurDigest(cls, "123456789")));
    }
}

} // namespace
} // namespace velkor
