// What the relay keeps of the block's device calls, for the wiring check
// to read.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace host {

// One call of the device library as the block made it.
struct Exchange {
    enum class Call { open, close, write, read };
    Call call;
    std::array<std::uint8_t, 8> report;  // as written, or as the read left it
    std::uint32_t result;                // bytes moved; for open, 1 when a device was found
};
using Journal = std::vector<Exchange>;

}  // namespace host
