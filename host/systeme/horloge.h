// The host's own clock: the time between steps, and how long the wiring
// check has waited. Tests make it a simulated clock, so that no test waits
// for real seconds.
#pragma once

#include <cstdint>

namespace host {

// With the environment variable RTC_HOST_CLOCK=simulated (meant for tests),
// waiting returns at once and moves a clock of the host's own; otherwise
// both are the system's monotonic clock.
std::int64_t now_ms();
// Whether RTC_HOST_CLOCK=simulated chose the host's own clock.
bool clock_simulated();
void wait_ms(int milliseconds);

}  // namespace host
