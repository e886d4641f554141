// Sapphire II's key setup, byte step and hash end. The key setup shuffles the cards from the
// top down, each swap partner drawn from the key by a running sum through the cards; the byte
// step moves four cards and mixes all five indices and eight cards into the output.
#include "hash/SapphireState.h"

#include "base/Wipe.h"

namespace velkor::sapphire {
namespace {

constexpr std::size_t kRotor = 256;
constexpr std::size_t kRatchet = 257;
constexpr std::size_t kAvalanche = 258;
constexpr std::size_t kLastPlain = 259;
constexpr std::size_t kLastCipher = 260;

// The key setup's random number in 0..limit: the running sum steps through the cards and the
// key (adding the key length at each wrap), masked to the smallest all-ones value covering
// limit; after eleven tries the draw is reduced modulo limit so that the loop ends.
std::uint8_t KeyRandom(const std::uint8_t* cards, unsigned limit, const std::uint8_t* key,
                       std::size_t length, std::uint8_t& sum, std::size_t& position) {
    if (limit == 0) return 0;
    unsigned mask = 1;
    while (mask < limit) mask = (mask << 1) + 1;
    unsigned tries = 0;
    unsigned u;
    do {
        sum = static_cast<std::uint8_t>(cards[sum] + key[position++]);
        if (position >= length) {
            position = 0;
            sum = static_cast<std::uint8_t>(sum + length);
        }
        u = mask & sum;
        if (++tries > 11) u %= limit;
    } while (u > limit);
    return static_cast<std::uint8_t>(u);
}

// The part of the byte step that both directions share: the ratchet and rotor advance and
// four cards move. Answers the mask that the data byte is XORed with.
std::uint8_t Step(std::uint8_t* s) {
    std::uint8_t& rotor = s[kRotor];
    std::uint8_t& ratchet = s[kRatchet];
    std::uint8_t& avalanche = s[kAvalanche];
    const std::uint8_t lastPlain = s[kLastPlain];
    const std::uint8_t lastCipher = s[kLastCipher];
    ratchet = static_cast<std::uint8_t>(ratchet + s[rotor]);
    rotor = static_cast<std::uint8_t>(rotor + 1);
    const std::uint8_t moved = s[lastCipher];
    s[lastCipher] = s[ratchet];
    s[ratchet] = s[lastPlain];
    s[lastPlain] = s[rotor];
    s[rotor] = moved;
    avalanche = static_cast<std::uint8_t>(avalanche + s[moved]);
    const auto inner = static_cast<std::uint8_t>(s[ratchet] + s[rotor]);
    const auto outer = static_cast<std::uint8_t>(s[lastPlain] + s[lastCipher] + s[avalanche]);
    return static_cast<std::uint8_t>(s[inner] ^ s[s[outer]]);
}

} // namespace

void Key(std::uint8_t* state, const std::uint8_t* key, std::size_t length) {
    if (length == 0) {
        HashStart(state);
        return;
    }
    if (length > kMaxKeySize) length = kMaxKeySize;
    for (unsigned i = 0; i < 256; ++i) state[i] = static_cast<std::uint8_t>(i);
    std::uint8_t sum = 0;
    std::size_t position = 0;
    for (int i = 255; i >= 0; --i) {
        const std::uint8_t other =
            KeyRandom(state, static_cast<unsigned>(i), key, length, sum, position);
        const std::uint8_t t = state[i];
        state[i] = state[other];
        state[other] = t;
    }
    state[kRotor] = state[1];
    state[kRatchet] = state[3];
    state[kAvalanche] = state[5];
    state[kLastPlain] = state[7];
    state[kLastCipher] = state[sum];
    SecureWipe(&sum, sizeof sum);
    SecureWipe(&position, sizeof position);
}

void HashStart(std::uint8_t* state) {
    for (unsigned i = 0; i < 256; ++i) state[i] = static_cast<std::uint8_t>(255 - i);
    state[kRotor] = 1;
    state[kRatchet] = 3;
    state[kAvalanche] = 5;
    state[kLastPlain] = 7;
    state[kLastCipher] = 11;
}

std::uint8_t Encrypt(std::uint8_t* state, std::uint8_t plain) {
    const auto cipher = static_cast<std::uint8_t>(plain ^ Step(state));
    state[kLastPlain] = plain;
    state[kLastCipher] = cipher;
    return cipher;
}

std::uint8_t Decrypt(std::uint8_t* state, std::uint8_t cipher) {
    const auto plain = static_cast<std::uint8_t>(cipher ^ Step(state));
    state[kLastPlain] = plain;
    state[kLastCipher] = cipher;
    return plain;
}

void HashFinal(std::uint8_t* state, std::uint8_t* out, std::size_t length) {
    for (int i = 255; i >= 0; --i) Encrypt(state, static_cast<std::uint8_t>(i));
    for (std::size_t i = 0; i < length; ++i) out[i] = Encrypt(state, 0);
}

} // namespace velkor::sapphire
