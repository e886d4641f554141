// The DES family: single DES, double and triple DES with 8-byte blocks, and the wide-block
// variants that run DES over two or three 8-byte sub-blocks with half-block exchanges between
// the passes ("DES Double 16byte", "DES Triple 16byte", "DES Triple 24byte").
#pragma once

#include "cipher/Cipher.h"
#include "cipher/DesEngine.h"

namespace velkor {

// Key K1 = bytes 0-7. KeySchedule: S0 = forward(K1), S1 = reverse(K1).
class TCipher_1DES : public TCipher {
    VELKOR_CIPHER_CLASS(TCipher_1DES)
public:
    explicit TCipher_1DES(TProtectionRef protection = nullptr)
        : TCipher(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 8;
    static constexpr int kKeySize = 8;
    static constexpr int kKeyScheduleSize = 2 * static_cast<int>(des::kScheduleBytes);

    void Init(const void* key, int size, const void* iv) override;
    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;

protected:
    TCipher_1DES(TCipherClass cipherClass, TProtectionRef protection)
        : TCipher(cipherClass, std::move(protection)) {}
    // Schedule number `n` of KeySchedule.
    const std::uint32_t* Schedule(int n) { return KeyScheduleWords() + n * des::kScheduleWords; }
    void MakeSchedule(int n, const std::uint8_t* key, bool reverse) {
        des::MakeSchedule(key, KeyScheduleWords() + n * des::kScheduleWords, reverse);
    }
    // Builds the schedules from the zero-padded key of KeySize bytes.
    virtual void MakeSchedules(const std::uint8_t* key);
    // One DES pass under schedule `n` over each 8-byte sub-block of `block`.
    void Pass(int n, std::uint8_t* block);
    // The exchange of bytes 4-7 with bytes 8-11 that mixes sub-blocks A and B.
    static void ExchangeHalves(std::uint8_t* block);
};

// Keys K1, K2. E: K1 enciphers, K2 deciphers, K1 enciphers; D undoes it.
class TCipher_2DES : public TCipher_1DES {
    VELKOR_CIPHER_CLASS(TCipher_2DES)
public:
    explicit TCipher_2DES(TProtectionRef protection = nullptr)
        : TCipher_1DES(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 8;
    static constexpr int kKeySize = 16;
    static constexpr int kKeyScheduleSize = 4 * static_cast<int>(des::kScheduleBytes);

    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;

protected:
    TCipher_2DES(TCipherClass cipherClass, TProtectionRef protection)
        : TCipher_1DES(cipherClass, std::move(protection)) {}
    void MakeSchedules(const std::uint8_t* key) override;
};

// "DES Double 8byte" over two sub-blocks with the half exchange between the passes.
class TCipher_2DDES : public TCipher_2DES {
    VELKOR_CIPHER_CLASS(TCipher_2DDES)
public:
    explicit TCipher_2DDES(TProtectionRef protection = nullptr)
        : TCipher_2DES(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 16;

    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

// Keys K1, K2, K3. E: K1 enciphers, K2 deciphers, K3 enciphers; D undoes it.
class TCipher_3DES : public TCipher_1DES {
    VELKOR_CIPHER_CLASS(TCipher_3DES)
public:
    explicit TCipher_3DES(TProtectionRef protection = nullptr)
        : TCipher_1DES(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 8;
    static constexpr int kKeySize = 24;
    static constexpr int kKeyScheduleSize = 6 * static_cast<int>(des::kScheduleBytes);

    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;

protected:
    TCipher_3DES(TCipherClass cipherClass, TProtectionRef protection)
        : TCipher_1DES(cipherClass, std::move(protection)) {}
    void MakeSchedules(const std::uint8_t* key) override;
    // The three passes with half exchanges between them, over the whole block.
    void WidePasses(std::uint8_t* block, int first);
};

// "DES Triple 8byte" over two sub-blocks with the half exchange between the passes.
class TCipher_3DDES : public TCipher_3DES {
    VELKOR_CIPHER_CLASS(TCipher_3DDES)
public:
    explicit TCipher_3DDES(TProtectionRef protection = nullptr)
        : TCipher_3DES(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 16;

    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

// "DES Triple 24byte": "DES Triple 8byte" over sub-blocks A, B and C, with bytes 4-7 and 8-11
// exchanged after the first and the second pass; C never mixes with its neighbours.
class TCipher_3TDES : public TCipher_3DES {
    VELKOR_CIPHER_CLASS(TCipher_3TDES)
public:
    explicit TCipher_3TDES(TProtectionRef protection = nullptr)
        : TCipher_3DES(Class(), std::move(protection)) {}

    static constexpr int kBlockSize = 24;

    void EncipherBlock(void* block) override;
    void DecipherBlock(void* block) override;
};

} // namespace velkor
