// The time the chip has lived on its battery, told from the PC's clock, the
// only measure of time it has. The PC's clock may be wrong: behind for a
// while (an hour slow, a dead CMOS battery at its BIOS date until the
// network sets it, a clock set back), or ahead. Nothing tells a clock
// wrong ahead from time gone by, so a jump forward counts; a clock behind
// is seen as soon as it reads before the furthest moment it was seen at,
// and while it stays behind only its own ticks count. Lived time never
// goes back, and never gains what the PC's clock did not live.
#pragma once

#include <cstdint>

namespace iowvirt {

// No PC's clock that is right reads before this release was made
// (2026-12-01 00:00:00 UTC, in ms): one that does, a dead CMOS battery's
// BIOS date, is behind, whatever it was seen at before.
inline constexpr std::int64_t kReleasedMs = 1'796'083'200'000;

struct LivedTime {
    std::int64_t high_pc = 0;     // the furthest moment the PC's clock was seen at (ms)
    std::int64_t high_lived = 0;  // lived time then
    std::int64_t last_pc = 0;     // the PC's clock at the last look
    std::int64_t last_lived = 0;  // lived time then
    // A setting was made while the PC's clock was behind: the time between
    // it and the moment the PC's clock is past `high_pc` again is unknown,
    // and counts for nothing.
    bool high_stale = false;
    bool known = false;  // false until the first look

    // A look at the PC's clock, which reads `pc`: the lived time now.
    std::int64_t at(std::int64_t pc);
    // Whether the last look found the PC's clock behind.
    bool behind() const { return known && last_pc < high_pc; }
    // The registers were set at the last look.
    void set_made() { high_stale = high_stale || behind(); }
    bool operator==(const LivedTime&) const = default;
};

}  // namespace iowvirt
