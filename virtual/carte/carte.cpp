#include "virtual/carte/carte.h"

namespace iowvirt {

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
