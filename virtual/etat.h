// The file in which the virtual clock chip keeps its registers between
// launches, as a real chip keeps them on its battery: a format mark, a
// version, the chip's state and a checksum, so that a file that is not
// whole or not ours is never trusted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "virtual/ds1307.h"

namespace iowvirt {

// The size of a state file: a reader needs no byte past it.
inline constexpr std::size_t kStateFileSize = 92;

std::vector<std::uint8_t> encode_state(const ChipState& state);

// The state, or nothing and why not (in French).
std::optional<ChipState> decode_state(const std::vector<std::uint8_t>& bytes, std::string& why);

}  // namespace iowvirt
