#include "virtual/garde/vecu.h"

#include <algorithm>

namespace iowvirt {

std::int64_t LivedTime::at(std::int64_t pc) {
    if (!known) {
        // The first look: lived time on the PC's clock.
        *this = LivedTime{pc, pc, pc, pc, false, true};
    } else if (pc >= high_pc) {
        // Past every moment seen: the time beyond the furthest one counts,
        // and never less than what a spell behind already counted. A spell's
        // setting counts on from here, never from before.
        const std::int64_t lived =
            high_stale ? last_lived : std::max(high_lived + (pc - high_pc), last_lived);
        *this = LivedTime{pc, lived, pc, lived, false, true};
    } else if (pc >= last_pc) {
        // Behind, ticking on: its own ticks are time lived.
        last_lived += pc - last_pc;
        last_pc = pc;
    } else {
        // Further behind: nothing counts.
        last_pc = pc;
    }
    return last_lived;
}

}  // namespace iowvirt
