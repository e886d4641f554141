// The single-block DES engine shared by the DES family of cipher classes: a key schedule of
// 32 words (two per round) and the 16-round block function on one 8-byte block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velkor::des {

constexpr std::size_t kScheduleWords = 32;
constexpr std::size_t kScheduleBytes = kScheduleWords * 4;

// Builds the schedule of the 8-byte `key` into `schedule` (kScheduleWords words): round keys
// 1 to 16 in order for enciphering, or 16 to 1 with `reverse`, which makes Block decipher.
// The parity bits of the key are ignored.
void MakeSchedule(const std::uint8_t* key, std::uint32_t* schedule, bool reverse);

// Runs the 16 rounds over one 8-byte block in place, its first byte the most significant of
// the left half.
void Block(const std::uint32_t* schedule, std::uint8_t* block);

} // namespace velkor::des
