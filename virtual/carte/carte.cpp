#include "virtual/carte/carte.h"

#include <chrono>

namespace iowvirt {

std::int64_t system_ms() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void Board::deliver_set(const std::tm& local) {
    chip.power_on();
    chip.set_time(local);
    given = true;
}

ChipState Board::kept_chip(std::int64_t lived) {
    ChipState kept = chip.state();
    if (ticking) kept.at_ms = lived;
    return kept;
}

}  // namespace iowvirt
