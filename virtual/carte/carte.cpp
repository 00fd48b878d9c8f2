#include "virtual/carte/carte.h"

namespace iowvirt {

void Board::deliver_set(const std::tm& local) {
    chip.power_on();
    chip.set_time(local);
    given = true;
}

ChipState Board::kept_chip() {
    ChipState kept = chip.state();
    if (ticking) kept.at_ms = pc_now();
    return kept;
}

}  // namespace iowvirt
