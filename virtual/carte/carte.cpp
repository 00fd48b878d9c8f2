#include "virtual/carte/carte.h"

namespace iowvirt {

ChipState Board::kept_chip() {
    ChipState kept = chip.state();
    if (ticking) kept.at_ms = pc_now();
    return kept;
}

}  // namespace iowvirt
