// libFuzzer target over the virtual clock's state file: any bytes, as a
// crash, another program or a user may leave them. A file is refused with
// its reason, or gives a state that a chip takes back and counts on from,
// and that saves to the same state.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "virtual/carte/ds1307.h"
#include "virtual/pile/etat.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    std::string why;
    const auto state = iowvirt::decode_state(bytes, why);
    if (!state) {
        require(!why.empty());
        return 0;
    }
    require(why.empty());
    require(state->chip.into_second_ms >= 0 && state->chip.into_second_ms < 1000);
    // A record saved again reads back the same.
    const auto again = iowvirt::decode_state(iowvirt::encode_state(*state), why);
    require(again && again->chip.registers == state->chip.registers &&
            again->chip.at_ms == state->chip.at_ms && again->flags == state->flags);
    // A chip taken back from it counts on across centuries without fault.
    std::int64_t now = state->chip.at_ms;
    iowvirt::Ds1307 chip([&now] { return now; });
    chip.restore(state->chip);
    now += 1000LL * 86400 * 365 * 150;
    for (std::uint8_t reg = 0; reg < iowvirt::Ds1307::kRegisterCount; ++reg)
        chip.peek(reg);
    return 0;
}
