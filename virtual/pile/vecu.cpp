#include "virtual/pile/vecu.h"

#include <algorithm>

namespace iowvirt {

std::int64_t LivedTime::at(std::int64_t pc) {
    if (!known) {
        // The first look: lived time on the PC's clock.
        *this = LivedTime{pc, pc, pc, pc, false, true};
    }
    if (pc < kReleasedMs && high_pc < kReleasedMs) {
        // Behind by an unknown time: how far the clock jumps once right
        // again is no time lived.
        high_pc = kReleasedMs;
        high_stale = true;
    }
    if (pc >= high_pc && high_stale) {
        // Past every moment seen after a setting made behind: it counts on
        // from here, never from before.
        *this = LivedTime{pc, last_lived, pc, last_lived, false, true};
    } else if (pc >= high_pc && high_lived + (pc - high_pc) >= last_lived) {
        // Past every moment seen: the time beyond the furthest one counts.
        const std::int64_t lived = high_lived + (pc - high_pc);
        *this = LivedTime{pc, lived, pc, lived, false, true};
    } else if (pc >= high_pc) {
        // A spell behind counted more: the PC's clock is still behind by
        // the difference, and the moment to be past again is that much on.
        high_pc = pc + (last_lived - (high_lived + (pc - high_pc)));
        high_lived = last_lived;
        last_pc = pc;
    } else if (pc >= last_pc) {
        // Behind, ticking on: its own ticks are time lived; a jump from
        // before the release is none.
        if (last_pc >= kReleasedMs || pc < kReleasedMs) last_lived += pc - last_pc;
        last_pc = pc;
    } else {
        // Further behind: nothing counts.
        last_pc = pc;
    }
    return last_lived;
}

}  // namespace iowvirt
